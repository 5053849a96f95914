// Text to and from the system: decimal and hexadecimal digits, UTF-16, a
// text query's growing buffer, lines without their breaks, and environment
// variables expanded.
#ifndef VANTREL_SYSTEM_TEXT_H_
#define VANTREL_SYSTEM_TEXT_H_

#include <windows.h>

#include <string>
#include <vector>

namespace io {

// The unsigned integer in base `base` (10 or 16, lower case), at least
// `width` digits with leading zeros. Written by hand: the C library's
// formatted printing would link mingw-w64's own printf, floating point
// included, about a tenth of each program.
inline std::string toDigits(unsigned long value, unsigned base = 10, std::size_t width = 1) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789abcdef"[value % base]);
        value /= base;
    } while (value != 0);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

// The unsigned integer as "%u" writes it.
inline std::string toDecimal(unsigned value) { return toDigits(value); }

// The signed integer as "%d" writes it.
inline std::string toDecimal(int value) {
    return value < 0 ? "-" + toDigits(0ul - static_cast<unsigned long>(value)) : toDigits(static_cast<unsigned long>(value));
}

// Asks `query(buffer, size)` for a text, with a buffer that grows until the
// text fits: the query answers the text's length; or, when the buffer is too
// small, a larger size it needs, or the buffer's own size for a query that
// only cuts the text short (which then doubles it); or 0 when it fails.
// Returns 0, or the system's code of the failure, read right after it.
template <typename Query>
DWORD queryText(Query query, std::string& text) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = query(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            const DWORD error = GetLastError();
            return error ? error : ERROR_GEN_FAILURE;
        }
        if (length < buffer.size()) {
            text.assign(buffer.data(), length);
            return 0;
        }
        buffer.resize(length > buffer.size() ? length : buffer.size() * 2);
    }
}

// `text` in UTF-16 with its terminating NUL, from the process code page.
std::vector<wchar_t> wide(const std::string& text);

// `text` without its trailing line breaks, to end a line of its own.
std::string withoutLineBreaks(std::string text);

// `text` with its environment variables (%SystemRoot%) expanded, as a
// reader of a setting may expand them; `text` itself where it cannot be.
std::string expandEnvironment(const std::string& text);

}  // namespace io

#endif  // VANTREL_SYSTEM_TEXT_H_
