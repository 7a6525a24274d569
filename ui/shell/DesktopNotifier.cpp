#include "ui/shell/DesktopNotifier.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include "res/resource.h"
#include "ui/base/Resources.h"

namespace {
constexpr std::size_t kHeadlinesShown = 3;
constexpr std::size_t kLiveNotices = 8;  // older notices no longer act when clicked
constexpr int kIconSize = 48;
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

CDesktopNotifier::CDesktopNotifier(std::string busAddress) : m_client(std::move(busAddress)) {
    m_client.SetActionHandler([this](CDesktopNotifications::NoticeId id, const std::string&) {
        // Clicking the notice or any button of it: the one thing it offers.
        auto it = m_onActivate.find(id);
        if (it == m_onActivate.end()) return;
        const std::function<void()> run = it->second;
        run();
    });
    m_client.SetClosedHandler(
        [this](CDesktopNotifications::NoticeId id, std::uint32_t) { m_onActivate.erase(id); });
}

const NotificationImage& CDesktopNotifier::Icon() {
    if (m_bIconLoaded) return m_icon;
    m_bIconLoaded = true;
    // The picture travels with the notice, so that a program not installed
    // (no icon in the theme) shows its own icon too.
    const wxIcon icon = LoadResourceIconBundle(IDI_SKIMBOLT).GetIcon(wxSize(kIconSize, kIconSize),
                                                                     wxIconBundle::FALLBACK_NEAREST_LARGER);
    if (!icon.IsOk()) return m_icon;
    wxBitmap bitmap;
    bitmap.CopyFromIcon(icon);
    wxImage image = bitmap.ConvertToImage();
    if (!image.IsOk()) return m_icon;
    if (!image.HasAlpha()) image.InitAlpha();
    const int w = image.GetWidth(), h = image.GetHeight();
    const unsigned char* rgb = image.GetData();
    const unsigned char* alpha = image.GetAlpha();
    m_icon.width = w;
    m_icon.height = h;
    m_icon.hasAlpha = true;
    m_icon.pixels.resize(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0, n = static_cast<std::size_t>(w) * h; i < n; ++i) {
        m_icon.pixels[i * 4 + 0] = rgb[i * 3 + 0];
        m_icon.pixels[i * 4 + 1] = rgb[i * 3 + 1];
        m_icon.pixels[i * 4 + 2] = rgb[i * 3 + 2];
        m_icon.pixels[i * 4 + 3] = alpha ? alpha[i] : 255;
    }
    return m_icon;
}

bool CDesktopNotifier::Show(const DesktopNotice& notice, std::function<void()> onActivate) {
    m_shown.push_back(notice);
    NotificationRequest request;
    request.appName = "Skimbolt";
    request.appIcon = APP_ICON;
    request.summary = notice.title;
    request.body = notice.body;
    request.desktopEntry = DESKTOP_ENTRY;
    request.image = Icon();
    if (onActivate) request.actions.emplace_back(DEFAULT_ACTION, "View Stories");
    const CDesktopNotifications::NoticeId id = m_client.Notify(request);
    if (id == 0) return false;
    if (onActivate) {
        m_onActivate[id] = std::move(onActivate);
        while (m_onActivate.size() > kLiveNotices) m_onActivate.erase(m_onActivate.begin());
    }
    return true;
}
