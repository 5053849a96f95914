// The runner's dry run: uninstall.exe's own procedure, started as from its
// folder and answered as the runner answers, with every change withheld:
// each step checks through the same handles whether it could be done and
// says what it would do.
#ifndef VANTREL_UNATTENDED_WHAT_IF_H_
#define VANTREL_UNATTENDED_WHAT_IF_H_

#include <windows.h>

#include <string>

#include "app/product_files.h"
#include "unattended/options.h"
#include "unattended/transcript.h"

namespace unattended {

struct Forecast {
    std::string report;  // what was checked and found, a line each
    DWORD status;        // the exit status a real run would have
    bool gone = false;   // the product would be gone, at once or at the restart
    vantrel::uninstall::ProductFiles found;  // the product's files, found once before
};

// Forecasts a run of `program`, the uninstaller, in its folder;
// `allowSystemFolder` as the runner's option.
Forecast forecastUninstall(const std::string& program, bool allowSystemFolder);

// The runner's --what-if: the forecast of a run of `program`, and what
// would follow it (the programs' and the Apps & Features entry's removal),
// written to the transcript, ending with the status it foresees, which it
// returns. A program that cannot start is foretold with the system's code,
// as a real run reports it.
int whatIf(Transcript& transcript, const std::string& program, const Options& options);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_WHAT_IF_H_
