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
std::string scheduleAtTheRestart(const std::string& programDirectory) {
    std::string lines;
    try {
        lines = describeHolders(TRACER_DLL_NAME, findHolders(vantrel::uninstall::findTracerDll(programDirectory))) + "\n";
    } catch (const exceptions::Exception&) {
        // Gone since: the scheduling below says so.
    }
    return prefixLines(lines + scheduleRemoval(programDirectory, false), "uninstall-unattended: ");
}

}  // namespace

std::string completeRun(Transcript& transcript, DWORD status, const std::string& programDirectory,
                        const Options& options, std::string& stalledStep) {
    if (status != ERROR_SUCCESS && status != ERROR_SUCCESS_REBOOT_REQUIRED) return "";
    std::string lines;
    if (status == ERROR_SUCCESS_REBOOT_REQUIRED &&
        !finishesWithin(
            options.limit(), [directory = programDirectory] { return scheduleAtTheRestart(directory); }, lines))
        stalledStep = "scheduling the removal at the restart";
    // Nothing of the product left behind, its own programs included.
    if (status == ERROR_SUCCESS && !options.keepPrograms &&
        !finishesWithin(
            options.limit(),
            [directory = programDirectory] {
                return prefixLines(removePrograms(directory, false), "uninstall-unattended: ");
            },
            lines))
        stalledStep = "removing the product's programs";
    if (!stalledStep.empty()) return "";
    if (!lines.empty()) transcript.write(lines);
    // Gone, or gone at the restart: no entry is left behind in Apps & Features.
    const std::string entry = prefixLines(removeRegistration(programDirectory, false), "uninstall-unattended: ");
    transcript.write(entry);
    return lines + entry;
}

}  // namespace unattended
