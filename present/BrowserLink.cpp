#include "present/BrowserLink.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "platform/DdeClient.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopSystem.h"

namespace {

constexpr std::uint32_t NO_WINDOW = 0xFFFFFFFF;
// The item that names the window the user last used.
constexpr const char* LAST_ACTIVE_WINDOW = "-1";

bool EqualsNoCase(const std::string& a, const char* b) {
    return ::strcasecmp(a.c_str(), b) == 0;
}

// One conversation, closed when it goes out of scope.
class CConversation {
public:
    CConversation(CDdeClient& dde, const std::string& service, const char* topic)
        : m_dde(dde), m_handle(dde.Connect(service, topic)) {}
    ~CConversation() {
        if (m_handle) m_dde.Disconnect(m_handle);
    }
    CConversation(const CConversation&) = delete;
    CConversation& operator=(const CConversation&) = delete;

    explicit operator bool() const { return m_handle != 0; }
    bool Request(const std::string& item, std::string& data) {
        data.clear();
        return m_dde.Request(m_handle, item, DdeFormat::Text, CDdeClient::REQUEST_TIMEOUT_MS, data);
    }

private:
    CDdeClient& m_dde;
    CDdeClient::Conversation m_handle;
};

// Window ids travel as 32-bit values, written with "%ld" as signed numbers.
std::string WindowItem(std::uint32_t windowId) {
    return std::to_string(static_cast<std::int32_t>(windowId));
}

// The URL between the first and the second double quote; a comma before the
// second one means the answer is not a plain URL.
std::string QuotedUrl(const std::string& answer) {
    const std::string text = answer.substr(0, answer.find('\0'));
    std::string url;
    int quotes = 0;
    for (char c : text) {
        if (c == ',') return "";
        if (c == '"') {
            if (++quotes == 2) return url;
        } else if (quotes == 1) {
            url += c;
        }
    }
    return "";
}

// The service a found (or missing) default browser offers its conversations as.
std::string ServiceName(bool found, const CDesktopEntry& entry) {
    std::string id = found ? entry.GetId() : "";
    const std::string suffix = ".desktop";
    if (id.size() > suffix.size() && id.compare(id.size() - suffix.size(), suffix.size(), suffix) == 0)
        id.resize(id.size() - suffix.size());
    return id.empty() || EqualsNoCase(id, "nsshell") ? "netscape" : id;
}

CBrowserLink::BrowserKind KindOf(const std::string& service) {
    if (EqualsNoCase(service, "iexplore")) return CBrowserLink::BROWSER_IEXPLORE;
    if (EqualsNoCase(service, "netscape")) return CBrowserLink::BROWSER_NETSCAPE;
    return CBrowserLink::BROWSER_OTHER;
}

}  // namespace

void CBrowserLink::GetDdeApplication(std::string& name) const {
    CDesktopEntry entry;
    const bool found = CDesktopEntry::FindDefaultBrowser(m_desktop, entry);
    name = ServiceName(found, entry);
}

CBrowserLink::BrowserKind CBrowserLink::GetBrowserKind() const {
    std::string name;
    GetDdeApplication(name);
    return KindOf(name);
}

void CBrowserLink::GetBrowserCommand(std::string& command) const {
    CDesktopEntry entry;
    command.clear();
    if (CDesktopEntry::FindDefaultBrowser(m_desktop, entry)) command = entry.GetExec();
}

bool CBrowserLink::LaunchBrowser(const std::string& url) const {
    CDesktopEntry entry;
    if (!CDesktopEntry::FindDefaultBrowser(m_desktop, entry)) return false;
    std::string command = entry.GetExec();
    if (KindOf(ServiceName(true, entry)) == BROWSER_NETSCAPE) {
        std::string lower = command;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const size_t cut = lower.find(" -h");
        if (cut != std::string::npos) command.resize(cut);
    }
    const std::vector<std::string> argv = entry.BuildArgv(command, url);
    return !argv.empty() && m_desktop.StartProcess(argv);
}

bool CBrowserLink::OpenUrl(const std::string& url, std::function<void()> onOpenerFailed) const {
    if (url.empty()) return false;
    if (LaunchBrowser(url)) return true;
    const auto started = std::chrono::steady_clock::now();
    return m_desktop.StartProcess({"xdg-open", url}, [started, onFailed = std::move(onOpenerFailed)](int status) {
        const auto took = std::chrono::steady_clock::now() - started;
        if (status != 0 && onFailed && took < std::chrono::seconds(OPENER_VERDICT_SECONDS)) onFailed();
    });
}

bool CBrowserLink::CanOpenInCurrentWindow() const { return m_dde.GetInstanceId() != 0 && m_dde.ReachesBrowsers(); }

bool CBrowserLink::RequestWindowId(const std::string& service, const char* topic, const std::string& item,
                                   std::uint32_t& windowId) const {
    CConversation conversation(m_dde, service, topic);
    if (!conversation) return false;
    std::string answer;
    if (conversation.Request(item, answer) && answer.size() >= sizeof windowId)
        std::memcpy(&windowId, answer.data(), sizeof windowId);
    return true;
}

bool CBrowserLink::OpenInCurrentWindow(const std::string& url) const {
    std::string service;
    GetDdeApplication(service);
    std::uint32_t windowId = NO_WINDOW;
    if (!RequestWindowId(service, "WWW_Activate", LAST_ACTIVE_WINDOW, windowId)) return false;
    // A frame's id is replaced by its top-level window's, so that the page
    // replaces the whole window.
    if (EqualsNoCase(service, "netscape"))
        RequestWindowId(service, "WWW_GetFrameParent", WindowItem(windowId), windowId);

    CConversation open(m_dde, service, "WWW_OpenURL");
    std::string answer;
    return open && open.Request("\"" + url + "\",," + WindowItem(windowId), answer);
}

std::string CBrowserLink::RequestWindowUrl(const std::string& service) const {
    CConversation conversation(m_dde, service, "WWW_GetWindowInfo");
    std::string answer;
    if (!conversation || !conversation.Request(LAST_ACTIVE_WINDOW, answer)) return "";
    return QuotedUrl(answer);
}

void CBrowserLink::GetCurrentUrl(std::string& url) const {
    url.clear();
    if (m_dde.GetInstanceId() == 0) return;
    static const char* const netscapeFirst[] = {"netscape", "iexplore", "nsshell"};
    static const char* const iexploreFirst[] = {"iexplore", "netscape", "nsshell"};
    const char* const* services = GetBrowserKind() == BROWSER_NETSCAPE ? netscapeFirst : iexploreFirst;
    for (int i = 0; i < 3 && url.empty(); ++i) url = RequestWindowUrl(services[i]);
}
