#include "config/mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

using util::Mutex;
using util::MutexLock;

// Starts a thread that takes the mutex and tells when it has it.
struct Contender {
    explicit Contender(Mutex& mutex)
        : thread([this, &mutex] {
              MutexLock lock(mutex);
              holds = true;
          }) {}
    ~Contender() { thread.join(); }
    bool heldWithin(std::chrono::milliseconds wait) {
        for (auto until = std::chrono::steady_clock::now() + wait;
             std::chrono::steady_clock::now() < until;)
            if (holds) return true;
        return holds;
    }
    std::atomic<bool> holds{false};
    std::thread thread;
};

// The calling thread holds `mutex` once more than it will give up here.
void expectFreedOnlyByTheNextUnlock(Mutex& mutex) {
    Contender contender(mutex);
    EXPECT_FALSE(contender.heldWithin(std::chrono::milliseconds(200)));
    mutex.unlock();
    EXPECT_TRUE(contender.heldWithin(std::chrono::seconds(10)));
}

TEST(MutexTest, OwnerTakesItAgainAndFreesItOnTheLastUnlock) {
    Mutex mutex("Non shared mutex");
    EXPECT_EQ(0u, mutex.getOwnerThreadId());
    mutex.lock();
    mutex.lock();
    EXPECT_NE(0u, mutex.getOwnerThreadId());
    mutex.unlock();
    EXPECT_EQ(0u, mutex.getOwnerThreadId());
    expectFreedOnlyByTheNextUnlock(mutex);
}

TEST(MutexTest, UnlockByANonOwnerChangesNothing) {
    Mutex mutex("m");
    mutex.unlock();  // never locked
    mutex.lock();
    std::thread([&mutex] { mutex.unlock(); }).join();
    EXPECT_EQ(0u, mutex.getOwnerThreadId());
    expectFreedOnlyByTheNextUnlock(mutex);
}

TEST(MutexTest, SameNameIsAnotherLock) {
    Mutex first("same"), second("same");
    MutexLock lock(first);
    Contender contender(second);
    EXPECT_TRUE(contender.heldWithin(std::chrono::seconds(10)));
}

TEST(MutexTest, ExceptionInScopeFreesTheLock) {
    Mutex mutex("m");
    try {
        MutexLock lock(mutex);
        throw std::runtime_error("leaves the scope");
    } catch (const std::runtime_error&) {
    }
    Contender contender(mutex);
    EXPECT_TRUE(contender.heldWithin(std::chrono::seconds(10)));
}

}  // namespace
