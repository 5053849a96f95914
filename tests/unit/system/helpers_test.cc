#include "system/helpers.h"

#include <gtest/gtest.h>

#include "system/io.h"
#include "tools/test_support.h"

namespace {

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

TEST(DirectoryTest, LongAnswerIsAskedForAgainAndFailureIsTheSystemsText) {
    EXPECT_EQ("C:\\" + std::string(3000, 'd') + "\\", Helpers::getDirectory(longQuery));
    try {
        Helpers::getDirectory(failingQuery);
        ADD_FAILURE() << "nothing thrown";
    } catch (const io::IOException&) {
        ADD_FAILURE() << "a failed query is no file error";
    } catch (const exceptions::Exception& e) {
        EXPECT_EQ("System error message: " + systemText(ERROR_PATH_NOT_FOUND), e.getMessage());
    }
}

}  // namespace
