#include "system/io.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <new>

namespace io {

const std::string CR = "\r";
const std::string LF = "\n";

IOException::IOException(const std::string& message) : RuntimeException(message) {}

FileNotFoundException::FileNotFoundException(const std::string& message, bool presentButUnopenable)
    : IOException(message), presentButUnopenable(presentButUnopenable) {}

bool FileNotFoundException::isPresentButUnopenable() const { return presentButUnopenable; }

namespace {

// The loader's failure descriptions keep the words of the stream states
// they once were, which users may have seen in dialogs.
const char kFailbit[] = "ios::failbit set";
const char kBadbit[] = "ios::badbit set";

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
        problem = "the file is 4 GiB or larger";
    } else if (size > 0) {
        const std::size_t wanted = static_cast<std::size_t>(size);
        buffer.reset(new (std::nothrow) char[wanted]);
        if (!buffer)
            problem = "not enough memory to hold the file";
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

namespace {

// The whole content of `path` into `bytes`; false when it cannot be read.
bool readWhole(const std::string& path, std::string& bytes) {
    try {
        std::uint32_t length = 0;
        std::unique_ptr<char[]> buffer(loadFile(path, length));
        bytes.assign(buffer.get(), buffer ? length : 0);
        return true;
    } catch (const IOException&) {
        return false;
    }
}

bool replaceWithNewFile(const std::string& path, const std::string& bytes, const SaveCalls& calls) {
    const std::string fresh = calls.createFileBeside(path, "new");
    if (fresh.empty()) return false;
    if (calls.overwriteFile(fresh, bytes)) {
        const unsigned long error = calls.replaceFile(fresh, path);
        if (error == 0) return true;
        // The old file is gone and the new one is the only copy: it takes
        // the name, never the bin.
        if (error == kReplacementNotMoved) return calls.replaceFile(fresh, path) == 0;
    }
    std::remove(fresh.c_str());
    return false;
}

// A program that holds the file with read and write sharing but without
// delete sharing (as fopen does) refuses any replacement; writing in place
// still works.
bool writeInPlace(const std::string& path, const std::string& bytes, const SaveCalls& calls) {
    std::string old;
    if (!readWhole(path, old)) return false;
    const std::string backup = calls.createFileBeside(path, "bak");
    if (backup.empty()) return false;
    if (!calls.overwriteFile(backup, old)) {
        std::remove(backup.c_str());
        return false;
    }
    const bool saved = calls.overwriteFile(path, bytes);
    // A failed write is undone; the backup stays only where the file may
    // not hold the old bytes.
    std::string now;
    if (saved || calls.overwriteFile(path, old) || (readWhole(path, now) && now == old))
        std::remove(backup.c_str());
    return saved;
}

}  // namespace

bool saveFile(const std::string& path, const std::string& bytes, const SaveCalls& calls) {
    if (!mustWriteInPlace(path) && replaceWithNewFile(path, bytes, calls)) return true;
    return writeInPlace(path, bytes, calls);
}

}  // namespace io
