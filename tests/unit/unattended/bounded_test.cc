#include "unattended/bounded.h"

#include <gtest/gtest.h>

#include "exceptions/exception.h"

namespace {

// A step that never ends (an open that an oplock holds) costs its limit,
// not the run; one that ends gives what it made, or what it threw.
TEST(BoundedTest, AStepThatNeverEndsCostsItsLimitOnly) {
    const DWORD started = GetTickCount();
    EXPECT_FALSE(finishesWithin(200, [] { Sleep(INFINITE); }));
    EXPECT_LT(GetTickCount() - started, 60000u);
    int made = 0;
    EXPECT_TRUE(finishesWithin(5000, [&] { made = 42; }));
    EXPECT_EQ(42, made);
    EXPECT_THROW(finishesWithin(5000, [] { throw exceptions::Exception("failed"); }), exceptions::Exception);
}

}  // namespace
