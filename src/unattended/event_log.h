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

// The type and id of the record of a run that ended with `status`;
// `started` false when the uninstaller could not be started.
inline void eventOf(DWORD status, bool started, WORD& type, DWORD& id) {
    const struct { DWORD status; WORD type; DWORD id; } outcomes[] = {
        {ERROR_SUCCESS, EVENTLOG_INFORMATION_TYPE, 100},  {ERROR_SUCCESS_REBOOT_REQUIRED, EVENTLOG_WARNING_TYPE, 110},
        {ERROR_INSTALL_USEREXIT, EVENTLOG_ERROR_TYPE, 200}, {ERROR_UNKNOWN_PRODUCT, EVENTLOG_INFORMATION_TYPE, 120},
        {ERROR_TIMEOUT, EVENTLOG_ERROR_TYPE, 203},
    };
    type = EVENTLOG_ERROR_TYPE;
    id = started ? 202 : 204;  // failed, whatever the status; could not start
    for (const auto& outcome : outcomes)
        if (started && outcome.status == status) {
            type = outcome.type;
            id = outcome.id;
        }
}

// Writes the record of a run that ended with `status`: "" when written,
// else one line saying why the record is lost. Its one string is the
// outcome first, where Event Viewer's preview shows it, then the run's last
// lines (`ending`), the last dialog's text where there was one, then the
// run's first line (`opening`). A registration or a report that does not
// end within seconds costs the record, never the run.
std::string reportRun(DWORD status, bool started, const std::string& ending, const std::string& lastDialog,
                      const std::string& opening, const EventCalls& calls = platformEventCalls());

#endif  // VANTREL_UNATTENDED_EVENT_LOG_H_
