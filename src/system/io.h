// Whole-file loading, the test whether a file can be opened, and the atomic
// replacement of a file: the file services that need no Windows-only call
// except the replacement, which has one file per platform.
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

extern const std::string CR;
extern const std::string LF;

// Reads the whole file in binary into a new[] buffer of exactly its length,
// owned by the caller; null with length 0 for an empty file or when the
// buffer cannot be allocated. Throws IOException when the file cannot be
// read or is 4 GiB or larger.
char* loadFile(const std::string& fileName, std::uint32_t& length);

// Whether the file can be opened for reading in binary mode.
bool fileExists(const std::string& path);

// Replaces `target` by `source` in one step (the source's name is gone
// afterwards); false when the system refuses, with both files left as they were.
bool replaceFile(const std::string& source, const std::string& target);

}  // namespace io

#endif  // VANTREL_SYSTEM_IO_H_
