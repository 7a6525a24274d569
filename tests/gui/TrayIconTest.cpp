// The tray icon: mouse presses made into messages and commands, the tray menu (recorded, and really shown
// and photographed), a real tray host, and the animations cut from strips.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/taskbar.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "GuiTestSupport.h"
#include "app/Desktop.h"
#include "app/Messages.h"
#include "res/resource.h"
#include "ui/shell/TrayIcon.h"
#include "ui/shell/TrayIconSet.h"

namespace {

using namespace std::chrono_literals;

// Takes every shell call as done and records its menus; with onShown set the menu really pops
// up and onShown runs while it is open. Its hidden owner window records the
// commands, and the messages it gets are dispatched back as the main window does.
class CTestTrayIcon : public CTrayIcon {
public:
    explicit CTestTrayIcon(CAppCore& core) : CTrayIcon(core, IDR_TRAY_MENU) {
        owner->Bind(wxEVT_MENU, [this](wxCommandEvent& e) { commands.push_back(e.GetId()); });
        SetNotificationWnd(owner, WM_TRAY_NOTIFY);
        SetMessageHandler([this](unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) -> std::intptr_t {
            messages.push_back(msg == WM_TRAY_NOTIFY ? static_cast<unsigned>(lParam) : msg);
            return msg == WM_TRAY_NOTIFY ? OnTrayNotification(wParam, lParam) : 0;
        });
    }
    ~CTestTrayIcon() override { owner->Destroy(); }
    wxFrame* owner = new wxFrame(nullptr, wxID_ANY, "owner");
    std::vector<int> commands;
    std::vector<unsigned> messages;  // mouse messages of the callback, else the message
    std::vector<wxString> menuTexts;  // separators as "-"
    std::function<void(wxMenu&)> onShown;

protected:
    bool ShellNotifyIcon(CTrayIcon::ShellOperation, const TrayIconRecord&) override { return true; }
    void TrackPopupMenu(wxMenu& menu) override {
        menuTexts.clear();
        for (wxMenuItem* item : menu.GetMenuItems()) menuTexts.push_back(item->IsSeparator() ? "-" : item->GetItemLabel());
        if (!onShown) return;
        wxTimer act, rescue;
        act.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { onShown(menu); });
        rescue.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {  // never leave a menu open
            if (auto cancel = reinterpret_cast<void (*)(void*)>(dlsym(RTLD_DEFAULT, "gtk_menu_shell_cancel")))
                cancel(menu.m_menu);
        });
        act.StartOnce(300);
        rescue.StartOnce(10000);
        CTrayIcon::TrackPopupMenu(menu);
    }
};

wxIcon SomeIcon() {
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(16, 16));
    return icon;
}

void Fire(CTrayIcon& icon, wxEventType type) {
    wxTaskBarIconEvent event(type, &icon.TaskBarIcon());
    icon.TaskBarIcon().ProcessEvent(event);
}

TEST(TrayIcon, TwoPressesWithinTheDoubleClickTimeMakeADoubleClick) {
    CGuiTestCore core;
    CTestTrayIcon icon(core.Core());
    auto now = std::chrono::steady_clock::time_point{} + 1h;
    icon.SetClock([&] { return now; });
    Fire(icon, wxEVT_TASKBAR_LEFT_DOWN);
    EXPECT_TRUE(icon.messages.empty()) << "no icon shown, no callback";
    ASSERT_TRUE(icon.SetIcon(SomeIcon(), nullptr));
    for (auto pause : {5000ms, 100ms, 100ms, 100ms, 5000ms, 100ms}) {
        now += pause;
        Fire(icon, wxEVT_TASKBAR_LEFT_DOWN);
    }
    EXPECT_EQ(icon.messages, (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN,
                                                    WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}));
    EXPECT_EQ(icon.commands, (std::vector<int>(3, ID_TRAY_OPEN)));  // nothing pending: the settings
}

TEST(TrayIcon, NotificationHandlesOnlyRightReleaseAndDoubleClickAndFollowsTheState) {
    CGuiTestCore core;
    CAppCore& app = core.Core();
    CTestTrayIcon icon(app);
    for (unsigned m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE})
        EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, m), 0) << m;
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU + 1, WM_LBUTTONDBLCLK), 0);
    app.SetNewStoriesPending(true);
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(icon.messages, std::vector<unsigned>{WM_SHOW_STORIES});
    EXPECT_FALSE(app.NewStoriesPending());
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, WM_RBUTTONUP), 1);
    EXPECT_EQ(icon.menuTexts, (std::vector<wxString>{"&Open", "&View Stories", "-", "&Scan Now", "&Disable",
                                                     "&About Skimbolt", "-", "E&xit"}));
    app.SetEnabled(false);
    app.OnWakeUp(WM_SCAN_STARTED);
    ASSERT_TRUE(icon.SetIcon(SomeIcon(), nullptr));
    Fire(icon, wxEVT_TASKBAR_CLICK);  // the desktop's menu gesture
    EXPECT_EQ(icon.menuTexts[3] + icon.menuTexts[4], "&Stop Scanning&Enable");
}

// With a tray host the icon is added; once the host is gone a change fails
// and leaves no icon, so that the next change adds again.
TEST(TrayIcon, RealTrayHostTakesTheIconAndLosingItForgetsTheIcon) {
    CGuiTestCore core;
    CTrayIcon icon(core.Core(), IDR_TRAY_MENU);
    const long pid = wxExecute("trayer --edge top --align right --widthtype pixel --width 120", wxEXEC_ASYNC);
    if (pid <= 0) GTEST_SKIP() << "trayer is not installed (scripts/deps.sh installs it)";
    for (int i = 0; i < 1000 && !wxTaskBarIcon::IsAvailable(); ++i) PumpFor(20ms);  // a loaded machine starts it slowly
    EXPECT_TRUE(icon.SetIcon(SomeIcon(), nullptr));
    wxKill(pid, wxSIGTERM);
    for (int i = 0; i < 1000 && wxTaskBarIcon::IsAvailable(); ++i) PumpFor(20ms);
    EXPECT_FALSE(icon.SetIcon(SomeIcon(), nullptr) || icon.IsIconShown());
}

// What the D-Bus item gets: the menu texts with '_' for the mnemonic (a real
// '_' doubled, "&&" a plain '&'), and the icon in every size as straight ARGB
// words, a masked pixel clear, sent as A, R, G, B bytes.
TEST(TrayIcon, DbusMenuLabelsAndPixmaps) {
    EXPECT_EQ(CTrayIcon::MenuLabel("E&xit"), "E_xit");
    EXPECT_EQ(CTrayIcon::MenuLabel("R&&D_news &Now"), "R&D__news _Now");
    wxImage image(16, 16);
    image.SetRGB(wxRect(0, 0, 16, 16), 0, 132, 132);
    image.SetRGB(wxRect(0, 0, 8, 16), 204, 0, 0);
    image.SetMaskColour(0, 132, 132);
    wxIcon icon;
    icon.CopyFromBitmap(wxBitmap(image));
    const std::vector<SniPixmap> pixmaps = CTrayIcon::Pixmaps(icon);
    ASSERT_EQ(pixmaps.size(), CTrayIconSet::ICON_SIZES.size());
    for (std::size_t i = 0; i < pixmaps.size(); ++i) {
        const SniPixmap& pixmap = pixmaps[i];
        ASSERT_EQ(pixmap.width, CTrayIconSet::ICON_SIZES[i]);
        ASSERT_EQ(pixmap.argb.size(), static_cast<std::size_t>(pixmap.width * pixmap.height));
        EXPECT_EQ(pixmap.argb.front(), 0xFFCC0000u) << pixmap.width;
        EXPECT_EQ(pixmap.argb[pixmap.width - 1] >> 24, 0u) << pixmap.width;
    }
    const std::vector<std::uint8_t> bytes = CStatusNotifierItem::NetworkBytes(pixmaps[0]);
    ASSERT_EQ(bytes.size(), 16u * 16u * 4u);
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4)), (std::vector<std::uint8_t>{0xFF, 0xCC, 0, 0}));
}

TEST(TrayIconSet, StripSplitsIntoMaskedFramesCountedRound) {
    CTrayIconSet set;
    wxImage strip(32, 16);
    strip.SetRGB(wxRect(0, 0, 32, 16), 0, 132, 132);
    strip.SetRGB(wxRect(16, 0, 16, 8), 200, 10, 10);
    EXPECT_EQ(set.Load(TRAY_SCANNING, wxBitmap(strip)), 2);
    const wxImage second = set.GetFrame(TRAY_SCANNING, 3).GetBitmap(wxSize(16, 16)).ConvertToImage();
    EXPECT_FALSE(second.IsTransparent(3, 3));
    EXPECT_TRUE(second.IsTransparent(3, 12));
    EXPECT_FALSE(set.Load(TRAY_NEW_STORIES, wxBitmap()) || set.GetFrame(TRAY_NEW_STORIES, 0).IsOk());  // missing strip
}

// The real menu, photographed from the screen while it is open (Photograph
// takes windows, not menus) and then answered with a key: the chosen
// command reaches the owner after the menu has closed.
TEST(Screenshots, tray_menu) {
    CGuiTestCore core;
    CTestTrayIcon icon(core.Core());
    CTempDir scratch;
    const char* wanted = std::getenv("SKIMBOLT_SCREENSHOT_DIR");
    const wxString path = wxString::FromUTF8(wanted ? wanted : scratch.Path().c_str()) + "/tray_menu.png";
    icon.onShown = [&](wxMenu&) {
        PumpFor(200ms);
        const wchar_t* import[] = {L"import", L"-window", L"root", L"-trim", L"+repage", path.wc_str(), nullptr};
        EXPECT_EQ(wxExecute(import, wxEXEC_SYNC | wxEXEC_HIDE_CONSOLE), 0) << "ImageMagick's import failed";
        wxUIActionSimulator().Char('v');  // "&View Stories"
    };
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, WM_RBUTTONUP), 1);
    for (int i = 0; i < 100 && icon.commands.empty(); ++i) PumpFor(20ms);
    EXPECT_EQ(icon.commands, std::vector<int>{ID_TRAY_VIEW_STORIES});
    EXPECT_GT(wxImage(path).GetHeight(), 100);  // eight rows
    if (wanted) std::printf("screenshot: %s\n", path.utf8_string().c_str());
}

}  // namespace
