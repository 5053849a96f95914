// Splits a process command line into argc/argv form by the uninstaller's own
// rules (only the blank separates, quotes group and are removed, nothing
// escapes), and splits paths into directory and file name.
#ifndef VANTREL_COMMANDLINE_COMMAND_LINE_CONVERTER_H_
#define VANTREL_COMMANDLINE_COMMAND_LINE_CONVERTER_H_

#include <cstdint>
#include <string>

#include "exceptions/exception.h"

namespace util {
namespace parser {

// Raised when a command line cannot be split (an unmatched double quote).
class CommandLineConverterException : public exceptions::IllegalArgumentException {
public:
    explicit CommandLineConverterException(const std::string& message);
};

class CommandLineConverter {
public:
    // Converts the text at once; throws CommandLineConverterException on an
    // unmatched double quote.
    explicit CommandLineConverter(std::string commandLine);
    virtual ~CommandLineConverter();

    CommandLineConverter(const CommandLineConverter&) = delete;
    CommandLineConverter& operator=(const CommandLineConverter&) = delete;

    // The number of arguments found; 0 for an empty or all-blank text.
    std::uint32_t getArgc() const;

    // The null-terminated argument array, owned by this converter.
    char** getArgv() const;

    // The file-name part of argument 0; throws exceptions::Exception when
    // there is no argument 0.
    std::string getApplicationFileName() const;

    // The directory part of argument 0 with its trailing backslash, or "";
    // throws exceptions::Exception when there is no argument 0.
    std::string getApplicationDirectory() const;

private:
    std::string argumentZero() const;

    std::uint32_t argc;
    char** argv;
    std::string commandLine;
};

}  // namespace parser
}  // namespace util

// The path up to and including its last backslash, quotes removed; "" when
// it has no backslash.
std::string getPathDirectory(std::string path);

// The path after its last backslash, quotes removed; the whole path when it
// has no backslash.
std::string getPathFileName(std::string path);

#endif  // VANTREL_COMMANDLINE_COMMAND_LINE_CONVERTER_H_
