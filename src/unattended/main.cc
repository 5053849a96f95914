// uninstall-unattended.exe: runs uninstall.exe for an administrator or a
// deployment tool, answers its dialogs, logs each one to standard output and
// exits with the uninstaller's own status.
#include <windows.h>

#include <cstdio>
#include <string>

#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/helpers.h"
#include "system/paths.h"
#include "system/windows_folders.h"
#include "unattended/answering.h"
#include "unattended/bounded.h"
#include "unattended/completion.h"
#include "unattended/dialog_driver.h"
#include "unattended/event_log.h"
#include "unattended/options.h"
#include "unattended/start.h"
#include "unattended/transcript.h"
#include "unattended/what_if.h"

namespace unattended {
namespace {

// How the log's open ended: `status` 0 when the run goes on, else the
// status it ends with, said; `note` what the run says of a log it goes on
// without.
struct LogOpening {
    int status;
    std::string note;
};

// A log that another program holds against writing (any user who may read
// it can) goes without: the removal is the job, and standard output and
// the event record still tell the run. Anything else about it is the
// administrator's to mend, or a planted file: nothing is started.
LogOpening openLog(Transcript& transcript, const Options& options) {
    // The transcript that opened it comes back with its result.
    struct Opened {
        Transcript transcript;
        Transcript::LogOpen result;
    } opened;
    if (!finishesWithin(
            options.limit(),
            [log = options.log] {
                Opened attempt;
                attempt.result = attempt.transcript.openLog(log);
                return attempt;
            },
            opened)) {
        writeError(stalledLine("opening the log " + options.log, options.timeoutSeconds));
        return {ERROR_TIMEOUT, ""};
    }
    if (!opened.result.error) {
        transcript = std::move(opened.transcript);
        return {0, ""};
    }
    if (opened.result.error == ERROR_SHARING_VIOLATION || opened.result.error == ERROR_LOCK_VIOLATION) {
        const std::string note = "uninstall-unattended: the log " + options.log +
                                 " is held by another program that lets nobody write it, so this run goes on without "
                                 "it: " + io::reasonFor(opened.result.error) + "\n";
        writeError(note);
        return {0, note};
    }
    // Someone may have planted what the log's name leads to.
    writeError(opened.result.refusal.empty() ? "uninstall-unattended: cannot append to the log " + options.log + "\n" +
                                            Helpers::getErrorMessage(static_cast<int>(opened.result.error))
                                      : "uninstall-unattended: the log " + options.log +
                                            " is refused: " + opened.result.refusal + "; nothing was started\n");
    return {ERROR_INSTALL_LOG_FAILURE, ""};
}

int run(int argc, char** argv) {
    Options options;
    switch (parseOptions(argc, argv, options)) {
    case Request::Help: writeOutput(kUsage); return 0;
    case Request::Invalid: writeError(kUsage); return ERROR_INVALID_PARAMETER;
    case Request::Run: break;
    }
    Transcript transcript;
    const LogOpening logOpening = options.log.empty() ? LogOpening{0, ""} : openLog(transcript, options);
    if (logOpening.status) return logOpening.status;
    const std::string program =
        io::getFullPath(options.program.empty() ? besideThisProgram("uninstall.exe") : options.program);
    const std::string directory = getPathDirectory(program);
    // Every record of the run says how it was logged.
    const std::string opening = openingLine(program, argc, argv) + logOpening.note;
    transcript.log(opening);
    if (!options.habits.empty())
        transcript.write("uninstall-unattended: " + options.habits +
                         ": nothing to do, this program never shows anything and never restarts\n");
    if (options.whatIf) return whatIf(transcript, program, options);

    const StartCheck start = checkStart(program, options.allowReplaceable);
    const std::string untrusted = start.said.empty() ? "" : "uninstall-unattended: " + start.said + "\n";
    if (start.refused) {
        writeError(untrusted);
        transcript.log(untrusted);
        return recordRun(transcript, ERROR_INSTALL_FAILURE, false, opening, untrusted);
    }
    if (!untrusted.empty()) transcript.write(untrusted);
    if (const DWORD error = unstartable(program)) return cannotStart(transcript, opening, program, error);
    // As Explorer starts it: its quoted path, from its own folder.
    ChildProcess child(program, "\"" + program + "\"", directory);
    if (const DWORD error = child.startError()) return cannotStart(transcript, opening, program, error);
    if (const DWORD error = child.jobError())
        transcript.write(prefixLines("uninstall-unattended: the uninstaller runs outside a job: it may outlive this "
                                     "program if this one is ended\n" +
                                         Helpers::getErrorMessage(static_cast<int>(error)),
                                     ""));

    Answering answering(transcript, directory, options);
    const DialogsEnd end =
        answerDialogs(child, [&](const SeenDialog& dialog) { return answering.answer(dialog); }, options.limit(),
                      untrusted.empty() ? besideThisProgram("dialog_probe.dll") : "");
    if (end != DialogsEnd::ProgramEnded) {
        const std::string ended = "uninstall-unattended: " + program +
                                  (end == DialogsEnd::NoDialog      ? " showed no dialog for "
                                   : end == DialogsEnd::DialogStuck ? " kept its dialog open after its answer for "
                                                                    : " showed a dialog that could not be read for ") +
                                  std::to_string(options.timeoutSeconds) + " seconds and was ended\n";
        transcript.write(ended);
        return recordRun(transcript, ERROR_TIMEOUT, true, opening, ended, answering.lastDialog());
    }

    const DWORD status = child.exitCode();
    const std::string ending = "uninstall-unattended: " + program + " exited with " + std::to_string(status) + "\n";
    transcript.write(ending);
    const Completion completion = answering.stalledStep().empty() ? completeRun(transcript, status, directory, answering.found(), options)
                                                                  : Completion{"", answering.stalledStep()};
    const std::string& stalledStep = completion.stalledStep;
    const std::string& after = completion.lines;
    if (!stalledStep.empty()) {
        const std::string line = stalledLine(stalledStep, options.timeoutSeconds);
        transcript.write(line);
        return recordRun(transcript, ERROR_TIMEOUT, true, opening, ending + line, answering.lastDialog());
    }
    return recordRun(transcript, status, true, opening, ending + after, answering.lastDialog());
}

}  // namespace
}  // namespace unattended

// No failure ends the runner unsaid: it becomes a line and 1603.
int main(int argc, char** argv) {
    io::guardElevatedProcess();
    std::string why;
    try {
        const int status = unattended::run(argc, argv);
        // A step left running past its limit (an open that an oplock holds)
        // could still delete or schedule once let go: nothing may change
        // after the status is said and recorded, so every thread ends now.
        if (status == ERROR_TIMEOUT) {
            std::fflush(nullptr);
            TerminateProcess(GetCurrentProcess(), ERROR_TIMEOUT);
        }
        return status;
    } catch (const exceptions::Exception& e) {
        why = e.getMessage();
    } catch (const std::exception& e) {
        why = e.what();
    } catch (...) {
    }
    unattended::writeError("uninstall-unattended: the run ended on an unexpected failure" + (why.empty() ? "" : ": " + why) + "\n");
    return ERROR_INSTALL_FAILURE;
}
