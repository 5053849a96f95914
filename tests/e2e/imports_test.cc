// What Windows reads from the shipped files before any of their code runs:
// the DLLs they import.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/test_support.h"
#include "unattended/dialog_driver.h"

namespace {

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
TEST(ImportsTest, EachShippedFileImportsOnlyKnownSystemDlls) {
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
