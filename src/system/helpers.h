// The uninstaller's own services of Windows: the system's text for an
// error code, the directories it searches, and the search for a file
// across them. Paths, Windows' folders and text have headers of their own
// (paths.h, windows_folders.h, text.h).
#ifndef VANTREL_SYSTEM_HELPERS_H_
#define VANTREL_SYSTEM_HELPERS_H_

#include <windows.h>

#include <string>

class Helpers {
public:
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
};

namespace io {

// Helpers::getErrorMessage of `error`, to stand within a line.
std::string reasonFor(DWORD error);

}  // namespace io

#endif  // VANTREL_SYSTEM_HELPERS_H_
