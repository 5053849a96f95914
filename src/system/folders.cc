// Which folders are Windows' own, whether two spellings name one folder or
// file, and whether a found file is reached through a link.
#include <vector>

#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/handle.h"
#include "system/helpers.h"

namespace {

// Calls a path function shaped like GetFullPathNameA until its buffer is
// large enough; gives `path` back unchanged when the call fails.
template <typename Call>
std::string expandPath(const std::string& path, Call call) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD result = call(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (result == 0) return path;
        if (result < buffer.size()) return std::string(buffer.data(), result);
        buffer.resize(result);
    }
}

// Opens a file or folder to read its attributes only, with all sharing:
// how others hold it must not decide what is learnt of it.
HANDLE openAttributes(const std::string& path) {
    return CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The volume and file index of a file or folder: equal for every path that
// reaches it, through links and drive letters too. False when it cannot be
// opened.
bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& identity) {
    ScopedHandle file(openAttributes(path));
    return file.valid() && GetFileInformationByHandle(file.get(), &identity);
}

// Why a change through `path` would not stay with that one file; "" when it
// would. `error` is the system's code of a failed open, 0 otherwise.
std::string linkProblem(const std::string& path, DWORD& error) {
    error = 0;
    ScopedHandle file(openAttributes(path));
    BY_HANDLE_FILE_INFORMATION information;
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &information)) {
        error = GetLastError();
        return path + " cannot be checked for links.";
    }
    if (information.nNumberOfLinks > 1)
        return path + " has " + std::to_string(information.nNumberOfLinks) +
               " names (hard links); a change to it would reach every one of them.";
    const std::string final = Helpers::getFinalPath(file.get());
    if (final.empty()) {
        error = GetLastError();
        return path + " cannot be checked for links: where it leads is unknown.";
    }
    // A folder link on the way keeps the file in the folder it was found
    // in; a link to another name or folder does not.
    if (!Helpers::isSamePath(getPathFileName(final), getPathFileName(path)) ||
        !Helpers::isSameFile(getPathDirectory(final), getPathDirectory(Helpers::getFullPath(path))))
        return path + " is a link to " + final + ".";
    return "";
}

}  // namespace

std::string Helpers::getFullPath(const std::string& path) {
    return expandPath(path, [](const char* name, char* buffer, DWORD size) {
        return GetFullPathNameA(name, size, buffer, nullptr);
    });
}

std::string Helpers::getLongFullPath(const std::string& path) {
    return expandPath(getFullPath(path), [](const char* name, char* buffer, DWORD size) {
        return GetLongPathNameA(name, buffer, size);
    });
}

bool Helpers::isSamePath(const std::string& first, const std::string& second) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, first.data(), static_cast<int>(first.size()),
                          second.data(), static_cast<int>(second.size())) == CSTR_EQUAL;
}

bool Helpers::isSameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION x, y;
    if (identify(first, x) && identify(second, y))
        return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
               x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
    return isSamePath(getLongFullPath(first), getLongFullPath(second));
}

bool Helpers::isSameDirectory(const std::string& first, const std::string& second) {
    return isSameFile(first.empty() ? ".\\" : first, second.empty() ? ".\\" : second);
}

std::string Helpers::getFinalPath(HANDLE file) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleA(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
        if (length == 0) return "";
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\" + path.substr(7);
            return path.compare(0, 4, "\\\\?\\") == 0 ? path.substr(4) : path;
        }
        buffer.resize(length);
    }
}

void Helpers::checkNotLinked(const std::string& path) {
    DWORD error = 0;
    const std::string problem = linkProblem(path, error);
    if (problem.empty()) return;
    throw exceptions::Exception(problem + " The uninstaller does not change files through links, so nothing was changed.\n" +
                                (error != 0 ? getErrorMessage(static_cast<int>(error)) : ""));
}

std::vector<std::string> Helpers::getSystemDirectories() {
    std::vector<std::string> directories{getSystemDirectory()};
    // Both exist only on 64-bit Windows; elsewhere they are skipped.
    try {
        directories.push_back(getDirectory(GetSystemWow64DirectoryA));
    } catch (const exceptions::Exception&) {
    }
    try {
        const std::string sysnative = getWindowsDirectory() + "Sysnative\\";
        const DWORD attributes = GetFileAttributesA(sysnative.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            directories.push_back(sysnative);
    } catch (const exceptions::Exception&) {
    }
    return directories;
}
