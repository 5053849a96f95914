#include "system/save.h"

#include <winternl.h>

#include <algorithm>
#include <new>
#include <vector>

namespace io {

namespace {

const DWORD kReadWriteSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Writes all of `bytes` from the file's start and ends it there, to disk.
bool overwrite(HANDLE file, const std::string& bytes, WriteCall write) {
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!write(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return SetEndOfFile(file) && FlushFileBuffers(file);
}

// The whole content of the open file; false when it cannot be read.
bool readWhole(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size, start = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0xFFFFFFFFll || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    try {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!ReadFile(file, &bytes[done], chunk, &read, nullptr) || read == 0) return false;
        done += read;
    }
    return true;
}

typedef NTSTATUS(NTAPI* QuerySecurityCall)(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, ULONG, PULONG);
typedef NTSTATUS(NTAPI* SetSecurityCall)(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR);

// Gives the new file the old one's access rules, as a replacement in place
// of the old one should; ntdll serves, so that nothing more is imported.
// Where it cannot, the new file keeps what its folder gives it.
void keepSecurity(const FoundFile& file, HANDLE fresh) {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto query = reinterpret_cast<QuerySecurityCall>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySecurityObject")));
    const auto set = reinterpret_cast<SetSecurityCall>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetSecurityObject")));
    ScopedHandle old(file.reopen(READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
    ULONG needed = 0;
    if (!query || !set || !old.valid()) return;
    query(old.get(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<char> descriptor(needed);
    if (needed && query(old.get(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed) >= 0)
        set(fresh, DACL_SECURITY_INFORMATION, descriptor.data());
}

bool replace(FoundFile& file, const std::string& bytes, WriteCall write) {
    std::string made;
    ScopedHandle fresh(file.createBeside("new", made));
    if (!fresh.valid()) return false;
    keepSecurity(file, fresh.get());
    if (overwrite(fresh.get(), bytes, write) && file.replaceWith(fresh.get()) == 0) return true;
    deleteOnClose(fresh.get());
    return false;
}

bool writeInPlace(FoundFile& file, const std::string& bytes, WriteCall write) {
    ScopedHandle target(file.reopen(GENERIC_READ | GENERIC_WRITE, kReadWriteSharing));
    std::string old;
    if (!target.valid() || !readWhole(target.get(), old)) return false;
    std::string made;
    ScopedHandle backup(file.createBeside("bak", made));
    if (!backup.valid()) return false;
    if (!overwrite(backup.get(), old, write)) {
        deleteOnClose(backup.get());
        return false;
    }
    const bool saved = overwrite(target.get(), bytes, write);
    // A failed write is undone; the backup stays only where the file may
    // not hold the old bytes.
    std::string now;
    if (saved || overwrite(target.get(), old, write) || (readWhole(target.get(), now) && now == old))
        deleteOnClose(backup.get());
    return saved;
}

}  // namespace

bool readFile(const FoundFile& file, std::string& bytes) {
    ScopedHandle reading(file.reopen(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
    return reading.valid() && readWhole(reading.get(), bytes);
}

bool saveFile(FoundFile& file, const std::string& bytes, WriteCall write) {
    // A program that holds the file without delete sharing refuses any
    // replacement; writing in place still works.
    if (file.deleteError() == 0 && replace(file, bytes, write)) return true;
    return writeInPlace(file, bytes, write);
}

const char* foreseeSave(const FoundFile& file, bool& unknown) {
    unknown = false;
    // Either way a file is made beside it.
    if (!file.folderTakesNewFiles()) return nullptr;
    if (file.deleteError() == 0) return "replaced";
    ScopedHandle target(file.reopen(GENERIC_READ | GENERIC_WRITE, kReadWriteSharing));
    if (target.valid()) return "written in place";
    // A real run clears the attribute first; with it, the open cannot tell.
    unknown = (file.attributes() & FILE_ATTRIBUTE_READONLY) != 0;
    return nullptr;
}

}  // namespace io
