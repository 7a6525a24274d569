// CTrayIcon: the program's icon in the desktop's notification area. It keeps
// one icon record (icon, tip, owner window, callback message) and adds,
// modifies or removes the icon from it, and turns the user's mouse actions on
// the icon into the owner's commands: a right click opens the tray menu, a
// double click opens the property sheet or the new stories.
//
// Where the icon goes: while a StatusNotifierWatcher runs on the session bus
// (the notification area of KDE, of GNOME with its AppIndicator extension,
// of Wayland desktops), to a StatusNotifierItem with the tray menu exported
// beside it; a primary click on it counts as the double click. Otherwise to
// the X11 notification area through the toolkit's icon. A watcher that comes
// or goes moves the icon over.
//
// How it reaches its owner (the main window), all on the user-interface thread:
//  - the callback message set by SetNotificationWnd (WM_TRAY_NOTIFY), with
//    wParam = the icon id and lParam = the mouse message (WM_LBUTTONDOWN, ...),
//    goes to the message handler; the owner dispatches it by value and hands
//    it back to OnTrayNotification. Without a handler it goes there directly.
//  - WM_SHOW_STORIES (wParam 0, lParam 0) goes to the message handler too.
//  - commands (a chosen menu item; "Open" on a double click) reach the owner
//    window as wxEVT_MENU events with the item's id: a double click's at once,
//    a chosen item's queued, so that it arrives after the menu has closed.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/bmpbndl.h>
#include <wx/icon.h>
#include <wx/string.h>

class CAppCore;
class CStatusNotifierItem;
struct SniPixmap;
class wxMenu;
class wxTaskBarIcon;
class wxWindow;

// Mouse messages the icon reports, as the shell's callback carries them.
constexpr unsigned WM_MOUSEMOVE = 0x200;
constexpr unsigned WM_LBUTTONDOWN = 0x201;
constexpr unsigned WM_LBUTTONUP = 0x202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x203;
constexpr unsigned WM_RBUTTONDOWN = 0x204;
constexpr unsigned WM_RBUTTONUP = 0x205;

// The icon record, kept whole between calls.
struct TrayIconRecord {
    static constexpr int TIP_LENGTH = 63;  // characters of tip, at most
    // Which fields the next shell call carries.
    static constexpr std::uint32_t NIF_MESSAGE = 0x1;
    static constexpr std::uint32_t NIF_ICON = 0x2;
    static constexpr std::uint32_t NIF_TIP = 0x4;

    std::uint32_t size = 88;
    wxWindow* window = nullptr;     // receives the callback message
    std::uint32_t id = 0;           // icon id, also the tray menu's and first tip's resource id
    std::uint32_t flags = 0;
    std::uint32_t callbackMessage = 0;
    wxBitmapBundle icon;            // the icon shown, in its sizes; not IsOk() while none is in the tray
    wxString tip;                   // at most TIP_LENGTH characters
};

class CTrayIcon {
public:
    enum class ShellOperation { Add, Modify, Delete };
    using MessageHandler = std::function<std::intptr_t(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The tip starts as string-table text `id` (for 200: "Skimbolt,
    // double-click to add keywords to news alert list"); no icon is shown yet.
    CTrayIcon(CAppCore& core, unsigned id);
    virtual ~CTrayIcon();  // removes the icon
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // The owner window (null allowed) and the callback message it receives.
    void SetNotificationWnd(wxWindow* window, unsigned message);
    void SetMessageHandler(MessageHandler handler) { m_handler = std::move(handler); }

    // Shows `icon` (added when none is shown, else modified) with `tip`, or
    // with the current tip when tip is null; a null or empty icon removes
    // the icon (no shell call when none is shown). True when the shell did it.
    bool SetIcon(const wxBitmapBundle& icon, const wxString* tip);
    // Icon and tip from the resources with this id; 0 removes the icon.
    bool SetIcon(unsigned resourceId);
    // Changes the tip, keeping the icon (kept for the next icon when none is shown).
    bool SetTooltipText(const wxString& tip);

    // The owner's handling of the callback message: a right button release
    // pops up the tray menu, a left double click opens the new stories (when
    // pending) or sends "Open". 1 when handled, 0 for anything else.
    virtual int OnTrayNotification(std::uintptr_t id, std::intptr_t mouseMessage);
    // Sets the texts of "Disable"/"Enable" and "Scan Now"/"Stop Scanning" from the state.
    void UpdateMenuTexts();

    // The tray menu as it pops up: its items in order, with their texts.
    // Toolkit menus take ids below 0x7FFF only, so each item's id is its
    // command id less MENU_ID_OFFSET; the owner still gets the command id.
    static constexpr int MENU_ID_OFFSET = 0x4000;  // as the program menu's
    std::unique_ptr<wxMenu> CreateTrayMenu() const;
    // Text of a menu item from now on. The right click sets the texts of
    // "Disable"/"Enable" and "Scan Now"/"Stop Scanning" from the state.
    void SetMenuItemText(int commandId, const wxString& text) { m_menuTexts[commandId] = text; }
    wxString GetMenuItemText(int commandId) const;

    const TrayIconRecord& Record() const { return m_record; }
    bool IsIconShown() const { return m_record.icon.IsOk(); }
    // The D-Bus item, once the first icon was added and while a session bus
    // serves it; null otherwise.
    const CStatusNotifierItem* StatusNotifier() const { return m_pStatusNotifier.get(); }

    // The icon's sizes as the D-Bus item carries them.
    static std::vector<SniPixmap> Pixmaps(const wxBitmapBundle& icon);
    // A menu text as the D-Bus menu writes it: the mnemonic '&' becomes '_'.
    static std::string MenuLabel(const wxString& text);

    // The toolkit's icon, whose mouse events feed the icon (tests send them).
    wxTaskBarIcon& TaskBarIcon() { return *m_pTaskBar; }
    // The clock that times double clicks; tests replace it.
    void SetClock(Clock clock) { m_clock = std::move(clock); }

protected:
    // The one call into the desktop's notification area; true on success.
    virtual bool ShellNotifyIcon(ShellOperation operation, const TrayIconRecord& record);
    // Shows the menu at the mouse and returns when it has closed; a chosen
    // item's command goes to the owner window.
    virtual void TrackPopupMenu(wxMenu& menu);

private:
    class CTaskBar;
    friend class CTaskBar;
    // A mouse action on the toolkit's icon, as a mouse message.
    void OnMouse(unsigned mouseMessage);
    void OnLeftDown();
    void OnMenuCommand(int commandId);
    std::intptr_t SendToOwner(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    // Starts the D-Bus item the first time; true while it is registered with a watcher.
    bool UseStatusNotifier();
    void PublishMenu();
    // A watcher came (the icon moves to the item) or went (back to X11).
    void OnHostChanged();

    CAppCore& m_core;
    TrayIconRecord m_record;
    MessageHandler m_handler;
    std::map<int, wxString> m_menuTexts;
    bool m_bMenuOpen = false;
    std::unique_ptr<wxTaskBarIcon> m_pTaskBar;
    std::unique_ptr<CStatusNotifierItem> m_pStatusNotifier;
    bool m_bStatusNotifierTried = false;
    wxBitmapBundle m_wantedIcon;  // the icon last asked for, also while no tray took it
    Clock m_clock;
    bool m_bFirstDownSeen = false;  // a left press that may begin a double click
    std::chrono::steady_clock::time_point m_firstDown;
};
