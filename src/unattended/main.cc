// uninstall-unattended.exe: runs uninstall.exe for an administrator or a
// deployment tool, answers its dialogs, logs each one to standard output and
// exits with the uninstaller's own status.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/constants.h"
#include "system/helpers.h"
#include "unattended/dialog_driver.h"
#include "unattended/transcript.h"
#include "unattended/what_if.h"

namespace {

const char kUsage[] =
    "usage: uninstall-unattended.exe [--allow-system-folder] [--timeout SECONDS] [--log FILE] [--what-if]\n"
    "                                [PATH_TO_UNINSTALL_EXE]\n"
    "Runs uninstall.exe (by default the one beside this program) and answers its dialogs:\n"
    "Yes to the confirmation, No to deleting a DLL from a Windows system folder unless\n"
    "--allow-system-folder is given, OK to every message. Each dialog is printed, and with\n"
    "--log also appended to FILE with the time. Exits with the uninstaller's status: 0 done,\n"
    "3010 done after a reboot, 1602 cancelled, 1605 a file not found, 1603 failed; 1460 when\n"
    "it showed no dialog for SECONDS (default 300). --what-if starts nothing and changes\n"
    "nothing: it prints what a run would find and do, and exits with the status it would have.\n";

struct Options {
    bool allowSystemFolder = false;
    bool whatIf = false;
    unsigned long timeoutSeconds = 300;
    std::string log;
    std::string program;
};

// False for anything but the documented options and at most one path.
bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--allow-system-folder") {
            options.allowSystemFolder = true;
        } else if (argument == "--what-if") {
            options.whatIf = true;
        } else if (argument == "--log" && i + 1 < argc && options.log.empty() && argv[i + 1][0] != '\0') {
            options.log = argv[++i];
        } else if (argument == "--timeout" && i + 1 < argc) {
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

// Says why `program` cannot start and returns the system's code for it.
int cannotStart(Transcript& transcript, const std::string& program, DWORD error) {
    const std::string message = "uninstall-unattended: cannot start " + program + "\n" +
                                Helpers::getErrorMessage(static_cast<int>(error));
    std::fputs(message.c_str(), stderr);
    transcript.log(message);
    return static_cast<int>(error);
}

// The dry run's report, ending with the status it foresees.
int whatIf(Transcript& transcript, const std::string& program, const Options& options) {
    const Forecast forecast = forecastUninstall(program.substr(0, program.rfind('\\') + 1), options.allowSystemFolder);
    transcript.write(prefixLines(forecast.report + program + " would exit with " + std::to_string(forecast.status) +
                                     ": " + outcomeInWords(forecast.status),
                                 "what-if: "));
    return static_cast<int>(forecast.status);
}

}  // namespace

int main(int argc, char** argv) {
    Helpers::guardElevatedProcess();
    Options options;
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return ERROR_INVALID_PARAMETER;
    }
    Transcript transcript;
    if (!options.log.empty()) {
        if (const DWORD error = transcript.openLog(options.log)) {
            std::fprintf(stderr, "uninstall-unattended: cannot append to the log %s\n%s", options.log.c_str(),
                         Helpers::getErrorMessage(static_cast<int>(error)).c_str());
            return ERROR_INVALID_PARAMETER;
        }
    }
    const std::string program = Helpers::getFullPath(
        options.program.empty() ? besideThisProgram("uninstall.exe") : options.program);
    transcript.log(openingLine(program, argc, argv));
    // A dry run only asks whether the program is there.
    if (options.whatIf) {
        if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES)
            return cannotStart(transcript, program, GetLastError());
        return whatIf(transcript, program, options);
    }
    // As Explorer starts it: its quoted path, from its own folder.
    ChildProcess child(program, "\"" + program + "\"", program.substr(0, program.rfind('\\') + 1));
    if (const DWORD error = child.startError()) return cannotStart(transcript, program, error);
    const std::string question = confirmationQuestion();
    const bool ended = answerDialogs(
        child,
        [&](const SeenDialog& dialog) {
            int answer = IDOK;
            // Every question but the confirmation is the system-folder
            // warning: it is refused unless allowed.
            if (dialog.buttons.find("Yes") != std::string::npos)
                answer = dialog.text == question || options.allowSystemFolder ? IDYES : IDNO;
            transcript.write("--- dialog \"" + dialog.caption + "\"" + (dialog.icon.empty() ? "" : ", icon: ") +
                             dialog.icon + ", buttons: " + dialog.buttons + ", default " + dialog.defaultButton +
                             "\n" + dialog.text + "\n--- answered: " + buttonName(answer) + "\n\n");
            return answer;
        },
        static_cast<DWORD>(options.timeoutSeconds * 1000));
    if (!ended) {
        transcript.write("uninstall-unattended: " + program + " showed no dialog for " +
                         std::to_string(options.timeoutSeconds) + " seconds and was ended\n");
        return ERROR_TIMEOUT;
    }
    const DWORD status = child.exitCode();
    transcript.write("uninstall-unattended: " + program + " exited with " + std::to_string(status) + "\n");
    return static_cast<int>(status);
}
