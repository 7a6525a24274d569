// CRecursiveLock: a recursive lock over one mutex. The holder may lock again
// (a count goes up); an unlock by a thread that does not hold it does nothing.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>

class CRecursiveLock {
public:
    CRecursiveLock() = default;
    CRecursiveLock(const CRecursiveLock&) = delete;
    CRecursiveLock& operator=(const CRecursiveLock&) = delete;
    virtual ~CRecursiveLock() = default;

    void Lock();
    void Unlock();
    // True when the calling thread holds the lock.
    bool IsHeldByCaller() const;

private:
    std::mutex m_mutex;
    std::atomic<std::thread::id> m_holder{};
    int m_nCount = 0;  // touched only by the holder
};

// Scoped Lock/Unlock of a CRecursiveLock.
class CRecursiveLockGuard {
public:
    explicit CRecursiveLockGuard(CRecursiveLock& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CRecursiveLockGuard() { m_lock.Unlock(); }
    CRecursiveLockGuard(const CRecursiveLockGuard&) = delete;
    CRecursiveLockGuard& operator=(const CRecursiveLockGuard&) = delete;

private:
    CRecursiveLock& m_lock;
};
