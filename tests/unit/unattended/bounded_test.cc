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
    const io::ScopedHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const io::ScopedHandle ended(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const HANDLE events[] = {release.get(), ended.get()};
    EXPECT_FALSE(finishesWithin(
        10,
        [release = events[0], ended = events[1]] {
            WaitForSingleObject(release, INFINITE);
            SetEvent(ended);
            return 7;
        },
        made));
    SetEvent(release.get());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ended.get(), 60000));
    EXPECT_EQ(42, made);
}

}  // namespace
}  // namespace unattended
