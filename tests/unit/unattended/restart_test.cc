#include "unattended/restart.h"

#include <gtest/gtest.h>

#include "tools/test_support.h"

namespace {

DWORD refused(const std::string&) { return ERROR_ACCESS_DENIED; }
DWORD allowed() { return 0; }
bool never(const std::string&) { return false; }
std::string nobody(const std::string&) { return ""; }

// What is said for each file, by what the system answers (a schedule that
// works, the end-to-end rows show). Nothing here reaches the registry.
TEST(ScheduleRemovalTest, SaysForEachFileWhatTheRestartWillDo) {
    ScratchDirectory scratch;
    const std::string dll = scratch.write("ws2_32.dll", "MZ"), config = scratch.write("vantrelconfig.txt", "A 1\n");
    const std::string secondRun = "; run the uninstaller again after the restart\n";
    const struct { RestartCalls calls; bool checkOnly; std::string lines; } cases[] = {
        {{refused, allowed, never, nobody}, false,
         "ws2_32.dll: " + dll + " cannot be scheduled for deletion at the restart. System error message: " +
             systemText(ERROR_ACCESS_DENIED).substr(0, systemText(ERROR_ACCESS_DENIED).find_last_not_of("\r\n") + 1) +
             secondRun + "vantrelconfig.txt: " + config + " is kept for that run\n"},
        {{refused, allowed, never, nobody}, true,
         "ws2_32.dll: " + dll + " would be scheduled for deletion at the next restart\nvantrelconfig.txt: " + config +
             " would be scheduled for deletion at the next restart\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.lines, scheduleRemoval(scratch.directory(), c.checkOnly, c.calls));
}

}  // namespace
