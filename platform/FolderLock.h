// CFolderLock: an exclusive lock on a folder (or a lock file) that at most
// one process holds; the kernel releases it when the process ends, however
// it ends.
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
    // The same on a file the caller opened and checked; the lock owns fd
    // from here on, whatever the result.
    bool LockOpened(int fd, bool& busy);
    void Unlock();
    bool IsLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
