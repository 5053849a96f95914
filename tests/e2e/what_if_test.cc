#include "unattended/what_if.h"

#include <gtest/gtest.h>

#include "tools/test_support.h"
#include "unattended/dialog_driver.h"
#include "unattended/holders.h"

namespace unattended {
namespace {

// Windows deletes no DLL that a program has loaded, though it opens for
// deleting: the dry run foretells the restart that the real run meets, and
// says why.
TEST(WhatIfTest, ALoadedDllThatOpensForDeletingIsForetoldInUse) {
    ScratchDirectory scratch;
    scratch.write("vantrelconfig.txt", "TRACE_ENABLED 1\n");
    const std::string dll = scratch.path("ws2_32.dll"), program = besideThisProgram("prompt_and_wait.exe");
    ASSERT_TRUE(CopyFileA(besideThisProgram("..\\demo\\ws2_32.dll").c_str(), dll.c_str(), FALSE));
    ChildProcess loader(program, "\"" + program + "\" " + dll + " load", scratch.directory());
    for (const DWORD started = GetTickCount(); findHolders(dll).empty() && GetTickCount() - started < kSlowest;)
        Sleep(50);
    const Forecast forecast = forecastUninstall(scratch.path("uninstall.exe"), false);
    EXPECT_EQ(DWORD(ERROR_SUCCESS_REBOOT_REQUIRED), forecast.status) << forecast.report;
    EXPECT_NE(std::string::npos, forecast.report.find("ws2_32.dll: in use: a program has it loaded\n")) << forecast.report;
}

}  // namespace
}  // namespace unattended
