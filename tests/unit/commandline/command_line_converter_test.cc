#include "commandline/command_line_converter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/test_support.h"

namespace {

using util::parser::CommandLineConverter;
using util::parser::CommandLineConverterException;

TEST(CommandLineConverterTest, SplitsByBlanksAndQuotesAndFindsArgumentZerosParts) {
    struct Case {
        std::string commandLine;
        std::vector<std::string> arguments;
        std::string directory, fileName;  // of argument 0
    };
    const Case cases[] = {
        {"uninstall.exe", {"uninstall.exe"}, "", "uninstall.exe"},
        {"\"C:\\Program Files\\Tools\\uninstall.exe\" ", {"C:\\Program Files\\Tools\\uninstall.exe"},
         "C:\\Program Files\\Tools\\", "uninstall.exe"},
        {"C:\\\"My Dir\"\\file.txt", {"C:\\My Dir\\file.txt"}, "C:\\My Dir\\", "file.txt"},
        {"a  b", {"a", "b"}, "", "a"},
        {"   a ", {"a"}, "", "a"},
        {"a\tb", {"a\tb"}, "", "a\tb"},
        {"ab\"c d\"e", {"abc de"}, "", "abc de"},
        {"a\"b c\"d\"e f\" g", {"ab cde f", "g"}, "", "ab cde f"},
        {"a \"\" b", {"a", "", "b"}, "", "a"},
        {"a\"\"b", {"ab"}, "", "ab"},
        {"\"a\"\"b\"", {"ab"}, "", "ab"},
        {"\"C:\\dir\\\" x", {"C:\\dir\\", "x"}, "C:\\dir\\", ""},
        {"a \\\"b c\\\"", {"a", "\\b c\\"}, "", "a"},
        {"\"\" x", {"", "x"}, "", ""},
        {"..\\uninstall.exe", {"..\\uninstall.exe"}, "..\\", "uninstall.exe"},
        {"C:/Tools/uninstall.exe", {"C:/Tools/uninstall.exe"}, "", "C:/Tools/uninstall.exe"},
        {"C:uninstall.exe", {"C:uninstall.exe"}, "", "C:uninstall.exe"},
        {"a\r\nb", {"a\r\nb"}, "", "a\r\nb"},
        {"", {}, "", ""},
        {"    ", {}, "", ""},
    };
    for (const Case& c : cases) {
        CommandLineConverter converter(c.commandLine);
        std::vector<std::string> arguments(converter.getArgv(), converter.getArgv() + converter.getArgc());
        EXPECT_EQ(c.arguments, arguments) << "[" << c.commandLine << "]";
        EXPECT_EQ(nullptr, converter.getArgv()[converter.getArgc()]);
        if (c.arguments.empty()) continue;  // no argument 0: the end-to-end blank command line
        EXPECT_EQ(c.directory, converter.getApplicationDirectory()) << c.commandLine;
        EXPECT_EQ(c.fileName, converter.getApplicationFileName()) << c.commandLine;
    }
}

TEST(CommandLineConverterTest, UnmatchedQuoteNamesTheLineWithItsAddedBlank) {
    const std::string errors[] = {"a \"b", "\"", "a\"b\"c\"", "\"\"\""};
    for (const std::string& commandLine : errors)
        EXPECT_EQ("Unmatched \" found when parsing command line: " + commandLine + " ",
                  thrownMessage<CommandLineConverterException>(
                      [&] { CommandLineConverter converter(commandLine); }));
}

}  // namespace
