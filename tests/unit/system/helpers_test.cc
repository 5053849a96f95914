#include "system/helpers.h"

#include <gtest/gtest.h>

#include "commandline/command_line_converter.h"
#include "exceptions/exception.h"
#include "system/io.h"
#include "tools/test_support.h"

namespace {

TEST(ErrorMessageTest, PrefixesTheSystemTextUntrimmed) {
    const DWORD codes[] = {ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED,
                           ERROR_SHARING_VIOLATION};
    for (DWORD code : codes) {
        const std::string text = systemText(code);
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_EQ("System error message: " + text, Helpers::getErrorMessage(code)) << code;
        EXPECT_EQ(Helpers::getErrorMessage(code), Helpers::getErrorMessage(code));
    }
}

TEST(ErrorMessageTest, UnknownCodeGivesThePrefixAlone) {
    EXPECT_EQ("System error message: ", Helpers::getErrorMessage(0x2ABCDEF));
    EXPECT_EQ(22u, Helpers::getErrorMessage(0x2ABCDEF).size());
}

UINT WINAPI failingQuery(LPSTR, UINT) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return 0;
}

// Asks for more than the first buffer holds, as a very long directory would.
UINT WINAPI longQuery(LPSTR buffer, UINT size) {
    const std::string directory = "C:\\" + std::string(3000, 'd');
    if (size <= directory.size()) return static_cast<UINT>(directory.size() + 1);
    memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<UINT>(directory.size());
}

TEST(DirectoryTest, EndsInOneAppendedBackslash) {
    char system[MAX_PATH], windows[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(std::string(system) + "\\", Helpers::getSystemDirectory());
    EXPECT_EQ(std::string(windows) + "\\", Helpers::getWindowsDirectory());
    EXPECT_EQ("C:\\" + std::string(3000, 'd') + "\\", Helpers::getDirectory(longQuery));

    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ("C:\\\\", Helpers::getCurrentDirectory());
    SetCurrentDirectoryA(current);
    EXPECT_EQ(std::string(current) + "\\", Helpers::getCurrentDirectory());
}

TEST(DirectoryTest, FailureCarriesExactlyTheErrorMessage) {
    EXPECT_EQ(Helpers::getErrorMessage(ERROR_PATH_NOT_FOUND),
              thrownMessage<exceptions::Exception>([] { Helpers::getDirectory(failingQuery); }));
}

TEST(DeleteFileTest, FailureCarriesTheSystemText) {
    ScratchDirectory scratch;
    const std::string readOnly = scratch.write("readonly", "x");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const struct {
        std::string path;
        DWORD error;
    } errors[] = {
        {scratch.path("missing"), ERROR_FILE_NOT_FOUND},
        {readOnly, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : errors)
        EXPECT_EQ(Helpers::getErrorMessage(c.error),
                  thrownMessage<io::IOException>([&] { Helpers::deleteFile(c.path); }))
            << c.path;
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    Helpers::deleteFile(readOnly);
    EXPECT_FALSE(io::fileExists(readOnly));
}

// The search's first place is the directory of argument 0 of this process's
// command line; these tests stage the file in the current directory and
// beyond, so that attempt 1 misses.
class FindFileTest : public testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryA(MAX_PATH, saved);
        SetCurrentDirectoryA(scratch.directory().c_str());
    }
    void TearDown() override { SetCurrentDirectoryA(saved); }

    std::string missReport(const std::string& name, const std::string& firstLine) {
        return "Could not find the file in any of the directories. Result of loading:\n" + firstLine +
               "Try 2. The file " + Helpers::getCurrentDirectory() + name + " did not exist.\n" +
               "Try 3. The file " + Helpers::getSystemDirectory() + name + " did not exist.\n" +
               "Try 4. The file " + Helpers::getWindowsDirectory() + name + " did not exist.\n";
    }

    static std::string findError(const std::string& name) {
        return thrownMessage<io::IOException>([&] { Helpers::findFile(name); });
    }

    ScratchDirectory scratch;
    char saved[MAX_PATH];
};

TEST_F(FindFileTest, FirstPlaceInOrderWins) {
    scratch.write("vantrel-find.txt", "x");
    EXPECT_EQ(Helpers::getCurrentDirectory() + "vantrel-find.txt", Helpers::findFile("vantrel-find.txt"));
    // Wine's kernel32.dll lies in the system directory, and regedit.exe in
    // the Windows directory (ws2_32.dll is left to the end-to-end tests).
    EXPECT_EQ(Helpers::getSystemDirectory() + "kernel32.dll", Helpers::findFile("kernel32.dll"));
    EXPECT_EQ(Helpers::getWindowsDirectory() + "regedit.exe", Helpers::findFile("regedit.exe"));
}

TEST_F(FindFileTest, FailureReportsEveryAttempt) {
    const std::string name = "vantrel-absent.txt";
    CreateDirectoryA(name.c_str(), nullptr);  // a directory of that name counts as absent
    const std::string application =
        util::parser::CommandLineConverter(GetCommandLineA()).getApplicationDirectory();
    EXPECT_EQ(missReport(name, "Try 1. The file " + application + name + " did not exist.\n"),
              findError(name));
}

// Runs only as the child of UnmatchedQuoteFailsAttemptOneOnly, whose command
// line ends in a lone quote.
TEST_F(FindFileTest, ChildWithUnmatchedQuote) {
    if (!getenv("VANTREL_UNMATCHED_QUOTE_CHILD")) GTEST_SKIP() << "runs as a child only";
    const std::string name = "vantrel-absent.txt";
    const std::string commandLine = GetCommandLineA();
    EXPECT_EQ(missReport(name, "Try 1. Exception caught when trying path . Exception: Unmatched \" "
                               "found when parsing command line: " + commandLine + " \n"),
              findError(name));
}

TEST_F(FindFileTest, UnmatchedQuoteFailsAttemptOneOnly) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = std::string(self) +
                              " --gtest_filter=FindFileTest.ChildWithUnmatchedQuote \"";
    SetEnvironmentVariableA("VANTREL_UNMATCHED_QUOTE_CHILD", "1");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    SetEnvironmentVariableA("VANTREL_UNMATCHED_QUOTE_CHILD", nullptr);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, exitCode);
}

}  // namespace
