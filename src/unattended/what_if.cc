#include "unattended/what_if.h"

#include <exception>
#include <vector>

#include "app/constants.h"
#include "app/driver.h"
#include "app/outcomes.h"
#include "app/uninstall.h"
#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/helpers.h"
#include "system/io.h"
#include "system/save.h"
#include "system/text.h"
#include "unattended/answering.h"
#include "unattended/bounded.h"
#include "unattended/holders.h"
#include "unattended/programs.h"
#include "unattended/registration.h"
#include "unattended/restart.h"
#include "unattended/start.h"

namespace unattended {

namespace {

// The procedure's steps as the runner answers them, each change only
// checked, through the same handles a real change uses, and told.
class WhatIf : public vantrel::uninstall::Steps {
public:
    WhatIf(const std::string& configPath, bool allowSystemFolder, std::string& report)
        : configPath(configPath), allowSystemFolder(allowSystemFolder), report(report) {}

    void say(const std::string& line) { report += line + "\n"; }

    void found(const std::string& name, const std::string& path) override { say(name + ": " + path); }

    bool mayDeleteDll(const std::string& dllPath, bool inSystemFolder) override {
        if (!inSystemFolder) {
            say(TRACER_DLL_NAME + ": not in a Windows system folder");
            return true;
        }
        const WarningAnswer answer = answerSystemFolderWarning(configPath, dllPath, allowSystemFolder);
        say(!answer.refusal.empty() ? answer.refusal
                                    : TRACER_DLL_NAME + ": in a Windows system folder; the warning would be answered " +
                                          (answer.yes ? "Yes (--allow-system-folder)" : "No (no --allow-system-folder)"));
        return answer.yes;
    }

    // A real run clears the attributes first; what they keep from a change
    // is told by the checks that follow.
    void resetAttributes(io::FoundFile&) override {}
    void restoreAttributes(io::FoundFile&) override {}

    DWORD remove(io::FoundFile& file) override {
        const DWORD error = file.deleteError();
        if (file.name() != TRACER_DLL_NAME) {
            say(CONFIG_FILE_NAME + (error == 0 ? ": can be deleted" : ": cannot be deleted. " + io::reasonFor(error)));
            return error;
        }
        // A program that loaded the DLL keeps it from being deleted on
        // Windows, though it opens for deleting: no handle can tell that.
        const std::vector<Holder> holders = findHolders(file.path());
        if (holders.empty() && error == 0) {
            say(TRACER_DLL_NAME + ": not in use: no program has it loaded, and it opens for deleting");
            return 0;
        }
        if (error != 0)
            say(TRACER_DLL_NAME + (error == ERROR_SHARING_VIOLATION ? ": in use" : ": cannot be deleted") +
                ": it does not open for deleting. " + io::reasonFor(error));
        else
            say(TRACER_DLL_NAME + ": in use: a program has it loaded");
        say(describeHolders(TRACER_DLL_NAME, holders));
        return error != 0 ? error : ERROR_ACCESS_DENIED;
    }

    bool save(io::FoundFile& config, const std::string& bytes) override {
        const io::SaveForecast save = io::foreseeSave(config, bytes.size());
        if (save.way)
            say(CONFIG_FILE_NAME + ": tracing can be switched off in it; it would be " + save.way);
        else
            say(CONFIG_FILE_NAME + ": tracing cannot be switched off in it: it cannot be written in place" +
                (save.unknown ? " (whether a program holds it against writing is unknown: it is read-only, and a real run "
                           "clears that first; the worse outcome is foretold)"
                         : ""));
        return save.way != nullptr;
    }

private:
    const std::string configPath;
    const bool allowSystemFolder;
    std::string& report;
};

}  // namespace

Forecast forecastUninstall(const std::string& program, bool allowSystemFolder) {
    const std::string directory = getPathDirectory(program);
    Forecast result{{}, ERROR_INSTALL_FAILURE, false, vantrel::uninstall::locateProduct(directory)};
    WhatIf steps(result.found.config, allowSystemFolder, result.report);
    std::exception_ptr ended;
    try {
        vantrel::uninstall::performUninstall(steps, directory);
    } catch (...) {
        ended = std::current_exception();
    }
    const vantrel::uninstall::Outcome outcome = vantrel::uninstall::outcomeOf(ended, getPathFileName(program));
    result.status = static_cast<DWORD>(outcome.status);
    result.gone = outcome.status == ERROR_SUCCESS;
    if (outcome.status == ERROR_SUCCESS_REBOOT_REQUIRED) {
        const Scheduled scheduled = scheduleRemoval(result.found, directory, Mode::Check);
        steps.say(io::withoutLineBreaks(scheduled.lines));
        result.gone = scheduled.both;
    } else if (outcome.status != ERROR_SUCCESS)
        steps.say("the uninstaller would show: " + io::withoutLineBreaks(outcome.text));
    steps.say("a real run can still differ: a program may load the DLL or open or change either file after this check");
    return result;
}

int whatIf(Transcript& transcript, const std::string& program, const Options& options) {
    const std::string directory = getPathDirectory(program);
    Forecast forecast{"", 0, false, {}};
    const StartCheck start = checkStart(program, options.allowReplaceable);
    const DWORD error = start.refused ? ERROR_INSTALL_FAILURE : unstartable(program);
    if (start.refused) {
        forecast.status = error;
        forecast.report = start.said + "\n";
    } else if (error) {
        forecast.status = error;
        forecast.report = program + " cannot be started. " + Helpers::getErrorMessage(static_cast<int>(error));
    } else if (!finishesWithin(
                   options.limit(),
                   [program, directory, allow = options.allowSystemFolder, keep = options.keepPrograms] {
                       Forecast told = forecastUninstall(program, allow);
                       if (told.status == ERROR_SUCCESS && !keep)
                           told.report += removePrograms(directory, told.found, Mode::Check);
                       return told;
                   },
                   forecast)) {
        transcript.write(stalledLine("the dry run", options.timeoutSeconds));
        return ERROR_TIMEOUT;
    }
    if (forecast.gone) forecast.report += removeRegistration(directory, Mode::Check);
    transcript.write(prefixLines(forecast.report + program + " would exit with " + std::to_string(forecast.status) +
                                     ": " + vantrel::uninstall::outcomeRow(forecast.status, error == 0).words,
                                 "what-if: "));
    return static_cast<int>(forecast.status);
}

}  // namespace unattended
