#include "ui/shell/InstanceLink.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include <unistd.h>

#include <wx/filename.h>
#include <wx/ipc.h>
#include <wx/snglinst.h>

namespace {

constexpr const char* kTopic = "skimbolt";
constexpr const char* kComeForward = "come-forward";

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

// $XDG_RUNTIME_DIR, else the temporary folder; the user's id keeps users apart there.
std::string RuntimeDir(std::string& userSuffix) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && std::filesystem::is_directory(runtime)) return std::string(runtime) + "/";
    userSuffix = "-" + std::to_string(static_cast<unsigned long>(::getuid()));
    return wxFileName::GetTempDir().utf8_string() + "/";
}

class CComeForwardConnection : public wxConnection {
public:
    explicit CComeForwardConnection(std::function<void()> onRequest) : m_onRequest(std::move(onRequest)) {}
    bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat) override {
        const std::string text(static_cast<const char*>(data), size);
        if (text.compare(0, std::char_traits<char>::length(kComeForward), kComeForward) != 0) return false;
        // Answer first; the windows come forward once the request is done.
        auto onRequest = m_onRequest;
        wxTheApp->CallAfter([onRequest] { onRequest(); });
        return true;
    }

private:
    std::function<void()> m_onRequest;
};

class CComeForwardServer : public wxServer {
public:
    explicit CComeForwardServer(std::function<void()> onRequest) : m_onRequest(std::move(onRequest)) {}
    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        return topic == kTopic ? new CComeForwardConnection(m_onRequest) : nullptr;
    }

private:
    std::function<void()> m_onRequest;
};

}  // namespace

CInstanceLink::CInstanceLink(const std::string& folder) {
    std::string userSuffix;
    m_strLockDir = RuntimeDir(userSuffix);
    const std::string tag = FolderTag(folder);
    m_strLockName = "skimbolt-" + tag + userSuffix + ".lock";
    m_strSocketPath = m_strLockDir + "skimbolt-" + tag + userSuffix + ".sock";
}

CInstanceLink::~CInstanceLink() {
    if (m_pServer) {
        m_pServer.reset();
        std::error_code ec;
        std::filesystem::remove(m_strSocketPath, ec);
    }
}

bool CInstanceLink::IsAnotherRunning() {
    if (!m_pChecker) {
        m_pChecker = std::make_unique<wxSingleInstanceChecker>();
        if (!m_pChecker->Create(wxString::FromUTF8(m_strLockName), wxString::FromUTF8(m_strLockDir))) return false;
    }
    return m_pChecker->IsAnotherRunning();
}

bool CInstanceLink::AskRunningToComeForward() {
    wxClient client;
    std::unique_ptr<wxConnectionBase> connection(
        client.MakeConnection("localhost", wxString::FromUTF8(m_strSocketPath), kTopic));
    if (!connection) return false;
    const bool bDone = connection->Execute(kComeForward);
    connection->Disconnect();
    return bDone;
}

bool CInstanceLink::Listen(std::function<void()> onRequest) {
    auto server = std::make_unique<CComeForwardServer>(std::move(onRequest));
    if (!server->Create(wxString::FromUTF8(m_strSocketPath))) return false;
    m_pServer = std::move(server);
    return true;
}
