#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "system/io.h"

namespace io {

namespace {

std::string createFileBeside(const std::string& path, const char* kind) {
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const std::string name =
            path + "." + std::to_string(getpid()) + "x" + std::to_string(attempt) + "." + kind;
        const int file = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (file >= 0) {
            close(file);
            return name;
        }
        if (errno != EEXIST) break;
    }
    return "";
}

bool overwriteFile(const std::string& path, const std::string& bytes) {
    const int file = open(path.c_str(), O_WRONLY);
    if (file < 0) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t written = write(file, bytes.data() + done, bytes.size() - done);
        ok = written > 0;
        done += ok ? static_cast<std::size_t>(written) : 0;
    }
    ok = ok && ftruncate(file, static_cast<off_t>(bytes.size())) == 0 && fsync(file) == 0;
    return close(file) == 0 && ok;
}

unsigned long replaceFile(const std::string& source, const std::string& target) {
    return std::rename(source.c_str(), target.c_str()) == 0 ? 0 : static_cast<unsigned long>(errno);
}

}  // namespace

const SaveCalls& platformSaveCalls() {
    static const SaveCalls calls = {createFileBeside, overwriteFile, replaceFile};
    return calls;
}

bool mustWriteInPlace(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0 && (S_ISLNK(status.st_mode) || status.st_nlink > 1);
}

}  // namespace io
