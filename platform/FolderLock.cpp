#include "platform/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool CFolderLock::Lock(const std::string& folder, bool& busy) {
    // flock on the folder itself: nothing is created in it, and a lock
    // taken through a symlink is the same lock.
    return LockOpened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), busy);
}

bool CFolderLock::LockOpened(int fd, bool& busy) {
    busy = false;
    Unlock();
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        busy = errno == EWOULDBLOCK;
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void CFolderLock::Unlock() {
    if (m_fd < 0) return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}
