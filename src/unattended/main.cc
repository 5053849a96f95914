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

namespace {

const char kUsage[] =
    "usage: uninstall-unattended.exe [--allow-system-folder] [--timeout SECONDS] "
    "[PATH_TO_UNINSTALL_EXE]\n"
    "Runs uninstall.exe (by default the one beside this program) and answers its dialogs:\n"
    "Yes to the confirmation, No to deleting a DLL from a Windows system folder unless\n"
    "--allow-system-folder is given, OK to every message. Each dialog is printed. Exits\n"
    "with the uninstaller's status: 0 done, 3010 done after a reboot, 1602 cancelled,\n"
    "1605 a file not found, 1603 failed; 1460 when it showed no dialog for SECONDS\n"
    "(default 300).\n";

struct Options {
    bool allowSystemFolder = false;
    unsigned long timeoutSeconds = 300;
    std::string program;
};

// False for anything but the documented options and at most one path.
bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--allow-system-folder") {
            options.allowSystemFolder = true;
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

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return ERROR_INVALID_PARAMETER;
    }
    const std::string program = Helpers::getFullPath(
        options.program.empty() ? besideThisProgram("uninstall.exe") : options.program);
    // As Explorer starts it: its quoted path, from its own folder.
    ChildProcess child(program, "\"" + program + "\"", program.substr(0, program.rfind('\\') + 1));
    if (const DWORD error = child.startError()) {
        std::fprintf(stderr, "uninstall-unattended: cannot start %s\n%s", program.c_str(),
                     Helpers::getErrorMessage(static_cast<int>(error)).c_str());
        return static_cast<int>(error);
    }
    const std::string question = confirmationQuestion();
    const bool ended = answerDialogs(
        child,
        [&](const SeenDialog& dialog) {
            int answer = IDOK;
            // Every question but the confirmation is the system-folder
            // warning: it is refused unless allowed.
            if (dialog.buttons.find("Yes") != std::string::npos)
                answer = dialog.text == question || options.allowSystemFolder ? IDYES : IDNO;
            std::printf("--- dialog \"%s\"%s%s, buttons: %s, default %s\n%s\n--- answered: %s\n\n",
                        dialog.caption.c_str(), dialog.icon.empty() ? "" : ", icon: ",
                        dialog.icon.c_str(), dialog.buttons.c_str(), dialog.defaultButton.c_str(),
                        dialog.text.c_str(), buttonName(answer));
            std::fflush(stdout);
            return answer;
        },
        static_cast<DWORD>(options.timeoutSeconds * 1000));
    if (!ended) {
        std::printf("uninstall-unattended: %s showed no dialog for %lu seconds and was ended\n",
                    program.c_str(), options.timeoutSeconds);
        return ERROR_TIMEOUT;
    }
    const DWORD status = child.exitCode();
    std::printf("uninstall-unattended: %s exited with %lu\n", program.c_str(), status);
    return static_cast<int>(status);
}
