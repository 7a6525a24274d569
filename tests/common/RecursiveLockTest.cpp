#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "common/RecursiveLock.h"

// The lock is free for another thread only after the holder's last unlock;
// an unlock by a thread that does not hold it does nothing.
TEST(RecursiveLock, ReleasedOnlyByTheHoldersLastUnlock) {
    CRecursiveLock lock;
    lock.Lock();
    lock.Lock();
    std::atomic<bool> acquired{false};
    std::thread([&] { lock.Unlock(); }).join();
    EXPECT_TRUE(lock.IsHeldByCaller());
    std::thread other([&] {
        lock.Lock();
        acquired = true;
        lock.Unlock();
    });
    lock.Unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(acquired.load()) << "one unlock of two must keep the lock";
    lock.Unlock();
    other.join();
    EXPECT_TRUE(acquired.load());
}
