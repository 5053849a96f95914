// Starting the uninstaller: whether this Windows can start it, whether
// anyone but administrators could have replaced what the runner starts or
// loads, and the run's end when it cannot start.
#ifndef VANTREL_UNATTENDED_START_H_
#define VANTREL_UNATTENDED_START_H_

#include <windows.h>

#include <string>

#include "system/security.h"
#include "unattended/transcript.h"

namespace unattended {

// 0 when `program` is a Windows program file that this Windows starts;
// else the system's code for why not. A script or a shortcut, which the
// system would hand to another program, is no program here, and a 64-bit
// one does not start on 32-bit Windows.
DWORD unstartable(const std::string& program);

// Who could have replaced what the runner would start and load, or
// redirected where it is reached (the product's files lie beside the
// program): `program`, and the probe beside this program. Each path is
// empty where only administrators could.
struct Replaceable {
    io::Redirection program, probe;
};
Replaceable whoCouldReplace(const std::string& program);

// The line that refuses to start a `program` that `replaceable` says a
// standard user could have replaced, unless `allowed`; else the line that
// says what could be replaced, after which the probe is not loaded; "" when
// nothing could.
std::string replaceableLine(const std::string& program, const Replaceable& replaceable, bool allowed, bool& refused);

// Says why `program` cannot start, records the run that never started and
// returns the system's code; `opening` is the run's first line.
int cannotStart(Transcript& transcript, const std::string& opening, const std::string& program, DWORD error);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_START_H_
