#include "unattended/transcript.h"

#include <cstdio>

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

void writeError(const std::string& text) {
    std::fputs(prefixLines(text, "").c_str(), stderr);
    std::fflush(stderr);
}

DWORD Transcript::openLog(const std::string& path) {
    // Append-only writes land at the end, whoever else writes; reading too,
    // because a byte-range lock needs it.
    file.reset(CreateFileA(path.c_str(), FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid() ? 0 : GetLastError();
}

void Transcript::write(const std::string& block) {
    std::fputs(block.c_str(), stdout);
    std::fflush(stdout);
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
    // An append is not one step everywhere (Wine finds the end, then
    // writes), so writers take turns by locking one byte far past any
    // log's end, which works across processes and file shares. A holder
    // that never lets go must not stop the run: after a few seconds the
    // block is written without the turn.
    OVERLAPPED turn = {};
    turn.Offset = 0xFFFFFFFE;
    turn.OffsetHigh = 0x3FFFFFFF;
    bool locked = false;
    for (int wait = 0; wait < 100 && !(locked = LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                                                            0, 1, 0, &turn));
         ++wait)
        Sleep(50);
    DWORD written = 0;
    const bool ok = calls.write(file.get(), lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr) &&
                    written == lines.size() && calls.flush(file.get());
    const DWORD error = GetLastError();
    if (locked) UnlockFileEx(file.get(), 0, 1, 0, &turn);
    if (!ok && !failed) {
        failed = true;
        writeError("uninstall-unattended: the log could not be written; it may lack lines from here on\n" +
                   Helpers::getErrorMessage(static_cast<int>(error ? error : ERROR_WRITE_FAULT)));
    }
}
