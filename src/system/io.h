// Whole-file loading, the test whether a file can be opened, and the safe
// rewriting of a file. The rewrite's system calls live in one file per
// platform (io-win32.cc, io-posix.cc).
#ifndef VANTREL_SYSTEM_IO_H_
#define VANTREL_SYSTEM_IO_H_

#include <cstdint>
#include <string>

#include "exceptions/exception.h"

namespace io {

// Raised when a file cannot be found, loaded or deleted.
class IOException : public exceptions::RuntimeException {
public:
    explicit IOException(const std::string& message);
};

// Raised by the file search when no directory holds the file.
class FileNotFoundException : public IOException {
public:
    explicit FileNotFoundException(const std::string& message);
};

extern const std::string CR;
extern const std::string LF;

// Reads the whole file in binary into a new[] buffer of exactly its length,
// owned by the caller; null with length 0 for an empty file. Throws
// IOException when the file cannot be read, is 4 GiB or larger, or does not
// fit in memory.
char* loadFile(const std::string& fileName, std::uint32_t& length);

// Whether the file can be opened for reading in binary mode.
bool fileExists(const std::string& path);

// Makes `bytes` the whole content of `path`, creating it when missing:
// through a new file beside it that replaces it in one step, or, when the
// replacement is refused (a program holds the file with read and write
// sharing), by writing in place. False when neither works; the file then
// keeps its old bytes and no other file is left behind.
bool saveFile(const std::string& path, const std::string& bytes);

// The platform's part of saveFile.
// A new, empty file with a unique name in the folder of `path`; "" when none
// can be made.
std::string createFileBeside(const std::string& path);
// Writes `bytes` over the existing file's content, to disk; false on failure.
bool overwriteFile(const std::string& path, const std::string& bytes);
// Puts `source` in the place of `target`, which may be missing.
bool replaceFile(const std::string& source, const std::string& target);

}  // namespace io

#endif  // VANTREL_SYSTEM_IO_H_
