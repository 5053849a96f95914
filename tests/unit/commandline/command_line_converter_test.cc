#include "commandline/command_line_converter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/test_support.h"

namespace {

using util::parser::CommandLineConverter;
using util::parser::CommandLineConverterException;

std::vector<std::string> arguments(const CommandLineConverter& converter) {
    std::vector<std::string> result;
    for (std::uint32_t i = 0; i < converter.getArgc(); ++i) {
        EXPECT_NE(nullptr, converter.getArgv()[i]);
        result.push_back(converter.getArgv()[i]);
    }
    EXPECT_EQ(nullptr, converter.getArgv()[converter.getArgc()]);
    return result;
}

TEST(CommandLineConverterTest, SplitsByBlanksAndQuotes) {
    struct Case {
        std::string commandLine;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"uninstall.exe", {"uninstall.exe"}},
        {"\"C:\\Program Files\\Tools\\uninstall.exe\" ", {"C:\\Program Files\\Tools\\uninstall.exe"}},
        {"a  b", {"a", "b"}},
        {"   a ", {"a"}},
        {"a\tb", {"a\tb"}},
        {"ab\"c d\"e", {"abc de"}},
        {"a\"b c\"d\"e f\" g", {"ab cde f", "g"}},
        {"a \"\" b", {"a", "", "b"}},
        {"a\"\"b", {"ab"}},
        {"\"a\"\"b\"", {"ab"}},
        {"\"C:\\dir\\\" x", {"C:\\dir\\", "x"}},
        {"a \\\"b c\\\"", {"a", "\\b c\\"}},
        {"\"\"", {""}},
        {"", {}},
        {"    ", {}},
        {"a\r\nb", {"a\r\nb"}},
    };
    for (const Case& c : cases) {
        CommandLineConverter converter(c.commandLine);
        EXPECT_EQ(c.arguments, arguments(converter)) << "[" << c.commandLine << "]";
    }
}

TEST(CommandLineConverterTest, UnmatchedQuoteNamesTheLineWithItsAddedBlank) {
    const std::string errors[] = {"a \"b", "\"", "a\"b\"c\"", "\"\"\""};
    for (const std::string& commandLine : errors)
        EXPECT_EQ("Unmatched \" found when parsing command line: " + commandLine + " ",
                  thrownMessage<CommandLineConverterException>(
                      [&] { CommandLineConverter converter(commandLine); }));
}

TEST(CommandLineConverterTest, ApplicationPathComesFromArgumentZero) {
    struct Case {
        std::string commandLine;
        std::string directory;
        std::string fileName;
    };
    const Case cases[] = {
        {"C:\\Tools\\uninstall.exe /x", "C:\\Tools\\", "uninstall.exe"},
        {"uninstall", "", "uninstall"},
        {"..\\uninstall.exe", "..\\", "uninstall.exe"},
        {"C:/Tools/uninstall.exe", "", "C:/Tools/uninstall.exe"},
        {"C:uninstall.exe", "", "C:uninstall.exe"},
        {"C:\\Tools\\", "C:\\Tools\\", ""},
        {"\"\" x", "", ""},
        {"\"C:\\Program Files\\Vantrel\\uninstall.exe\"", "C:\\Program Files\\Vantrel\\", "uninstall.exe"},
    };
    for (const Case& c : cases) {
        CommandLineConverter converter(c.commandLine);
        EXPECT_EQ(c.directory, converter.getApplicationDirectory()) << c.commandLine;
        EXPECT_EQ(c.fileName, converter.getApplicationFileName()) << c.commandLine;
    }
}

TEST(CommandLineConverterTest, NoArgumentZeroIsReportedByBothOperations) {
    CommandLineConverter converter("  ");
    const std::string message = "Error getting the application directory. __argc is zero.";
    for (auto operation : {&CommandLineConverter::getApplicationDirectory,
                           &CommandLineConverter::getApplicationFileName})
        EXPECT_EQ(message, thrownMessage<exceptions::Exception>([&] { (converter.*operation)(); }));
}

TEST(PathTest, QuotesAnywhereAreIgnored) {
    EXPECT_EQ("C:\\My Dir\\", getPathDirectory("C:\\\"My Dir\"\\file.txt"));
    EXPECT_EQ("file.txt", getPathFileName("C:\\\"My Dir\"\\file.txt"));
    EXPECT_EQ("ab", getPathFileName("\"a\"b"));
}

}  // namespace
