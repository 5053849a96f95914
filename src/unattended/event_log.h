// One record per real run of the runner in the Application event log, as
// Windows Installer writes one per removal, so that a fleet can query on
// which machines the tracer is gone, waits for a restart, or failed.
#ifndef VANTREL_UNATTENDED_EVENT_LOG_H_
#define VANTREL_UNATTENDED_EVENT_LOG_H_

#include <windows.h>

#include <functional>
#include <string>

#include "unattended/transcript.h"

namespace unattended {

// The source the records carry.
extern const char kEventSource[];

// The system calls of a record, so that a test can make them fail. The
// platform's own are platformEventCalls().
struct EventCalls {
    // Registers the source once, with a message file that Windows itself
    // ships: 0, or the system's code.
    std::function<DWORD()> registerSource;
    // Writes one record of `type` and `id` whose one string is `text`: 0,
    // or the system's code.
    std::function<DWORD(WORD type, DWORD id, const std::string& text)> report;
};

const EventCalls& platformEventCalls();

// Writes the record of a run that ended with `status`, of the type and id
// that the outcomes' table gives it: "" when written,
// else one line saying why the record is lost. Its one string is the
// outcome first, where Event Viewer's preview shows it, then the run's last
// lines (`ending`), the last dialog's text where there was one, then the
// run's first line (`opening`). A registration or a report that does not
// end within seconds costs the record, never the run.
std::string reportRun(DWORD status, bool started, const std::string& ending, const std::string& lastDialog,
                      const std::string& opening, const EventCalls& calls = platformEventCalls());

// The run's last step: its record, after its last line (`ending`); a lost
// record is said on standard error and in the log. Returns `status`, which
// the record never changes.
int recordRun(Transcript& transcript, DWORD status, bool started, const std::string& opening,
              const std::string& ending, const std::string& lastDialog = "");

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_EVENT_LOG_H_
