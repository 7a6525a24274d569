#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/RecursiveLock.h"

TEST(RecursiveLock, HolderMayLockAgainAndReleasesAtTheLastUnlock) {
    CRecursiveLock lock;
    lock.Lock();
    lock.Lock();
    std::atomic<bool> acquired{false};
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

TEST(RecursiveLock, UnlockByANonHolderDoesNothing) {
    CRecursiveLock lock;
    lock.Lock();
    std::thread([&] { lock.Unlock(); }).join();
    EXPECT_TRUE(lock.IsHeldByCaller());
    std::atomic<bool> acquired{false};
    std::thread other([&] {
        lock.Lock();
        acquired = true;
        lock.Unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(acquired.load());
    lock.Unlock();
    other.join();
    EXPECT_TRUE(acquired.load());
}

TEST(RecursiveLock, CountsStayConsistentUnderContention) {
    CRecursiveLock lock;
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            CRecursiveLockGuard outer(lock);
            CRecursiveLockGuard inner(lock);
            ++counter;
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}
