#include "system/io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tools/test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string load(const std::string& path) {
    std::uint32_t length = 12345;
    std::unique_ptr<char[]> buffer(io::loadFile(path, length));
    EXPECT_EQ(length == 0, buffer == nullptr);
    return std::string(buffer.get(), buffer ? length : 0);
}

TEST(LoadFileTest, GivesEveryByteAsStored) {
    const std::string cases[] = {
        "",
        "A 1\r\nB 2\r\n",
        "A 1\nB 2",
        std::string("a\0b\0\0c", 6),
        std::string(100000, '\r'),
    };
    ScratchDirectory scratch;
    for (const std::string& bytes : cases)
        EXPECT_EQ(bytes, load(scratch.write("file", bytes))) << bytes.size() << " bytes";
}

TEST(LoadFileTest, FileThatCannotBeOpenedIsFailbit) {
    ScratchDirectory scratch;
    const std::string errors[] = {
        "missing.txt", scratch.path("missing.txt"),
#ifdef _WIN32
        scratch.directory(),  // POSIX opens directories for reading
#endif
    };
    for (const std::string& name : errors)
        EXPECT_EQ("Could not load the file: " + name + ". Exception: ios::failbit set",
                  thrownMessage<io::IOException>([&] { load(name); }));
}

TEST(LoadFileTest, FileOf4GiBIsRefusedNotTruncated) {
    ScratchDirectory scratch;
    const std::string path = scratch.write("huge", "");
    std::filesystem::resize_file(path, 0x100000000ull + 3);  // sparse: costs no disk
    EXPECT_EQ("Could not load the file: " + path + ". Exception: the file is 4 GiB or larger",
              thrownMessage<io::IOException>([&] { load(path); }));
}

TEST(FileExistsTest, TrueOnlyForFilesThatOpen) {
    ScratchDirectory scratch;
    scratch.write("empty", "");
    scratch.write("readonly", "x");
    std::filesystem::permissions(scratch.path("readonly"), std::filesystem::perms::owner_read);
    EXPECT_TRUE(io::fileExists(scratch.path("empty")));
    EXPECT_TRUE(io::fileExists(scratch.path("readonly")));
    EXPECT_FALSE(io::fileExists(scratch.path("missing")));
#ifdef _WIN32
    EXPECT_FALSE(io::fileExists(scratch.directory()));  // POSIX opens directories for reading
#endif
}

#ifdef _WIN32
TEST(FileExistsTest, FalseForFileHeldWithoutReadSharing) {
    ScratchDirectory scratch;
    const std::string path = scratch.write("held", "x");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(io::fileExists(path));
    CloseHandle(held);
    EXPECT_TRUE(io::fileExists(path));
}
#endif

}  // namespace
