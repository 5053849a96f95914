// Which folders are Windows' own, and whether two spellings name one folder.
#include <vector>

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

// The volume and file index of a folder: equal for every path that reaches
// it, through links and drive letters too. False when it cannot be opened.
bool identify(const std::string& directory, BY_HANDLE_FILE_INFORMATION& identity) {
    // Reading attributes with all sharing: how others hold the folder must
    // not decide the answer.
    ScopedHandle folder(CreateFileA(directory.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return folder.valid() && GetFileInformationByHandle(folder.get(), &identity);
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

bool Helpers::isSameDirectory(const std::string& first, const std::string& second) {
    const std::string a = first.empty() ? ".\\" : first;
    const std::string b = second.empty() ? ".\\" : second;
    BY_HANDLE_FILE_INFORMATION x, y;
    if (identify(a, x) && identify(b, y))
        return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
               x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
    return isSamePath(getLongFullPath(a), getLongFullPath(b));
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
