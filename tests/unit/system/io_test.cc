#include "system/io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tools/test_support.h"

namespace {

// Every byte as stored, NUL and CR included, is read through the parser's
// table; here, what cannot be read.
TEST(LoadFileTest, FailureNamesTheFileAndWhy) {
    ScratchDirectory scratch;
    struct Case {
        std::string name;
        unsigned long long size;  // made sparse, so it costs no disk
        std::string why;
    };
    std::vector<Case> errors = {
        {"missing.txt", 0, "ios::failbit set"},
        {scratch.path("missing.txt"), 0, "ios::failbit set"},
    };
#ifdef _WIN32  // POSIX opens directories; a 64-bit process can hold these
    errors.push_back({scratch.directory(), 0, "ios::failbit set"});
    errors.push_back({scratch.path("4 GiB - 1"), 0xFFFFFFFFull, "not enough memory to hold the file"});
#endif
    errors.push_back({scratch.path("4 GiB + 3"), 0x100000003ull, "the file is 4 GiB or larger"});
    for (const Case& c : errors) {
        if (c.size) {
            writeFile(c.name, "");
            std::filesystem::resize_file(c.name, c.size);
        }
        EXPECT_EQ("Could not load the file: " + c.name + ". Exception: " + c.why,
                  thrownMessage<io::IOException>([&] {
                      std::uint32_t length = 0;
                      delete[] io::loadFile(c.name, length);
                  }));
    }
}

}  // namespace
