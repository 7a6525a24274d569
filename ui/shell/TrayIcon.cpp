#include "ui/shell/TrayIcon.h"

#include <wx/image.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/taskbar.h>
#include <wx/window.h>

#include "app/AppCore.h"
#include "app/Desktop.h"
#include "app/Messages.h"
#include "res/resource.h"
#include "ui/base/ProgramMenu.h"
#include "ui/base/Resources.h"
#include "ui/shell/TrayIconSet.h"

namespace {

// The longest pause between two presses that still makes a double click.
std::chrono::milliseconds DoubleClickTime() {
    const int ms = wxSystemSettings::GetMetric(wxSYS_DCLICK_MSEC);
    return std::chrono::milliseconds(ms > 0 ? ms : 500);
}

wxString CutTip(const wxString& tip) { return tip.Left(TrayIconRecord::TIP_LENGTH); }

static_assert(CTrayIcon::MENU_ID_OFFSET == PROGRAM_MENU_ID_OFFSET, "the tray menu is built as the program menu");

// Menu 200 as the resources hold it; 0 is a separator.
constexpr int kTrayMenuItems[] = {ID_TRAY_OPEN,    ID_TRAY_VIEW_STORIES, 0, ID_TRAY_SCAN_NOW,
                                  ID_TRAY_DISABLE, ID_TRAY_ABOUT,        0, ID_TRAY_EXIT};

}  // namespace

// The toolkit's icon: passes its mouse events and the chosen menu commands on.
class CTrayIcon::CTaskBar : public wxTaskBarIcon {
public:
    explicit CTaskBar(CTrayIcon& owner) {
        Bind(wxEVT_TASKBAR_LEFT_DOWN, [&owner](wxTaskBarIconEvent&) { owner.OnLeftDown(); });
        Bind(wxEVT_TASKBAR_LEFT_UP, [&owner](wxTaskBarIconEvent&) { owner.OnMouse(WM_LBUTTONUP); });
        // Where the toolkit recognises double clicks itself.
        Bind(wxEVT_TASKBAR_LEFT_DCLICK, [&owner](wxTaskBarIconEvent&) { owner.OnMouse(WM_LBUTTONDBLCLK); });
        Bind(wxEVT_TASKBAR_MOVE, [&owner](wxTaskBarIconEvent&) { owner.OnMouse(WM_MOUSEMOVE); });
        // The desktop's menu gesture (a right press on GTK, a right release
        // elsewhere) is the right button release the menu opens on.
        Bind(wxEVT_TASKBAR_CLICK, [&owner](wxTaskBarIconEvent&) { owner.OnMouse(WM_RBUTTONUP); });
        if (wxEVT_TASKBAR_CLICK != wxEVT_TASKBAR_RIGHT_DOWN)
            Bind(wxEVT_TASKBAR_RIGHT_DOWN, [&owner](wxTaskBarIconEvent&) { owner.OnMouse(WM_RBUTTONDOWN); });
        Bind(wxEVT_MENU, [&owner](wxCommandEvent& event) { owner.OnMenuCommand(event.GetId() + MENU_ID_OFFSET); });
    }
};

CTrayIcon::CTrayIcon(CAppCore& core, unsigned id)
    : m_core(core), m_pTaskBar(std::make_unique<CTaskBar>(*this)), m_clock([] { return std::chrono::steady_clock::now(); }) {
    m_record.id = id;
    m_record.tip = CutTip(wxString::FromUTF8(LoadStringText(static_cast<int>(id))));
    m_menuTexts = {{ID_TRAY_OPEN, "&Open"},         {ID_TRAY_VIEW_STORIES, "&View Stories"},
                   {ID_TRAY_SCAN_NOW, "&Scan now"}, {ID_TRAY_DISABLE, "&Disable"},
                   {ID_TRAY_ABOUT, "&About Skimbolt"}, {ID_TRAY_EXIT, "E&xit"}};
}

CTrayIcon::~CTrayIcon() {
    SetIcon(0u);
    m_pStatusNotifier.reset();  // leaves the bus while the toolkit's icon still exists
}

void CTrayIcon::SetNotificationWnd(wxWindow* window, unsigned message) {
    m_record.window = window;
    m_record.callbackMessage = message;
}

bool CTrayIcon::SetIcon(const wxBitmapBundle& icon, const wxString* tip) {
    m_wantedIcon = icon;
    m_record.flags = 0;
    ShellOperation operation;
    if (icon.IsOk()) {
        operation = IsIconShown() ? ShellOperation::Modify : ShellOperation::Add;
        m_record.icon = icon;
        m_record.flags |= TrayIconRecord::NIF_ICON;
    } else {
        if (!IsIconShown()) return true;
        operation = ShellOperation::Delete;
    }
    if (tip) m_record.tip = CutTip(*tip);
    if (!m_record.tip.empty()) m_record.flags |= TrayIconRecord::NIF_TIP;
    if (m_record.callbackMessage != 0 && m_record.window) m_record.flags |= TrayIconRecord::NIF_MESSAGE;

    const bool bDone = ShellNotifyIcon(operation, m_record);
    // A failed add is tried again as an add next time.
    if (operation == ShellOperation::Delete || !bDone) m_record.icon = wxBitmapBundle();
    return bDone;
}

bool CTrayIcon::SetIcon(unsigned resourceId) {
    if (resourceId == 0) return SetIcon(wxBitmapBundle(), nullptr);
    m_record.tip = CutTip(wxString::FromUTF8(LoadStringText(static_cast<int>(resourceId))));
    return SetIcon(LoadResourceIcon(static_cast<int>(resourceId)), nullptr);
}

bool CTrayIcon::SetTooltipText(const wxString& tip) {
    if (!IsIconShown()) {
        m_record.tip = CutTip(tip);  // shown with the next icon
        return true;
    }
    return SetIcon(m_record.icon, &tip);
}

bool CTrayIcon::ShellNotifyIcon(ShellOperation operation, const TrayIconRecord& record) {
    const wxString tip = (record.flags & TrayIconRecord::NIF_TIP) ? record.tip : wxString();
    if (operation == ShellOperation::Delete) {
        if (m_pStatusNotifier) m_pStatusNotifier->SetStatus(CStatusNotifierItem::Status::Passive);
        return !m_pTaskBar->IsIconInstalled() || m_pTaskBar->RemoveIcon();
    }
    if (UseStatusNotifier()) {
        m_pStatusNotifier->SetIcon(Pixmaps(record.icon));
        m_pStatusNotifier->SetToolTip(tip.utf8_string());
        m_pStatusNotifier->SetStatus(CStatusNotifierItem::Status::Active);
        // The menu follows the state the icon shows.
        UpdateMenuTexts();
        PublishMenu();
        if (m_pTaskBar->IsIconInstalled()) m_pTaskBar->RemoveIcon();
        return true;
    }
    // Without a notification area (no tray host on the desktop) there is
    // nothing to add to; the next change tries again.
    if (!wxTaskBarIcon::IsAvailable()) return false;
    return m_pTaskBar->SetIcon(record.icon, tip);
}

bool CTrayIcon::UseStatusNotifier() {
    if (!m_bStatusNotifierTried) {
        m_bStatusNotifierTried = true;
        CStatusNotifierItem::Handlers handlers;
        // A primary click is the double click of the X11 icon; the middle one too.
        handlers.activate = [this] { OnMouse(WM_LBUTTONDBLCLK); };
        handlers.secondaryActivate = [this] { OnMouse(WM_LBUTTONDBLCLK); };
        // A host that cannot show the exported menu asks for the program's own.
        handlers.contextMenu = [this] { m_pTaskBar->CallAfter([this] { OnMouse(WM_RBUTTONUP); }); };
        handlers.menuAboutToShow = [this] {
            UpdateMenuTexts();
            PublishMenu();
        };
        handlers.menuClicked = [this](int commandId) { OnMenuCommand(commandId); };
        handlers.hostChanged = [this](bool) { OnHostChanged(); };
        auto item = std::make_unique<CStatusNotifierItem>("skimbolt", "Skimbolt", std::move(handlers));
        if (item->Start()) m_pStatusNotifier = std::move(item);
    }
    return m_pStatusNotifier && m_pStatusNotifier->IsRegistered();
}

void CTrayIcon::OnHostChanged() {
    // The icon shown (or last refused) goes to wherever it can be shown now.
    if (IsIconShown())
        SetIcon(m_record.icon, nullptr);
    else if (m_wantedIcon.IsOk())
        SetIcon(m_wantedIcon, nullptr);
}

void CTrayIcon::PublishMenu() {
    if (!m_pStatusNotifier) return;
    std::vector<SniMenuItem> items;
    for (int item : kTrayMenuItems) items.push_back({item, item ? MenuLabel(GetMenuItemText(item)) : "", true});
    m_pStatusNotifier->SetMenu(items);
}

std::string CTrayIcon::MenuLabel(const wxString& text) {
    const std::string utf8 = text.utf8_string();
    std::string label;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '&') {
            if (i + 1 < utf8.size() && utf8[i + 1] == '&') {
                label += '&';
                ++i;
            } else {
                label += '_';
            }
        } else if (utf8[i] == '_') {
            label += "__";
        } else {
            label += utf8[i];
        }
    }
    return label;
}

std::vector<SniPixmap> CTrayIcon::Pixmaps(const wxBitmapBundle& icon) {
    std::vector<SniPixmap> pixmaps;
    if (!icon.IsOk()) return pixmaps;
    for (int size : CTrayIconSet::ICON_SIZES) {
        const wxBitmap bitmap = icon.GetBitmap(wxSize(size, size));
        if (!bitmap.IsOk()) continue;
        wxImage image = bitmap.ConvertToImage();
        if (!image.HasAlpha()) image.InitAlpha();  // a mask becomes clear pixels
        SniPixmap pixmap;
        pixmap.width = image.GetWidth();
        pixmap.height = image.GetHeight();
        const unsigned char* rgb = image.GetData();
        const unsigned char* alpha = image.GetAlpha();
        const int count = pixmap.width * pixmap.height;
        pixmap.argb.resize(count);
        for (int i = 0; i < count; ++i)
            pixmap.argb[i] = std::uint32_t{alpha[i]} << 24 | std::uint32_t{rgb[i * 3]} << 16 |
                             std::uint32_t{rgb[i * 3 + 1]} << 8 | rgb[i * 3 + 2];
        pixmaps.push_back(std::move(pixmap));
    }
    return pixmaps;
}

void CTrayIcon::OnLeftDown() {
    // The desktop reports every press as a press: two within the system's
    // double-click time make a double click, and a third press starts anew.
    const auto now = m_clock();
    if (m_bFirstDownSeen && now - m_firstDown <= DoubleClickTime()) {
        m_bFirstDownSeen = false;
        OnMouse(WM_LBUTTONDBLCLK);
        return;
    }
    m_bFirstDownSeen = true;
    m_firstDown = now;
    OnMouse(WM_LBUTTONDOWN);
}

void CTrayIcon::OnMouse(unsigned mouseMessage) {
    if (!IsIconShown() || !(m_record.flags & TrayIconRecord::NIF_MESSAGE)) return;
    SendToOwner(m_record.callbackMessage, m_record.id, mouseMessage);
}

std::intptr_t CTrayIcon::SendToOwner(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (m_handler) return m_handler(message, wParam, lParam);
    if (message == m_record.callbackMessage) return OnTrayNotification(wParam, lParam);
    return 0;
}

void CTrayIcon::OnMenuCommand(int commandId) {
    // Queued: the owner acts on it after the menu has closed.
    if (m_record.window) m_record.window->GetEventHandler()->QueueEvent(new wxCommandEvent(wxEVT_MENU, commandId));
}

wxString CTrayIcon::GetMenuItemText(int commandId) const {
    const auto it = m_menuTexts.find(commandId);
    return it == m_menuTexts.end() ? wxString() : it->second;
}

std::unique_ptr<wxMenu> CTrayIcon::CreateTrayMenu() const {
    std::vector<ProgramMenuItem> items;
    for (int item : kTrayMenuItems) items.push_back({item, item ? GetMenuItemText(item).utf8_string() : ""});
    return CreateProgramMenu(items);
}

int CTrayIcon::OnTrayNotification(std::uintptr_t id, std::intptr_t mouseMessage) {
    if (id != m_record.id) return 0;
    if (mouseMessage == WM_RBUTTONUP) {
        if (m_bMenuOpen) return 1;  // one menu at a time
        UpdateMenuTexts();
        std::unique_ptr<wxMenu> menu = CreateTrayMenu();
        // The owner window stays hidden: the menu takes the pointer itself
        // and closes on a click elsewhere.
        m_bMenuOpen = true;
        TrackPopupMenu(*menu);
        m_bMenuOpen = false;
        return 1;
    }
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        if (m_core.NewStoriesPending()) {
            SendToOwner(WM_SHOW_STORIES, 0, 0);
            m_core.SetNewStoriesPending(false);
        } else if (m_record.window) {
            wxCommandEvent open(wxEVT_MENU, kTrayMenuItems[0]);
            open.SetEventObject(m_record.window);
            m_record.window->ProcessWindowEvent(open);
        }
        return 1;
    }
    return 0;
}

void CTrayIcon::UpdateMenuTexts() {
    for (const ProgramMenuItem& item : ProgramMenuItems(m_core))
        if (item.commandId == ID_TRAY_DISABLE || item.commandId == ID_TRAY_SCAN_NOW)
            SetMenuItemText(item.commandId, wxString::FromUTF8(item.text));
}

void CTrayIcon::TrackPopupMenu(wxMenu& menu) { m_pTaskBar->PopupMenu(&menu); }
