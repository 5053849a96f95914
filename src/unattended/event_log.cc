#include "unattended/event_log.h"

#include "app/outcomes.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/text.h"
#include "unattended/bounded.h"

namespace unattended {

const char kEventSource[] = "Vantrel Uninstall";

namespace {

const char kSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Vantrel Uninstall";
// Windows' own eventcreate.exe: ids 1 to 1000 each show the record's first
// string, so the records read in Event Viewer once the product is gone.
const char kMessageFile[] = "%SystemRoot%\\System32\\EventCreate.exe";
const DWORD kWaitMs = 5000;

DWORD registerSource() {
    io::ScopedKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSourceKey, 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS) return 0;
    LONG error =
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSourceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (error != ERROR_SUCCESS) return static_cast<DWORD>(error);
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    error = RegSetValueExA(key.get(), "EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(kMessageFile),
                           sizeof kMessageFile);
    if (error == ERROR_SUCCESS)
        error = RegSetValueExA(key.get(), "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                               sizeof types);
    key.reset();
    // Half a registration would render no record: none at all is retried.
    if (error != ERROR_SUCCESS) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSourceKey);
    return static_cast<DWORD>(error);
}

DWORD report(WORD type, DWORD id, const std::string& text) {
    const HANDLE source = RegisterEventSourceA(nullptr, kEventSource);
    if (!source) return GetLastError();
    const std::vector<wchar_t> utf16 = io::wide(text);
    const wchar_t* strings[] = {utf16.data()};
    const DWORD error = ReportEventW(source, type, 0, id, nullptr, 1, 0, strings, nullptr) ? 0 : GetLastError();
    DeregisterEventSource(source);
    return error;
}

}  // namespace

const EventCalls& platformEventCalls() {
    static const EventCalls calls = {registerSource, report};
    return calls;
}

std::string reportRun(DWORD status, bool started, const std::string& ending, const std::string& lastDialog,
                      const std::string& opening, const EventCalls& calls) {
    const std::string text = "uninstall-unattended: status " + std::to_string(status) + "\n" + ending +
                             (lastDialog.empty() ? "" : "last dialog:\n" + lastDialog + "\n") + opening;
    const vantrel::uninstall::OutcomeRow& outcome = vantrel::uninstall::outcomeRow(status, started);
    const WORD type = outcome.eventType;
    const DWORD id = outcome.eventId;
    struct Attempt {
        DWORD error = ERROR_TIMEOUT;
        bool registered = false;
    } run;
    const EventCalls made = calls;
    // Left running where a service does not answer, for the exit to end.
    if (!finishesWithin(
            kWaitMs,
            [made, type, id, text] {
                Attempt attempt;
                attempt.error = made.registerSource();
                attempt.registered = attempt.error == 0;
                if (attempt.registered) attempt.error = made.report(type, id, text);
                return attempt;
            },
            run))
        return "uninstall-unattended: the event log did not answer within seconds, so this run's record is lost\n";
    const std::string why = io::reasonFor(run.error);
    std::string line;
    if (!run.registered)
        line = "uninstall-unattended: the event log source " + std::string(kEventSource) +
               " cannot be registered, so this run's record is lost. " + why + "\n";
    else if (run.error != 0)
        line = "uninstall-unattended: this run's record cannot be written to the event log, so it is lost. " + why + "\n";
    return line;
}

int recordRun(Transcript& transcript, DWORD status, bool started, const std::string& opening,
              const std::string& ending, const std::string& lastDialog) {
    const std::string lost = reportRun(status, started, ending, lastDialog, opening);
    if (!lost.empty()) {
        writeError(lost);
        transcript.log(lost);
    }
    return static_cast<int>(status);
}

}  // namespace unattended
