#include "unattended/bounded.h"

#include <gtest/gtest.h>

#include "exceptions/exception.h"
#include "system/handle.h"

namespace unattended {
namespace {

// A step that ends gives what it returned, or what it threw, to the run;
// one that outlives its limit leaves the caller's result alone, however
// late it ends.
TEST(BoundedTest, AStepGivesWhatItReturnedOnlyWhenItEndsInTime) {
    int made = 0;
    EXPECT_TRUE(finishesWithin(60000, [] { return 42; }, made));
    EXPECT_EQ(42, made);
    EXPECT_THROW(finishesWithin(60000, [] () -> int { throw exceptions::Exception("failed"); }, made),
                 exceptions::Exception);
    const io::ScopedHandle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const io::ScopedHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(finishesWithin(
        10,
        [go = go.get(), done = done.get()] {
            WaitForSingleObject(go, INFINITE);
            SetEvent(done);
            return 7;
        },
        made));
    SetEvent(go.get());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done.get(), 60000));
    EXPECT_EQ(42, made);
}

}  // namespace
}  // namespace unattended
