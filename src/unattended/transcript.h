// The runner's report: to standard output, and with a log file also
// appended there, each line stamped with the local date and time, one
// block in one write at the log's end, writers taking turns, so that
// runners sharing a log, on a file share too, never mix their lines.
#ifndef VANTREL_UNATTENDED_TRANSCRIPT_H_
#define VANTREL_UNATTENDED_TRANSCRIPT_H_

#include <windows.h>

#include <string>

#include "system/calls.h"
#include "system/handle.h"

namespace unattended {

class Transcript {
public:
    // `calls` write the log, so that a test can make a write fail.
    explicit Transcript(const io::FileCalls& calls = io::platformFileCalls()) : calls(calls) {}

    // Opens `path` for appending, shared with other writers, as a found file
    // is opened (made inside its checked folder where it is missing): the
    // file itself, never a link, with one name, a file on a disk, in the
    // folder it is named in, owned by an administrator, SYSTEM or this
    // process's account, where no standard user could replace it or
    // redirect a folder on its way, and a pipe's server may not act as this
    // process.
    // `error` 0, or the system's error code; `refusal` says why a file is
    // refused.
    struct LogOpen {
        DWORD error = 0;
        std::string refusal;
    };
    LogOpen openLog(const std::string& path);

    // Writes `block` (whole lines) to standard output and to the log, where
    // it is on disk when this returns.
    void write(const std::string& block);

    // Writes `block` to the log only. The first write that fails is said
    // once on standard error; the run goes on. Another writer's turn is
    // waited for a few seconds at most, once a run: then this block and
    // every later one is written without it.
    void log(const std::string& block);

private:
    io::FileCalls calls;
    io::ScopedHandle file{INVALID_HANDLE_VALUE};
    bool failed = false;
    bool turnsWaived = false;  // another writer kept its turn too long
};

// Who ran what where, with the arguments as given: the first line of a
// run's record in the log.
std::string openingLine(const std::string& program, int argc, char** argv);

// Each line of `block` (ended by LF or CR LF) after `prefix`, ended by
// `lineEnd`.
std::string prefixLines(const std::string& block, const std::string& prefix, const char* lineEnd = "\n");

// Writes `text` to standard output at once; on a console as UTF-16, which
// shows it whatever code page the console keeps.
void writeOutput(const std::string& text);

// Writes `text` to standard error as writeOutput does, each of its lines
// ended once.
void writeError(const std::string& text);

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_TRANSCRIPT_H_
