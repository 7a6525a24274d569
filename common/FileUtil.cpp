#include "common/FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Diagnostics.h"
#include "common/SafeFiles.h"

std::string JoinPath(std::string_view dir, std::string_view name) {
    std::string out = WithTrailingSeparator(dir);
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);
    out.append(name);
    return out;
}

std::string WithTrailingSeparator(std::string_view dir) {
    std::string out(dir);
    if (out.empty() || out.back() != '/') out.push_back('/');
    return out;
}

bool WriteFileAtomically(const std::string& path, std::string_view data, unsigned mode) {
    // A symbolic link at the name is neither written through nor replaced.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            ReportSymbolicLink(path);
            return false;
        }
        mode &= st.st_mode & 07777;  // never wider than the file was, nor than asked
    }

    std::string tmp;
    const int fd = CreateTemporaryFile(path, tmp);
    if (fd < 0) {
        ReportDiagnostic(DiagnosticKind::SaveFailed, path,
                         std::string("cannot create a temporary file: ") + std::strerror(errno));
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0;
    const char* p = data.data();
    size_t left = data.size();
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    int err = ok ? 0 : errno;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        err = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        ReportDiagnostic(DiagnosticKind::SaveFailed, path, std::strerror(err));
    }
    return ok;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}
