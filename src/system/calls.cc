#include "system/calls.h"

namespace io {

const FileCalls& platformFileCalls() {
    static const FileCalls calls = {GetFinalPathNameByHandleA, GetFileInformationByHandleEx, WriteFile,
                                    FlushFileBuffers,          GetFileSizeEx,                GetDiskFreeSpaceExA};
    return calls;
}

}  // namespace io
