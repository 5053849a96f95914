// The version information and manifest that Windows reads from both programs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unattended/dialog_driver.h"

namespace {

struct Program { std::string path, name, description; };

const Program kPrograms[] = {
    {besideThisProgram("uninstall.exe"), "uninstall", "Vantrel uninstaller"},
    {besideThisProgram("uninstall-unattended.exe"), "uninstall-unattended", "Vantrel unattended uninstaller"},
};

TEST(ResourcesTest, EachProgramNamesItselfAndAsksForAdministrator) {
    for (const Program& program : kPrograms) {
        const std::string& path = program.path;
        SCOPED_TRACE(path);
        std::vector<char> information(GetFileVersionInfoSizeA(path.c_str(), nullptr));
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(information.size()), information.data()));
        const std::pair<const char*, std::string> values[] = {
            {"ProductName", "Vantrel"}, {"FileDescription", program.description},
            {"OriginalFilename", program.name + ".exe"}, {"CompanyName", "Corvane"},
            {"FileVersion", VANTREL_VERSION}, {"ProductVersion", VANTREL_VERSION},
        };
        for (const auto& value : values) {
            char* text = nullptr;
            UINT length = 0;
            const std::string key = std::string("\\StringFileInfo\\040904b0\\") + value.first;
            ASSERT_TRUE(VerQueryValueA(information.data(), key.c_str(), reinterpret_cast<void**>(&text), &length));
            EXPECT_EQ(value.second, text) << program.name << " " << value.first;
        }

        HMODULE module =
            LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
        ASSERT_NE(nullptr, resource) << program.name;
        const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, resource))),
                                   SizeofResource(module, resource));
        FreeLibrary(module);
        const std::string required[] = {
            "<requestedExecutionLevel level=\"requireAdministrator\"",
            "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
            "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "PerMonitorV2",
            "<description>" + program.description, "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8"};
        for (const std::string& text : required)
            EXPECT_NE(std::string::npos, manifest.find(text)) << program.name << ": " << text;
    }
}

}  // namespace
