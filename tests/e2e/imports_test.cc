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
// architecture, imports, delay-loaded ones too, read from its tables as
// Windows maps it (as an image, none of its code run).
std::vector<std::string> importedDlls(const std::string& path) {
    const HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const char* image = reinterpret_cast<const char*>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR(3));
    std::vector<std::string> names;
    if (!module) return names;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
    const IMAGE_DATA_DIRECTORY* directories = nt->OptionalHeader.DataDirectory;
    if (const DWORD rva = directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress)
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image + rva); entry->Name; ++entry)
            names.push_back(image + entry->Name);
    if (const DWORD rva = directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress)
        for (auto* entry = reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR*>(image + rva); entry->DllNameRVA; ++entry)
            names.push_back(image + entry->DllNameRVA);
    FreeLibrary(module);
    return names;
}

// Windows looks for an imported DLL that is no known DLL in the program's
// own folder first, the product folder, where the tracer is ws2_32.dll.
TEST(ImportsTest, EachShippedFileImportsOnlyKnownSystemDlls) {
    for (const char* file : {"uninstall.exe", "uninstall-unattended.exe", "dialog_probe.dll"}) {
        const std::vector<std::string> names = importedDlls(unattended::besideThisProgram(file));
        EXPECT_FALSE(names.empty()) << file;
        for (const std::string& name : names)
            EXPECT_TRUE(lstrcmpiA(name.c_str(), "kernel32.dll") == 0 || lstrcmpiA(name.c_str(), "user32.dll") == 0 ||
                        lstrcmpiA(name.c_str(), "advapi32.dll") == 0 || lstrcmpiA(name.c_str(), "msvcrt.dll") == 0)
                << file << " imports " << name;
    }
}

}  // namespace
