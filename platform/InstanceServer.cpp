#include "platform/InstanceServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/InstanceMessage.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kAcceptsPerRound = 64;  // then the clients get their turn
constexpr auto kPauseWhenOutOfFiles = std::chrono::milliseconds(100);

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

// Whether the other end of a connection runs as this user.
bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

int MillisecondsUntil(Clock::time_point when, Clock::time_point now) {
    if (when <= now) return 0;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count()) + 1;
}

struct Client {
    int fd = -1;
    Clock::time_point deadline;
    CInstanceMessageParser parser;
};

// What one read from a client came to.
enum class ClientStep { Waiting, Served, Drop };

ClientStep ReadClient(Client& client) {
    char buffer[512];
    const ssize_t got = ::recv(client.fd, buffer, sizeof buffer, 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return ClientStep::Waiting;
    if (got <= 0) return ClientStep::Drop;
    const std::size_t used = client.parser.Feed(buffer, static_cast<std::size_t>(got));
    switch (client.parser.GetState()) {
    case CInstanceMessageParser::State::NeedMore:
        return ClientStep::Waiting;
    case CInstanceMessageParser::State::Bad:
        return ClientStep::Drop;
    case CInstanceMessageParser::State::Complete:
        break;
    }
    // One request per connection, and nothing after it.
    if (used != static_cast<std::size_t>(got) ||
        client.parser.Message().kind != InstanceMessageKind::ComeForward)
        return ClientStep::Drop;
    return ClientStep::Served;
}

}  // namespace

bool CInstanceServer::Start(const std::string& path, std::function<void()> onRequest, std::string& error,
                            const Limits& limits) {
    Stop();
    sockaddr_un address;
    if (!MakeAddress(path, address)) {
        error = "the socket's path is too long: " + path;
        return false;
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode) || st.st_uid != ::getuid()) {
            error = path + " is in the way (not a socket of this user); remove it";
            return false;
        }
        ::unlink(path.c_str());
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("no socket: ") + std::strerror(errno);
        return false;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        error = std::string("no event descriptor: ") + std::strerror(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    m_strPath = path;
    ::lstat(path.c_str(), &st);
    m_socketFile = {st.st_dev, st.st_ino};
    m_wakeFd = wake;
    m_thread = std::thread(&CInstanceServer::Run, this, fd, wake, std::move(onRequest), limits);
    return true;
}

void CInstanceServer::Stop() {
    if (!m_thread.joinable()) return;
    const std::uint64_t one = 1;
    if (::write(m_wakeFd, &one, sizeof one) < 0) { /* the thread also ends at its next wake-up */ }
    m_thread.join();
    ::close(m_wakeFd);
    m_wakeFd = -1;
    // Only the socket this server made: a later program may have made its own.
    struct stat st {};
    if (::lstat(m_strPath.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_dev == m_socketFile.first &&
        st.st_ino == m_socketFile.second)
        ::unlink(m_strPath.c_str());
    m_strPath.clear();
}

void CInstanceServer::Run(int listenFd, int wakeFd, std::function<void()> onRequest, Limits limits) {
    std::deque<Client> clients;  // oldest first, so also by deadline
    std::vector<pollfd> fds;
    bool bListenPaused = false;
    Clock::time_point resumeListening;
    const auto drop = [&](std::size_t i) {
        ++m_nDropped;  // counted before the client can see it
        ::close(clients[i].fd);
        clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
    };

    for (;;) {
        Clock::time_point now = Clock::now();
        while (!clients.empty() && clients.front().deadline <= now) drop(0);
        if (bListenPaused && now >= resumeListening) bListenPaused = false;

        fds.clear();
        fds.push_back({wakeFd, POLLIN, 0});
        fds.push_back({bListenPaused ? -1 : listenFd, POLLIN, 0});
        for (const Client& c : clients) fds.push_back({c.fd, POLLIN, 0});
        int timeout = -1;
        if (!clients.empty()) timeout = MillisecondsUntil(clients.front().deadline, now);
        if (bListenPaused) {
            const int resume = MillisecondsUntil(resumeListening, now);
            timeout = timeout < 0 ? resume : std::min(timeout, resume);
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents != 0) break;  // Stop

        // Backwards, so that a dropped client does not move those still to read.
        for (std::size_t i = clients.size(); i-- > 0;) {
            if (fds[i + 2].revents == 0) continue;
            const ClientStep step = ReadClient(clients[i]);
            if (step == ClientStep::Drop) {
                drop(i);
            } else if (step == ClientStep::Served) {
                // Taken first, then answered: the answer says it is on its way.
                ++m_nTaken;
                if (onRequest) onRequest();
                const std::string answer = EncodeInstanceMessage({InstanceMessageKind::Done, {}});
                ::send(clients[i].fd, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
                ::close(clients[i].fd);
                clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }

        if (bListenPaused || (fds[1].revents & POLLIN) == 0) continue;
        now = Clock::now();
        for (std::size_t n = 0; n < kAcceptsPerRound; ++n) {
            const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED) continue;
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                    // Out of descriptors: the oldest client makes room, else wait a little.
                    if (!clients.empty()) {
                        drop(0);
                        continue;
                    }
                    bListenPaused = true;
                    resumeListening = now + kPauseWhenOutOfFiles;
                }
                break;  // EAGAIN: nobody else waits
            }
            if (!PeerIsThisUser(fd)) {
                ++m_nDropped;
                ::close(fd);
                continue;
            }
            if (clients.size() >= limits.maxClients) drop(0);
            Client client;
            client.fd = fd;
            client.deadline = now + std::chrono::milliseconds(limits.stallMs);
            clients.push_back(std::move(client));
        }
    }
    for (const Client& c : clients) ::close(c.fd);
    ::close(listenFd);
}

ComeForwardResult AskToComeForward(const std::string& path, int timeoutMs) {
    sockaddr_un address;
    if (!MakeAddress(path, address)) return ComeForwardResult::NoAnswer;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string request = EncodeInstanceMessage({InstanceMessageKind::ComeForward, {}});
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return ComeForwardResult::NoAnswer;
        ComeForwardResult result = ComeForwardResult::NoAnswer;
        bool bTryAgain = true;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            if (!PeerIsThisUser(fd)) {
                result = ComeForwardResult::BadAnswer;
                bTryAgain = false;
            } else if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
                CInstanceMessageParser parser;
                for (;;) {
                    pollfd p{fd, POLLIN, 0};
                    const int wait = MillisecondsUntil(deadline, Clock::now());
                    if (wait == 0 || ::poll(&p, 1, wait) <= 0) break;
                    char buffer[64];
                    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                    if (got <= 0) break;  // dropped, perhaps among many: try again
                    parser.Feed(buffer, static_cast<std::size_t>(got));
                    if (parser.GetState() == CInstanceMessageParser::State::NeedMore) continue;
                    const bool bDone = parser.GetState() == CInstanceMessageParser::State::Complete &&
                                       parser.Message().kind == InstanceMessageKind::Done;
                    result = bDone ? ComeForwardResult::Done : ComeForwardResult::BadAnswer;
                    bTryAgain = false;
                    break;
                }
            }
        }
        ::close(fd);
        if (!bTryAgain || Clock::now() >= deadline) return result;
        // Not listening yet (or busy): the running program may be starting.
        ::usleep(50 * 1000);
    }
}
