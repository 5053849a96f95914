#include "unattended/transcript.h"

#include <cstdio>
#include <vector>

#include "system/decimal.h"
#include "system/helpers.h"

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
        const std::vector<wchar_t> utf16 = wide(text);
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

DWORD Transcript::openLog(const std::string& path) {
    // Reading too, because a byte-range lock needs it.
    file.reset(CreateFileA(path.c_str(), GENERIC_WRITE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() ? 0 : GetLastError();
}

void Transcript::write(const std::string& block) {
    writeOutput(block);
    log(block);
}

void Transcript::log(const std::string& block) {
    if (!file.valid()) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::string stamp = util::toDigits(now.wYear, 10, 4) + "-" + util::toDigits(now.wMonth, 10, 2) + "-" +
                              util::toDigits(now.wDay, 10, 2) + " " + util::toDigits(now.wHour, 10, 2) + ":" +
                              util::toDigits(now.wMinute, 10, 2) + ":" + util::toDigits(now.wSecond, 10, 2);
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
    for (int wait = 0; wait < 100 && !(locked = LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                                                            0, 1, 0, &turn));
         ++wait)
        Sleep(50);
    DWORD written = 0;
    LARGE_INTEGER end = {};
    bool ok = calls.end(file.get(), &end) != FALSE;
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
