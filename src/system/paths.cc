#include "system/paths.h"

#include "system/handle.h"
#include "system/text.h"

namespace io {

namespace {

// Opens a file or folder to read its attributes only, with all sharing:
// how others hold it must not decide what is learnt of it.
HANDLE openAttributes(const std::string& path) {
    return CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kAllSharing, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

std::string getFullPath(const std::string& path) {
    std::string full;
    return queryText([&](char* buffer, DWORD size) { return GetFullPathNameA(path.c_str(), size, buffer, nullptr); },
                     full)
               ? path
               : full;
}

std::string getLongFullPath(const std::string& path) {
    const std::string full = getFullPath(path);
    std::string longPath;
    return queryText([&](char* buffer, DWORD size) { return GetLongPathNameA(full.c_str(), buffer, size); }, longPath)
               ? full
               : longPath;
}

bool isSamePath(const std::string& first, const std::string& second) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, first.data(), static_cast<int>(first.size()),
                          second.data(), static_cast<int>(second.size())) == CSTR_EQUAL;
}

bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& identity) {
    ScopedHandle object(openAttributes(path));
    return object.valid() && GetFileInformationByHandle(object.get(), &identity);
}

bool isSameObject(const BY_HANDLE_FILE_INFORMATION& x, const BY_HANDLE_FILE_INFORMATION& y) {
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

bool isSameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION x, y;
    if (identify(first, x) && identify(second, y)) return isSameObject(x, y);
    return isSamePath(getLongFullPath(first), getLongFullPath(second));
}

bool isSameDirectory(const std::string& first, const std::string& second) {
    return isSameFile(first.empty() ? ".\\" : first, second.empty() ? ".\\" : second);
}

std::string getFinalPath(HANDLE file, const FileCalls& calls) {
    std::string path;
    if (queryText([&](char* buffer, DWORD size) { return calls.finalPath(file, buffer, size, 0); }, path)) return "";
    if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\" + path.substr(7);
    return path.compare(0, 4, "\\\\?\\") == 0 ? path.substr(4) : path;
}

std::string getFinalPathOf(const std::string& path, const FileCalls& calls) {
    ScopedHandle object(openAttributes(path));
    return object.valid() ? getFinalPath(object.get(), calls) : "";
}

}  // namespace io
