#include "unattended/transcript.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "commandline/command_line_converter.h"
#include "system/paths.h"
#include "system/text.h"
#include "system/found_file.h"
#include "system/helpers.h"
#include "system/security.h"

namespace unattended {

std::string prefixLines(const std::string& block, const std::string& prefix, const char* lineEnd) {
    std::string lines;
    for (std::size_t start = 0; start < block.size();) {
        std::size_t end = block.find('\n', start);
        if (end == std::string::npos) end = block.size();
        // A system message ends in CR LF: one line end, not two.
        const std::size_t last = end > start && block[end - 1] == '\r' ? end - 1 : end;
        lines += prefix + block.substr(start, last - start) + lineEnd;
        start = end + 1;
    }
    return lines;
}

namespace {

void writeStandard(DWORD which, FILE* stream, const std::string& text) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::vector<wchar_t> utf16 = io::wide(text);
        WriteConsoleW(handle, utf16.data(), static_cast<DWORD>(utf16.size() - 1), &written, nullptr);
        return;
    }
    // Redirected: the bytes as they are, for a file or a pipe.
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

}  // namespace

void writeOutput(const std::string& text) { writeStandard(STD_OUTPUT_HANDLE, stdout, text); }

void writeError(const std::string& text) { writeStandard(STD_ERROR_HANDLE, stderr, prefixLines(text, "")); }

Transcript::LogOpen Transcript::openLog(const std::string& path) {
    // Written with the runner's rights wherever it is pointed: a log that a
    // standard user owns or could replace, or redirect by a folder on its
    // way, would point those writes at any file, or edit what they say. Nothing is made for it then. A
    // folder that is not there is the open's failure, said below.
    const bool folderThere =
        GetFileAttributesA(getPathDirectory(io::getFullPath(path)).c_str()) != INVALID_FILE_ATTRIBUTES;
    const io::Redirection redirection = folderThere ? io::whoMayRedirect(path, true, calls) : io::Redirection{};
    if (!redirection.path.empty())
        return {ERROR_INSTALL_LOG_FAILURE,
                "a standard user could replace or redirect it: " + redirection.path + ": " + redirection.why};
    // As a found file is opened: the folder first, then the log by its name
    // inside it, made there where nothing has the name, and checked; no
    // link is followed, and what was made for a refused log is deleted.
    std::unique_ptr<io::FoundFile> found;
    try {
        found.reset(new io::FoundFile(path, calls, io::FoundFile::Opening::OrNew));
    } catch (const io::FileRefusal& e) {
        return e.error() ? LogOpen{e.error(), ""} : LogOpen{ERROR_INSTALL_LOG_FAILURE, e.reason()};
    }
    // Reading too, because a byte-range lock needs it; other runners write
    // it too, and whoever may delete it still may.
    io::ScopedHandle log = found->reopen(GENERIC_WRITE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    LogOpen opened{log.valid() ? 0 : GetLastError(), ""};
    if (!opened.error && GetFileType(log.get()) != FILE_TYPE_DISK) opened = {ERROR_INSTALL_LOG_FAILURE, "it is no file on a disk"};
    if (opened.error) {
        if (found->made()) found->remove();
        return opened;
    }
    file.reset(log.release());
    return {};
}

void Transcript::write(const std::string& block) {
    writeOutput(block);
    log(block);
}

void Transcript::log(const std::string& block) {
    if (!file.valid()) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string stamp = io::toDigits(now.wYear, 10, 4) + "-" + io::toDigits(now.wMonth, 10, 2) + "-" +
                              io::toDigits(now.wDay, 10, 2) + " " + io::toDigits(now.wHour, 10, 2) + ":" +
                              io::toDigits(now.wMinute, 10, 2) + ":" + io::toDigits(now.wSecond, 10, 2);
    // CR LF, as Windows tools read a log.
    const std::string lines = prefixLines(block, std::string(stamp) + " ", "\r\n");
    // An append is one step on local files only (on a share, or under
    // Wine, the end is found, then written), so writers take turns by
    // locking one byte far past any log's end, which works across
    // processes and file shares, and write at the end as it is then. A
    // holder that never lets go must not stop the run: after a few seconds
    // the block is written without the turn.
    OVERLAPPED turn = {};
    turn.Offset = 0xFFFFFFFE;
    turn.OffsetHigh = 0x3FFFFFFF;
    bool locked = false;
    const int tries = turnsWaived ? 1 : 100;
    for (int wait = 0; wait < tries && !(locked = LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK |
                                                              LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &turn));
         ++wait)
        Sleep(50);
    turnsWaived = turnsWaived || !locked;
    DWORD written = 0;
    LARGE_INTEGER end = {};
    bool ok = calls.size(file.get(), &end) != FALSE;
    if (ok) {
        OVERLAPPED at = {};
        at.Offset = end.LowPart;
        at.OffsetHigh = static_cast<DWORD>(end.HighPart);
        ok = calls.write(file.get(), lines.data(), static_cast<DWORD>(lines.size()), &written, &at) &&
             written == lines.size() && calls.flush(file.get());
    }
    const DWORD error = GetLastError();
    if (locked) UnlockFileEx(file.get(), 0, 1, 0, &turn);
    if (!ok && !failed) {
        failed = true;
        writeError("uninstall-unattended: the log could not be written; it may lack lines from here on\n" +
                   Helpers::getErrorMessage(static_cast<int>(error ? error : ERROR_WRITE_FAULT)));
    }
}

namespace {

std::string environment(const char* name) {
    char value[256] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? value : "";
}

}  // namespace

std::string openingLine(const std::string& program, int argc, char** argv) {
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof computer;
    GetComputerNameA(computer, &size);
    const std::string domain = environment("USERDOMAIN");
    std::string arguments;
    for (int i = 1; i < argc; ++i) arguments += std::string(i > 1 ? " " : "") + argv[i];
    return "uninstall-unattended: computer " + std::string(computer) + ", user " +
           (domain.empty() ? "" : domain + "\\") + environment("USERNAME") + ", program " + program +
           ", options: " + (arguments.empty() ? "(none)" : arguments) + "\n";
}

}  // namespace unattended
