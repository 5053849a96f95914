// The runner's report: to standard output, and with a log file also
// appended there, each line stamped with the local date and time, one
// block in one write, so that runners sharing a log never mix their lines.
#ifndef VANTREL_UNATTENDED_TRANSCRIPT_H_
#define VANTREL_UNATTENDED_TRANSCRIPT_H_

#include <windows.h>

#include <string>

#include "system/handle.h"

class Transcript {
public:
    // Opens `path` for appending, shared with other writers: 0, or the
    // system's error code.
    DWORD openLog(const std::string& path);

    // Writes `block` (whole lines) to standard output and to the log, where
    // it is on disk when this returns.
    void write(const std::string& block);

    // Writes `block` to the log only.
    void log(const std::string& block);

private:
    ScopedHandle file{INVALID_HANDLE_VALUE};
};

// Each line of `block` after `prefix`, ended by `lineEnd`.
std::string prefixLines(const std::string& block, const std::string& prefix, const char* lineEnd = "\n");

#endif  // VANTREL_UNATTENDED_TRANSCRIPT_H_
