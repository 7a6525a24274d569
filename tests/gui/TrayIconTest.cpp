// The tray icon: its record through add, modify and delete, the mouse
// actions it turns into messages and commands, the tray menu, a real tray
// host, and the tray animations.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include <vector>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/taskbar.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "GuiTestSupport.h"
#include "common/Messages.h"
#include "res/resource.h"
#include "shell/Resources.h"
#include "shell/TrayIcon.h"
#include "shell/TrayIconSet.h"

namespace {

using namespace std::chrono_literals;
using Op = CTrayIcon::ShellOperation;

// A tray icon whose shell calls and menus are recorded instead of shown.
class CRecordingTrayIcon : public CTrayIcon {
public:
    using CTrayIcon::CTrayIcon;
    std::vector<Op> calls;
    bool bShellAnswer = true;
    std::vector<wxString> menuTexts;  // the last menu, separators as "-"
    int menus = 0;

protected:
    bool ShellNotifyIcon(Op op, const TrayIconRecord&) override {
        calls.push_back(op);
        return bShellAnswer;
    }
    void TrackPopupMenu(wxMenu& menu) override {
        ++menus;
        menuTexts.clear();
        for (wxMenuItem* item : menu.GetMenuItems())
            menuTexts.push_back(item->IsSeparator() ? wxString("-") : item->GetItemLabel());
    }
};

wxIcon SomeIcon() {
    wxBitmap bitmap(16, 16);
    wxIcon icon;
    icon.CopyFromBitmap(bitmap);
    return icon;
}

// A hidden owner window that counts the commands it receives, and the
// messages the icon sends it, dispatched as the main window does.
struct Owner {
    explicit Owner(CTrayIcon& icon) : tray(icon) {
        window->Bind(wxEVT_MENU, [this](wxCommandEvent& e) { commands.push_back(e.GetId()); });
        tray.SetNotificationWnd(window, WM_TRAY_NOTIFY);
        tray.SetMessageHandler([this](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) -> std::intptr_t {
            messages.push_back({message, static_cast<unsigned>(lParam)});
            return message == WM_TRAY_NOTIFY ? tray.OnTrayNotification(wParam, lParam) : 0;
        });
    }
    ~Owner() { window->Destroy(); }
    CTrayIcon& tray;
    wxFrame* window = new wxFrame(nullptr, wxID_ANY, "owner");
    std::vector<int> commands;
    std::vector<std::pair<unsigned, unsigned>> messages;  // message, mouse message
};

void Fire(CTrayIcon& icon, wxEventType type) {
    wxTaskBarIconEvent event(type, &icon.TaskBarIcon());
    icon.TaskBarIcon().ProcessEvent(event);
}

TEST(TrayIcon, RecordGoesThroughAddModifyDeleteAndAFailedCallForgetsTheIcon) {
    CGuiTestCore core;
    CRecordingTrayIcon icon(core.Core(), IDR_TRAY_MENU);
    EXPECT_EQ(icon.Record().size, 88u);
    EXPECT_EQ(icon.Record().tip, "Skimbolt, double-click to add keywords to news alert list");

    EXPECT_TRUE(icon.SetIcon(0u));  // nothing shown: no shell call
    EXPECT_TRUE(icon.calls.empty());

    const wxString loading = "Loading Skimbolt...";
    EXPECT_TRUE(icon.SetIcon(SomeIcon(), &loading));
    EXPECT_TRUE(icon.SetIcon(SomeIcon(), nullptr));
    EXPECT_EQ(icon.Record().tip, loading);
    EXPECT_EQ(icon.calls, (std::vector<Op>{Op::Add, Op::Modify}));
    // Without an owner window the shell is asked for no callback.
    EXPECT_EQ(icon.Record().flags, TrayIconRecord::NIF_ICON | TrayIconRecord::NIF_TIP);

    icon.bShellAnswer = false;
    EXPECT_FALSE(icon.SetIcon(SomeIcon(), nullptr));
    EXPECT_FALSE(icon.IsIconShown());
    icon.bShellAnswer = true;
    EXPECT_TRUE(icon.SetIcon(IDR_TRAY_MENU));  // tip and icon from the resources
    EXPECT_EQ(icon.Record().tip, "Skimbolt, double-click to add keywords to news alert list");
    EXPECT_TRUE(icon.SetIcon(0u));
    EXPECT_FALSE(icon.IsIconShown());
    EXPECT_TRUE(icon.SetIcon(0u));
    EXPECT_EQ(icon.calls, (std::vector<Op>{Op::Add, Op::Modify, Op::Modify, Op::Add, Op::Delete}));
}

TEST(TrayIcon, TipIsCutTo63CharactersAndKeptWithoutAnIcon) {
    CGuiTestCore core;
    CRecordingTrayIcon icon(core.Core(), IDR_TRAY_MENU);
    const wxString longTip = wxString(wxUniChar(0xE9), 40) + wxString('x', 30);  // 70 characters
    EXPECT_TRUE(icon.SetTooltipText(longTip));
    EXPECT_TRUE(icon.calls.empty());
    EXPECT_EQ(icon.Record().tip, longTip.Left(63));
    EXPECT_TRUE(icon.SetIcon(SomeIcon(), nullptr));
    EXPECT_EQ(icon.Record().tip.length(), 63u);
    const wxString empty;
    EXPECT_TRUE(icon.SetIcon(SomeIcon(), &empty));
    EXPECT_EQ(icon.Record().flags, TrayIconRecord::NIF_ICON);
}

TEST(TrayIcon, TwoPressesWithinTheDoubleClickTimeMakeADoubleClick) {
    CGuiTestCore core;
    CRecordingTrayIcon icon(core.Core(), IDR_TRAY_MENU);
    Owner owner(icon);
    auto now = std::chrono::steady_clock::time_point{} + 1h;
    icon.SetClock([&] { return now; });

    Fire(icon, wxEVT_TASKBAR_LEFT_DOWN);
    EXPECT_TRUE(owner.messages.empty()) << "no icon shown, no callback";
    ASSERT_TRUE(icon.SetIcon(SomeIcon(), nullptr));
    EXPECT_TRUE(icon.Record().flags & TrayIconRecord::NIF_MESSAGE);

    const std::chrono::milliseconds pauses[] = {5000ms, 100ms, 100ms, 100ms, 5000ms, 100ms};
    for (auto pause : pauses) {
        now += pause;
        Fire(icon, wxEVT_TASKBAR_LEFT_DOWN);
    }
    std::vector<unsigned> mouse;
    for (auto [message, m] : owner.messages) {
        EXPECT_EQ(message, WM_TRAY_NOTIFY);
        mouse.push_back(m);
    }
    EXPECT_EQ(mouse, (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK,
                                            WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}));
    // Three double clicks, nothing pending: each opens the property sheet.
    EXPECT_EQ(owner.commands, (std::vector<int>{ID_TRAY_OPEN, ID_TRAY_OPEN, ID_TRAY_OPEN}));
}

TEST(TrayIcon, NotificationHandlesOnlyRightReleaseAndDoubleClickOnItsOwnId) {
    CGuiTestCore core;
    CAppCore& app = core.Core();
    CRecordingTrayIcon icon(app, IDR_TRAY_MENU);
    Owner owner(icon);

    for (unsigned m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE})
        EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, m), 0) << m;
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU + 1, WM_RBUTTONUP), 0);
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU + 1, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(icon.menus, 0);
    EXPECT_TRUE(owner.commands.empty());

    // Double click with stories pending: the stories, and the flag cleared.
    app.g_bNewStoriesPending = 1;
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(owner.messages, (std::vector<std::pair<unsigned, unsigned>>{{WM_SHOW_STORIES, 0}}));
    EXPECT_EQ(app.g_bNewStoriesPending, 0);
    EXPECT_TRUE(owner.commands.empty());

    // The menu follows the state.
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, WM_RBUTTONUP), 1);
    EXPECT_EQ(icon.menuTexts, (std::vector<wxString>{"&Open", "&View Stories", "-", "&Scan Now", "&Disable",
                                                     "&About Skimbolt", "-", "E&xit"}));
    EXPECT_EQ(icon.GetDefaultMenuItem(), ID_TRAY_OPEN);
    app.g_bEnabled = 0;
    app.g_bScanning = 1;
    app.g_bNewStoriesPending = 1;
    Fire(icon, wxEVT_TASKBAR_CLICK);  // no icon shown: the desktop sends nothing
    EXPECT_EQ(icon.menus, 1);
    ASSERT_TRUE(icon.SetIcon(SomeIcon(), nullptr));
    Fire(icon, wxEVT_TASKBAR_CLICK);
    EXPECT_EQ(icon.menus, 2);
    EXPECT_EQ(icon.menuTexts[3], "&Stop Scanning");
    EXPECT_EQ(icon.menuTexts[4], "&Enable");
    EXPECT_EQ(icon.GetDefaultMenuItem(), ID_TRAY_VIEW_STORIES);
    EXPECT_EQ(app.g_bNewStoriesPending, 1);
}

// Closes an open menu the way the desktop does when the user clicks elsewhere.
void CancelMenu(wxMenu& menu) {
    using Cancel = void (*)(void*);
    if (auto cancel = reinterpret_cast<Cancel>(dlsym(RTLD_DEFAULT, "gtk_menu_shell_cancel"))) cancel(menu.m_menu);
}

// The real menu pops up; a key chooses an item, whose command reaches the
// owner after the menu has closed.
class CPoppingTrayIcon : public CTrayIcon {
public:
    using CTrayIcon::CTrayIcon;
    std::function<void(wxMenu&)> onShown;

protected:
    void TrackPopupMenu(wxMenu& menu) override {
        wxTimer keys, rescue;
        keys.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { onShown(menu); });
        rescue.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { CancelMenu(menu); });
        keys.StartOnce(300);
        rescue.StartOnce(10000);  // never leave a menu open
        CTrayIcon::TrackPopupMenu(menu);
    }
};

TEST(TrayIcon, ChosenMenuItemReachesTheOwnerWindow) {
    CGuiTestCore core;
    CPoppingTrayIcon icon(core.Core(), IDR_TRAY_MENU);
    Owner owner(icon);
    icon.onShown = [](wxMenu&) {
        wxUIActionSimulator keys;
        keys.Char('v');  // "&View Stories"
    };
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, WM_RBUTTONUP), 1);
    for (int i = 0; i < 100 && owner.commands.empty(); ++i) PumpFor(20ms);
    EXPECT_EQ(owner.commands, std::vector<int>{ID_TRAY_VIEW_STORIES});

    owner.commands.clear();
    icon.onShown = [](wxMenu& menu) { CancelMenu(menu); };
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, WM_RBUTTONUP), 1);
    PumpFor(100ms);
    EXPECT_TRUE(owner.commands.empty());
}

// With a tray host on the display the icon is added; when the host goes,
// a change fails and the next one tries an add again.
TEST(TrayIcon, RealTrayHostTakesTheIconAndLosingItForgetsTheIcon) {
    CGuiTestCore core;
    CTrayIcon icon(core.Core(), IDR_TRAY_MENU);
    const long pid = wxExecute("trayer --edge top --align right --widthtype pixel --width 120", wxEXEC_ASYNC);
    if (pid <= 0) GTEST_SKIP() << "trayer is not installed (scripts/deps.sh installs it)";
    for (int i = 0; i < 250 && !wxTaskBarIcon::IsAvailable(); ++i) PumpFor(20ms);
    ASSERT_TRUE(wxTaskBarIcon::IsAvailable());

    const wxIcon normal = CTrayIconSet().GetFrame(TRAY_NORMAL, 0);
    EXPECT_TRUE(icon.SetIcon(normal.IsOk() ? normal : SomeIcon(), nullptr));
    EXPECT_TRUE(icon.IsIconShown());
    PumpFor(200ms);

    wxKill(pid, wxSIGTERM);
    for (int i = 0; i < 250 && wxTaskBarIcon::IsAvailable(); ++i) PumpFor(20ms);
    if (wxTaskBarIcon::IsAvailable()) GTEST_SKIP() << "another tray host runs on this display";
    EXPECT_FALSE(icon.SetIcon(SomeIcon(), nullptr));
    EXPECT_FALSE(icon.IsIconShown());
}

TEST(TrayIconSet, StripsSplitIntoMaskedFramesAndMissingStripsGiveNone) {
    CTrayIconSet set;
    const int frames[] = {1, 1, 11, 5};
    for (int state = 0; state < CTrayIconSet::STATE_COUNT; ++state) {
        const auto s = static_cast<TrayState>(state);
        if (!LoadResourceBitmap(CTrayIconSet::BitmapId(s)).IsOk()) continue;  // images not drawn yet
        EXPECT_EQ(set.GetFrameCount(s), frames[state]) << state;
        EXPECT_EQ(set.GetFrame(s, 0).GetWidth(), 16);
    }
    // A strip of two frames: the mask colour is transparent, the rest not,
    // and frame numbers count round.
    wxImage strip(32, 16);
    strip.SetRGB(wxRect(0, 0, 32, 16), 0, 132, 132);
    strip.SetRGB(wxRect(16, 0, 16, 8), 200, 10, 10);
    EXPECT_EQ(set.Load(TRAY_SCANNING, wxBitmap(strip)), 2);
    const wxImage second = wxBitmap(set.GetFrame(TRAY_SCANNING, 3)).ConvertToImage();
    EXPECT_FALSE(second.IsTransparent(3, 3));
    EXPECT_TRUE(second.IsTransparent(3, 12));
    EXPECT_EQ(second.GetRed(3, 3), 200);

    EXPECT_EQ(set.Load(TRAY_NEW_STORIES, wxBitmap()), 0);
    EXPECT_FALSE(set.GetFrame(TRAY_NEW_STORIES, 0).IsOk());
    EXPECT_EQ(CTrayIconSet::TipStringId(TRAY_DISABLED), 160);
}

// The real tray menu, photographed from the screen while it is open (a popup
// menu is no window Photograph can take): the whole screen, trimmed to what
// is not background.
TEST(Screenshots, tray_menu) {
    CGuiTestCore core;
    CPoppingTrayIcon icon(core.Core(), IDR_TRAY_MENU);
    Owner owner(icon);
    CTempDir scratch;
    const char* wanted = std::getenv("SKIMBOLT_SCREENSHOT_DIR");
    const std::string path = (wanted && *wanted ? std::string(wanted) : scratch.Path()) + "/tray_menu.png";
    long status = -1;
    icon.onShown = [&](wxMenu& menu) {
        PumpFor(200ms);
        const wxString out = wxString::FromUTF8(path);
        const wchar_t* import[] = {L"import", L"-window", L"root", L"-trim", L"+repage", out.wc_str(), nullptr};
        status = wxExecute(import, wxEXEC_SYNC | wxEXEC_HIDE_CONSOLE);
        CancelMenu(menu);
    };
    core.Core().g_bScanning = 1;
    EXPECT_EQ(icon.OnTrayNotification(IDR_TRAY_MENU, WM_RBUTTONUP), 1);
    if (status != 0) GTEST_SKIP() << "ImageMagick's import is missing";
    wxImage image;
    ASSERT_TRUE(image.LoadFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG));
    EXPECT_GT(image.GetWidth(), 60);
    EXPECT_GT(image.GetHeight(), 100);  // eight rows
    if (wanted && *wanted) std::printf("screenshot: %s\n", path.c_str());
}

}  // namespace
