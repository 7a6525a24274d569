// The single-instance socket: the running desktop program listens on a UNIX
// socket in its private folder for a later start's request to come forward
// (platform/InstanceMessage.h), on a small thread of its own so that no
// client can hold up the windows. A client that sends anything but one
// well-formed request, or does not finish it within the stall limit, is
// dropped; when the clients reach their bound, the oldest goes first.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#include <sys/types.h>

class CInstanceServer {
public:
    struct Limits {
        int stallMs = 1000;            // a client's whole request must arrive within this
        std::size_t maxClients = 1024; // connections held at once
    };

    CInstanceServer() = default;
    ~CInstanceServer() { Stop(); }
    CInstanceServer(const CInstanceServer&) = delete;
    CInstanceServer& operator=(const CInstanceServer&) = delete;

    // Listens on path. The caller holds the single-instance lock, so a socket
    // file left there by an ended program of this user is replaced; any other
    // file is left alone and the start fails. onRequest runs on the server's
    // thread for each request taken. False with error set when it cannot listen.
    bool Start(const std::string& path, std::function<void()> onRequest, std::string& error,
               const Limits& limits);
    bool Start(const std::string& path, std::function<void()> onRequest, std::string& error) {
        return Start(path, std::move(onRequest), error, Limits());
    }
    // Stops the thread, closes every connection and removes the socket file.
    void Stop();

    // Figures since the start, for tests and traces.
    std::size_t RequestsTaken() const { return m_nTaken.load(); }
    std::size_t ClientsDropped() const { return m_nDropped.load(); }

private:
    void Run(int listenFd, int wakeFd, std::function<void()> onRequest, Limits limits);

    std::thread m_thread;
    int m_wakeFd = -1;
    std::string m_strPath;
    std::pair<dev_t, ino_t> m_socketFile{};  // the socket file this server made
    std::atomic<std::size_t> m_nTaken{0};
    std::atomic<std::size_t> m_nDropped{0};
};

// How a request to the running program went.
enum class ComeForwardResult {
    Done,        // the running program took it
    NoAnswer,    // nobody listens on the socket, or no answer came in time
    BadAnswer,   // something answered that is not the running program
};

// A later start: asks the program listening on path to come forward, trying
// to connect for up to timeoutMs (the running program may be starting).
ComeForwardResult AskToComeForward(const std::string& path, int timeoutMs);
