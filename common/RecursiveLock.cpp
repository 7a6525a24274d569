#include "common/RecursiveLock.h"

void CRecursiveLock::Lock() {
    const auto self = std::this_thread::get_id();
    if (m_holder.load(std::memory_order_acquire) == self) {
        ++m_nCount;
        return;
    }
    m_mutex.lock();
    m_holder.store(self, std::memory_order_release);
    m_nCount = 1;
}

void CRecursiveLock::Unlock() {
    if (m_holder.load(std::memory_order_acquire) != std::this_thread::get_id()) return;
    if (--m_nCount > 0) return;
    m_holder.store(std::thread::id{}, std::memory_order_release);
    m_mutex.unlock();
}

bool CRecursiveLock::IsHeldByCaller() const {
    return m_holder.load(std::memory_order_acquire) == std::this_thread::get_id();
}
