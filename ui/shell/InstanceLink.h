// CInstanceLink: one desktop program per application folder. The first start
// on a folder takes the single-instance lock and listens on the socket
// beside it (its own thread; requests reach the window thread as queued
// calls); a later start on the same folder finds the lock taken, asks the
// running program over that socket to come forward, and ends.
#pragma once

#include <functional>
#include <memory>
#include <string>

class CInstanceLock;
class CInstanceServer;

class CInstanceLink {
public:
    // folder: the application folder, as resolved at start-up.
    explicit CInstanceLink(const std::string& folder);
    ~CInstanceLink();
    CInstanceLink(const CInstanceLink&) = delete;
    CInstanceLink& operator=(const CInstanceLink&) = delete;

    enum class Start {
        First,    // the lock is ours
        Second,   // another program runs on this folder
        Refused,  // the lock cannot be used safely; the problem says what to do
    };
    Start TakeLock(std::string& problem);
    // Second start: asks the running program to bring its windows forward.
    // False when it cannot be reached.
    bool AskRunningToComeForward();
    // First start: listens for such requests; onRequest runs on the
    // user-interface thread. False when the socket cannot be made (the
    // program still runs, only unreachable for a second start).
    bool Listen(std::function<void()> onRequest, std::string& error);

private:
    std::string m_strFolder;
    std::unique_ptr<CInstanceLock> m_pLock;
    std::unique_ptr<CInstanceServer> m_pServer;
};
