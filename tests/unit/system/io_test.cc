#include "system/io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "tools/test_support.h"

namespace {

std::string load(const std::string& path) {
    std::uint32_t length = 12345;
    std::unique_ptr<char[]> buffer(io::loadFile(path, length));
    EXPECT_EQ(length == 0, buffer == nullptr);
    return std::string(buffer.get(), buffer ? length : 0);
}

TEST(LoadFileTest, GivesEveryByteAsStored) {
    const std::string cases[] = {"", "A 1\r\nB 2", std::string("a\0b\0\0c", 6), std::string(100000, '\r')};
    ScratchDirectory scratch;
    for (const std::string& bytes : cases)
        EXPECT_EQ(bytes, load(scratch.write("file", bytes))) << bytes.size() << " bytes";
}

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
                  thrownMessage<io::IOException>([&] { load(c.name); }));
    }
}

}  // namespace
