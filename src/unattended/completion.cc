#include "unattended/completion.h"

#include "app/constants.h"
#include "app/product_files.h"
#include "exceptions/exception.h"
#include "unattended/bounded.h"
#include "unattended/holders.h"
#include "unattended/programs.h"
#include "unattended/registration.h"
#include "unattended/restart.h"

namespace unattended {

namespace {

// After a 3010: who holds the DLL, and the removal scheduled for the
// restart, so that a deployment tool's restart completes it.
Scheduled scheduleAtTheRestart(const vantrel::uninstall::ProductFiles& found, const std::string& programDirectory) {
    const std::string& dll = found.firstDll();
    std::string lines;
    try {
        if (!dll.empty()) lines = describeHolders(TRACER_DLL_NAME, findHolders(dll)) + "\n";
    } catch (const exceptions::Exception&) {
        // Gone since: the scheduling below says so.
    }
    Scheduled scheduled = scheduleRemoval(found, programDirectory, Mode::Apply);
    scheduled.lines = prefixLines(lines + scheduled.lines, "uninstall-unattended: ");
    return scheduled;
}

// After a failure: a tracer left where its configuration was not found,
// which the uninstaller's "not found" does not say. (Its configuration
// without it does not come: the search would find Windows' own DLL and warn.)
std::string sayWhatIsLeft(const std::string& programDirectory) {
    const vantrel::uninstall::ProductFiles left = vantrel::uninstall::locateProduct(programDirectory);
    if (!left.config.empty() || left.dll.empty()) return "";
    return "uninstall-unattended: " + TRACER_DLL_NAME + " is still there: " + left.dll + " (" + CONFIG_FILE_NAME +
           " is in none of the searched places), so the product is not removed\n";
}

}  // namespace

Completion completeRun(Transcript& transcript, DWORD status, const std::string& programDirectory,
                       const vantrel::uninstall::ProductFiles& found, const Options& options) {
    std::string lines;
    if (status == ERROR_INSTALL_FAILURE) {
        if (!finishesWithin(
                options.limit(), [directory = programDirectory] { return sayWhatIsLeft(directory); }, lines))
            return {"", "looking for what is left of the product"};
        transcript.write(lines);
        return {lines, ""};
    }
    if (status != ERROR_SUCCESS && status != ERROR_SUCCESS_REBOOT_REQUIRED) return {"", ""};
    // Gone, or both files gone at the restart: only then is the product's
    // entry removed, so that a second run is still asked for.
    bool gone = status == ERROR_SUCCESS;
    if (status == ERROR_SUCCESS_REBOOT_REQUIRED) {
        Scheduled scheduled;
        if (!finishesWithin(
                options.limit(), [directory = programDirectory, found] { return scheduleAtTheRestart(found, directory); }, scheduled))
            return {"", "scheduling the removal at the restart"};
        lines = scheduled.lines;
        gone = scheduled.both;
    }
    // Nothing of the product left behind, its own programs included.
    if (status == ERROR_SUCCESS && !options.keepPrograms &&
        !finishesWithin(
            options.limit(),
            [directory = programDirectory, found] {
                return prefixLines(removePrograms(directory, found, Mode::Apply), "uninstall-unattended: ");
            },
            lines))
        return {"", "removing the product's programs"};
    if (!lines.empty()) transcript.write(lines);
    if (!gone) return {lines, ""};
    const std::string entry = prefixLines(removeRegistration(programDirectory, Mode::Apply), "uninstall-unattended: ");
    transcript.write(entry);
    return {lines + entry, ""};
}

}  // namespace unattended
