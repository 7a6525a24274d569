#include "ui/shell/DesktopNotifier.h"

#include <wx/notifmsg.h>

namespace {
constexpr std::size_t kHeadlinesShown = 3;
constexpr std::size_t kLiveNotices = 4;  // older notices are let go (and closed)
}  // namespace

DesktopNotice NewStoriesNotice(int count, const std::vector<std::string>& headlines) {
    DesktopNotice notice;
    notice.title = count == 1 ? "Skimbolt: 1 new story" : "Skimbolt: " + std::to_string(count) + " new stories";
    const std::size_t shown = std::min(headlines.size(), kHeadlinesShown);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i) notice.body += "\n";
        notice.body += headlines[i];
    }
    if (count > static_cast<int>(shown) && shown > 0)
        notice.body += "\nand " + std::to_string(count - static_cast<int>(shown)) + " more";
    return notice;
}

DesktopNotice ProblemNotice(const std::string& kindText, const std::string& subject, const std::string& detail) {
    DesktopNotice notice;
    const std::size_t slash = subject.find_last_of('/');
    const std::string name = slash == std::string::npos ? subject : subject.substr(slash + 1);
    notice.title = "Skimbolt: " + kindText + " " + (name.empty() ? subject : name);
    notice.body = subject + (detail.empty() ? "" : ": " + detail);
    return notice;
}

CDesktopNotifier::CDesktopNotifier(wxWindow* pParent) : m_pParent(pParent) {}
CDesktopNotifier::~CDesktopNotifier() = default;

bool CDesktopNotifier::Show(const DesktopNotice& notice, std::function<void()> onActivate) {
    m_shown.push_back(notice);
    auto message = std::make_unique<wxNotificationMessage>(wxString::FromUTF8(notice.title),
                                                           wxString::FromUTF8(notice.body), m_pParent);
    if (onActivate) {
        auto run = [onActivate](wxCommandEvent&) { onActivate(); };
        message->Bind(wxEVT_NOTIFICATION_MESSAGE_CLICK, run);
        message->Bind(wxEVT_NOTIFICATION_MESSAGE_ACTION, run);
        message->AddAction(wxID_OPEN, "View Stories");
    }
    const bool bShown = message->Show(wxNotificationMessage::Timeout_Auto);
    m_live.push_back(std::move(message));
    if (m_live.size() > kLiveNotices) m_live.erase(m_live.begin());
    return bShown;
}
