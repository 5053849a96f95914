#include "app/uninstall.h"

#include <gtest/gtest.h>

#include "system/helpers.h"

namespace {

TEST(SameDirectoryTest, AnySpellingOfTheSystemDirectoryMatches) {
    const std::string system = Helpers::getSystemDirectory();  // C:\windows\system32\ under Wine
    std::string upper = system;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(system.c_str());
    const struct {
        std::string directory;
        bool same;
    } cases[] = {
        {system, true},
        {upper, true},
        {system + "..\\system32\\", true},
        {"", true},  // a bare file name, resolved against the current directory
        {".\\", true},
        {Helpers::getWindowsDirectory(), false},
        {system + "drivers\\", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.same, vantrel::uninstall::isSameDirectory(c.directory, system)) << c.directory;
    SetCurrentDirectoryA(current);
}

}  // namespace
