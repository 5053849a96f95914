#include "unattended/event_log.h"

#include <gtest/gtest.h>

#include "tools/test_support.h"

namespace unattended {
namespace {

DWORD registered() { return 0; }
DWORD unregistrable() { return ERROR_ACCESS_DENIED; }
DWORD serviceStopped(WORD, DWORD, const std::string&) { return RPC_S_SERVER_UNAVAILABLE; }
DWORD hung(WORD, DWORD, const std::string&) {
    Sleep(INFINITE);
    return 0;
}

// A record that cannot be written costs one line, never the run, and never
// a long wait; one written reads from the outcome, where Event Viewer's
// preview shows it, through the last lines and dialog to the first line.
TEST(EventLogTest, ARecordIsWrittenWholeOrItsLossIsSaidInOneLine) {
    std::string reported;
    const auto written = [&](WORD, DWORD, const std::string& text) -> DWORD {
        reported = text;
        return 0;
    };
    const struct { EventCalls calls; std::string line; } cases[] = {
        {{registered, written}, ""},
        {{unregistrable, written},
         "uninstall-unattended: the event log source Vantrel Uninstall cannot be registered, so this run's record is "
         "lost. " + systemReason(ERROR_ACCESS_DENIED) + "\n"},
        {{registered, serviceStopped},
         "uninstall-unattended: this run's record cannot be written to the event log, so it is lost. " +
             systemReason(RPC_S_SERVER_UNAVAILABLE) + "\n"},
        {{registered, hung}, "uninstall-unattended: the event log did not answer within seconds, so this run's record is lost\n"},
    };
    for (const auto& c : cases) {
        const DWORD started = GetTickCount();
        EXPECT_EQ(c.line, reportRun(ERROR_SUCCESS, true, "removed\n", "Removed.", "started\n", c.calls));
        EXPECT_LT(GetTickCount() - started, 10000u);
    }
    EXPECT_EQ("uninstall-unattended: status 0\nremoved\nlast dialog:\nRemoved.\nstarted\n", reported);
}

}  // namespace
}  // namespace unattended
