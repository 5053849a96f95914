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

// "" when only administrators could have replaced `program` or the probe
// this program loads into it, or redirected where either is reached (the
// product's files lie beside the program); else the line that says who
// could, after which the probe is not loaded.
std::string whoCouldReplace(const std::string& program);

// Says why `program` cannot start, records the run that never started and
// returns the system's code; `opening` is the run's first line.
int cannotStart(Transcript& transcript, const std::string& opening, const std::string& program, DWORD error);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_START_H_
