// What Windows reads from the shipped files before any of their code runs:
// the version information, the manifest, and the DLLs they import.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/test_support.h"
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

// The names of the DLLs that the PE file at `path`, of this build's
// architecture, imports, delay-loaded ones too, read from its tables.
std::vector<std::string> importedDlls(const std::string& path) {
    const std::string image = readFile(path);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        image.data() + reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data())->e_lfanew);
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    auto at = [&](DWORD rva) {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i)
            if (rva >= sections[i].VirtualAddress && rva < sections[i].VirtualAddress + sections[i].SizeOfRawData)
                return image.data() + (rva - sections[i].VirtualAddress + sections[i].PointerToRawData);
        return static_cast<const char*>(nullptr);
    };
    std::vector<std::string> names;
    const IMAGE_DATA_DIRECTORY* directories = nt->OptionalHeader.DataDirectory;
    if (const DWORD rva = directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress)
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(rva)); entry && entry->Name; ++entry)
            names.push_back(at(entry->Name));
    if (const DWORD rva = directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress)
        for (auto* entry = reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR*>(at(rva)); entry && entry->DllNameRVA;
             ++entry)
            names.push_back(at(entry->DllNameRVA));
    return names;
}

// Windows looks for an imported DLL that is no known DLL in the program's
// own folder first, the product folder, where the tracer is ws2_32.dll.
TEST(ResourcesTest, EachShippedFileImportsOnlyKnownSystemDlls) {
    for (const char* file : {"uninstall.exe", "uninstall-unattended.exe", "dialog_probe.dll"}) {
        const std::vector<std::string> names = importedDlls(besideThisProgram(file));
        EXPECT_FALSE(names.empty()) << file;
        for (const std::string& name : names)
            EXPECT_TRUE(lstrcmpiA(name.c_str(), "kernel32.dll") == 0 || lstrcmpiA(name.c_str(), "user32.dll") == 0 ||
                        lstrcmpiA(name.c_str(), "advapi32.dll") == 0 || lstrcmpiA(name.c_str(), "msvcrt.dll") == 0)
                << file << " imports " << name;
    }
}

}  // namespace
