#include <algorithm>
#include <cstdio>

#include <windows.h>

#include "system/handle.h"
#include "system/helpers.h"
#include "system/io.h"

namespace io {

namespace {

const DWORD kAllSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string createFileBeside(const std::string& path, const char* kind) {
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        char unique[32];
        std::snprintf(unique, sizeof unique, ".%lx%x.", GetCurrentProcessId(), attempt);
        const std::string name = path + unique + kind;
        ScopedHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) return name;
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return "";
}

bool overwriteFile(const std::string& path, const std::string& bytes) {
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return SetEndOfFile(file.get()) && FlushFileBuffers(file.get());
}

unsigned long replaceFile(const std::string& source, const std::string& target) {
    if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : GetLastError();
    // A replacement needs the right to delete the target. It is asked for
    // first, because a refused ReplaceFileA can leave a stray file of its
    // own in the folder (seen under Wine).
    ScopedHandle deletable(CreateFileA(target.c_str(), DELETE, kAllSharing, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!deletable.valid()) return GetLastError();
    deletable.reset(nullptr);
    // It keeps the target's attributes, security descriptor and streams.
    return ReplaceFileA(target.c_str(), source.c_str(), nullptr, 0, nullptr, nullptr) ? 0 : GetLastError();
}

}  // namespace

const SaveCalls& platformSaveCalls() {
    static const SaveCalls calls = {createFileBeside, overwriteFile, replaceFile};
    return calls;
}

bool mustWriteInPlace(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    ScopedHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kAllSharing, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) return false;
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(file.get(), &information) && information.nNumberOfLinks > 1) return true;
    // Wine shows a Unix symbolic link as a plain file; where it leads tells.
    const std::string target = Helpers::getFinalPath(file.get());
    return !target.empty() && !Helpers::isSamePath(target, Helpers::getLongFullPath(path));
}

}  // namespace io
