// Every way a run ends, in one table: the exit status, the dry run's words
// for it, and the type and id of the event log record that the runner
// writes for it. The uninstaller's statuses, the dry run, the event log and
// the tests all read this table.
#ifndef VANTREL_APP_OUTCOMES_H_
#define VANTREL_APP_OUTCOMES_H_

#include <windows.h>

namespace vantrel {
namespace uninstall {

struct OutcomeRow {
    DWORD status;
    const char* words;
    WORD eventType;
    DWORD eventId;
};

// The row of a run that ended with `status`; `started` false when the
// uninstaller could not be started. A started run of any other status
// failed.
const OutcomeRow& outcomeRow(DWORD status, bool started = true);

}  // namespace uninstall
}  // namespace vantrel

#endif  // VANTREL_APP_OUTCOMES_H_
