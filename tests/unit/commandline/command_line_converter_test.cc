#include "commandline/command_line_converter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using util::parser::CommandLineConverter;

TEST(CommandLineConverterTest, SplitsByBlanksAndQuotesAndFindsArgumentZerosParts) {
    // The arguments, and the directory and file name of argument 0.
    struct Case { std::string commandLine; std::vector<std::string> arguments; std::string directory, fileName; };
    const Case cases[] = {
        {"uninstall.exe", {"uninstall.exe"}, "", "uninstall.exe"},
        {"\"C:\\Program Files\\Tools\\uninstall.exe\" ", {"C:\\Program Files\\Tools\\uninstall.exe"},
         "C:\\Program Files\\Tools\\", "uninstall.exe"},
        {"C:\\\"My Dir\"\\file.txt", {"C:\\My Dir\\file.txt"}, "C:\\My Dir\\", "file.txt"},
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
        {"a\tb c", {"a\tb", "c"}, "", "a\tb"},  // only the blank separates
    };
    for (const Case& c : cases) {
        CommandLineConverter converter(c.commandLine);
        std::vector<std::string> arguments(converter.getArgv(), converter.getArgv() + converter.getArgc());
        EXPECT_EQ(c.arguments, arguments) << "[" << c.commandLine << "]";
        EXPECT_EQ(nullptr, converter.getArgv()[converter.getArgc()]) << "argv must end in a null pointer";
        EXPECT_EQ(c.directory, converter.getApplicationDirectory()) << c.commandLine;
        EXPECT_EQ(c.fileName, converter.getApplicationFileName()) << c.commandLine;
    }
    // A dialog shows the text of any failure, an empty one included.
    EXPECT_STREQ("", util::parser::CommandLineConverterException("").getMessageText());
}

}  // namespace
