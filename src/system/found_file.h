// One file that the search found, opened once and checked before anything
// changes it. Every change the programs make to it goes through a handle
// opened inside its checked folder and checked to be that file, and every
// file made beside it is made inside that folder, so a folder swapped for a
// link afterwards redirects nothing.
#ifndef VANTREL_SYSTEM_FOUND_FILE_H_
#define VANTREL_SYSTEM_FOUND_FILE_H_

#include <windows.h>

#include <string>

#include "exceptions/exception.h"
#include "system/handle.h"
#include "system/helpers.h"
#include "system/paths.h"

namespace io {

// Why a found file is refused: the message names the path, `reason` says
// why in words that follow "the file is refused: ", and `error` is the
// system's code where an open failed (0 otherwise).
class FileRefusal : public exceptions::Exception {
public:
    FileRefusal(const std::string& message, const std::string& reason, DWORD error)
        : exceptions::Exception(message), why(reason), code(error) {}
    const std::string& reason() const { return why; }
    DWORD error() const { return code; }

private:
    std::string why;
    DWORD code;
};

class FoundFile {
public:
    // Whether a file is made where none has the name (inside the checked
    // folder, like every later open).
    enum class Opening { Existing, OrNew };

    // Opens the folder of `path`, then the file by its name inside that
    // folder, and checks both. Throws FileRefusal naming the path and why
    // when the file cannot be opened, is a link out of its folder (a
    // reparse point that stands for another name; compressed, deduplicated
    // and cloud files carry other tags and are files), has other names
    // (hard links), or its folder is a link to a folder of another name: an
    // elevated program must not be steered by a link that someone else
    // planted. A file it made is deleted again when refused. `calls` tell
    // the final paths and the reparse tag.
    explicit FoundFile(const std::string& path, const FileCalls& calls = platformFileCalls(),
                       Opening opening = Opening::Existing);
    FoundFile(const FoundFile&) = delete;
    FoundFile& operator=(const FoundFile&) = delete;

    // The path it was found by.
    const std::string& path() const { return foundPath; }
    // The name within its folder.
    const std::string& name() const { return fileName; }
    // Where it really lies: its final path, through any drive letter that
    // `subst` made or that maps a share; its full, long path where the
    // system cannot tell.
    const std::string& realPath() const { return finalPath; }

    // Its attributes when it was opened.
    DWORD attributes() const { return identity.dwFileAttributes; }
    // Its size in bytes when it was opened.
    ULONGLONG size() const { return (ULONGLONG(identity.nFileSizeHigh) << 32) | identity.nFileSizeLow; }

    // 0 when the file opened for deleting; else the system's code of why
    // not (a program holds it without delete sharing), which a deletion
    // would then meet.
    DWORD deleteError() const { return deleteRefusal; }

    // Clears read-only, hidden and system, through the handle.
    void resetAttributes();
    // Gives it back the attributes it had when it was opened.
    void restoreAttributes();

    // Deletes the file through the handle, and lets go of it: 0, or the
    // system's code. Where the first open lacked the right to delete, it is
    // asked for again, of the same open file.
    DWORD remove();

    // The same file opened once more with `access` and `sharing`, by its
    // name inside the checked folder; invalid, with the last error set,
    // when refused or when the name now holds another file.
    io::ScopedHandle reopen(DWORD access, DWORD sharing) const;

    // A new file named this file's name, a dot, a unique part, a dot and
    // `kind`, made inside the checked folder, open with the right to delete
    // it. Invalid when none can be made.
    io::ScopedHandle createBeside(const char* kind) const;

    // Whether the checked folder lets this process add a file to it.
    bool folderTakesNewFiles() const;

    // Whether this open made the file.
    bool made() const { return madeHere; }

private:
    HANDLE openInFolder(const std::string& name, DWORD access, DWORD sharing, DWORD disposition, DWORD options,
                        DWORD& error, bool* created = nullptr) const;
    void check(const std::string& path, const std::string& full, const std::string& folderPath,
               const BY_HANDLE_FILE_INFORMATION& folderIdentity);

    std::string foundPath, fileName, finalPath;
    FileCalls fileCalls;  // every later open goes through them too
    io::ScopedHandle folder{INVALID_HANDLE_VALUE}, file{INVALID_HANDLE_VALUE};
    BY_HANDLE_FILE_INFORMATION identity = {};
    DWORD deleteRefusal = 0;
    bool madeHere = false;
};

// Whether the open `file` is a reparse point that stands for another name
// (a symbolic link, a junction), as `information` tells its tag; one whose
// tag cannot be read is taken for one.
bool isNameSurrogate(HANDLE file, const FileCalls& calls = platformFileCalls());

// Deletes the file open as `file`, which must have been opened with DELETE
// access, when the handle is closed: true when the system agreed.
bool deleteOnClose(HANDLE file);

}  // namespace io

#endif  // VANTREL_SYSTEM_FOUND_FILE_H_
