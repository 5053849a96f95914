#include "exceptions/exception.h"

#include <gtest/gtest.h>

namespace {

TEST(ExceptionTest, EmptyMessageGivesEmptyTextNotNull) {
    exceptions::Exception e("");
    EXPECT_EQ("", e.getMessage());
    ASSERT_NE(nullptr, e.getMessageText());
    EXPECT_STREQ("", e.getMessageText());
}

}  // namespace
