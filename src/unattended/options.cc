#include "unattended/options.h"

#include <cstdlib>

namespace unattended {

const char kAllowReplaceable[] = "--allow-replaceable-program";

const char kUsage[] =
    "usage: uninstall-unattended.exe [--allow-system-folder] [--timeout SECONDS] [--log FILE] [--what-if]\n"
    "                                [--keep-programs] [--allow-replaceable-program] [PATH_TO_UNINSTALL_EXE]\n"
    "Runs uninstall.exe (by default the one beside this program) and answers its dialogs:\n"
    "Yes to the confirmation, No to deleting a DLL from a Windows system folder unless\n"
    "--allow-system-folder is given, OK to every message. Prints each dialog; --log also\n"
    "appends it to FILE. Exits with the uninstaller's status: 0 done, 3010 done after a\n"
    "reboot, 1602 cancelled, 1605 nothing there, 1603 failed; 1460 when a step made no\n"
    "progress for SECONDS (default 300); 1622 when FILE cannot be opened. --what-if changes\n"
    "nothing: it tells what a run would do, and exits with its status. On 3010 the files are\n"
    "deleted at the next restart; on 0 the product's programs too (this one and its folder at\n"
    "the restart), unless --keep-programs. Each real run writes one Application event log\n"
    "record (source Vantrel Uninstall). /S, /quiet, /qn, /silent, /verysilent, /norestart\n"
    "change nothing; /l*v FILE and /log FILE mean --log FILE. An uninstaller that a standard\n"
    "user could have replaced is not started (1603) unless --allow-replaceable-program.\n"
    "--help, -h or /? prints this.\n";

namespace {

// Windows Installer's and common installers' switches for a log file, which
// templates pass out of habit: they mean --log.
bool isLogSwitch(const std::string& argument) {
    return argument == "--log" || lstrcmpiA(argument.c_str(), "/l*v") == 0 || lstrcmpiA(argument.c_str(), "/log") == 0;
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

}  // namespace

Request parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i)
        if (isHelp(argv[i])) return Request::Help;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        // An option's value that is missing, empty or itself an option or a
        // switch: a forgotten value must not swallow the next one.
        const char next = i + 1 < argc ? argv[i + 1][0] : '\0';
        const bool hasValue = next != '\0' && next != '-' && next != '/';
        if (isHabit(argument)) {
            options.habits += (options.habits.empty() ? "" : " ") + argument;
        } else if (argument == "--allow-system-folder") {
            options.allowSystemFolder = true;
        } else if (argument == "--what-if") {
            options.whatIf = true;
        } else if (argument == "--keep-programs") {
            options.keepPrograms = true;
        } else if (argument == kAllowReplaceable) {
            options.allowReplaceable = true;
        } else if (isLogSwitch(argument) && hasValue && options.log.empty()) {
            options.log = argv[++i];
        } else if (argument == "--timeout" && hasValue) {
            char* end = nullptr;
            options.timeoutSeconds = std::strtoul(argv[++i], &end, 10);
            // At most a day, so that the milliseconds fit in 32 bits.
            if (*argv[i] < '0' || *argv[i] > '9' || *end != '\0' || options.timeoutSeconds == 0 ||
                options.timeoutSeconds > 86400)
                return Request::Invalid;
        } else if (argument.empty() || argument[0] == '-' || argument[0] == '/' || !options.program.empty()) {
            return Request::Invalid;
        } else {
            options.program = argument;
        }
    }
    return Request::Run;
}

}  // namespace unattended
