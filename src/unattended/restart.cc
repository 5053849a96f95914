#include "unattended/restart.h"

#include <memory>

#include <vector>

#include "app/constants.h"
#include "app/product_files.h"
#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/found_file.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/paths.h"
#include "system/security.h"
#include "system/text.h"

namespace unattended {

namespace {

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kSecondRun[] = "; run the uninstaller again after the restart";

// Opens the Session Manager's key for `access` into `key`: 0, or the
// system's code.
DWORD openSessionManager(REGSAM access, io::ScopedKey& key) {
    return static_cast<DWORD>(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, access, key.put()));
}

DWORD scheduleDeletion(const std::string& path) {
    return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? 0 : GetLastError();
}

DWORD checkScheduling() {
    io::ScopedKey session;
    return openSessionManager(KEY_SET_VALUE, session);
}

// Whether the list in the Session Manager's value `value` holds the
// deletion of the file named `name`.
bool listsDeletion(HKEY session, const wchar_t* value, const std::vector<wchar_t>& name) {
    DWORD size = 0;
    if (RegQueryValueExW(session, value, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
    std::vector<wchar_t> pending(size / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(session, value, nullptr, nullptr, reinterpret_cast<BYTE*>(pending.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    // Pairs of a source and a target; an empty target is a deletion.
    for (const wchar_t* source = pending.data(); *source;) {
        const wchar_t* target = source + wcslen(source) + 1;
        if (!*target && lstrcmpiW(source, name.data()) == 0) return true;
        if (!*target && target[1] == L'\0') break;
        source = target + wcslen(target) + 1;
    }
    return false;
}

bool isScheduled(const std::string& path) {
    io::ScopedKey session;
    const std::vector<wchar_t> name = io::wide("\\??\\" + path);
    // Windows goes on in a second value when the first has grown large.
    return openSessionManager(KEY_QUERY_VALUE, session) == 0 &&
           (listsDeletion(session.get(), L"PendingFileRenameOperations", name) ||
            listsDeletion(session.get(), L"PendingFileRenameOperations2", name));
}

}  // namespace

bool scheduleAtRestart(const std::string& name, const std::string& foundPath, Mode mode, const RestartCalls& calls,
                 std::string& lines) {
    std::string path = io::getLongFullPath(foundPath);
    std::unique_ptr<io::FoundFile> checked;
    try {
        checked.reset(new io::FoundFile(path, calls.files));
        if (!io::isSamePath(checked->realPath(), path)) {
            lines += name + ": " + path + " lies at " + checked->realPath() + ", which the restart goes by\n";
            path = checked->realPath();
        }
    } catch (const exceptions::Exception& e) {
        lines += name + ": not scheduled for deletion at the restart: " + io::withoutLineBreaks(e.getMessage()) +
                 kSecondRun + "\n";
        return false;
    }
    // The restart deletes by name, as SYSTEM, before anyone logs on: an
    // entry on the way that a user may replace could lead it anywhere.
    const io::Redirection redirection = calls.mayRedirect(path);
    if (!redirection.path.empty()) {
        lines += name + ": " + path + " is not scheduled for deletion at the restart: a standard user could redirect "
                 "the deletion: " + redirection.path + ": " + redirection.why + kSecondRun + "\n";
        return false;
    }
    if (onNetworkDrive(path, calls)) {
        lines += name + ": " + path + " is not scheduled for deletion at the restart: it lies on a network drive, "
                 "where the restart deletes nothing" + kSecondRun + "\n";
        return false;
    }
    if (calls.isScheduled(path)) {
        lines += name + ": " + path + " is already scheduled for deletion at the next restart\n";
        return true;
    }
    const DWORD error = mode == Mode::Check ? calls.checkScheduling() : calls.scheduleDeletion(path);
    if (error != 0) {
        lines += name + ": " + path + " cannot be scheduled for deletion at the restart. " +
                 io::reasonFor(error) + kSecondRun + "\n";
        return false;
    }
    // The restart deletes no read-only file: unprotected now that it will
    // go, and only then.
    if (mode == Mode::Apply) checked->resetAttributes();
    lines += name + ": " + path + (mode == Mode::Check ? " would be" : " is") + " scheduled for deletion at the next restart\n";
    return true;
}

const RestartCalls& platformRestartCalls() {
    static const RestartCalls calls = {scheduleDeletion, checkScheduling, isScheduled,
                                       [](const std::string& path) { return io::whoMayRedirect(path, false); },
                                       GetDriveTypeA};
    return calls;
}

bool onNetworkDrive(const std::string& path, const RestartCalls& calls) {
    std::string rest = path;
    if (rest.rfind("\\\\?\\", 0) == 0 || rest.rfind("\\\\.\\", 0) == 0) {
        rest.erase(0, 4);
        if (lstrcmpiA(rest.substr(0, 4).c_str(), "UNC\\") == 0) return true;
    } else if (rest.rfind("\\\\", 0) == 0) {
        return true;  // \\server\share
    }
    return rest.size() > 1 && rest[1] == ':' && calls.driveType((rest.substr(0, 2) + "\\").c_str()) == DRIVE_REMOTE;
}

Scheduled scheduleRemoval(const vantrel::uninstall::ProductFiles& found, const std::string& programDirectory,
                          Mode mode, const RestartCalls& calls) {
    Scheduled result;
    std::string& lines = result.lines;
    const std::string& dll = found.firstDll();
    const std::string& config = found.config;
    if (dll.empty() || config.empty()) {
        lines += "nothing is scheduled for deletion at the restart: " + (dll.empty() ? TRACER_DLL_NAME : CONFIG_FILE_NAME) +
                 " was in none of the searched places\n";
        return result;
    }
    try {
        bool dllScheduled = false;
        // The restart deletes as SYSTEM what the list names: only files of
        // the product's own folder, both or neither.
        const bool dllOutside = !io::isSameDirectory(getPathDirectory(dll), programDirectory);
        const std::string outside = dllOutside ? dll
                                    : io::isSameDirectory(getPathDirectory(config), programDirectory) ? ""
                                                                                                       : config;
        // It may be Windows' own: only a person may decide, in a second run.
        if (vantrel::uninstall::liesInASystemDirectory(dll))
            lines += TRACER_DLL_NAME + ": " + dll +
                     " is not scheduled for deletion at the restart: it lies in a Windows system folder" + kSecondRun +
                     "\n";
        else if (!outside.empty())
            lines += (dllOutside ? TRACER_DLL_NAME : CONFIG_FILE_NAME) + ": " + outside +
                     " is not scheduled for deletion at the restart: it lies outside the product's folder " +
                     programDirectory + kSecondRun + "\n";
        else
            dllScheduled = scheduleAtRestart(TRACER_DLL_NAME, dll, mode, calls, lines);
        // Without the DLL's deletion it stays, for the second run to find.
        if (dllScheduled)
            result.both = scheduleAtRestart(CONFIG_FILE_NAME, config, mode, calls, lines);
        else
            lines += CONFIG_FILE_NAME + ": " + config + " is kept for that run\n";
    } catch (const exceptions::Exception& e) {
        lines += "nothing is scheduled for deletion at the restart: " + io::withoutLineBreaks(e.getMessage()) + "\n";
    }
    return result;
}

}  // namespace unattended
