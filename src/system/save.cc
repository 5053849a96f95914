#include "system/save.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "system/io.h"
#include "system/paths.h"

namespace io {

namespace {

// Writes all of `bytes` from the file's start and ends it there, to disk.
bool overwrite(HANDLE file, const std::string& bytes, const FileCalls& calls) {
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!calls.write(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return SetEndOfFile(file) && FlushFileBuffers(file);
}

// Why the open file's whole content could not be read into `bytes`; null
// when it was. A string longer than the library allows is refused with
// length_error, not bad_alloc: both are the memory the file does not fit in.
const char* readWhole(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size, start = {};
    if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return kFailbit;
    if (size.QuadPart > 0xFFFFFFFFll) return kTooLarge;
    try {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    } catch (const std::length_error&) {
        return kNoMemory;
    }
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!ReadFile(file, &bytes[done], chunk, &read, nullptr) || read == 0) return kBadbit;
        done += read;
    }
    return nullptr;
}

}  // namespace

// Our own checked handle may hold the right to delete, so every later
// handle shares deleting too (kAllSharing).
std::string readFile(const FoundFile& file) {
    io::ScopedHandle reading = file.reopen(GENERIC_READ, kAllSharing);
    std::string bytes;
    const char* problem = reading.valid() ? readWhole(reading.get(), bytes) : kFailbit;
    if (problem) throw IOException("Could not load the file: " + file.path() + ". Exception: " + problem);
    return bytes;
}

bool saveFile(FoundFile& file, const std::string& bytes, const FileCalls& calls) {
    // Written in place through the checked file, never replaced by a rename:
    // Wine renames by path, which a swapped folder redirects. The old bytes
    // lie whole beside it until the new ones are on disk.
    io::ScopedHandle target = file.reopen(GENERIC_READ | GENERIC_WRITE, kAllSharing);
    std::string old;
    if (!target.valid() || readWhole(target.get(), old)) return false;
    io::ScopedHandle backup = file.createBeside("bak");
    if (!backup.valid()) return false;
    if (!overwrite(backup.get(), old, calls)) {
        deleteOnClose(backup.get());
        return false;
    }
    const bool saved = overwrite(target.get(), bytes, calls);
    // A failed write is undone; the backup stays only where the file may
    // not hold the old bytes.
    std::string now;
    if (saved || overwrite(target.get(), old, calls) || (!readWhole(target.get(), now) && now == old))
        deleteOnClose(backup.get());
    return saved;
}

SaveForecast foreseeSave(const FoundFile& file, std::size_t newSize, const FileCalls& calls) {
    // The backup is made beside it.
    if (!file.folderTakesNewFiles()) return {};
    // The backup holds the old bytes while the file may grow. A volume that
    // does not tell its free space is not counted against.
    ULARGE_INTEGER room = {};
    const std::string folder = file.path().substr(0, file.path().size() - file.name().size());
    if (calls.freeSpace(folder.c_str(), &room, nullptr, nullptr) &&
        room.QuadPart < file.size() + (newSize > file.size() ? newSize - file.size() : 0))
        return {};
    io::ScopedHandle target = file.reopen(GENERIC_READ | GENERIC_WRITE, kAllSharing);
    if (target.valid()) return {"written in place", false};
    if (!(file.attributes() & FILE_ATTRIBUTE_READONLY)) return {};
    // A real run clears the attribute first; with it, the open cannot tell.
    // A file that opens for deleting is held, if at all, only by programs
    // that let others delete it, and such a holder rarely refuses writing.
    if (file.deleteError() == 0) return {"written in place (it is read-only, which a real run clears first)", false};
    return {nullptr, true};
}

}  // namespace io
