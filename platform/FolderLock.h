// CFolderLock: an exclusive lock on a folder that at most one process holds;
// the kernel releases it when the process ends, however it ends.
#pragma once

#include <string>

class CFolderLock {
public:
    CFolderLock() = default;
    ~CFolderLock() { Unlock(); }
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    // Takes the lock without waiting. False when another process holds it
    // (busy set) or the folder cannot be opened (busy clear).
    bool Lock(const std::string& folder, bool& busy);
    void Unlock();
    bool IsLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
