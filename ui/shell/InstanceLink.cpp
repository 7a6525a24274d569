#include "ui/shell/InstanceLink.h"

#include <utility>

#include <wx/app.h>

#include "app/Desktop.h"

namespace {
// A program that is starting may take a moment before it listens.
constexpr int kAnswerTimeoutMs = 5000;
}  // namespace

CInstanceLink::CInstanceLink(const std::string& folder)
    : m_strFolder(folder), m_pLock(std::make_unique<CInstanceLock>()) {}

CInstanceLink::~CInstanceLink() {
    // The socket goes before the lock, so that a program starting meanwhile
    // finds neither a lock nor a socket of this one.
    m_pServer.reset();
    m_pLock.reset();
}

CInstanceLink::Start CInstanceLink::TakeLock(std::string& problem) {
    switch (m_pLock->Take(m_strFolder, CInstanceLock::Places::FromEnvironment(), problem)) {
    case CInstanceLock::Result::Taken: return Start::First;
    case CInstanceLock::Result::Busy: return Start::Second;
    case CInstanceLock::Result::Refused: break;
    }
    return Start::Refused;
}

bool CInstanceLink::AskRunningToComeForward() {
    return AskToComeForward(m_pLock->SocketPath(), kAnswerTimeoutMs) == ComeForwardResult::Done;
}

bool CInstanceLink::Listen(std::function<void()> onRequest, std::string& error) {
    auto server = std::make_unique<CInstanceServer>();
    // The server's thread hands each request to the window thread.
    auto toWindows = [onRequest = std::move(onRequest)] {
        if (wxTheApp) wxTheApp->CallAfter(onRequest);
    };
    if (!server->Start(m_pLock->SocketPath(), std::move(toWindows), error)) return false;
    m_pServer = std::move(server);
    return true;
}
