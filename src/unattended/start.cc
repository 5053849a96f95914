#include "unattended/start.h"

#include "commandline/command_line_converter.h"
#include "system/helpers.h"
#include "system/security.h"
#include "system/windows_folders.h"
#include "unattended/dialog_driver.h"
#include "unattended/event_log.h"
#include "unattended/options.h"

namespace unattended {

DWORD unstartable(const std::string& program) {
    DWORD type = 0;
    // No error code for a file that is no program; starting it gives this.
    if (!GetBinaryTypeA(program.c_str(), &type)) return GetLastError() ? GetLastError() : ERROR_BAD_EXE_FORMAT;
    return type == SCS_32BIT_BINARY || (type == SCS_64BIT_BINARY && io::windowsIs64Bit()) ? 0 : ERROR_BAD_EXE_FORMAT;
}

StartCheck checkStart(const std::string& program, bool allowed) {
    // A program that is not there is said so when it does not start.
    const bool there = GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES;
    const io::Redirection replaceable = io::whoMayRedirect(there ? program : getPathDirectory(program), there);
    const io::Redirection found =
        replaceable.path.empty() ? io::whoMayRedirect(besideThisProgram("dialog_probe.dll"), true) : replaceable;
    if (found.path.empty()) return {};
    const std::string who = "a standard user could have replaced or redirected " + found.path + ": " + found.why +
                            "; install the product where only administrators can write";
    // Started with this program's rights, a replaced program is anyone's.
    if (!replaceable.path.empty() && !allowed)
        return {true, "cannot start " + program + ": " + who + ", or give " + kAllowReplaceable + " to start it anyway"};
    return {false, who + ". dialog_probe.dll is not loaded, so the icons are not named"};
}

int cannotStart(Transcript& transcript, const std::string& opening, const std::string& program, DWORD error) {
    const std::string message = prefixLines("uninstall-unattended: cannot start " + program + "\n" +
                                                Helpers::getErrorMessage(static_cast<int>(error)),
                                            "");
    writeError(message);
    transcript.log(message);
    return recordRun(transcript, error, false, opening, message);
}

}  // namespace unattended
