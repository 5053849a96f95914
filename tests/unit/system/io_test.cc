#include "system/io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tools/test_support.h"

namespace {

// Every byte as stored, NUL and CR included, is read through the parser's
// table; here, what cannot be read. Each file is made its size first,
// sparse, so it costs no disk.
TEST(LoadFileTest, FailureNamesTheFileAndWhy) {
    ScratchDirectory scratch;
    struct LoadError { std::string name; unsigned long long size; std::string why; };
    std::vector<LoadError> errors = {
        {scratch.path("missing.txt"), 0, "ios::failbit set"},
        {scratch.path("4 GiB + 3"), 0x100000003ull, "the file is 4 GiB or larger"},
    };
#ifdef _WIN32  // POSIX opens directories
    errors.push_back({scratch.directory(), 0, "ios::failbit set"});
#endif
    // Only a 32-bit process runs out of address space for these.
    if (sizeof(void*) == 4) errors.push_back({scratch.path("4 GiB - 1"), 0xFFFFFFFFull, "not enough memory to hold the file"});
    for (const LoadError& c : errors) {
        if (c.size) {
            writeFile(c.name, "");
            std::filesystem::resize_file(c.name, c.size);
        }
        std::uint32_t length = 0;
        try {
            delete[] io::loadFile(c.name, length);
            ADD_FAILURE() << c.name << ": nothing thrown";
        } catch (const io::IOException& e) {
            EXPECT_EQ("Could not load the file: " + c.name + ". Exception: " + c.why, e.getMessage());
        }
    }
}

}  // namespace
