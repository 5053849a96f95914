// The system's calls on files that tests replace, to make them fail, or
// answer as Wine cannot (a volume without final paths, a reparse tag, a
// full disk); every seam of system/ and the log takes this one struct.
#ifndef VANTREL_SYSTEM_CALLS_H_
#define VANTREL_SYSTEM_CALLS_H_

#include <windows.h>
#include <winternl.h>

#include <functional>

namespace io {

struct FileCalls {
    std::function<DWORD(HANDLE file, LPSTR buffer, DWORD size, DWORD flags)> finalPath;  // GetFinalPathNameByHandleA
    std::function<BOOL(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID information, DWORD size)>
        information;  // GetFileInformationByHandleEx
    std::function<BOOL(HANDLE file, LPBY_HANDLE_FILE_INFORMATION identity)> identity;  // GetFileInformationByHandle
    std::function<BOOL(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)>
        write;                                                      // WriteFile
    std::function<BOOL(HANDLE file)> flush;                         // FlushFileBuffers
    std::function<BOOL(HANDLE file, PLARGE_INTEGER size)> size;     // GetFileSizeEx
    std::function<BOOL(LPCSTR folder, PULARGE_INTEGER forCaller, PULARGE_INTEGER total, PULARGE_INTEGER free)>
        freeSpace;  // GetDiskFreeSpaceExA
    // NtCreateFile, which opens relative to a folder's handle as Win32
    // cannot; ntdll is in every process, so nothing is imported.
    std::function<NTSTATUS(PHANDLE file, ACCESS_MASK access, POBJECT_ATTRIBUTES name, PIO_STATUS_BLOCK status,
                           PLARGE_INTEGER size, ULONG attributes, ULONG sharing, ULONG disposition, ULONG options,
                           PVOID extended, ULONG extendedSize)>
        create;
};

// The system's own calls.
const FileCalls& platformFileCalls();

}  // namespace io

#endif  // VANTREL_SYSTEM_CALLS_H_
