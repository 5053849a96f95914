#include "system/windows_folders.h"

#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/helpers.h"
#include "system/paths.h"
#include "system/text.h"

namespace io {

std::string getDirectory(DirectoryQuery query) {
    std::string directory;
    // A result that does not fit is the size the system needs; the buffer
    // was not filled, so it is asked again (the directory may change).
    if (const DWORD error = queryText([&](char* buffer, DWORD size) { return query(buffer, size); }, directory))
        throw exceptions::Exception(Helpers::getErrorMessage(static_cast<int>(error)));
    return directory + "\\";
}

std::vector<std::string> getSystemDirectories() {
    std::vector<std::string> directories{Helpers::getSystemDirectory()};
    // Both exist only on 64-bit Windows; elsewhere they are skipped.
    try {
        directories.push_back(getDirectory(GetSystemWow64DirectoryA));
    } catch (const exceptions::Exception&) {
    }
    try {
        const std::string sysnative = Helpers::getWindowsDirectory() + "Sysnative\\";
        const DWORD attributes = GetFileAttributesA(sysnative.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            directories.push_back(sysnative);
    } catch (const exceptions::Exception&) {
    }
    return directories;
}

bool windowsIs64Bit() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

std::string wow64Redirected(const std::string& folder) {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return folder;
    try {
        std::string spelled = folder;
        if (!spelled.empty() && spelled.back() != '\\') spelled += '\\';
        const std::string system = Helpers::getSystemDirectory();
        if (isSamePath(spelled, system)) return getDirectory(GetSystemWow64DirectoryA);
        if (isSamePath(spelled, Helpers::getWindowsDirectory() + "Sysnative\\")) return system;
    } catch (const exceptions::Exception&) {
        // No system folder to tell by: as it is.
    }
    return folder;
}

std::string getProgramDirectory() {
    std::string program;
    // A path that does not fit is cut, and its full size is not told.
    if (queryText([](char* buffer, DWORD size) { return GetModuleFileNameA(nullptr, buffer, size); }, program))
        return "";
    return getPathDirectory(getFullPath(program));
}

void guardElevatedProcess() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    // Windows 10 22H2 and 11: junctions and links made by non-administrators
    // are not followed by this process.
    typedef BOOL(WINAPI * SetPolicy)(PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
    if (const auto setPolicy = reinterpret_cast<SetPolicy>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessMitigationPolicy")))) {
        PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY trust = {};
        trust.EnforceRedirectionTrust = 1;
        setPolicy(ProcessRedirectionTrustPolicy, &trust, sizeof trust);
    }
    typedef BOOL(WINAPI * SetDirectories)(DWORD);
    if (const auto setDirectories = reinterpret_cast<SetDirectories>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace io
