#include "unattended/bounded.h"

#include <gtest/gtest.h>

#include "exceptions/exception.h"

namespace unattended {
namespace {

// A step that ends gives what it made, or what it threw, to the run (one
// that never ends costs its limit: the event log's rows show it).
TEST(BoundedTest, AStepThatEndsGivesWhatItMadeOrThrew) {
    int made = 0;
    EXPECT_TRUE(finishesWithin(60000, [&] { made = 42; }));
    EXPECT_EQ(42, made);
    EXPECT_THROW(finishesWithin(60000, [] { throw exceptions::Exception("failed"); }), exceptions::Exception);
}

}  // namespace
}  // namespace unattended
