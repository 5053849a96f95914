// Decimal and hexadecimal text of an integer, for messages, configuration
// values and names. Written by hand: the C library's formatted printing
// would link mingw-w64's own printf, floating point included, about a
// tenth of each program.
#ifndef VANTREL_SYSTEM_DECIMAL_H_
#define VANTREL_SYSTEM_DECIMAL_H_

#include <string>

namespace util {

// The unsigned integer in base `base` (10 or 16, lower case), at least
// `width` digits with leading zeros.
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

}  // namespace util

#endif  // VANTREL_SYSTEM_DECIMAL_H_
