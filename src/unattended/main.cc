// uninstall-unattended.exe: runs uninstall.exe for an administrator or a
// deployment tool, answers its dialogs, logs each one to standard output and
// exits with the uninstaller's own status.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/constants.h"
#include "app/product_files.h"
#include "exceptions/exception.h"
#include "system/helpers.h"
#include "system/security.h"
#include "unattended/bounded.h"
#include "unattended/dialog_driver.h"
#include "unattended/event_log.h"
#include "unattended/holders.h"
#include "unattended/programs.h"
#include "unattended/registration.h"
#include "unattended/restart.h"
#include "unattended/transcript.h"
#include "unattended/what_if.h"

namespace {

const char kUsage[] =
    "usage: uninstall-unattended.exe [--allow-system-folder] [--timeout SECONDS] [--log FILE] [--what-if]\n"
    "                                [--keep-programs] [PATH_TO_UNINSTALL_EXE]\n"
    "Runs uninstall.exe (by default the one beside this program) and answers its dialogs:\n"
    "Yes to the confirmation, No to deleting a DLL from a Windows system folder unless\n"
    "--allow-system-folder is given, OK to every message. Prints each dialog; --log also\n"
    "appends it to FILE. Exits with the uninstaller's status: 0 done, 3010 done after a\n"
    "reboot, 1602 cancelled, 1605 a file not found, 1603 failed; 1460 when a step made no\n"
    "progress for SECONDS (default 300); 1622 when FILE cannot be opened. --what-if changes\n"
    "nothing: it tells what a run would do, and exits with its status. On 3010 the files are\n"
    "deleted at the next restart; on 0 the product's programs too (this one and its folder at\n"
    "the restart), unless --keep-programs. Each real run writes one Application event log\n"
    "record (source Vantrel Uninstall). /S, /quiet, /qn, /silent, /verysilent, /norestart\n"
    "change nothing. --help, -h or /? prints this.\n";

struct Options {
    bool allowSystemFolder = false;
    bool whatIf = false;
    bool keepPrograms = false;
    unsigned long timeoutSeconds = 300;
    std::string log;
    std::string program;
    std::string habits;  // the switches taken as no-ops, as given

    // The time limit of every step, in milliseconds.
    DWORD limit() const { return static_cast<DWORD>(timeoutSeconds * 1000); }
};

// Says that `step` did not end within the time limit: an open that another
// program's oplock holds never ends until it lets go.
std::string stalled(const std::string& step, const Options& options) {
    return "uninstall-unattended: " + step + " did not end within " + std::to_string(options.timeoutSeconds) +
           " seconds (another program may hold a file it opens), so the run ends\n";
}

bool isHelp(const std::string& argument) { return argument == "--help" || argument == "-h" || argument == "/?"; }

// A switch that deployment templates pass to every uninstaller out of
// habit: this program always does what they ask (it shows nothing and never
// restarts), so they change nothing here.
bool isHabit(const std::string& argument) {
    for (const char* habit : {"/S", "/quiet", "/qn", "/silent", "/verysilent", "/norestart"})
        if (lstrcmpiA(argument.c_str(), habit) == 0) return true;
    return false;
}

// False for anything but the documented options and at most one path.
bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        // An option's value that is missing, empty or itself an option: a
        // forgotten value must not swallow the next option.
        const bool hasValue = i + 1 < argc && argv[i + 1][0] != '\0' && std::string(argv[i + 1]).rfind("--", 0) != 0;
        if (isHabit(argument)) {
            options.habits += (options.habits.empty() ? "" : " ") + argument;
        } else if (argument == "--allow-system-folder") {
            options.allowSystemFolder = true;
        } else if (argument == "--what-if") {
            options.whatIf = true;
        } else if (argument == "--keep-programs") {
            options.keepPrograms = true;
        } else if (argument == "--log" && hasValue && options.log.empty()) {
            options.log = argv[++i];
        } else if (argument == "--timeout" && hasValue) {
            char* end = nullptr;
            options.timeoutSeconds = std::strtoul(argv[++i], &end, 10);
            // At most a day, so that the milliseconds fit in 32 bits.
            if (*argv[i] < '0' || *argv[i] > '9' || *end != '\0' || options.timeoutSeconds == 0 ||
                options.timeoutSeconds > 86400)
                return false;
        } else if (argument.empty() || argument[0] == '-' || !options.program.empty()) {
            return false;
        } else {
            options.program = argument;
        }
    }
    return true;
}

std::string directoryOf(const std::string& program) { return program.substr(0, program.rfind('\\') + 1); }

std::string environment(const char* name) {
    char value[256] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? value : "";
}

// Who ran what where, with the arguments as given: the first line of a
// run's record in the log.
std::string openingLine(const std::string& program, int argc, char** argv) {
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof computer;
    GetComputerNameA(computer, &size);
    const std::string domain = environment("USERDOMAIN");
    std::string arguments;
    for (int i = 1; i < argc; ++i) arguments += std::string(i > 1 ? " " : "") + argv[i];
    return "uninstall-unattended: computer " + std::string(computer) + ", user " +
           (domain.empty() ? "" : domain + "\\") + environment("USERNAME") + ", program " + program +
           ", options: " + (arguments.empty() ? "(none)" : arguments) + "\n";
}

// Writes the run's record to the event log, after its last line, and says
// so where the record is lost; returns `status`, which the record never
// changes. `ending` is the run's last lines, `opening` its first.
int recorded(Transcript& transcript, DWORD status, bool started, const std::string& opening, const std::string& ending,
             const std::string& lastDialog = "") {
    const std::string lost = reportRun(status, started, ending, lastDialog, opening);
    if (!lost.empty()) {
        writeError(lost);
        transcript.log(lost);
    }
    return static_cast<int>(status);
}

// Says why `program` cannot start and returns the system's code for it.
int cannotStart(Transcript& transcript, const std::string& opening, const std::string& program, DWORD error) {
    const std::string message = prefixLines("uninstall-unattended: cannot start " + program + "\n" +
                                                Helpers::getErrorMessage(static_cast<int>(error)),
                                            "");
    writeError(message);
    transcript.log(message);
    return recorded(transcript, error, false, opening, message);
}

// 0 when `program` is a Windows program file that this Windows starts;
// else the system's code for why not. A script or a shortcut, which the
// system would hand to another program, is no program here, and a 64-bit
// one does not start on 32-bit Windows.
DWORD unstartable(const std::string& program) {
    DWORD type = 0;
    // No error code for a file that is no program; starting it gives this.
    if (!GetBinaryTypeA(program.c_str(), &type)) return GetLastError() ? GetLastError() : ERROR_BAD_EXE_FORMAT;
    BOOL onWow64 = FALSE;
    const bool windows64 = sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &onWow64) && onWow64);
    return type == SCS_32BIT_BINARY || (type == SCS_64BIT_BINARY && windows64) ? 0 : ERROR_BAD_EXE_FORMAT;
}

// The dry run's report, ending with the status it foresees. A program that
// cannot start is foretold with the system's code, as a real run reports it.
int whatIf(Transcript& transcript, const std::string& program, const Options& options) {
    Forecast forecast{"", 0};
    if (const DWORD error = unstartable(program)) {
        forecast.status = error;
        forecast.report = program + " cannot be started. " + Helpers::getErrorMessage(static_cast<int>(forecast.status));
    } else if (!finishesWithin(options.limit(),
                               [&] {
                                   forecast = forecastUninstall(program, options.allowSystemFolder);
                                   if (forecast.status == ERROR_SUCCESS && !options.keepPrograms)
                                       forecast.report += removePrograms(directoryOf(program), true);
                               })) {
        transcript.write(stalled("the dry run", options));
        return ERROR_TIMEOUT;
    }
    if (forecast.status == ERROR_SUCCESS || forecast.status == ERROR_SUCCESS_REBOOT_REQUIRED)
        forecast.report += removeRegistration(directoryOf(program), true);
    transcript.write(prefixLines(forecast.report + program + " would exit with " + std::to_string(forecast.status) +
                                     ": " + outcomeInWords(forecast.status),
                                 "what-if: "));
    return static_cast<int>(forecast.status);
}

// After a 3010: who holds the DLL, and the removal scheduled for the
// restart, so that a deployment tool's restart completes it. Returns the
// lines written.
std::string completeAtRestart(Transcript& transcript, const std::string& programDirectory) {
    std::string lines;
    try {
        lines = describeHolders(TRACER_DLL_NAME, findHolders(vantrel::uninstall::findTracerDll(programDirectory))) + "\n";
    } catch (const exceptions::Exception&) {
        // Gone since: the scheduling below says so.
    }
    lines = prefixLines(lines + scheduleRemoval(programDirectory, false), "uninstall-unattended: ");
    transcript.write(lines);
    return lines;
}

// Says so when a standard user could have replaced `program` or the probe
// this program loads into it, or redirected where either is reached (the
// product's files lie beside the program); true when nobody could.
bool onlyAdministratorsMayChange(Transcript& transcript, const std::string& program) {
    // A program that is not there is said so when it does not start.
    const bool there = GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES;
    Redirection found = whoMayRedirect(there ? program : directoryOf(program), there);
    if (found.path.empty()) found = whoMayRedirect(besideThisProgram("dialog_probe.dll"), true);
    if (found.path.empty()) return true;
    transcript.write("uninstall-unattended: a standard user could have replaced or redirected these files: " +
                     found.path + ": " + found.why + "; install the product where only administrators can write. "
                     "dialog_probe.dll is not loaded, so the icons are not named\n");
    return false;
}

// The text after "Uninstall found: " in the system-folder warning: the DLL.
std::string foundPath(const std::string& warning) {
    const std::string label = "Uninstall found: ";
    const std::size_t start = warning.find(label);
    if (start == std::string::npos) return "";
    return warning.substr(start + label.size(), warning.find('\n', start) - start - label.size());
}

int run(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (isHelp(argv[i])) {
            writeOutput(kUsage);
            return 0;
        }
    }
    if (!parseOptions(argc, argv, options)) {
        writeError(kUsage);
        return ERROR_INVALID_PARAMETER;
    }
    Transcript transcript;
    if (!options.log.empty()) {
        std::string refusal;
        DWORD error = 0;
        if (!finishesWithin(options.limit(), [&] { error = transcript.openLog(options.log, refusal); })) {
            writeError(stalled("opening the log " + options.log, options));
            return ERROR_TIMEOUT;
        }
        if (error) {
            // Someone may have planted what the log's name leads to.
            writeError(refusal.empty() ? "uninstall-unattended: cannot append to the log " + options.log + "\n" +
                                             Helpers::getErrorMessage(static_cast<int>(error))
                                       : "uninstall-unattended: the log " + options.log + " is refused: " + refusal +
                                             "; nothing was started\n");
            return ERROR_INSTALL_LOG_FAILURE;
        }
    }
    const std::string program = Helpers::getFullPath(
        options.program.empty() ? besideThisProgram("uninstall.exe") : options.program);
    const std::string opening = openingLine(program, argc, argv);
    transcript.log(opening);
    if (!options.habits.empty())
        transcript.write("uninstall-unattended: " + options.habits +
                         ": nothing to do, this program never shows anything and never restarts\n");
    if (options.whatIf) return whatIf(transcript, program, options);
    const bool trusted = onlyAdministratorsMayChange(transcript, program);
    // As Explorer starts it: its quoted path, from its own folder.
    if (const DWORD error = unstartable(program)) return cannotStart(transcript, opening, program, error);
    ChildProcess child(program, "\"" + program + "\"", directoryOf(program));
    if (const DWORD error = child.startError()) return cannotStart(transcript, opening, program, error);
    if (const DWORD error = child.jobError())
        transcript.write(prefixLines("uninstall-unattended: the uninstaller runs outside a job: it may outlive this "
                                     "program if this one is ended\n" +
                                         Helpers::getErrorMessage(static_cast<int>(error)),
                                     ""));
    const std::string question = confirmationQuestion();
    std::string lastDialog, stalledStep;
    const DialogsEnd end = answerDialogs(
        child,
        [&](const SeenDialog& dialog) {
            int answer = IDOK;
            std::string refusal;
            // Every question but the confirmation is the system-folder
            // warning: it is refused unless allowed, and always for the
            // library that the configuration names as Windows' own.
            if (dialog.buttons.find("Yes") != std::string::npos && dialog.text == question) {
                answer = IDYES;
            } else if (dialog.buttons.find("Yes") != std::string::npos) {
                bool yes = false;
                // Not answered in time: No, which changes nothing.
                if (!finishesWithin(options.limit(), [&] {
                        yes = answerSystemFolderWarning(directoryOf(program), foundPath(dialog.text),
                                                        options.allowSystemFolder, refusal);
                    }))
                    stalledStep = "reading the configuration to answer the system-folder warning";
                answer = yes ? IDYES : IDNO;
                if (!refusal.empty()) refusal = "uninstall-unattended: " + refusal + "\n";
            }
            lastDialog = dialog.text;
            transcript.write("--- dialog \"" + dialog.caption + "\"" + (dialog.icon.empty() ? "" : ", icon: ") +
                             dialog.icon + ", buttons: " + dialog.buttons + ", default " + dialog.defaultButton +
                             "\n" + dialog.text + "\n--- answered: " + buttonName(answer) + "\n\n" + refusal);
            return answer;
        },
        options.limit(), trusted ? besideThisProgram("dialog_probe.dll") : "");
    if (end != DialogsEnd::ProgramEnded) {
        const std::string ended = "uninstall-unattended: " + program +
                                  (end == DialogsEnd::NoDialog      ? " showed no dialog for "
                                   : end == DialogsEnd::DialogStuck ? " kept its dialog open after its answer for "
                                                                    : " showed a dialog that could not be read for ") +
                                  std::to_string(options.timeoutSeconds) + " seconds and was ended\n";
        transcript.write(ended);
        return recorded(transcript, ERROR_TIMEOUT, true, opening, ended, lastDialog);
    }
    const DWORD status = child.exitCode();
    std::string ending = "uninstall-unattended: " + program + " exited with " + std::to_string(status) + "\n";
    transcript.write(ending);
    std::string after;
    if (stalledStep.empty() && status == ERROR_SUCCESS_REBOOT_REQUIRED &&
        !finishesWithin(options.limit(), [&] { after = completeAtRestart(transcript, directoryOf(program)); }))
        stalledStep = "scheduling the removal at the restart";
    // Nothing of the product left behind, its own programs included.
    if (stalledStep.empty() && status == ERROR_SUCCESS && !options.keepPrograms &&
        !finishesWithin(options.limit(), [&] {
            after = prefixLines(removePrograms(directoryOf(program), false), "uninstall-unattended: ");
            transcript.write(after);
        }))
        stalledStep = "removing the product's programs";
    if (!stalledStep.empty()) {
        const std::string line = stalled(stalledStep, options);
        transcript.write(line);
        return recorded(transcript, ERROR_TIMEOUT, true, opening, ending + line, lastDialog);
    }
    // Gone, or gone at the restart: no entry is left behind in Apps & Features.
    if (status == ERROR_SUCCESS || status == ERROR_SUCCESS_REBOOT_REQUIRED) {
        const std::string entry = prefixLines(removeRegistration(directoryOf(program), false), "uninstall-unattended: ");
        transcript.write(entry);
        after += entry;
    }
    return recorded(transcript, status, true, opening, ending + after, lastDialog);
}

}  // namespace

// No failure ends the runner unsaid: it becomes a line and 1603.
int main(int argc, char** argv) {
    Helpers::guardElevatedProcess();
    std::string why;
    try {
        return run(argc, argv);
    } catch (const exceptions::Exception& e) {
        why = e.getMessage();
    } catch (const std::exception& e) {
        why = e.what();
    } catch (...) {
    }
    writeError("uninstall-unattended: the run ended on an unexpected failure" + (why.empty() ? "" : ": " + why) + "\n");
    return ERROR_INSTALL_FAILURE;
}
