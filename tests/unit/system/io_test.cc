#include "system/io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tools/test_support.h"

namespace {

// The file is made `size` bytes long first, sparse, so it costs no disk.
struct LoadError { std::string name; unsigned long long size; std::string why; };

void expectLoadError(const LoadError& c) {
    if (c.size) {
        writeFile(c.name, "");
        std::filesystem::resize_file(c.name, c.size);
    }
    try {
        std::uint32_t length = 0;
        delete[] io::loadFile(c.name, length);
        ADD_FAILURE() << c.name << ": nothing thrown";
    } catch (const io::IOException& e) {
        EXPECT_EQ("Could not load the file: " + c.name + ". Exception: " + c.why, e.getMessage());
    }
}

// Every byte as stored, NUL and CR included, is read through the parser's
// table; here, what cannot be read.
TEST(LoadFileTest, FailureNamesTheFileAndWhy) {
    ScratchDirectory scratch;
    std::vector<LoadError> errors = {
        {scratch.path("missing.txt"), 0, "ios::failbit set"},
        {scratch.path("4 GiB + 3"), 0x100000003ull, "the file is 4 GiB or larger"},
    };
#ifdef _WIN32  // POSIX opens directories
    errors.push_back({scratch.directory(), 0, "ios::failbit set"});
#endif
    for (const LoadError& c : errors) expectLoadError(c);
}

#ifdef _WIN32
TEST(LoadFileTest, FileTheAddressSpaceCannotHoldIsNotEnoughMemory) {
    if (sizeof(void*) != 4)
        GTEST_SKIP() << "only a 32-bit process runs out of address space for 4 GiB - 1 bytes; "
                        "the 32-bit programs' run has this row";
    ScratchDirectory scratch;
    expectLoadError({scratch.path("4 GiB - 1"), 0xFFFFFFFFull, "not enough memory to hold the file"});
}
#endif

}  // namespace

// The save's system calls failing as the system documents they can.
namespace fake {

int overwrites = 0;
int replaces = 0;
std::string target;
bool halfOnce = false;
bool backedUpWhenWritten = false;

// Writes, first noting whether the file's old bytes lie whole in a backup
// beside it (what a crash now would leave); with `halfOnce`, the file's
// first write stops halfway: a full disk.
bool overwriteWatched(const std::string& path, const std::string& bytes) {
    const auto overwrite = io::platformSaveCalls().overwriteFile;
    if (path != target) return overwrite(path, bytes);
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        found |= entry.path().extension() == ".bak" && readFile(entry.path().string()) == "old bytes";
    backedUpWhenWritten &= found;
    if (!halfOnce || overwrites++ > 0) return overwrite(path, bytes);
    overwrite(path, bytes.substr(0, bytes.size() / 2));
    return false;
}

// Refused, as while a program holds the file without delete sharing.
unsigned long refuse(const std::string&, const std::string&) { return 32; }

// ReplaceFileA's error 1176: the old file is gone, the new one keeps its
// temporary name (a scanner holding it, say).
unsigned long replaceLeavingOnlyTheNewFile(const std::string& source, const std::string& path) {
    if (replaces++ > 0) return io::platformSaveCalls().replaceFile(source, path);
    std::remove(path.c_str());
    return io::kReplacementNotMoved;
}

}  // namespace fake

TEST(SaveFileTest, NothingIsLostWhenAStepFailsAsTheSystemSays) {
    const io::SaveCalls real = io::platformSaveCalls();
    const struct { const char* name; io::SaveCalls calls; bool halfOnce, saved; std::string bytes; } cases[] = {
        {"in place, the write fails halfway: the old bytes go back", {real.createFileBeside, fake::overwriteWatched, fake::refuse}, true, false, "old bytes"},
        {"replaced, the new file keeps its temporary name: it takes the file's", {real.createFileBeside, real.overwriteFile, fake::replaceLeavingOnlyTheNewFile}, false, true, "new bytes, longer"},
        {"in place: the old bytes lie beside it while it is written", {real.createFileBeside, fake::overwriteWatched, fake::refuse}, false, true, "new bytes, longer"},
    };
    for (const auto& c : cases) {
        ScratchDirectory scratch;
        fake::target = scratch.write("config.txt", "old bytes");
        fake::overwrites = fake::replaces = 0;
        fake::backedUpWhenWritten = true;
        fake::halfOnce = c.halfOnce;
        EXPECT_EQ(c.saved, io::saveFile(fake::target, "new bytes, longer", c.calls)) << c.name;
        EXPECT_TRUE(fake::backedUpWhenWritten) << c.name;
        EXPECT_EQ(c.bytes, readFile(fake::target)) << c.name;
        // No backup, no temporary file is left beside it.
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch.directory()))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(std::vector<std::string>{"config.txt"}, names) << c.name;
    }
}
