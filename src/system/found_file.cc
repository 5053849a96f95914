#include "system/found_file.h"

#include <winternl.h>

#include <vector>

#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/paths.h"
#include "system/text.h"
#include "system/helpers.h"
#include "system/windows_folders.h"

namespace io {

namespace {

typedef ULONG(NTAPI* ErrorCall)(NTSTATUS);

// The system's code of a native status; ntdll is in every process, so
// nothing is imported.
DWORD systemError(NTSTATUS status) {
    const auto toError = reinterpret_cast<ErrorCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlNtStatusToDosError")));
    return toError ? toError(status) : ERROR_GEN_FAILURE;
}

// The last name of a folder's path, without its backslash.
std::string lastName(std::string folder) {
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return getPathFileName(folder);
}

// Refuses `path`, which `what` ("is a link to ...") and `detail` describe;
// `error` where an open failed.
[[noreturn]] void refuse(const std::string& path, const std::string& what, const std::string& detail = ".",
                         DWORD error = 0) {
    throw FileRefusal(path + " " + what + detail +
                          " The uninstaller does not change files through links, so nothing was changed.\n" +
                          (error != 0 ? Helpers::getErrorMessage(static_cast<int>(error)) : ""),
                      "it " + what, error);
}

}  // namespace

bool isNameSurrogate(HANDLE file, const FileCalls& calls) {
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    if (calls.information(file, FileAttributeTagInfo, &tag, sizeof tag))
        return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag.ReparseTag);
    BY_HANDLE_FILE_INFORMATION attributes;
    return !calls.identity(file, &attributes) || (attributes.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool deleteOnClose(HANDLE file) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

FoundFile::FoundFile(const std::string& path, const FileCalls& calls, Opening opening)
    : foundPath(path), fileCalls(calls) {
    const std::string full = io::getFullPath(path);
    const std::string folderPath = getPathDirectory(full);
    fileName = getPathFileName(full);
    folder.reset(CreateFileA(folderPath.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                             kAllSharing, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION folderIdentity;
    if (!folder.valid() || !calls.identity(folder.get(), &folderIdentity))
        refuse(path, "cannot be checked for links", ".", GetLastError());
    // The rights of every later step, asked for at once. A program that
    // holds the file without delete sharing refuses the deletion; the file
    // is then still opened, to be checked and have its attributes reset,
    // and the deletion is asked for again when it comes.
    const DWORD rights = FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
    const DWORD options = FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT;
    const DWORD disposition = opening == Opening::OrNew ? FILE_OPEN_IF : FILE_OPEN;
    DWORD error = 0;
    file.reset(openInFolder(fileName, rights | DELETE, kAllSharing, disposition, options, error, &madeHere));
    if (!file.valid()) {
        deleteRefusal = error;
        file.reset(openInFolder(fileName, rights, kAllSharing, disposition, options, error, &madeHere));
    }
    if (!file.valid()) refuse(path, "cannot be checked for links", ".", error ? error : GetLastError());
    try {
        check(path, full, folderPath, folderIdentity);
    } catch (const FileRefusal&) {
        // Made only to be checked: nothing of it stays.
        if (madeHere) deleteOnClose(file.get());
        throw;
    }
}

void FoundFile::check(const std::string& path, const std::string& full, const std::string& folderPath,
                      const BY_HANDLE_FILE_INFORMATION& folderIdentity) {
    if (!fileCalls.identity(file.get(), &identity)) refuse(path, "cannot be checked for links", ".", GetLastError());
    if (identity.nNumberOfLinks > 1)
        refuse(path, "has " + std::to_string(identity.nNumberOfLinks) + " names (hard links)",
               "; a change to it would reach every one of them.");
    // Windows opens a link as itself; Wine follows it, and where it leads
    // tells. Where the system cannot say where the file lies, it lies where
    // it was opened: in the checked folder, unless on another volume. Both
    // final paths come from handles, so no redirection of a 32-bit program
    // (Sysnative, System32) stands between them.
    const std::string final = io::getFinalPath(file.get(), fileCalls);
    finalPath = final.empty() ? io::getLongFullPath(full) : final;
    const std::string folderFinal = io::getFinalPath(folder.get(), fileCalls);
    BY_HANDLE_FILE_INFORMATION finalFolder;
    const bool inFolder =
        final.empty() ||
        (io::isSamePath(getPathFileName(final), fileName) &&
         (folderFinal.empty() ? io::identify(getPathDirectory(final), finalFolder) &&
                                      io::isSameObject(finalFolder, folderIdentity)
                              : io::isSamePath(getPathDirectory(final),
                                                    folderFinal + (folderFinal.back() == '\\' ? "" : "\\"))));
    if (isNameSurrogate(file.get(), fileCalls) || identity.dwVolumeSerialNumber != folderIdentity.dwVolumeSerialNumber ||
        !inFolder)
        refuse(path, "is a link to " + (final.empty() ? "another file" : final));
    // A link on the way keeps the folder's name; a folder swapped for a
    // link to another folder does not. A drive's root has no name to keep.
    // Under WOW64 the system folder is SysWOW64, and Sysnative the system
    // folder: no links.
    const std::string given = lastName(io::wow64Redirected(io::getLongFullPath(folderPath)));
    if (!folderFinal.empty() && !given.empty() && given.back() != ':' && !io::isSamePath(lastName(folderFinal), given))
        refuse(path, "lies in a link to " + folderFinal);
    // Wine names a handle by looking its path up after the open: a folder
    // swapped back in between names itself where it no longer lies. The
    // folder its final path names must be the one it holds (as on Windows,
    // where the name comes from the handle).
    BY_HANDLE_FILE_INFORMATION named;
    if (!folderFinal.empty() && io::identify(folderFinal, named) && !io::isSameObject(named, folderIdentity))
        refuse(path, "lies in a folder that was swapped for another while it was opened");
}

HANDLE FoundFile::openInFolder(const std::string& name, DWORD access, DWORD sharing, DWORD disposition,
                               DWORD options, DWORD& error, bool* created) const {
    std::vector<wchar_t> wideName = io::wide(name);
    UNICODE_STRING text;
    text.Buffer = wideName.data();
    text.Length = static_cast<USHORT>(wcslen(wideName.data()) * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder.get(), nullptr);
    // A pipe's server may identify this process, never act as it.
    SECURITY_QUALITY_OF_SERVICE quality = {sizeof quality, SecurityIdentification, SECURITY_STATIC_TRACKING, FALSE};
    attributes.SecurityQualityOfService = &quality;
    IO_STATUS_BLOCK status = {};
    HANDLE opened = INVALID_HANDLE_VALUE;
    const NTSTATUS result = fileCalls.create(&opened, access, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL,
                                             sharing, disposition, options, nullptr, 0);
    error = result >= 0 ? 0 : systemError(result);
    if (created) *created = result >= 0 && status.Information == FILE_CREATED;
    return result >= 0 ? opened : INVALID_HANDLE_VALUE;
}

namespace {

// Sets a file's attributes through its handle; zero times leave the times
// as they are.
void setAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
}

}  // namespace

void FoundFile::resetAttributes() { setAttributes(file.get(), FILE_ATTRIBUTE_NORMAL); }

void FoundFile::restoreAttributes() { setAttributes(file.get(), identity.dwFileAttributes); }

DWORD FoundFile::remove() {
    io::ScopedHandle deleting = deleteRefusal != 0 ? reopen(DELETE, kAllSharing) : io::ScopedHandle(INVALID_HANDLE_VALUE);
    if (deleteRefusal != 0 && !deleting.valid()) return GetLastError();
    if (!deleteOnClose(deleting.valid() ? deleting.get() : file.get())) {
        const DWORD error = GetLastError();  // Wine may leave it unset
        return error ? error : ERROR_ACCESS_DENIED;
    }
    // Carried out when the last handle goes.
    file.reset(INVALID_HANDLE_VALUE);
    return 0;
}

io::ScopedHandle FoundFile::reopen(DWORD access, DWORD sharing) const {
    // By name inside the checked folder, never ReOpenFile: Wine reopens a
    // file by its path, which a swapped folder redirects.
    DWORD error = 0;
    io::ScopedHandle again(openInFolder(fileName, access, sharing, FILE_OPEN,
                                    FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT,
                                    error));
    BY_HANDLE_FILE_INFORMATION now;
    if (!again.valid() || !GetFileInformationByHandle(again.get(), &now) || !io::isSameObject(now, identity)) {
        // Another file under the name since the check is not this one.
        SetLastError(error ? error : ERROR_FILE_NOT_FOUND);
        return io::ScopedHandle(INVALID_HANDLE_VALUE);
    }
    return again;
}

io::ScopedHandle FoundFile::createBeside(const char* kind) const {
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = fileName + "." + io::toDigits(GetCurrentProcessId(), 16) +
                                 io::toDigits(attempt, 16) + "." + kind;
        DWORD error = 0;
        io::ScopedHandle fresh(openInFolder(name, GENERIC_READ | GENERIC_WRITE | DELETE | SYNCHRONIZE, kAllSharing,
                                            FILE_CREATE, FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, error));
        if (fresh.valid() || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)) return fresh;
    }
    return io::ScopedHandle(INVALID_HANDLE_VALUE);
}

bool FoundFile::folderTakesNewFiles() const {
    // The folder itself, opened again relative to its own handle.
    DWORD error = 0;
    io::ScopedHandle adding(openInFolder("", FILE_ADD_FILE | SYNCHRONIZE, kAllSharing, FILE_OPEN,
                                     FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, error));
    return adding.valid();
}

}  // namespace io
