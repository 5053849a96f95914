// What the tests share: a scratch directory with helpers to stage and
// read files, and on Windows the system's own error texts.
#ifndef VANTREL_TESTS_TOOLS_TEST_SUPPORT_H_
#define VANTREL_TESTS_TOOLS_TEST_SUPPORT_H_

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "system/calls.h"

// What FormatMessageA itself gives for the code, line break included.
inline std::string systemText(DWORD code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result(text ? text : "", length);
    LocalFree(text);
    return result;
}

// The same after "System error message: ", as one line.
inline std::string systemReason(DWORD code) {
    const std::string text = systemText(code);
    return "System error message: " + text.substr(0, text.find_last_not_of("\r\n") + 1);
}

// The system's file calls, but every final path is `answer`, as
// GetFinalPathNameByHandleA spells it; "" fails as some volumes do (mounted
// without a letter, RAM disks).
inline io::FileCalls finalPathIs(const std::string& answer) {
    io::FileCalls calls = io::platformFileCalls();
    calls.finalPath = [answer](HANDLE, LPSTR buffer, DWORD size, DWORD) -> DWORD {
        if (answer.empty()) SetLastError(ERROR_INVALID_FUNCTION);
        if (answer.empty() || size <= answer.size()) return answer.empty() ? 0 : DWORD(answer.size() + 1);
        memcpy(buffer, answer.c_str(), answer.size() + 1);
        return static_cast<DWORD>(answer.size());
    };
    return calls;
}

// The system's file calls, but a final path that starts with `from` starts
// with `to` instead, as the system tells where a link further up, or a
// drive that `subst` made, really leads (Wine tells the path as opened).
inline io::FileCalls finalPathsMoved(const std::string& from, const std::string& to) {
    io::FileCalls calls = io::platformFileCalls();
    calls.finalPath = [from, to](HANDLE file, LPSTR buffer, DWORD size, DWORD flags) -> DWORD {
        char real[MAX_PATH] = "";
        std::string path(real, GetFinalPathNameByHandleA(file, real, MAX_PATH, flags));
        if (lstrcmpiA(path.substr(0, from.size()).c_str(), from.c_str()) == 0) path = to + path.substr(from.size());
        if (size <= path.size()) return DWORD(path.size() + 1);
        memcpy(buffer, path.c_str(), path.size() + 1);
        return DWORD(path.size());
    };
    return calls;
}

#ifdef VANTREL_TEST_TIME_FACTOR
// How long a program may take to start, or a run of the runner to end, at
// most: a bound no loaded, emulated host reaches.
const DWORD kSlowest = 60000 * VANTREL_TEST_TIME_FACTOR;
#endif

// Whether this runs under Wine, which the Wine runner prepares (links,
// its drive Z:) and which some tests need.
inline bool runsUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Whether a test may change what belongs to Windows itself (its folders,
// the restart's list): under Wine, whose prefix is the test's, or on a
// machine declared disposable with VANTREL_DISPOSABLE_MACHINE=1.
inline bool mayChangeWindows() {
    const char* disposable = std::getenv("VANTREL_DISPOSABLE_MACHINE");
    return runsUnderWine() || (disposable && std::string(disposable) == "1");
}

#else
#include <unistd.h>
#endif

inline unsigned long processId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

inline std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh directory for one test, removed with all it holds.
class ScratchDirectory {
public:
    ScratchDirectory() {
        // The process id as well: a random_device may give every process
        // the same numbers, and tests run side by side in one temp folder.
        std::random_device random;
        static unsigned made = 0;
        root = std::filesystem::temp_directory_path() /
               ("vantrel-test-" + std::to_string(processId()) + "-" + std::to_string(++made) + "-" +
                std::to_string(random()));
        std::filesystem::create_directories(root);
    }

    // Creates the directory `name` (with its parents, in UTF-8) inside this one.
    std::string makeDirectory(const std::string& name) const {
        std::filesystem::create_directories(std::filesystem::u8path(path(name)));
        return path(name) + static_cast<char>(std::filesystem::path::preferred_separator);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        for (auto& entry : std::filesystem::recursive_directory_iterator(root, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    // The directory with its trailing separator.
    std::string directory() const {
        return root.string() + static_cast<char>(std::filesystem::path::preferred_separator);
    }
    std::string path(const std::string& name) const { return directory() + name; }

    std::string write(const std::string& name, const std::string& bytes) const {
        writeFile(path(name), bytes);
        return path(name);
    }

private:
    std::filesystem::path root;
};

#endif  // VANTREL_TESTS_TOOLS_TEST_SUPPORT_H_
