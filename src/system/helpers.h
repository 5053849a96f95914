// Windows services of the uninstaller: system error texts, the well-known
// directories, the search for a file across them, and paths.
#ifndef VANTREL_SYSTEM_HELPERS_H_
#define VANTREL_SYSTEM_HELPERS_H_

#include <windows.h>

#include <string>
#include <vector>

class Helpers {
public:
    // A directory query shaped like GetSystemDirectoryA: fills the buffer and
    // returns the length, or the size needed when the buffer is too small,
    // or 0 on failure with the last error set.
    typedef UINT(WINAPI* DirectoryQuery)(LPSTR buffer, UINT size);

    Helpers() = delete;

    // "System error message: " followed by the system's text for the code,
    // line break included; never throws.
    static std::string getErrorMessage(const int errorCode);

    // The process's current directory followed by a backslash.
    static std::string getCurrentDirectory();

    // The Windows system directory followed by a backslash.
    static std::string getSystemDirectory();

    // The Windows directory followed by a backslash.
    static std::string getWindowsDirectory();

    // The folder of this process's program file, in full, followed by a
    // backslash; "" when the system cannot tell.
    static std::string getProgramDirectory();

    // What `query` answers, followed by a backslash; throws
    // exceptions::Exception with the system's error text when it fails.
    static std::string getDirectory(DirectoryQuery query);

    // What ends a search: a file that opens for reading, or any file of
    // that name, open or held (a folder of that name is no file).
    enum class Accept { Openable, Present };

    // The path of the first of the application, current, system and Windows
    // directories that holds `fileName` as `accept` says; throws
    // io::FileNotFoundException with a report of every attempt when none
    // does. The application directory is argument 0's, or, where that names
    // no folder by a backslash (a start by bare name, or with forward
    // slashes), the program file's. With `startedIn`, the search of a
    // program in that directory started from it: both the first and the
    // second place are that directory.
    static std::string findFile(const std::string& fileName, const std::string& startedIn = "",
                                Accept accept = Accept::Openable);

    // Every folder that holds Windows' own system DLLs: the system
    // directory, and where they exist the 32-bit one of 64-bit Windows and
    // the 64-bit one as 32-bit programs reach it (Sysnative). Throws
    // exceptions::Exception when the system directory cannot be asked for.
    static std::vector<std::string> getSystemDirectories();

    // Whether two directories are one folder: by the file system's identity
    // (so links, other drive letters and any spelling match), or, where
    // either cannot be opened, by their full, long names in any letter case.
    // An empty directory is the current one.
    static bool isSameDirectory(const std::string& first, const std::string& second);

    // The volume and file index of what `path` names now: the same for every
    // path that reaches it, through links and drive letters. False when it
    // cannot be opened.
    static bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& identity);

    // Whether two identities are one file or folder.
    static bool isSameObject(const BY_HANDLE_FILE_INFORMATION& x, const BY_HANDLE_FILE_INFORMATION& y);

    // Whether two paths name one file or folder: by the file system's
    // identity, or, where either cannot be opened, by their full, long names
    // in any letter case.
    static bool isSameFile(const std::string& first, const std::string& second);

    // GetFinalPathNameByHandleA's shape.
    typedef DWORD(WINAPI* FinalPathQuery)(HANDLE file, LPSTR buffer, DWORD size, DWORD flags);

    // Where an open file really lies, as `query` tells it, without the
    // "\\?\" prefix and with a share as \\server\share; "" when the
    // system cannot tell.
    static std::string getFinalPath(HANDLE file, FinalPathQuery query = GetFinalPathNameByHandleA);

    // Where what `path` names now really lies, links followed, as
    // getFinalPath tells it; "" when it cannot be opened or the system
    // cannot tell.
    static std::string getFinalPathOf(const std::string& path, FinalPathQuery query = GetFinalPathNameByHandleA);

    // The full path of `path`; `path` itself when the system cannot tell.
    static std::string getFullPath(const std::string& path);

    // The full path of `path` with every short name made long, as far as
    // the system can tell.
    static std::string getLongFullPath(const std::string& path);

    // `folder` as WOW64 leads a 32-bit program on 64-bit Windows: the system
    // directory to the 32-bit one (SysWOW64), Sysnative to the system
    // directory; elsewhere, and any other folder, as it is.
    static std::string wow64Redirected(const std::string& folder);

    // Whether two paths are the same text in any letter case.
    static bool isSamePath(const std::string& first, const std::string& second);

    // Turns on, where Windows offers them, the guards of an elevated
    // process: links that standard users made are not followed, and DLLs
    // load from the system folder only. Looked up at run time; where the
    // system lacks or refuses them, the process goes on without.
    static void guardElevatedProcess();
};

// `text` without its trailing line breaks, to end a line of its own.
std::string withoutLineBreaks(std::string text);

// Helpers::getErrorMessage of `error`, to stand within a line.
std::string reasonFor(DWORD error);

// `text` in UTF-16 with its terminating NUL, from the process code page.
std::vector<wchar_t> wide(const std::string& text);

#endif  // VANTREL_SYSTEM_HELPERS_H_
