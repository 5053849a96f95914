// Arbitrary bytes as a command line: either the converter's exception, for
// an odd number of quotes only, or arguments that lose nothing but quotes
// and separating blanks.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commandline/command_line_converter.h"

namespace {

// The text without any of `bytes` (the text holds no NUL).
std::string without(std::string text, const char* bytes) {
    text.erase(std::remove_if(text.begin(), text.end(), [&](char c) { return std::strchr(bytes, c); }), text.end());
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A process command line ends at its first NUL.
    const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    const bool oddQuotes = std::count(text.begin(), text.end(), '"') % 2 == 1;
    try {
        util::parser::CommandLineConverter converter(text);
        if (oddQuotes) std::abort();
        char** argv = converter.getArgv();
        if (argv[converter.getArgc()] != nullptr) std::abort();
        std::string joined;
        for (std::uint32_t i = 0; i < converter.getArgc(); ++i) {
            if (argv[i] == nullptr || std::strchr(argv[i], '"')) std::abort();
            joined += argv[i];
        }
        // Blanks inside quotes stay; so compare with every blank removed.
        if (without(joined, " ") != without(text, "\" ")) std::abort();
        if (text.find('"') == std::string::npos) {
            std::size_t words = 0;
            for (std::size_t i = 0; i < text.size(); ++i)
                if (text[i] != ' ' && (i == 0 || text[i - 1] == ' ')) ++words;
            if (words != converter.getArgc()) std::abort();
        }
    } catch (const util::parser::CommandLineConverterException& e) {
        if (!oddQuotes) std::abort();
        if (e.getMessage() != "Unmatched \" found when parsing command line: " + text + " ") std::abort();
    }
    return 0;
}
