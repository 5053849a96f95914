// Whole-file loading and the test whether a file can be opened.
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
    // `productRemains`: something of the product is still there (a file of
    // that name that could not be opened, held without sharing or without
    // rights; or the product's other file).
    FileNotFoundException(const std::string& message, bool productRemains);

    // Whether something of the product is still there: then the failure is
    // no "not installed".
    bool productRemains() const;

private:
    bool remains;
};

extern const std::string CR;
extern const std::string LF;

// Why a file could not be loaded, in the words users have seen in dialogs
// (the first two are the stream states they once were): it could not be
// opened or read, or read to its end; it is too large; it does not fit.
extern const char kFailbit[];
extern const char kBadbit[];
extern const char kTooLarge[];
extern const char kNoMemory[];

// Reads the whole file in binary into a new[] buffer of exactly its length,
// owned by the caller; null with length 0 for an empty file. Throws
// IOException when the file cannot be read, is 4 GiB or larger, or does not
// fit in memory.
char* loadFile(const std::string& fileName, std::uint32_t& length);

// Whether the file can be opened for reading in binary mode.
bool fileExists(const std::string& path);

}  // namespace io

#endif  // VANTREL_SYSTEM_IO_H_
