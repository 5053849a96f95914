// Paths and what they name: full and long forms, whether two spellings
// name one file or folder (through links and drive letters), and where an
// open file really lies.
#ifndef VANTREL_SYSTEM_PATHS_H_
#define VANTREL_SYSTEM_PATHS_H_

#include <windows.h>

#include <string>

#include "system/calls.h"

namespace io {

// Every sharing mode: how others hold a file must neither decide what is
// learnt of it nor keep this program from the change it is allowed.
const DWORD kAllSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The full path of `path`; `path` itself when the system cannot tell.
std::string getFullPath(const std::string& path);

// The full path of `path` with every short name made long, as far as the
// system can tell.
std::string getLongFullPath(const std::string& path);

// Whether two paths are the same text in any letter case.
bool isSamePath(const std::string& first, const std::string& second);

// The volume and file index of what `path` names now: the same for every
// path that reaches it, through links and drive letters. False when it
// cannot be opened.
bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& identity);

// Whether two identities are one file or folder.
bool isSameObject(const BY_HANDLE_FILE_INFORMATION& x, const BY_HANDLE_FILE_INFORMATION& y);

// Whether two paths name one file or folder: by the file system's identity,
// or, where either cannot be opened, by their full, long names in any
// letter case.
bool isSameFile(const std::string& first, const std::string& second);

// isSameFile for directories; an empty directory is the current one.
bool isSameDirectory(const std::string& first, const std::string& second);

// Where an open file really lies, as `calls` tell it (a test makes them
// fail as some volumes do: mounted without a letter, RAM disks, shares), without the "\\?\"
// prefix and with a share as \\server\share; "" when the system cannot
// tell.
std::string getFinalPath(HANDLE file, const FileCalls& calls = platformFileCalls());

// Where what `path` names now really lies, links followed, as getFinalPath
// tells it; "" when it cannot be opened or the system cannot tell.
std::string getFinalPathOf(const std::string& path, const FileCalls& calls = platformFileCalls());

}  // namespace io

#endif  // VANTREL_SYSTEM_PATHS_H_
