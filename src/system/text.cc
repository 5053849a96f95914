#include "system/text.h"

namespace io {

std::vector<wchar_t> wide(const std::string& text) {
    std::vector<wchar_t> result(text.size() + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), static_cast<int>(result.size()));
    return result;
}

std::string withoutLineBreaks(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string expandEnvironment(const std::string& text) {
    std::string result;
    // The length it answers counts the terminating NUL.
    return queryText(
               [&](char* buffer, DWORD size) {
                   const DWORD length = ExpandEnvironmentStringsA(text.c_str(), buffer, size);
                   return length == 0 || length > size ? length : length - 1;
               },
               result)
               ? text
               : result;
}

}  // namespace io
