#include "system/paths.h"
#include "system/save.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "exceptions/exception.h"
#include "tools/test_support.h"

namespace {

// The file's bytes, read while the save holds it open for deleting.
std::string readShared(const std::string& path) {
    io::ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr));
    char bytes[64];
    DWORD read = 0;
    return ReadFile(file.get(), bytes, sizeof bytes, &read, nullptr) ? std::string(bytes, read) : "";
}

// File calls whose writes first note whether the file's old bytes lie
// whole in a backup beside it (what a crash now would leave, in
// `backedUp`); the file's first `halfWrites` writes stop halfway: a full
// disk.
io::FileCalls watchedWrites(int halfWrites, bool& backedUp) {
    io::FileCalls calls = io::platformFileCalls();
    calls.write = [halfWrites, &backedUp, writes = 0](HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written,
                                                      LPOVERLAPPED overlapped) mutable {
        const std::string path = io::getFinalPath(file);
        if (path.size() < 10 || path.compare(path.size() - 10, 10, "config.txt") != 0)
            return WriteFile(file, bytes, size, written, overlapped);
        bool found = false;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
            found |= entry.path().extension() == ".bak" && readShared(entry.path().string()) == "old bytes";
        backedUp &= found;
        if (writes++ >= halfWrites) return WriteFile(file, bytes, size, written, overlapped);
        WriteFile(file, bytes, size / 2, written, overlapped);
        return FALSE;
    };
    return calls;
}

// The save's steps failing as the system documents they can, while a
// program holds the file as fopen does; `taken`: the first backup name
// beside the file is another's; `backupKept`: the file may not hold the old
// bytes, so the backup stays.
TEST(SaveFileTest, NothingIsLostWhenAStepFailsAsTheSystemSays) {
    const struct { const char* name; int halfWrites; bool taken, saved; std::string bytes; bool backupKept; } cases[] = {
        {"the write fails halfway: the old bytes go back", 1, false, false, "old bytes", false},
        {"putting the old bytes back fails too: the backup stays", 2, false, false, "old BYTEs", true},
        {"the first name beside it is another's: the next one serves", 0, true, true, "NEW BYTES, LONGER", false},
    };
    for (const auto& c : cases) {
        ScratchDirectory scratch;
        const std::string target = scratch.write("config.txt", "old bytes");
        std::multiset<std::string> expected = {"config.txt"};
        if (c.taken) {
            char name[64];
            std::snprintf(name, sizeof name, "config.txt.%lx0.bak", GetCurrentProcessId());
            scratch.write(name, "another's bytes");
            expected.insert(name);
        }
        io::ScopedHandle holder(CreateFileA(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
        bool backedUp = true;
        {
            io::FoundFile file(target);
            EXPECT_EQ(c.saved, io::saveFile(file, "NEW BYTES, LONGER", watchedWrites(c.halfWrites, backedUp))) << c.name;
        }
        holder.reset(INVALID_HANDLE_VALUE);
        EXPECT_TRUE(backedUp) << c.name;
        EXPECT_EQ(c.bytes, readFile(target)) << c.name;
        // No temporary file is left beside it, nor a backup that is not
        // needed; another's file keeps its bytes.
        std::multiset<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch.directory())) {
            const std::string bytes = readFile(entry.path().string());
            const bool backup = entry.path().extension() == ".bak" && bytes == "old bytes";
            names.insert(backup ? "(backup)" : entry.path().filename().string());
            EXPECT_TRUE(backup || bytes == c.bytes || bytes == "another's bytes") << c.name << ": " << entry.path();
        }
        if (c.backupKept) expected.insert("(backup)");
        EXPECT_EQ(expected, names) << c.name;
    }
}

// `calls` with every file carrying reparse point `tag`, which Wine cannot
// make (0: the file's own).
io::FileCalls tagged(io::FileCalls calls, ULONG tag) {
    if (tag)
        calls.information = [tag](HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID information, DWORD) {
            *static_cast<FILE_ATTRIBUTE_TAG_INFO*>(information) = {FILE_ATTRIBUTE_REPARSE_POINT, tag};
            return TRUE;
        };
    return calls;
}

// The check decides by the handle: where the system cannot tell a final
// path, the file lies in the folder it was opened in; a drive's root has no
// name for its final path to keep; only a reparse point that stands for
// another name is a link (a file that Windows compressed, deduplicated or
// holds for a cloud is a file); what cannot be opened, or not as a file, is
// refused.
TEST(FoundFileTest, TheHandleDecidesWhetherAFileIsALink) {
    ScratchDirectory scratch;
    // On a drive that `subst` made, Windows names the folder it stands for.
    const io::FileCalls substitutedDrive = finalPathsMoved("\\\\?\\V:", "\\\\?\\C:\\vroot"), system = io::platformFileCalls();
    io::FileCalls noFinalPath = finalPathIs(""), noFinalPathOtherVolume = noFinalPath;
    noFinalPathOtherVolume.identity = [](HANDLE object, LPBY_HANDLE_FILE_INFORMATION identity) {
        const BOOL told = GetFileInformationByHandle(object, identity);
        if (!(identity->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) identity->dwVolumeSerialNumber ^= 1;
        return told;
    };
    const std::string refused = " The uninstaller does not change files through links, so nothing was changed.\n";
    const std::string file = scratch.write("ws2_32.dll", "MZ"), linked = file + " is a link to " +
                                                                         io::getFinalPathOf(file) + "." + refused;
    if (runsUnderWine()) writeFile("V:\\root.txt", "x");  // the Wine runner's drive for C:\vroot
    const struct { std::string path; const io::FileCalls& calls; ULONG tag; std::string error; } cases[] = {
        {scratch.write("plain.txt", "x"), noFinalPath, 0, ""},
        {runsUnderWine() ? "V:\\root.txt" : file, substitutedDrive, 0, ""},
        {file, system, IO_REPARSE_TAG_SYMLINK, linked},
        {file, noFinalPath, IO_REPARSE_TAG_SYMLINK, file + " is a link to another file." + refused},
        {file, noFinalPathOtherVolume, 0, file + " is a link to another file." + refused},
        {file, system, IO_REPARSE_TAG_MOUNT_POINT, linked},
        {file, system, 0x80000017L /* WOF: compact /exe */, ""},
        {file, system, IO_REPARSE_TAG_DEDUP, ""},
        {file, system, 0x9000001AL /* cloud */, ""},
        {scratch.path("missing.txt"), noFinalPath, 0,
         scratch.path("missing.txt") + " cannot be checked for links." + refused + "System error message: " +
             systemText(ERROR_FILE_NOT_FOUND)},
        {scratch.makeDirectory("folder.txt").substr(0, scratch.path("folder.txt").size()), system, 0,
         scratch.path("folder.txt") + " cannot be checked for links." + refused + "System error message: " +
             systemText(ERROR_ACCESS_DENIED)},
    };
    for (const auto& c : cases) {
        std::string error;
        try {
            io::FoundFile found(c.path, tagged(c.calls, c.tag));
        } catch (const exceptions::Exception& e) {
            error = e.getMessage();
        }
        EXPECT_EQ(c.error, error) << c.path << " " << std::hex << c.tag;
    }
    DeleteFileA("V:\\root.txt");
}

// A file held against deleting when it was found, and let go since, is
// deleted: the deletion is asked of a handle that has the right to it.
TEST(FoundFileTest, AFileLetGoSinceItWasFoundIsDeleted) {
    ScratchDirectory scratch;
    const std::string path = scratch.write("ws2_32.dll", "MZ");
    io::ScopedHandle holder(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    io::FoundFile file(path);
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), file.deleteError());
    holder.reset();
    EXPECT_EQ(0u, file.remove());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
}

// File calls on a volume with `room` bytes left for the caller; ~0: the
// volume does not tell.
io::FileCalls roomLeft(ULONGLONG room) {
    io::FileCalls calls = io::platformFileCalls();
    calls.freeSpace = [room](LPCSTR, PULARGE_INTEGER forCaller, PULARGE_INTEGER, PULARGE_INTEGER) {
        forCaller->QuadPart = room;
        if (room == ~0ull) SetLastError(ERROR_NOT_SUPPORTED);
        return room != ~0ull;
    };
    return calls;
}

// The save needs room for the old bytes' backup and the file's growth; a
// forecast that counts less foretells a save that a full volume refuses.
TEST(ForeseeSaveTest, CountsTheRoomTheSaveNeeds) {
    const struct { ULONGLONG room; std::size_t newSize; bool saves; } cases[] = {
        {9, 9, true}, {8, 9, false}, {9, 5, true}, {11, 11, true}, {10, 11, false}, {~0ull, 9, true},
    };
    ScratchDirectory scratch;
    io::FoundFile file(scratch.write("config.txt", "old bytes"));  // 9 bytes
    for (const auto& c : cases) {
        const io::SaveForecast save = io::foreseeSave(file, c.newSize, roomLeft(c.room));
        EXPECT_EQ(c.saves, save.way != nullptr) << c.room << " " << c.newSize;
        EXPECT_FALSE(save.unknown);
    }
    // Nor is there room in a folder that takes no new file, as one that a
    // user may not add to (which Wine, run by root, never refuses).
    io::FileCalls closed = roomLeft(100);
    closed.create = [system = closed.create](PHANDLE opened, ACCESS_MASK access, POBJECT_ATTRIBUTES name,
                                             PIO_STATUS_BLOCK status, PLARGE_INTEGER size, ULONG attributes,
                                             ULONG sharing, ULONG disposition, ULONG options, PVOID extended,
                                             ULONG extendedSize) {
        if ((options & FILE_DIRECTORY_FILE) && (access & FILE_ADD_FILE)) return NTSTATUS(0xC0000022L);  // denied
        return system(opened, access, name, status, size, attributes, sharing, disposition, options, extended,
                      extendedSize);
    };
    EXPECT_EQ(nullptr, io::foreseeSave(io::FoundFile(file.path(), closed), 9, closed).way);
}

// Windows refuses to open a read-only file for writing its data (root
// under Wine opens it anyway); deleting it, and writing its attributes,
// are other rights. A dry run that foretells through these answers as a
// real run does, which clears read-only first.
TEST(ForeseeSaveTest, AReadOnlyFileIsForetoldAsTheRealRunMeetsIt) {
    ScratchDirectory scratch;
    const std::string path = scratch.write("vantrelconfig.txt", "TRACE_ENABLED 1\n");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    io::FileCalls windows = io::platformFileCalls();  // the only file they open is this one
    windows.create = [system = windows.create, path](PHANDLE opened, ACCESS_MASK access, POBJECT_ATTRIBUTES name,
                                                     PIO_STATUS_BLOCK status, PLARGE_INTEGER size, ULONG attributes,
                                                     ULONG sharing, ULONG disposition, ULONG options, PVOID extended,
                                                     ULONG extendedSize) {
        if ((options & FILE_NON_DIRECTORY_FILE) && (access & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA)) &&
            (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY))
            return NTSTATUS(0xC0000022L);  // denied
        return system(opened, access, name, status, size, attributes, sharing, disposition, options, extended,
                      extendedSize);
    };
    io::FoundFile file(path, windows);
    EXPECT_EQ(0u, file.deleteError()) << "the delete check asked for more than deleting";
    const char* way = io::foreseeSave(file, 20, windows).way;
    EXPECT_STREQ("written in place (it is read-only, which a real run clears first)", way ? way : "(not at all)");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
