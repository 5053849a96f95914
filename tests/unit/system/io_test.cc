#include "system/io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
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
    // Only a 32-bit process runs out of address space for these.
    if (sizeof(void*) == 4) errors.push_back({scratch.path("4 GiB - 1"), 0xFFFFFFFFull, "not enough memory to hold the file"});
    for (const LoadError& c : errors) expectLoadError(c);
}

}  // namespace

// The save's system calls failing as the system documents they can.
namespace fake {

int overwrites = 0;
int replaces = 0;
std::string target;
int halfWrites = 0;
bool backedUpWhenWritten = false;

// Writes, first noting whether the file's old bytes lie whole in a backup
// beside it (what a crash now would leave); the file's first `halfWrites`
// writes stop halfway: a full disk.
bool overwriteWatched(const std::string& path, const std::string& bytes) {
    const auto overwrite = io::platformSaveCalls().overwriteFile;
    if (path != target) return overwrite(path, bytes);
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        found |= entry.path().extension() == ".bak" && readFile(entry.path().string()) == "old bytes";
    backedUpWhenWritten &= found;
    if (overwrites++ >= halfWrites) return overwrite(path, bytes);
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
    const io::SaveCalls inPlace = {real.createFileBeside, fake::overwriteWatched, fake::refuse};
    // `taken`: the first names a save would make beside the file belong to
    // others; `backupKept`: the file may not hold the old bytes, so the
    // backup stays.
    const struct { const char* name; io::SaveCalls calls; int halfWrites; bool taken, saved; std::string bytes; bool backupKept; } cases[] = {
        {"in place, the write fails halfway: the old bytes go back", inPlace, 1, false, false, "old bytes", false},
        {"in place, putting the old bytes back fails too: the backup stays", inPlace, 2, false, false, "old ", true},
        {"replaced, the new file keeps its temporary name: it takes the file's", {real.createFileBeside, real.overwriteFile, fake::replaceLeavingOnlyTheNewFile}, 0, false, true, "new bytes, longer", false},
        {"replaced, the first names beside it are others': the next ones serve", real, 0, true, true, "new bytes, longer", false},
        {"in place: the old bytes lie beside it while it is written", inPlace, 0, true, true, "new bytes, longer", false},
    };
    for (const auto& c : cases) {
        ScratchDirectory scratch;
        fake::target = scratch.write("config.txt", "old bytes");
        std::multiset<std::string> expected = {"config.txt"};
        for (const char* kind : {"new", "bak"}) {
            if (!c.taken) continue;
            const std::string name = real.createFileBeside(fake::target, kind);
            writeFile(name, "another's bytes");
            expected.insert(std::filesystem::path(name).filename().string());
        }
        fake::overwrites = fake::replaces = 0;
        fake::backedUpWhenWritten = true;
        fake::halfWrites = c.halfWrites;
        EXPECT_EQ(c.saved, io::saveFile(fake::target, "new bytes, longer", c.calls)) << c.name;
        EXPECT_TRUE(fake::backedUpWhenWritten) << c.name;
        EXPECT_EQ(c.bytes, readFile(fake::target)) << c.name;
        // No temporary file is left beside it, nor a backup that is not
        // needed; another's file keeps its bytes.
        std::multiset<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch.directory())) {
            const std::string bytes = readFile(entry.path().string());
            const bool backup = entry.path().extension() == ".bak" && bytes == "old bytes";
            names.insert(backup ? "(backup)" : entry.path().filename().string());
            EXPECT_TRUE(backup || bytes == c.bytes || bytes == "another's bytes") << c.name << ": " << entry.path();
        }
        if (c.backupKept) expected.insert("(backup)");
        EXPECT_EQ(expected, names) << c.name;
    }
}
