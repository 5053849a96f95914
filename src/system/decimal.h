// Decimal text of an integer, for messages and configuration values.
#ifndef VANTREL_SYSTEM_DECIMAL_H_
#define VANTREL_SYSTEM_DECIMAL_H_

#include <cstdio>
#include <string>

namespace util {

// The signed integer as "%d" writes it.
inline std::string toDecimal(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

// The unsigned integer as "%u" writes it.
inline std::string toDecimal(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return text;
}

}  // namespace util

#endif  // VANTREL_SYSTEM_DECIMAL_H_
