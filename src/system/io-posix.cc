#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "system/io.h"

namespace io {

std::string createFileBeside(const std::string& path) {
    std::string name = path + ".XXXXXX";
    const int file = mkstemp(&name[0]);
    if (file < 0) return "";
    close(file);
    return name;
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

bool replaceFile(const std::string& source, const std::string& target) {
    return std::rename(source.c_str(), target.c_str()) == 0;
}

}  // namespace io
