// CInstanceLock: one desktop program per application folder. The lock is a
// kernel lock (flock) on a file named after the application folder in the
// user's private folder ($XDG_RUNTIME_DIR, else $XDG_CACHE_HOME/skimbolt or
// ~/.cache/skimbolt, made with mode 0700), and the single-instance socket
// lives beside it. A lock file that nobody holds (left by a program that
// ended) is taken again; a folder or lock file that is a symlink, belongs
// to another user or is open to other users is refused, with a message that
// says what to do.
#pragma once

#include <string>

#include "platform/FolderLock.h"

class CInstanceLock {
public:
    // Where the private folder is looked for; FromEnvironment reads
    // XDG_RUNTIME_DIR, XDG_CACHE_HOME and HOME.
    struct Places {
        std::string runtimeDir;
        std::string cacheHome;
        std::string home;
        static Places FromEnvironment();
    };

    enum class Result {
        Taken,    // this program is the one on the folder
        Busy,     // another program holds the lock
        Refused,  // the lock cannot be used safely; problem says why and what to do
    };

    Result Take(const std::string& appFolder, const Places& places, std::string& problem);
    void Release() { m_lock.Unlock(); }

    const std::string& LockPath() const { return m_strLockPath; }
    const std::string& SocketPath() const { return m_strSocketPath; }

private:
    CFolderLock m_lock;
    std::string m_strLockPath;
    std::string m_strSocketPath;
};
