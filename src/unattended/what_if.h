// The runner's dry run: uninstall.exe's own procedure, started as from its
// folder and answered as the runner answers, with every change withheld:
// each step checks through the same handles whether it could be done and
// says what it would do.
#ifndef VANTREL_UNATTENDED_WHAT_IF_H_
#define VANTREL_UNATTENDED_WHAT_IF_H_

#include <windows.h>

#include <string>

struct Forecast {
    std::string report;  // what was checked and found, a line each
    DWORD status;        // the exit status a real run would have
};

// Forecasts a run of `program`, the uninstaller, in its folder;
// `allowSystemFolder` as the runner's option.
Forecast forecastUninstall(const std::string& program, bool allowSystemFolder);

// The runner's answer to the warning before `dllPath` is deleted from a
// Windows system folder: Yes only when allowed, and never for the library
// that the configuration found from `programDirectory` names as Windows'
// own (SYSTEM_DLL); `refusal` then gets the line that says so.
bool answerSystemFolderWarning(const std::string& programDirectory, const std::string& dllPath, bool allowed,
                               std::string& refusal);

// The outcome of an exit status of the uninstaller, in words.
const char* outcomeInWords(DWORD status);

#endif  // VANTREL_UNATTENDED_WHAT_IF_H_
