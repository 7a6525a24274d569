// CInstanceLink: one desktop program per application folder. The first start
// on a folder holds a single-instance lock keyed by the folder and listens on
// a local socket; a later start on the same folder finds the lock, asks the
// running program over that socket to come forward, and ends.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <wx/ipc.h>
#include <wx/snglinst.h>


class CInstanceLink {
public:
    // folder: the application folder, as resolved at start-up.
    explicit CInstanceLink(const std::string& folder);
    ~CInstanceLink();
    CInstanceLink(const CInstanceLink&) = delete;
    CInstanceLink& operator=(const CInstanceLink&) = delete;

    // Whether another program already runs on this folder.
    bool IsAnotherRunning();
    // Second start: asks the running program to bring its windows forward.
    // False when it cannot be reached.
    bool AskRunningToComeForward();
    // First start: listens for such requests; onRequest runs on the
    // user-interface thread. False when the socket cannot be made (the
    // program still runs, only unreachable for a second start).
    bool Listen(std::function<void()> onRequest);

    // Where the lock and the socket live, for tests and messages.
    const std::string& GetLockName() const { return m_strLockName; }
    const std::string& GetSocketPath() const { return m_strSocketPath; }

private:
    std::string m_strLockName;
    std::string m_strLockDir;
    std::string m_strSocketPath;
    std::unique_ptr<wxSingleInstanceChecker> m_pChecker;
    std::unique_ptr<wxServer> m_pServer;
};
