// The single-instance socket against hostile clients of the same user
// (garbage, a length past the bound, a request never finished, a thousand
// idle connections) with a good request still served, and the
// single-instance lock: taken once per folder, a stale lock file taken
// again, planted or foreign files and folders refused, and the private
// folder used when XDG_RUNTIME_DIR is unset.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/InstanceLock.h"
#include "platform/InstanceMessage.h"
#include "platform/InstanceServer.h"
#include "support/TempDir.h"

namespace {

int Connect(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

void Send(int fd, const std::string& bytes) {
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

// Whether the server closed fd (waits for it, at most a generous while).
bool ClosedByServer(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 20000) != 1) return false;
    char byte;
    return ::recv(fd, &byte, 1, 0) == 0;
}

std::string Header(unsigned char kind, unsigned length) {
    return std::string("SKB1") + static_cast<char>(kind) + static_cast<char>(length >> 8) +
           static_cast<char>(length & 0xff);
}

// Room for a thousand connections at both ends.
void RaiseOpenFileLimit(rlim_t wanted) {
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    if (limit.rlim_cur >= wanted) return;
    ASSERT_GE(limit.rlim_max, wanted) << "the hard limit of open files is too low for this test";
    limit.rlim_cur = wanted;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
}

}  // namespace

TEST(InstanceSocket, DropsBadClientsAndServesTheGoodOne) {
    CTempDir dir;
    std::atomic<int> requests{0};
    std::string error;

    // A stall limit far beyond the waits below: a drop here is for what was sent.
    {
        CInstanceServer strict;
        const std::string path = dir.File("strict.sock");
        ASSERT_TRUE(strict.Start(path, [&] { ++requests; }, error, {60000, 16})) << error;
        const std::vector<std::string> bad = {
            "GET / HTTP/1.1\r\nHost: x\r\n\r\n",                     // not this protocol
            Header(1, 0x2000),                                        // a length past the bound
            std::string("SKB1\x01\xff\xff", 7) + std::string(100, 'x'),  // the largest length there is
            Header(9, 0),                                             // an unknown kind
            Header(2, 0),                                             // an answer, not a request
            Header(1, 0) + "trailing",                                // more after the request
        };
        for (const std::string& bytes : bad) {
            const int fd = Connect(path);
            ASSERT_GE(fd, 0);
            Send(fd, bytes);
            EXPECT_TRUE(ClosedByServer(fd)) << "kept a client that sent " << bytes.size() << " bad bytes";
            ::close(fd);
        }
        EXPECT_EQ(requests.load(), 0);
        EXPECT_EQ(strict.ClientsDropped(), bad.size());
        // The bad clients changed nothing: a good request is served.
        EXPECT_EQ(AskToComeForward(path, 5000), ComeForwardResult::Done);
        EXPECT_EQ(requests.load(), 1);
    }

    // The program's own limits: a request begun and never finished, and a
    // thousand connections that send nothing.
    RaiseOpenFileLimit(2400);
    CInstanceServer server;
    const std::string path = dir.File("skimbolt.sock");
    ASSERT_TRUE(server.Start(path, [&] { ++requests; }, error)) << error;
    const int stalled = Connect(path);
    ASSERT_GE(stalled, 0);
    Send(stalled, Header(1, 4));  // the payload never comes
    ASSERT_TRUE(ClosedByServer(stalled));
    ::close(stalled);

    std::vector<int> idle;
    for (int i = 0; i < 1000; ++i) {
        const int fd = Connect(path);
        ASSERT_GE(fd, 0) << "connection " << i;
        idle.push_back(fd);
    }
    EXPECT_EQ(AskToComeForward(path, 5000), ComeForwardResult::Done);
    EXPECT_EQ(requests.load(), 2);
    int closed = 0;
    while (closed < 1000 && ClosedByServer(idle[closed])) ++closed;
    for (int fd : idle) ::close(fd);
    EXPECT_EQ(closed, 1000);
    EXPECT_EQ(server.RequestsTaken(), 1u);

    // A socket file in the way that is no socket is left alone.
    server.Stop();
    EXPECT_FALSE(std::filesystem::exists(path));
    std::ofstream(path) << "not a socket";
    CInstanceServer blocked;
    EXPECT_FALSE(blocked.Start(path, [] {}, error));
    EXPECT_EQ(std::filesystem::file_size(path), 12u);
}

TEST(InstanceLock, StaleForeignAndUnsetRuntimeFolder) {
    CTempDir dir;
    const std::string run = dir.File("run");
    ASSERT_EQ(::mkdir(run.c_str(), 0700), 0);
    const CInstanceLock::Places places{run, "", dir.File("home")};
    const std::string folderA = dir.File("a");
    std::string problem;

    // Once per application folder.
    CInstanceLock first;
    ASSERT_EQ(first.Take(folderA, places, problem), CInstanceLock::Result::Taken) << problem;
    EXPECT_EQ(first.LockPath().rfind(run + "/", 0), 0u);
    EXPECT_EQ(first.SocketPath().substr(0, first.SocketPath().size() - 5),
              first.LockPath().substr(0, first.LockPath().size() - 5));
    CInstanceLock second;
    EXPECT_EQ(second.Take(folderA, places, problem), CInstanceLock::Result::Busy);
    EXPECT_EQ(second.Take(dir.File("b"), places, problem), CInstanceLock::Result::Taken);

    // Stale: the file stays when its holder ends, naming a live process; it stops nobody.
    first.Release();
    ASSERT_TRUE(std::filesystem::exists(first.LockPath()));
    std::ofstream(first.LockPath()) << ::getpid() << "\n";
    CInstanceLock third;
    EXPECT_EQ(third.Take(folderA, places, problem), CInstanceLock::Result::Taken) << problem;
    third.Release();

    // A lock file planted as a symlink: refused, its target untouched.
    const std::string target = dir.File("target");
    std::ofstream(target) << "keep";
    std::filesystem::remove(first.LockPath());
    std::filesystem::create_symlink(target, first.LockPath());
    EXPECT_EQ(third.Take(folderA, places, problem), CInstanceLock::Result::Refused);
    EXPECT_NE(problem.find("symbolic link; remove it"), std::string::npos) << problem;
    EXPECT_EQ(std::filesystem::file_size(target), 4u);
    std::filesystem::remove(first.LockPath());

    // A lock file of another user (only root can make one).
    if (::getuid() == 0) {
        std::ofstream(first.LockPath()) << "";
        ASSERT_EQ(::chown(first.LockPath().c_str(), 65534, 65534), 0);
        EXPECT_EQ(third.Take(folderA, places, problem), CInstanceLock::Result::Refused);
        EXPECT_NE(problem.find("belongs to another user"), std::string::npos) << problem;
        std::filesystem::remove(first.LockPath());
    }

    // A runtime folder open to others, or a symlink to one: refused with what to do.
    ASSERT_EQ(::chmod(run.c_str(), 0755), 0);
    EXPECT_EQ(third.Take(folderA, places, problem), CInstanceLock::Result::Refused);
    EXPECT_NE(problem.find("chmod 700 " + run), std::string::npos) << problem;
    ASSERT_EQ(::chmod(run.c_str(), 0700), 0);
    const std::string link = dir.File("run-link");
    std::filesystem::create_directory_symlink(run, link);
    EXPECT_EQ(third.Take(folderA, {link, "", dir.File("home")}, problem), CInstanceLock::Result::Refused);

    // XDG_RUNTIME_DIR unset: a private folder in the cache folder, made 0700.
    const std::string cache = dir.File("cache");
    ASSERT_EQ(third.Take(folderA, {"", cache, dir.File("home")}, problem), CInstanceLock::Result::Taken) << problem;
    EXPECT_EQ(third.LockPath().rfind(cache + "/skimbolt/", 0), 0u);
    struct stat st {};
    ASSERT_EQ(::lstat((cache + "/skimbolt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    CInstanceLock busy;
    EXPECT_EQ(busy.Take(folderA, {"", cache, dir.File("home")}, problem), CInstanceLock::Result::Busy);
    third.Release();
    ASSERT_EQ(busy.Take(folderA, {"", "", dir.File("home")}, problem), CInstanceLock::Result::Taken) << problem;
    EXPECT_EQ(busy.LockPath().rfind(dir.File("home") + "/.cache/skimbolt/", 0), 0u);
    busy.Release();

    // ... and that folder planted as a symlink to a folder others can use.
    const std::string shared = dir.File("shared");
    std::filesystem::create_directory(shared);
    const std::string cache2 = dir.File("cache2");
    std::filesystem::create_directory(cache2);
    std::filesystem::create_directory_symlink(shared, cache2 + "/skimbolt");
    EXPECT_EQ(busy.Take(folderA, {"", cache2, ""}, problem), CInstanceLock::Result::Refused);
    EXPECT_NE(problem.find("symbolic link"), std::string::npos) << problem;
    EXPECT_TRUE(std::filesystem::is_empty(shared));
}
