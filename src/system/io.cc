#include "system/io.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <new>

namespace io {

const std::string CR = "\r";
const std::string LF = "\n";

IOException::IOException(const std::string& message) : RuntimeException(message) {}

FileNotFoundException::FileNotFoundException(const std::string& message, bool productRemains)
    : IOException(message), remains(productRemains) {}

bool FileNotFoundException::productRemains() const { return remains; }

const char kFailbit[] = "ios::failbit set";
const char kBadbit[] = "ios::badbit set";
const char kTooLarge[] = "the file is 4 GiB or larger";
const char kNoMemory[] = "not enough memory to hold the file";

namespace {

// 64-bit positions: a 32-bit long cannot tell a 4 GiB file from a small one.
#ifdef _WIN32
int seek(std::FILE* file, std::int64_t offset, int origin) { return _fseeki64(file, offset, origin); }
std::int64_t tell(std::FILE* file) { return _ftelli64(file); }
#else
int seek(std::FILE* file, std::int64_t offset, int origin) { return fseeko(file, offset, origin); }
std::int64_t tell(std::FILE* file) { return ftello(file); }
#endif

}  // namespace

char* loadFile(const std::string& fileName, std::uint32_t& length) {
    const std::string failure = "Could not load the file: " + fileName + ". Exception: ";
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) throw IOException(failure + kFailbit);
    const char* problem = nullptr;
    std::unique_ptr<char[]> buffer;
    const std::int64_t size = seek(file, 0, SEEK_END) == 0 ? tell(file) : -1;
    if (size < 0 || seek(file, 0, SEEK_SET) != 0) {
        problem = kFailbit;
    } else if (size > std::int64_t(std::numeric_limits<std::uint32_t>::max())) {
        problem = kTooLarge;
    } else if (size > 0) {
        const std::size_t wanted = static_cast<std::size_t>(size);
        buffer.reset(new (std::nothrow) char[wanted]);
        if (!buffer)
            problem = kNoMemory;
        else if (std::fread(buffer.get(), 1, wanted, file) != wanted)
            problem = std::ferror(file) ? kBadbit : kFailbit;
    }
    if (std::fclose(file) != 0 && !problem) problem = kBadbit;
    if (problem) throw IOException(failure + problem);
    length = static_cast<std::uint32_t>(size);
    return buffer.release();
}

bool fileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

}  // namespace io
