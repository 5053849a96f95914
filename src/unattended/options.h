// The runner's command line: its options, how they are read and its usage.
#ifndef VANTREL_UNATTENDED_OPTIONS_H_
#define VANTREL_UNATTENDED_OPTIONS_H_

#include <windows.h>

#include <string>

namespace unattended {

struct Options {
    bool allowSystemFolder = false;
    bool whatIf = false;
    bool keepPrograms = false;
    bool allowReplaceable = false;  // start an uninstaller a standard user could have replaced
    unsigned long timeoutSeconds = 300;
    std::string log;
    std::string program;
    std::string habits;  // the switches taken as no-ops, as given

    // The time limit of every step, in milliseconds.
    DWORD limit() const { return static_cast<DWORD>(timeoutSeconds * 1000); }
};

// What a command line asks for.
enum class Request { Run, Help, Invalid };

// Reads the arguments after argument 0 into `options`: Help for --help, -h
// or /? anywhere, Invalid for anything but the documented options and at
// most one path (an unknown /switch, or an option's value that starts with
// - or /, among them).
Request parseOptions(int argc, char** argv, Options& options);

// What --help prints, and an invalid command line gets on standard error.
extern const char kUsage[];

// The option that starts an uninstaller a standard user could have replaced.
extern const char kAllowReplaceable[];

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_OPTIONS_H_
