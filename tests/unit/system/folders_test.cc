#include "system/helpers.h"

#include <gtest/gtest.h>

#include "commandline/command_line_converter.h"
#include "system/paths.h"
#include "system/windows_folders.h"
#include "tools/test_support.h"

namespace {

// Asks for more than the first buffer holds, as a very long directory would.
UINT WINAPI longQuery(LPSTR buffer, UINT size) {
    const std::string directory = "C:\\" + std::string(3000, 'd');
    if (size <= directory.size()) return static_cast<UINT>(directory.size() + 1);
    memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<UINT>(directory.size());
}

TEST(SameDirectoryTest, TheSystemFolderIsKnownByWhatItIsNotHowItIsSpelled) {
    const std::string system = Helpers::getSystemDirectory();  // C:\windows\system32\ under Wine
    // Where it lies on disk: for a 32-bit program on 64-bit Windows, SysWOW64.
    std::string onDisk = io::wow64Redirected(system);
    onDisk = getPathFileName(onDisk.substr(0, onDisk.size() - 1));
    std::string prefix = getenv("WINEPREFIX") ? getenv("WINEPREFIX") : "";
    for (char& c : prefix) c = c == '/' ? '\\' : c;
    ScratchDirectory scratch;
    const std::string longName = scratch.makeDirectory("A folder with a long name");
    char shortName[MAX_PATH] = "";
    GetShortPathNameA(longName.c_str(), shortName, MAX_PATH);
    std::string cyrillic;
    for (int i = 0; i < 150; ++i) cyrillic += "\xD0\xB4";  // д in UTF-8
    const struct { std::string first, second; bool same; } cases[] = {
        {"\\\\?\\" + system, system, true},
        {"C:\\system32-link\\", system, true},  // a link to it, made by the Wine runner
        {"Z:" + prefix + "\\drive_c\\windows\\" + onDisk + "\\", system, true},
        {Helpers::getWindowsDirectory(), system, false},
        {system + "drivers\\", system, false},
        {system + "missing\\", system, false},
        // Cannot be opened, so compared as text; fewer characters than
        // MAX_PATH, more bytes: the names regrow.
        {system + "missing\\" + cyrillic, system + "MISSING\\" + cyrillic, true},
        {shortName, longName, true},
        {"", scratch.directory(), true},  // a bare file name's folder is the current one
    };
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(scratch.directory().c_str());
    for (const auto& c : cases)
        if (runsUnderWine() || (c.first.rfind("C:\\system32-link", 0) != 0 && c.first.rfind("Z:", 0) != 0)) {
            EXPECT_EQ(c.same, io::isSameDirectory(c.first, c.second)) << c.first;
        }
    SetCurrentDirectoryA(current);
}

// A directory or a final path longer than the first buffer is asked for
// again; a final path is spelled as a path is given, a share as
// \\server\share.
TEST(QueryTest, ALongAnswerIsAskedForAgainAndAFinalPathSpelledAsAPath) {
    EXPECT_EQ("C:\\" + std::string(3000, 'd') + "\\", io::getDirectory(longQuery));
    const struct { std::string answer, path; } cases[] = {
        {"\\\\?\\C:\\app\\ws2_32.dll", "C:\\app\\ws2_32.dll"},
        {"\\\\?\\UNC\\server\\share\\app\\ws2_32.dll", "\\\\server\\share\\app\\ws2_32.dll"},
        {"\\\\?\\" + std::string(400, 'd'), std::string(400, 'd')},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.path, io::getFinalPath(nullptr, finalPathIs(c.answer))) << c.answer;
}

}  // namespace
