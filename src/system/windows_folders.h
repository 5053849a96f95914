// Windows' own folders: the directory a query answers, every folder of
// Windows' system DLLs, where WOW64 leads a 32-bit program, this program's
// own folder, and the guards that keep an elevated process to them.
#ifndef VANTREL_SYSTEM_WINDOWS_FOLDERS_H_
#define VANTREL_SYSTEM_WINDOWS_FOLDERS_H_

#include <windows.h>

#include <string>
#include <vector>

namespace io {

// A directory query shaped like GetSystemDirectoryA: fills the buffer and
// returns the length, or the size needed when the buffer is too small, or
// 0 on failure with the last error set.
typedef UINT(WINAPI* DirectoryQuery)(LPSTR buffer, UINT size);

// What `query` answers, followed by a backslash; throws
// exceptions::Exception with the system's error text when it fails.
std::string getDirectory(DirectoryQuery query);

// Every folder that holds Windows' own system DLLs: the system directory,
// and where they exist the 32-bit one of 64-bit Windows and the 64-bit one
// as 32-bit programs reach it (Sysnative). Throws exceptions::Exception
// when the system directory cannot be asked for.
std::vector<std::string> getSystemDirectories();

// `folder` as WOW64 leads a 32-bit program on 64-bit Windows: the system
// directory to the 32-bit one (SysWOW64), Sysnative to the system
// directory; elsewhere, and any other folder, as it is.
std::string wow64Redirected(const std::string& folder);

// Whether this Windows is 64-bit: this process is, or runs under WOW64.
bool windowsIs64Bit();

// The folder of this process's program file, in full, followed by a
// backslash; "" when the system cannot tell.
std::string getProgramDirectory();

// Turns on, where Windows offers them, the guards of an elevated process:
// links that standard users made are not followed, and DLLs load from the
// system folder only. Looked up at run time; where the system lacks or
// refuses them, the process goes on without.
void guardElevatedProcess();

}  // namespace io

#endif  // VANTREL_SYSTEM_WINDOWS_FOLDERS_H_
