// Starting the uninstaller: whether this Windows can start it, whether
// anyone but administrators could have replaced what the runner starts or
// loads, and the run's end when it cannot start.
#ifndef VANTREL_UNATTENDED_START_H_
#define VANTREL_UNATTENDED_START_H_

#include <windows.h>

#include <string>

#include "unattended/transcript.h"

namespace unattended {

// 0 when `program` is a Windows program file that this Windows starts;
// else the system's code for why not. A script or a shortcut, which the
// system would hand to another program, is no program here, and a 64-bit
// one does not start on 32-bit Windows.
DWORD unstartable(const std::string& program);

// Whether the runner may start `program`, and what it says first: `said`
// is "" where only administrators could have replaced or redirected it or
// the probe beside this program (the product's files lie beside the
// program), else who could, in one line without the runner's prefix, after
// which the probe is not loaded. `refused` where the program itself could
// have been, unless `allowed`.
struct StartCheck {
    bool refused = false;
    std::string said;
};
StartCheck checkStart(const std::string& program, bool allowed);

// Says why `program` cannot start, records the run that never started and
// returns the system's code; `opening` is the run's first line.
int cannotStart(Transcript& transcript, const std::string& opening, const std::string& program, DWORD error);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_START_H_
