#include "config/mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

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

    std::atomic<bool> holds{false};
    std::thread contender([&] {
        util::MutexLock lock(mutex);
        holds = true;
    });
    auto heldWithin = [&](std::chrono::milliseconds wait) {
        for (auto until = std::chrono::steady_clock::now() + wait; !holds && std::chrono::steady_clock::now() < until;) {
        }
        return holds.load();
    };
    EXPECT_FALSE(heldWithin(std::chrono::milliseconds(200)));  // still held once
    mutex.unlock();
    EXPECT_TRUE(heldWithin(std::chrono::seconds(10)));
    contender.join();
}

}  // namespace
