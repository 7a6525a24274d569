#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A short, stable name for the folder (FNV-1a of its canonical path).
std::string FolderTag(const std::string& folder) {
    std::error_code ec;
    std::string path = std::filesystem::weakly_canonical(folder.empty() ? "." : folder, ec).string();
    if (ec) path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : path) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string Octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// Why path (a folder or a file, with its lstat/fstat st) may not hold the
// lock, and what to do about it; "" when it may.
std::string Unsafe(const std::string& path, const struct stat& st, bool bFolder) {
    if (S_ISLNK(st.st_mode)) return path + " is a symbolic link; remove it";
    if (bFolder && !S_ISDIR(st.st_mode)) return path + " is not a folder; remove it";
    if (!bFolder && !S_ISREG(st.st_mode)) return path + " is not a plain file; remove it";
    if (st.st_uid != ::getuid())
        return path + " belongs to another user (uid " + std::to_string(st.st_uid) + "); remove it as that user or as root";
    if ((st.st_mode & 077) != 0)
        return path + " is open to other users (mode " + Octal(st.st_mode) + "); make it private with chmod " +
               (bFolder ? "700 " : "600 ") + path;
    return std::string();
}

std::string Refusal(const std::string& why) {
    return "the single-instance lock cannot be used safely: " + why + ", then start Skimbolt again";
}

// The private folder the lock goes into, made when missing; "" with problem set.
std::string PrivateFolder(const CInstanceLock::Places& places, std::string& problem) {
    struct stat st {};
    const std::string& runtime = places.runtimeDir;
    if (!runtime.empty() && runtime[0] == '/' && !(::lstat(runtime.c_str(), &st) != 0 && errno == ENOENT)) {
        std::string why = Unsafe(runtime, st, true);
        if (why.empty()) return runtime;
        problem = Refusal("XDG_RUNTIME_DIR " + why + " or unset XDG_RUNTIME_DIR");
        return std::string();
    }
    std::string cache = places.cacheHome;
    if (cache.empty() || cache[0] != '/') {
        if (places.home.empty() || places.home[0] != '/') {
            problem = Refusal("there is no private folder for it (neither XDG_RUNTIME_DIR nor HOME is set); set one");
            return std::string();
        }
        cache = places.home + "/.cache";
    }
    std::error_code ec;
    std::filesystem::create_directories(cache, ec);
    const std::string folder = cache + "/skimbolt";
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = Refusal(folder + " cannot be made (" + std::strerror(errno) + "); make it with mode 0700");
        return std::string();
    }
    if (::lstat(folder.c_str(), &st) != 0) {
        problem = Refusal(folder + ": " + std::strerror(errno));
        return std::string();
    }
    const std::string why = Unsafe(folder, st, true);
    if (why.empty()) return folder;
    problem = Refusal(why);
    return std::string();
}

}  // namespace

CInstanceLock::Places CInstanceLock::Places::FromEnvironment() {
    const auto get = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
    return Places{get("XDG_RUNTIME_DIR"), get("XDG_CACHE_HOME"), get("HOME")};
}

CInstanceLock::Result CInstanceLock::Take(const std::string& appFolder, const Places& places, std::string& problem) {
    problem.clear();
    Release();
    std::string folder = PrivateFolder(places, problem);
    if (folder.empty()) return Result::Refused;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const std::string stem = folder + "/skimbolt-" + FolderTag(appFolder);
    m_strLockPath = stem + ".lock";
    m_strSocketPath = stem + ".sock";

    const int fd = ::open(m_strLockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == ELOOP) problem = Refusal(m_strLockPath + " is a symbolic link; remove it");
        else problem = Refusal(m_strLockPath + " cannot be opened (" + std::strerror(errno) + "); remove it");
        return Result::Refused;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !(problem = Unsafe(m_strLockPath, st, false)).empty()) {
        ::close(fd);
        problem = Refusal(problem.empty() ? m_strLockPath + ": " + std::strerror(errno) : problem);
        return Result::Refused;
    }
    bool bBusy = false;
    if (m_lock.LockOpened(fd, bBusy)) return Result::Taken;
    if (bBusy) return Result::Busy;
    problem = Refusal(m_strLockPath + " cannot be locked (" + std::strerror(errno) + ")");
    return Result::Refused;
}
