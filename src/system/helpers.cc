#include "system/helpers.h"

#include <vector>

#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/decimal.h"
#include "system/handle.h"
#include "system/io.h"

namespace {

UINT WINAPI queryCurrentDirectory(LPSTR buffer, UINT size) {
    return GetCurrentDirectoryA(size, buffer);
}

}  // namespace

std::string Helpers::getErrorMessage(const int errorCode) {
    try {
        // Released even if the copy fails.
        io::ScopedLocal text;
        const DWORD length = FormatMessageA(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
            static_cast<DWORD>(errorCode), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
            reinterpret_cast<LPSTR>(text.put()), 0, nullptr);
        return "System error message: " +
               (length != 0 ? std::string(static_cast<const char*>(text.get()), length) : std::string());
    } catch (...) {
        return "An unexpected exception was caught in std::string "
               "Helpers::getErrorMessage(const int errorCode)";
    }
}

std::string Helpers::getDirectory(DirectoryQuery query) {
    std::vector<char> buffer(1024);
    for (;;) {
        UINT result = query(buffer.data(), static_cast<UINT>(buffer.size()));
        if (result == 0) {
            DWORD error = GetLastError();
            throw exceptions::Exception(getErrorMessage(static_cast<int>(error)));
        }
        // A result that does not fit is the size the system needs; the
        // buffer was not filled, so ask again (the directory may change).
        if (result < buffer.size()) break;
        buffer.resize(result);
    }
    return std::string(buffer.data()) + "\\";
}

std::string Helpers::getProgramDirectory() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return "";
        // A path that does not fit is cut and the full size is not told.
        if (length < buffer.size()) return getPathDirectory(getFullPath(std::string(buffer.data(), length)));
        buffer.resize(buffer.size() * 2);
    }
}

std::string Helpers::getCurrentDirectory() { return getDirectory(queryCurrentDirectory); }

std::string Helpers::getSystemDirectory() { return getDirectory(GetSystemDirectoryA); }

std::string Helpers::getWindowsDirectory() { return getDirectory(GetWindowsDirectoryA); }

std::string Helpers::findFile(const std::string& fileName, const std::string& startedIn, Accept accept) {
    std::string report;
    std::string candidate;
    bool presentButUnopenable = false;
    try {
        for (unsigned attempt = 1; attempt <= 4; ++attempt) {
            const std::string label = "Try " + util::toDecimal(attempt) + ". ";
            try {
                std::string directory;
                switch (attempt) {
                case 1:
                    directory = !startedIn.empty() ? startedIn
                                                   : util::parser::CommandLineConverter(GetCommandLineA())
                                                         .getApplicationDirectory();
                    // Argument 0 need not say where the program is: the
                    // product is where the program file is.
                    if (directory.empty()) directory = getProgramDirectory();
                    break;
                case 2: directory = !startedIn.empty() ? startedIn : getCurrentDirectory(); break;
                case 3: directory = getSystemDirectory(); break;
                default: directory = getWindowsDirectory(); break;
                }
                candidate = directory + fileName;
                if (io::fileExists(candidate)) return candidate;
                // A directory of that name is no file; anything else that
                // is there is the product's file, held or protected.
                const DWORD attributes = GetFileAttributesA(candidate.c_str());
                if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    if (accept == Accept::Present) return candidate;
                    presentButUnopenable = true;
                }
                report += label + "The file " + candidate + " did not exist.\n";
            } catch (const exceptions::Exception& e) {
                report += label + "Exception caught when trying path " + candidate +
                          ". Exception: " + e.getMessage() + "\n";
            }
        }
    } catch (...) {
        // Anything outside the tree (memory running out) ends the search
        // with what was learnt so far.
    }
    throw io::FileNotFoundException(
        "Could not find the file in any of the directories. Result of loading:\n" + report,
        presentButUnopenable);
}

void Helpers::guardElevatedProcess() {
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

std::string withoutLineBreaks(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string reasonFor(DWORD error) { return withoutLineBreaks(Helpers::getErrorMessage(static_cast<int>(error))); }

std::vector<wchar_t> wide(const std::string& text) {
    std::vector<wchar_t> result(text.size() + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), static_cast<int>(result.size()));
    return result;
}
