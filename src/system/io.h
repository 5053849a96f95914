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

// Raised by the file search when no directory holds a file it can open.
class FileNotFoundException : public IOException {
public:
    // `presentButUnopenable`: some searched place holds a file of that name
    // that could not be opened (held without sharing, no rights).
    FileNotFoundException(const std::string& message, bool presentButUnopenable);

    // Whether the file is there but could not be opened: then the product
    // is installed, and the failure is no "not installed".
    bool isPresentButUnopenable() const;

private:
    bool presentButUnopenable;
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

// The system calls of a save, so that a test can make one fail as the
// system documents it. The platform's own are platformSaveCalls().
struct SaveCalls {
    // A new, empty file with a unique name beside `path`: the path, a dot,
    // a unique part, a dot and `kind`; "" when none can be made.
    std::string (*createFileBeside)(const std::string& path, const char* kind);
    // Writes `bytes` over the existing file's content, to disk; false on
    // failure.
    bool (*overwriteFile)(const std::string& path, const std::string& bytes);
    // Puts `source` in the place of `target`, which may be missing: 0, or
    // the system's error code.
    unsigned long (*replaceFile)(const std::string& source, const std::string& target);
};

// The platform's save calls (io-win32.cc, io-posix.cc).
const SaveCalls& platformSaveCalls();

// ReplaceFileA's error when the old file is gone and the new one still has
// its temporary name.
const unsigned long kReplacementNotMoved = 1176;

// Whether a save must write into the file itself instead of replacing it:
// when it is a link or has other names, which a replacement would cut off.
bool mustWriteInPlace(const std::string& path);

// Makes `bytes` the whole content of `path`, creating it when missing.
// Replaces the file in one step with a new one written beside it
// ("PATH.N.new"). Where that is refused (a program holds the file without
// delete sharing) or would cut off a link, writes in place, with the old
// bytes first saved beside it ("PATH.N.bak") until the new ones are on disk.
// False when neither works; the file then keeps its old bytes. Interrupted
// at any point, the file holds the old or the new bytes, or the old bytes
// lie whole in the .bak file.
bool saveFile(const std::string& path, const std::string& bytes,
              const SaveCalls& calls = platformSaveCalls());

}  // namespace io

#endif  // VANTREL_SYSTEM_IO_H_
