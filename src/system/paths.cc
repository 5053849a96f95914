// Which folders are Windows' own, whether two spellings name one folder or
// file, and where an open file really lies.
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

bool Helpers::identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& identity) {
    io::ScopedHandle object(openAttributes(path));
    return object.valid() && GetFileInformationByHandle(object.get(), &identity);
}

std::string Helpers::getFinalPathOf(const std::string& path, FinalPathQuery query) {
    io::ScopedHandle object(openAttributes(path));
    return object.valid() ? getFinalPath(object.get(), query) : "";
}

bool Helpers::isSameObject(const BY_HANDLE_FILE_INFORMATION& x, const BY_HANDLE_FILE_INFORMATION& y) {
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

bool Helpers::isSameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION x, y;
    if (identify(first, x) && identify(second, y)) return isSameObject(x, y);
    return isSamePath(getLongFullPath(first), getLongFullPath(second));
}

bool Helpers::isSameDirectory(const std::string& first, const std::string& second) {
    return isSameFile(first.empty() ? ".\\" : first, second.empty() ? ".\\" : second);
}

std::string Helpers::getFinalPath(HANDLE file, FinalPathQuery query) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = query(file, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
        if (length == 0) return "";
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\" + path.substr(7);
            return path.compare(0, 4, "\\\\?\\") == 0 ? path.substr(4) : path;
        }
        buffer.resize(length);
    }
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

std::string Helpers::wow64Redirected(const std::string& folder) {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return folder;
    try {
        std::string spelled = folder;
        if (!spelled.empty() && spelled.back() != '\\') spelled += '\\';
        const std::string system = getSystemDirectory();
        if (isSamePath(spelled, system)) return getDirectory(GetSystemWow64DirectoryA);
        if (isSamePath(spelled, getWindowsDirectory() + "Sysnative\\")) return system;
    } catch (const exceptions::Exception&) {
        // No system folder to tell by: as it is.
    }
    return folder;
}
