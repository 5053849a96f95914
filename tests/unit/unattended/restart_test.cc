#include "unattended/restart.h"

#include <gtest/gtest.h>

#include "system/helpers.h"
#include "tools/test_support.h"

namespace {

DWORD refused(const std::string&) { return ERROR_ACCESS_DENIED; }
DWORD allowed() { return 0; }
bool never(const std::string&) { return false; }
bool always(const std::string&) { return true; }
Redirection nobody(const std::string&) { return {}; }

// What is said for each file, by what the system answers (a schedule that
// works, the end-to-end rows show). Nothing here reaches the registry.
TEST(ScheduleRemovalTest, SaysForEachFileWhatTheRestartWillDo) {
    ScratchDirectory scratch;
    const std::string dll = scratch.write("ws2_32.dll", "MZ"), config = scratch.write("vantrelconfig.txt", "A 1\n");
    const std::string secondRun = "; run the uninstaller again after the restart\n";
    const struct { RestartCalls calls; bool checkOnly; std::string lines; } cases[] = {
        {{refused, allowed, never, nobody, never}, false,
         "ws2_32.dll: " + dll + " cannot be scheduled for deletion at the restart. System error message: " +
             systemText(ERROR_ACCESS_DENIED).substr(0, systemText(ERROR_ACCESS_DENIED).find_last_not_of("\r\n") + 1) +
             secondRun + "vantrelconfig.txt: " + config + " is kept for that run\n"},
        {{refused, allowed, never, nobody, never}, true,
         "ws2_32.dll: " + dll + " would be scheduled for deletion at the next restart\nvantrelconfig.txt: " + config +
             " would be scheduled for deletion at the next restart\n"},
        // The Session Manager cannot delete a file on a share at boot.
        {{refused, allowed, never, nobody, always}, true,
         "ws2_32.dll: " + dll + " is not scheduled for deletion at the restart: it lies on a network drive, where the "
         "restart deletes nothing" + secondRun + "vantrelconfig.txt: " + config + " is kept for that run\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.lines, scheduleRemoval(scratch.directory(), c.checkOnly, c.calls));
}

TEST(ScheduleRemovalTest, TellsANetworkPathByItsSpelling) {
    const struct { const char* path; bool network; } cases[] = {
        {"\\\\server\\share\\app\\ws2_32.dll", true},
        {"\\\\?\\unc\\server\\share\\app\\ws2_32.dll", true},
        {"C:\\app\\ws2_32.dll", false},
        {"\\\\?\\C:\\app\\ws2_32.dll", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.network, platformRestartCalls().onNetworkDrive(c.path)) << c.path;
}

// Windows goes on in a second value when the first has grown large; a
// deletion listed there is pending too.
TEST(ScheduleRemovalTest, ADeletionListedInTheSecondValueIsPending) {
    if (!mayChangeWindows()) GTEST_SKIP() << "writes the restart's list: VANTREL_DISPOSABLE_MACHINE=1";
    HKEY session = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                                           0, KEY_QUERY_VALUE | KEY_SET_VALUE, &session));
    if (RegQueryValueExW(session, L"PendingFileRenameOperations2", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        RegCloseKey(session);
        GTEST_SKIP() << "this machine has deletions pending there; they are left alone";
    }
    ScratchDirectory scratch;
    const std::string file = scratch.write("ws2_32.dll", "MZ");
    // A rename's pair, then the file's deletion (an empty target).
    const std::wstring names = std::wstring(L"\\??\\C:\\a\0\\??\\C:\\b\0", 18) + wide("\\??\\" + file).data() +
                               std::wstring(2, L'\0');
    RegSetValueExW(session, L"PendingFileRenameOperations2", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(names.c_str()),
                   static_cast<DWORD>((names.size() + 1) * sizeof(wchar_t)));
    const bool pending = platformRestartCalls().isScheduled(file);
    RegDeleteValueW(session, L"PendingFileRenameOperations2");
    RegCloseKey(session);
    EXPECT_TRUE(pending);
}

}  // namespace
