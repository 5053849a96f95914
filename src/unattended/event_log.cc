#include "unattended/event_log.h"

#include "system/handle.h"
#include "system/helpers.h"

const char kEventSource[] = "Vantrel Uninstall";

namespace {

const char kSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Vantrel Uninstall";
// Windows' own eventcreate.exe: ids 1 to 1000 each show the record's first
// string, so the records read in Event Viewer once the product is gone.
const char kMessageFile[] = "%SystemRoot%\\System32\\EventCreate.exe";
const DWORD kWaitMs = 5000;

DWORD registerSource() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSourceKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        return 0;
    }
    LONG error = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSourceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (error != ERROR_SUCCESS) return static_cast<DWORD>(error);
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    error = RegSetValueExA(key, "EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(kMessageFile),
                           sizeof kMessageFile);
    if (error == ERROR_SUCCESS)
        error = RegSetValueExA(key, "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types);
    RegCloseKey(key);
    // Half a registration would render no record: none at all is retried.
    if (error != ERROR_SUCCESS) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSourceKey);
    return static_cast<DWORD>(error);
}

DWORD report(WORD type, DWORD id, const std::string& text) {
    const HANDLE source = RegisterEventSourceA(nullptr, kEventSource);
    if (!source) return GetLastError();
    const std::vector<wchar_t> utf16 = wide(text);
    const wchar_t* strings[] = {utf16.data()};
    const DWORD error = ReportEventW(source, type, 0, id, nullptr, 1, 0, strings, nullptr) ? 0 : GetLastError();
    DeregisterEventSource(source);
    return error;
}

struct Attempt {
    const EventCalls* calls;
    WORD type;
    DWORD id;
    std::string text;
    bool registered;
    DWORD error;
};

DWORD WINAPI attempt(void* parameter) {
    auto* run = static_cast<Attempt*>(parameter);
    run->error = run->calls->registerSource();
    run->registered = run->error == 0;
    if (run->registered) run->error = run->calls->report(run->type, run->id, run->text);
    return 0;
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
    // Heap-held and never freed while the attempt may still run: a service
    // that does not answer leaves the thread behind, which exit ends.
    auto* run = new Attempt{&calls, 0, 0, text, false, ERROR_TIMEOUT};
    eventOf(status, started, run->type, run->id);
    ScopedHandle thread(CreateThread(nullptr, 0, attempt, run, 0, nullptr));
    if (!thread.valid()) attempt(run);
    if (thread.valid() && WaitForSingleObject(thread.get(), kWaitMs) != WAIT_OBJECT_0)
        return "uninstall-unattended: the event log did not answer within seconds, so this run's record is lost\n";
    const std::string why = reasonFor(run->error);
    std::string line;
    if (!run->registered)
        line = "uninstall-unattended: the event log source " + std::string(kEventSource) +
               " cannot be registered, so this run's record is lost. " + why + "\n";
    else if (run->error != 0)
        line = "uninstall-unattended: this run's record cannot be written to the event log, so it is lost. " + why + "\n";
    delete run;
    return line;
}
