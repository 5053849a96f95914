// Arbitrary bytes as a path: directory and file name put together give the
// path without its quotes, and the directory ends in its last backslash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "commandline/command_line_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path(reinterpret_cast<const char*>(data), size);
    std::string unquoted;
    for (char c : path)
        if (c != '"') unquoted += c;
    const std::string directory = getPathDirectory(path);
    const std::string fileName = getPathFileName(path);
    if (directory + fileName != unquoted) std::abort();
    if (!directory.empty() && directory.back() != '\\') std::abort();
    if (fileName.find('\\') != std::string::npos) std::abort();
    return 0;
}
