#include "unattended/transcript.h"

#include <gtest/gtest.h>
#include <io.h>

#include <cstdio>

#include <regex>
#include <sstream>
#include <thread>

#include "tools/test_support.h"

namespace {

std::string refusal;  // why a log is refused, which none here is

// Two runners appending to one log at once, as on a shared folder: each
// keeps the other's lines whole, and every line carries its time.
TEST(TranscriptTest, WritersSharingALogNeverMixTheirLines) {
    ScratchDirectory scratch;
    const std::string log = scratch.write("shared.log", "an earlier run\r\n");
    auto writer = [&](char mark) {
        Transcript transcript;
        ASSERT_EQ(0u, transcript.openLog(log, refusal));
        for (int i = 0; i < 200; ++i) transcript.log(std::string(300, mark) + "\n" + std::string(300, mark) + "\n");
    };
    std::thread first(writer, 'a'), second(writer, 'b');
    first.join();
    second.join();

    std::istringstream lines(readFile(log));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ("an earlier run\r", line);
    int count = 0;
    for (; std::getline(lines, line); ++count)
        ASSERT_TRUE(std::regex_match(line, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d (a{300}|b{300})\r"))) << line;
    EXPECT_EQ(800, count);
}

// A runner that hangs while it holds a shared log's turn costs the others a
// few seconds once, never the run.
TEST(TranscriptTest, AnotherWriterThatNeverLetsGoCostsSecondsOnceNotTheRun) {
    ScratchDirectory scratch;
    const std::string log = scratch.path("shared.log");
    Transcript transcript;
    ASSERT_EQ(0u, transcript.openLog(log, refusal));
    // Every byte from 4 GiB on, where writers take turns; none of the log's.
    ScopedHandle hung(CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
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

std::string sharedLog;

// Another machine's runner, which took its turn before this one, appends
// to the shared log just before this one asks where the end is.
BOOL WINAPI grownByAnother(HANDLE file, PLARGE_INTEGER size) {
    ScopedHandle other(CreateFileA(sharedLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
    DWORD written = 0;
    WriteFile(other.get(), "another\r\n", 9, &written, nullptr);
    return GetFileSizeEx(file, size);
}

// On a file share an append is not one step: each block goes where the
// log ends at its turn, so nothing another writer added is overwritten.
TEST(TranscriptTest, EachBlockLandsAtTheLogsEndAtItsTurn) {
    ScratchDirectory scratch;
    sharedLog = scratch.write("shared.log", "");
    Transcript transcript({WriteFile, FlushFileBuffers, grownByAnother});
    ASSERT_EQ(0u, transcript.openLog(sharedLog, refusal));
    transcript.log("first\n");
    transcript.log("second\n");
    EXPECT_TRUE(std::regex_match(readFile(sharedLog), std::regex("another\r\n[-0-9 :]{19} first\r\n"
                                                                 "another\r\n[-0-9 :]{19} second\r\n")))
        << readFile(sharedLog);
}

BOOL WINAPI fullVolume(HANDLE, LPCVOID, DWORD size, LPDWORD written, LPOVERLAPPED) {
    *written = size / 2;  // a torn write, as on a full volume
    SetLastError(ERROR_DISK_FULL);
    return TRUE;
}

// A log that cannot be written is said once on standard error, and the run
// goes on.
TEST(TranscriptTest, AFailedLogWriteIsSaidOnce) {
    ScratchDirectory scratch;
    const std::string errors = scratch.path("errors.txt");
    Transcript transcript({fullVolume, FlushFileBuffers, GetFileSizeEx});
    ASSERT_EQ(0u, transcript.openLog(scratch.path("full.log"), refusal));
    std::fflush(stderr);
    const int saved = _dup(2);
    ASSERT_TRUE(std::freopen(errors.c_str(), "wb", stderr));
    transcript.log("first\n");
    transcript.log("second\n");
    std::fflush(stderr);
    _dup2(saved, 2);
    // Line ends as text mode makes them: LF before it turns each into CR LF.
    const std::string reason = systemText(ERROR_DISK_FULL);
    EXPECT_EQ("uninstall-unattended: the log could not be written; it may lack lines from here on\nSystem error message: " +
                  reason.substr(0, reason.find_last_not_of("\r\n") + 1) + "\n",
              readFile(errors));
}

}  // namespace
