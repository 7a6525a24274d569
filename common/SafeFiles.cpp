#include "common/SafeFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <random>

#include "common/Diagnostics.h"

namespace {

constexpr std::string_view kTemporaryInfix = ".skimbolt-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kRandomLength = 6;

bool WriteAll(int fd, const char* p, std::size_t left) {
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string RandomLetters() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::string out;
    for (std::size_t i = 0; i < kRandomLength; ++i) out.push_back(kLetters[random() % (sizeof kLetters - 1)]);
    return out;
}

}  // namespace

bool IsSymbolicLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

void ReportSymbolicLink(const std::string& path) {
    ReportDiagnostic(DiagnosticKind::ForeignFile, path, "a symbolic link; not followed, left alone");
}

int OpenRegularFile(const std::string& path, int flags, unsigned mode) {
    const bool bTruncate = (flags & O_TRUNC) != 0;
    // Non-blocking, so that a FIFO planted at the name does not hang the open.
    const int fd = ::open(path.c_str(), (flags & ~O_TRUNC) | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, mode);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 || (bTruncate && ::ftruncate(fd, 0) != 0)) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

std::FILE* OpenFileStream(const std::string& path, const char* mode) {
    const std::string_view m(mode ? mode : "");
    const bool bPlus = m.find('+') != std::string_view::npos;
    int flags = 0;
    switch (m.empty() ? '\0' : m.front()) {
    case 'r':
        flags = bPlus ? O_RDWR : O_RDONLY;
        break;
    case 'w':
        flags = (bPlus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
        break;
    case 'a':
        flags = (bPlus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
        break;
    default:
        errno = EINVAL;
        return nullptr;
    }
    const int fd = OpenRegularFile(path, flags);
    if (fd < 0) return nullptr;
    std::FILE* f = ::fdopen(fd, mode);
    if (!f) {
        const int err = errno;
        ::close(fd);
        errno = err;
    }
    return f;
}

int CreateTemporaryFile(const std::string& path, std::string& tmpPath) {
    constexpr int kAttempts = 100;
    for (int i = 0; i < kAttempts; ++i) {
        tmpPath = path;
        tmpPath.append(kTemporaryInfix).append(RandomLetters()).append(kTemporarySuffix);
        const int fd = ::open(tmpPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, PRIVATE_FILE_MODE);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    tmpPath.clear();
    return -1;
}

bool IsTemporaryFileName(std::string_view name) {
    const std::size_t tail = kTemporaryInfix.size() + kRandomLength + kTemporarySuffix.size();
    if (name.size() <= tail) return false;
    const std::string_view end = name.substr(name.size() - tail);
    if (end.substr(0, kTemporaryInfix.size()) != kTemporaryInfix || end.substr(tail - kTemporarySuffix.size()) != kTemporarySuffix)
        return false;
    for (char c : end.substr(kTemporaryInfix.size(), kRandomLength))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

bool CopyToNewFile(const std::string& from, const std::string& to, unsigned mode) {
    const int in = OpenRegularFile(from, O_RDONLY);
    if (in < 0) return false;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        errno = err;
        return false;
    }
    bool ok = ::fchmod(out, mode) == 0;  // the umask takes nothing away from what was asked
    char buf[65536];
    while (ok) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        ok = WriteAll(out, buf, static_cast<std::size_t>(n));
    }
    int err = ok ? 0 : errno;
    if (::close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    ::close(in);
    if (!ok) {
        ::unlink(to.c_str());
        errno = err;
    }
    return ok;
}

bool MakePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), PRIVATE_FOLDER_MODE) == 0) return true;
    if (errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR;
        return false;
    }
    return true;
}

bool MakePrivate(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && (S_ISDIR(st.st_mode) || S_ISREG(st.st_mode)) && st.st_uid == ::getuid();
    if (ok && (st.st_mode & 077) != 0) ok = ::fchmod(fd, st.st_mode & 07700) == 0;
    ::close(fd);
    return ok;
}
