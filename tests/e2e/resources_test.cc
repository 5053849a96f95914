// The version information and manifest that Windows reads from uninstall.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/test_support.h"

namespace {

std::string programPath() { return besideThisProgram("uninstall.exe"); }

TEST(ResourcesTest, VersionInformationNamesTheProduct) {
    const std::string program = programPath();
    DWORD size = GetFileVersionInfoSizeA(program.c_str(), nullptr);
    ASSERT_NE(0u, size);
    std::vector<char> information(size);
    ASSERT_TRUE(GetFileVersionInfoA(program.c_str(), 0, size, information.data()));
    const struct {
        const char* name;
        std::string value;
    } cases[] = {
        {"ProductName", "Vantrel"},
        {"FileDescription", "Vantrel uninstaller"},
        {"OriginalFilename", "uninstall.exe"},
        {"CompanyName", "Corvane"},
        {"FileVersion", VANTREL_VERSION},
        {"ProductVersion", VANTREL_VERSION},
    };
    for (const auto& c : cases) {
        char* value = nullptr;
        UINT length = 0;
        const std::string key = std::string("\\StringFileInfo\\040904b0\\") + c.name;
        ASSERT_TRUE(VerQueryValueA(information.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) << c.name;
        EXPECT_EQ(c.value, value) << c.name;
    }
}

TEST(ResourcesTest, ManifestAsksForAdministratorAndCurrentControls) {
    HMODULE program = LoadLibraryExA(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program);
    HRSRC resource = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(nullptr, resource);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(program, resource))),
                               SizeofResource(program, resource));
    FreeLibrary(program);
    const char* required[] = {
        "<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "PerMonitorV2",
    };
    for (const char* text : required) EXPECT_NE(std::string::npos, manifest.find(text)) << text;
}

}  // namespace
