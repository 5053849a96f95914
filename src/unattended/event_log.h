// One record per real run of the runner in the Application event log, as
// Windows Installer writes one per removal, so that a fleet can query on
// which machines the tracer is gone, waits for a restart, or failed.
#ifndef VANTREL_UNATTENDED_EVENT_LOG_H_
#define VANTREL_UNATTENDED_EVENT_LOG_H_

#include <windows.h>

#include <string>

// The source the records carry.
extern const char kEventSource[];

// The system calls of a record, so that a test can make them fail. The
// platform's own are platformEventCalls().
struct EventCalls {
    // Registers the source once, with a message file that Windows itself
    // ships: 0, or the system's code.
    DWORD (*registerSource)();
    // Writes one record of `type` and `id` whose one string is `text`: 0,
    // or the system's code.
    DWORD (*report)(WORD type, DWORD id, const std::string& text);
};

const EventCalls& platformEventCalls();

// Writes the record of a run that ended with `status`, whose text is
// `text`: "" when written, else one line saying why the record is lost. A
// registration or a report that does not end within seconds costs the
// record, never the run.
std::string reportRun(DWORD status, bool started, const std::string& text,
                      const EventCalls& calls = platformEventCalls());

#endif  // VANTREL_UNATTENDED_EVENT_LOG_H_
