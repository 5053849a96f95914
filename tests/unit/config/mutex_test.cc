#include "config/mutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

TEST(MutexTest, OwnerTakesItAgainAndFreesItOnTheLastUnlock) {
    util::Mutex mutex("Non shared mutex");
    EXPECT_EQ(0u, mutex.getOwnerThreadId());
    mutex.lock();
    mutex.lock();
#ifdef _WIN32
    EXPECT_EQ(GetCurrentThreadId(), mutex.getOwnerThreadId());
#endif
    EXPECT_NE(0u, mutex.getOwnerThreadId());
    mutex.unlock();
    EXPECT_EQ(0u, mutex.getOwnerThreadId());

    auto contender = std::async(std::launch::async, [&] { util::MutexLock lock(mutex); });
    EXPECT_EQ(std::future_status::timeout, contender.wait_for(std::chrono::milliseconds(200)));  // still held once
    mutex.unlock();
    EXPECT_EQ(std::future_status::ready, contender.wait_for(std::chrono::seconds(10)));
}

}  // namespace
