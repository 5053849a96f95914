// Completing a removal at the next restart, as Windows Installer does with
// a file in use: deletions that the Session Manager carries out before any
// program starts (MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT, kept in
// PendingFileRenameOperations).
#ifndef VANTREL_UNATTENDED_RESTART_H_
#define VANTREL_UNATTENDED_RESTART_H_

#include <windows.h>

#include <functional>
#include <string>

#include "app/product_files.h"
#include "system/security.h"
#include "unattended/mode.h"

namespace unattended {

// The system calls of scheduling, so that a test can make them fail as the
// system documents it. The platform's own are platformRestartCalls().
struct RestartCalls {
    // Schedules the deletion of `path` at the next restart: 0, or the
    // system's error code.
    std::function<DWORD(const std::string& path)> scheduleDeletion;
    // 0 when a deletion could be scheduled now, else the system's code.
    std::function<DWORD()> checkScheduling;
    // Whether the deletion of `path` at the next restart is pending.
    std::function<bool(const std::string& path)> isScheduled;
    // How a standard user could redirect `path` (io::whoMayRedirect).
    std::function<io::Redirection(const std::string& path)> mayRedirect;
    // The kind of the drive whose root is `root` ("X:\\"), as GetDriveTypeA
    // tells it: DRIVE_REMOTE for a share mapped to a letter.
    std::function<UINT(const char* root)> driveType;
    // What tells a file's final path, which the restart goes by.
    io::FileCalls files = io::platformFileCalls();
};

const RestartCalls& platformRestartCalls();

// Whether `path` lies on a share: spelled as one (\\server\share, \\?\UNC\),
// or on a drive letter that `calls` tell is mapped to one.
bool onNetworkDrive(const std::string& path, const RestartCalls& calls = platformRestartCalls());

// Schedules the file `foundPath`, named `name` in the lines, for deletion at
// the next restart, or in Mode::Check tells whether it would, by the rules
// below; adds its line to `lines`. True when it is, or would be, scheduled.
bool scheduleAtRestart(const std::string& name, const std::string& foundPath, Mode mode, const RestartCalls& calls,
                       std::string& lines);

// Schedules the tracer DLL, then the configuration file, that were found
// for the uninstaller in `programDirectory` (`found`, Windows' own DLL
// included) for deletion at the next restart, or in Mode::Check tells
// whether it would, without changing anything.
// A line for each file. Both files go only where both lie in
// `programDirectory`, the product's folder. A DLL in a Windows system
// folder, a file that is a link, a file in a folder that a standard user may change (or under one),
// a file on a network drive, which the restart cannot reach, and a file
// already scheduled are not scheduled; the configuration file
// only when the DLL is, so that a second run still finds it. Files go by
// their full, long names, in the lines and the registry alike.
struct Scheduled {
    std::string lines;
    bool both = false;  // both files are, or would be, scheduled
};
Scheduled scheduleRemoval(const vantrel::uninstall::ProductFiles& found, const std::string& programDirectory, Mode mode,
                          const RestartCalls& calls = platformRestartCalls());

}  // namespace unattended

#endif  // VANTREL_UNATTENDED_RESTART_H_
