#include "system/calls.h"

namespace io {

namespace {

typedef NTSTATUS(NTAPI* CreateCall)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG,
                                    ULONG, ULONG, ULONG, PVOID, ULONG);

NTSTATUS NTAPI notImplemented(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG, ULONG,
                              ULONG, ULONG, PVOID, ULONG) {
    return static_cast<NTSTATUS>(0xC0000002L);
}

}  // namespace

const FileCalls& platformFileCalls() {
    static const CreateCall create = reinterpret_cast<CreateCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtCreateFile")));
    static const FileCalls calls = {GetFinalPathNameByHandleA,
                                    GetFileInformationByHandleEx,
                                    GetFileInformationByHandle,
                                    WriteFile,
                                    FlushFileBuffers,
                                    GetFileSizeEx,
                                    GetDiskFreeSpaceExA,
                                    create ? create : notImplemented};
    return calls;
}

}  // namespace io
