#include <algorithm>

#include <windows.h>

#include "system/handle.h"
#include "system/io.h"

namespace io {

std::string createFileBeside(const std::string& path) {
    const std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    char name[MAX_PATH];
    if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "vtc", 0, name)) return "";
    return name;
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

bool replaceFile(const std::string& source, const std::string& target) {
    if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    // A replacement needs the right to delete the target. It is asked for
    // first, because a refused ReplaceFileA can leave a stray file of its
    // own in the folder (seen under Wine).
    if (!ScopedHandle(CreateFileA(target.c_str(), DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr))
             .valid())
        return false;
    // It keeps the target's attributes, security descriptor and streams.
    return ReplaceFileA(target.c_str(), source.c_str(), nullptr, 0, nullptr, nullptr);
}

}  // namespace io
