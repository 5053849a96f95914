#include "system/io.h"

#include <fstream>
#include <limits>
#include <memory>
#include <new>

namespace io {

const std::string CR = "\r";
const std::string LF = "\n";

IOException::IOException(const std::string& message) : RuntimeException(message) {}

namespace {

std::string describeState(std::ios_base::iostate state) {
    if (state & std::ios_base::badbit) return "ios::badbit set";
    if (state & std::ios_base::failbit) return "ios::failbit set";
    return "ios::eofbit set";
}

}  // namespace

char* loadFile(const std::string& fileName, std::uint32_t& length) {
    const std::string failure = "Could not load the file: " + fileName + ". Exception: ";
    std::ifstream file;
    file.exceptions(std::ios_base::badbit | std::ios_base::failbit | std::ios_base::eofbit);
    std::unique_ptr<char[]> buffer;
    try {
        file.open(fileName.c_str(), std::ios_base::in | std::ios_base::binary);
        file.seekg(0, std::ios_base::end);
        const std::streamoff size = file.tellg();
        // A 32-bit length would silently truncate a larger file.
        if (size > std::streamoff(std::numeric_limits<std::uint32_t>::max()))
            throw IOException(failure + "the file is 4 GiB or larger");
        length = static_cast<std::uint32_t>(size);
        if (length == 0) {
            file.close();
            return nullptr;
        }
        file.seekg(0, std::ios_base::beg);
        buffer.reset(new (std::nothrow) char[length]);
        if (!buffer) {
            length = 0;
            return nullptr;
        }
        file.read(buffer.get(), length);
        file.close();
    } catch (const std::ios_base::failure&) {
        throw IOException(failure + describeState(file.rdstate()));
    }
    return buffer.release();
}

bool fileExists(const std::string& path) {
    std::ifstream file(path.c_str(), std::ios_base::in | std::ios_base::binary);
    return file.is_open();
}

}  // namespace io
