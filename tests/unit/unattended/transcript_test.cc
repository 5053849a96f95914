#include "unattended/transcript.h"

#include <gtest/gtest.h>
#include <io.h>

#include <cstdio>

#include <regex>

#include "tools/test_support.h"

namespace unattended {
namespace {

// A runner that hangs while it holds a shared log's turn costs the others a
// few seconds once, never the run.
TEST(TranscriptTest, AnotherWriterThatNeverLetsGoCostsSecondsOnceNotTheRun) {
    ScratchDirectory scratch;
    const std::string log = scratch.path("shared.log");
    Transcript transcript;
    ASSERT_EQ(0u, transcript.openLog(log).error);
    // Every byte from 4 GiB on, where writers take turns; none of the log's.
    io::ScopedHandle hung(CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    OVERLAPPED beyond = {};
    beyond.OffsetHigh = 1;
    ASSERT_TRUE(LockFileEx(hung.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, 0x3FFFFFFF, &beyond));
    const DWORD started = GetTickCount();
    transcript.log("written anyway\n");
    const DWORD waited = GetTickCount() - started;
    EXPECT_TRUE(waited >= 3000 && waited < 20000) << waited << " ms";
    const DWORD again = GetTickCount();
    transcript.log("and the next without waiting\n");
    EXPECT_LT(GetTickCount() - again, waited / 2);
    EXPECT_NE(std::string::npos, readFile(log).find(" written anyway\r\n")) << readFile(log);
    EXPECT_NE(std::string::npos, readFile(log).find(" and the next without waiting\r\n")) << readFile(log);
}

// On a file share an append is not one step: each block goes whole, in
// one write, where the log ends at its turn, so writers never mix their
// lines nor overwrite another's; every line carries its time.
TEST(TranscriptTest, EachBlockLandsWholeAtTheLogsEndAtItsTurn) {
    ScratchDirectory scratch;
    const std::string sharedLog = scratch.write("shared.log", "");
    // Another machine's runner, which took its turn before this one,
    // appends to the log just before this one asks where the end is.
    io::FileCalls grownByAnother = io::platformFileCalls();
    grownByAnother.size = [&](HANDLE file, PLARGE_INTEGER size) {
        io::ScopedHandle other(CreateFileA(sharedLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD written = 0;
        WriteFile(other.get(), "another\r\n", 9, &written, nullptr);
        return GetFileSizeEx(file, size);
    };
    Transcript transcript(grownByAnother);
    ASSERT_EQ(0u, transcript.openLog(sharedLog).error);
    transcript.log("first\nfirst too\n");
    transcript.log("second\n");
    EXPECT_TRUE(std::regex_match(readFile(sharedLog), std::regex("another\r\n[-0-9 :]{19} first\r\n[-0-9 :]{19} first too\r\n"
                                                                 "another\r\n[-0-9 :]{19} second\r\n")))
        << readFile(sharedLog);
}

// A log that cannot be written is said once on standard error, and the run
// goes on.
TEST(TranscriptTest, AFailedLogWriteIsSaidOnce) {
    ScratchDirectory scratch;
    const std::string errors = scratch.path("errors.txt");
    io::FileCalls fullVolume = io::platformFileCalls();
    fullVolume.write = [](HANDLE, LPCVOID, DWORD size, LPDWORD written, LPOVERLAPPED) {
        *written = size / 2;  // a torn write, as on a full volume
        SetLastError(ERROR_DISK_FULL);
        return TRUE;
    };
    Transcript transcript(fullVolume);
    ASSERT_EQ(0u, transcript.openLog(scratch.path("full.log")).error);
    std::fflush(stderr);
    const int saved = _dup(2);
    ASSERT_TRUE(std::freopen(errors.c_str(), "wb", stderr));
    transcript.log("first\n");
    transcript.log("second\n");
    std::fflush(stderr);
    _dup2(saved, 2);
    // Line ends as text mode makes them: LF before it turns each into CR LF.
    EXPECT_EQ("uninstall-unattended: the log could not be written; it may lack lines from here on\n" +
                  systemReason(ERROR_DISK_FULL) + "\n",
              readFile(errors));
}

}  // namespace
}  // namespace unattended
