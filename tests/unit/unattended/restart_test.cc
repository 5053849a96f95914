#include "system/text.h"
#include "unattended/restart.h"

#include <gtest/gtest.h>

#include "system/helpers.h"
#include "tools/test_support.h"

namespace unattended {
namespace {

DWORD refused(const std::string&) { return ERROR_ACCESS_DENIED; }
DWORD allowed() { return 0; }
bool never(const std::string&) { return false; }
io::Redirection nobody(const std::string&) { return {}; }
UINT fixed(const char*) { return DRIVE_FIXED; }
UINT mapped(const char*) { return DRIVE_REMOTE; }

// What is said for each file, by what the system answers (a schedule that
// works, the end-to-end rows show). Nothing here reaches the registry.
TEST(ScheduleRemovalTest, SaysForEachFileWhatTheRestartWillDo) {
    ScratchDirectory scratch;
    const std::string dll = scratch.write("ws2_32.dll", "MZ"), config = scratch.write("vantrelconfig.txt", "A 1\n");
    const std::string secondRun = "; run the uninstaller again after the restart\n";
    const struct { RestartCalls calls; Mode mode; std::string lines; } cases[] = {
        {{refused, allowed, never, nobody, fixed}, Mode::Apply,
         "ws2_32.dll: " + dll + " cannot be scheduled for deletion at the restart. " + systemReason(ERROR_ACCESS_DENIED) +
             secondRun + "vantrelconfig.txt: " + config + " is kept for that run\n"},
        // The Session Manager cannot delete a file on a share at boot, one
        // mapped to a letter included.
        {{refused, allowed, never, nobody, mapped}, Mode::Check,
         "ws2_32.dll: " + dll + " is not scheduled for deletion at the restart: it lies on a network drive, where the "
         "restart deletes nothing" + secondRun + "vantrelconfig.txt: " + config + " is kept for that run\n"},
    };
    for (const auto& c : cases) {
        const Scheduled scheduled = scheduleRemoval({config, dll, ""}, scratch.directory(), c.mode, c.calls);
        EXPECT_EQ(c.lines, scheduled.lines);
        EXPECT_FALSE(scheduled.both);
    }
}

// The restart deletes by name, long after this run: the file goes by where
// it really lies, as its handle tells, never as it was given (here through
// the Wine runner's folder link further up, as a `subst` letter or a
// mapped path would be on Windows).
TEST(ScheduleRemovalTest, AFileIsScheduledByItsFinalPath) {
    if (!runsUnderWine()) GTEST_SKIP() << "uses the Wine runner's folder link C:\\via-link";
    const std::string given = "C:\\via-link\\app\\ws2_32.dll", real = "C:\\via-real\\app\\ws2_32.dll";
    writeFile(given, "MZ");
    std::string scheduled, lines;
    const RestartCalls calls = {[&](const std::string& path) { return scheduled = path, DWORD(0); }, allowed, never,
                                nobody, fixed};
    EXPECT_TRUE(scheduleAtRestart("ws2_32.dll", given, Mode::Apply, calls, lines));
    DeleteFileA(real.c_str());
    EXPECT_EQ(real, scheduled);
    EXPECT_EQ("ws2_32.dll: " + given + " lies at " + real + ", which the restart goes by\nws2_32.dll: " + real +
              " is scheduled for deletion at the next restart\n", lines);
}

// A share by its spelling, or a letter that the system says is mapped to
// one (N: here), however the path spells the letter.
TEST(ScheduleRemovalTest, TellsANetworkPathByItsSpellingOrItsDrive) {
    RestartCalls calls = platformRestartCalls();
    calls.driveType = [](const char* root) -> UINT { return lstrcmpiA(root, "N:\\") == 0 ? DRIVE_REMOTE : DRIVE_FIXED; };
    const struct { const char* path; bool network; } cases[] = {
        {"\\\\server\\share\\app\\ws2_32.dll", true},
        {"\\\\?\\unc\\server\\share\\app\\ws2_32.dll", true},
        {"n:\\app\\ws2_32.dll", true},
        {"\\\\?\\N:\\app\\ws2_32.dll", true},
        {"C:\\app\\ws2_32.dll", false},
        {"\\\\?\\C:\\app\\ws2_32.dll", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.network, onNetworkDrive(c.path, calls)) << c.path;
}

// Windows goes on in a second value when the first has grown large; a
// deletion listed there is pending too.
TEST(ScheduleRemovalTest, ADeletionListedInTheSecondValueIsPending) {
    if (!mayChangeWindows()) GTEST_SKIP() << "writes the restart's list: VANTREL_DISPOSABLE_MACHINE=1";
    const wchar_t session[] = L"System\\CurrentControlSet\\Control\\Session Manager", value[] = L"PendingFileRenameOperations2";
    if (RegGetValueW(HKEY_LOCAL_MACHINE, session, value, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        GTEST_SKIP() << "this machine has deletions pending there; they are left alone";
    ScratchDirectory scratch;
    const std::string file = scratch.write("ws2_32.dll", "MZ");
    // A rename's pair, then the file's deletion (an empty target).
    const std::wstring names = std::wstring(L"\\??\\C:\\a\0\\??\\C:\\b\0", 18) + io::wide("\\??\\" + file).data() +
                               std::wstring(2, L'\0');
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, session, value, REG_MULTI_SZ, names.c_str(), DWORD((names.size() + 1) * sizeof(wchar_t)));
    const bool pending = platformRestartCalls().isScheduled(file);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, session, value);
    EXPECT_TRUE(pending);
}

}  // namespace
}  // namespace unattended
