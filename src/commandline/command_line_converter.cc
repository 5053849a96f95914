#include "commandline/command_line_converter.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace util {
namespace parser {

namespace {

const char kBlank = ' ';
const char kQuote = '"';

// Deletes every double quote in place, in one pass: a command line of 32 KiB
// full of quotes must not cost quadratic time.
void removeQuotes(std::vector<std::string>& arguments) {
    for (std::string& argument : arguments)
        argument.erase(std::remove(argument.begin(), argument.end(), kQuote), argument.end());
}

std::vector<std::string> splitCommandLine(std::string text) {
    text += kBlank;  // closes the last argument
    std::vector<std::string> arguments;
    std::size_t start = 0;
    std::size_t from = 0;
    // Each search result is kept until the scan passes it, so that every byte
    // is searched over a bounded number of times.
    std::size_t blank = 0;
    std::size_t quote = 0;
    bool blankKnown = false;
    bool quoteKnown = false;
    while (start < text.size()) {
        if (!blankKnown || blank < from) {
            blank = text.find(kBlank, from);
            blankKnown = true;
        }
        if (!quoteKnown || quote < from) {
            quote = text.find(kQuote, from);
            quoteKnown = true;
        }
        if (blank < quote) {
            if (blank > start)
                arguments.push_back(text.substr(start, blank - start));
            start = from = blank + 1;
            continue;
        }
        std::size_t closing = text.find(kQuote, quote + 1);
        if (closing == std::string::npos)
            throw CommandLineConverterException(
                "Unmatched \" found when parsing command line: " + text);
        from = closing + 1;
    }
    removeQuotes(arguments);
    return arguments;
}

}  // namespace

CommandLineConverterException::CommandLineConverterException(const std::string& message)
    : IllegalArgumentException(message) {}

CommandLineConverter::CommandLineConverter(std::string commandLine)
    : argc(0), argv(nullptr), commandLine(std::move(commandLine)) {
    std::vector<std::string> arguments = splitCommandLine(this->commandLine);
    // Filled in a local array first, so that an allocation failure halfway
    // leaks nothing and leaves no converter.
    std::vector<char*> owned;
    owned.reserve(arguments.size() + 1);
    try {
        for (const std::string& argument : arguments) {
            char* copy = new char[argument.size() + 1];
            std::memcpy(copy, argument.c_str(), argument.size() + 1);
            owned.push_back(copy);
        }
        argv = new char*[owned.size() + 1];
    } catch (...) {
        for (char* copy : owned) delete[] copy;
        throw;
    }
    std::copy(owned.begin(), owned.end(), argv);
    argv[owned.size()] = nullptr;
    argc = static_cast<std::uint32_t>(owned.size());
}

CommandLineConverter::~CommandLineConverter() {
    for (std::uint32_t i = 0; i < argc; ++i) delete[] argv[i];
    delete[] argv;
}

std::uint32_t CommandLineConverter::getArgc() const { return argc; }

char** CommandLineConverter::getArgv() const { return argv; }

std::string CommandLineConverter::argumentZero() const {
    if (argc == 0)
        throw exceptions::Exception("Error getting the application directory. __argc is zero.");
    if (argv[0] == nullptr)
        throw exceptions::Exception("Error getting the application directory. __argv[0] is NULL.");
    return argv[0];
}

std::string CommandLineConverter::getApplicationFileName() const {
    return getPathFileName(argumentZero());
}

std::string CommandLineConverter::getApplicationDirectory() const {
    return getPathDirectory(argumentZero());
}

}  // namespace parser
}  // namespace util

namespace {

// Removes the quotes and gives the position of the last backslash, or npos.
std::size_t unquoteAndFindLastBackslash(std::string& path) {
    path.erase(std::remove(path.begin(), path.end(), '"'), path.end());
    return path.rfind('\\');
}

}  // namespace

std::string getPathDirectory(std::string path) {
    std::size_t backslash = unquoteAndFindLastBackslash(path);
    return backslash == std::string::npos ? std::string() : path.substr(0, backslash + 1);
}

std::string getPathFileName(std::string path) {
    std::size_t backslash = unquoteAndFindLastBackslash(path);
    return backslash == std::string::npos ? path : path.substr(backslash + 1);
}
