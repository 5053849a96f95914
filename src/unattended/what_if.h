// The runner's dry run: what uninstall.exe, started from its own folder and
// answered as the runner answers, would find, do and end with, told by the
// product's own search, system-folder test and save, without changing a file.
#ifndef VANTREL_UNATTENDED_WHAT_IF_H_
#define VANTREL_UNATTENDED_WHAT_IF_H_

#include <windows.h>

#include <string>

struct Forecast {
    std::string report;  // what was checked and found, a line each
    DWORD status;        // the exit status a real run would have
};

// Forecasts a run of the uninstaller in `programDirectory` (ending in a
// backslash); `allowSystemFolder` as the runner's option.
Forecast forecastUninstall(const std::string& programDirectory, bool allowSystemFolder);

// The configuration file, found from `programDirectory`, whose SYSTEM_DLL
// names the very file `dllPath` (the library the tracer forwards to, which
// is Windows' own); "" when there is none.
std::string systemLibraryConfiguredBy(const std::string& programDirectory, const std::string& dllPath);

// Why the runner answers No to deleting `dllPath`, the library that
// `configPath` names: one line without its line break.
std::string systemLibraryRefusal(const std::string& dllPath, const std::string& configPath);

// The outcome of an exit status of the uninstaller, in words.
const char* outcomeInWords(DWORD status);

#endif  // VANTREL_UNATTENDED_WHAT_IF_H_
