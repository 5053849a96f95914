#include "app/outcomes.h"

#include <gtest/gtest.h>


namespace {

// What deployment tools and the event log read of each way a run ends.
TEST(OutcomeTest, EachStatusHasItsRecordTypeAndId) {
    const struct { DWORD status; bool started; WORD type; DWORD id; } cases[] = {
        {ERROR_SUCCESS, true, EVENTLOG_INFORMATION_TYPE, 100},
        {ERROR_SUCCESS_REBOOT_REQUIRED, true, EVENTLOG_WARNING_TYPE, 110},
        {ERROR_UNKNOWN_PRODUCT, true, EVENTLOG_INFORMATION_TYPE, 120},
        {ERROR_INSTALL_USEREXIT, true, EVENTLOG_ERROR_TYPE, 200},
        {ERROR_INSTALL_FAILURE, true, EVENTLOG_ERROR_TYPE, 202},
        {ERROR_TIMEOUT, true, EVENTLOG_ERROR_TYPE, 203},
        {ERROR_INVALID_PARAMETER, true, EVENTLOG_ERROR_TYPE, 202},  // any other status of a started run
        {ERROR_INSTALL_FAILURE, false, EVENTLOG_ERROR_TYPE, 204},
        {ERROR_BAD_EXE_FORMAT, false, EVENTLOG_ERROR_TYPE, 204},
    };
    for (const auto& c : cases) {
        const vantrel::uninstall::OutcomeRow& row = vantrel::uninstall::outcomeRow(c.status, c.started);
        EXPECT_EQ(c.type, row.eventType) << c.status << (c.started ? "" : " (not started)");
        EXPECT_EQ(c.id, row.eventId) << c.status << (c.started ? "" : " (not started)");
    }
}

}  // namespace
