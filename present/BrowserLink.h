// CBrowserLink: the user's default web browser. Finds it, starts it with a
// URL (or has the desktop's opener open the URL when no default browser is
// found), and talks to a running one over DDE to load a page into the window
// the user last used or to ask which page that window shows. Holds no
// state; create one where needed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class CDdeClient;
class CDesktopSystem;

class CBrowserLink {
public:
    enum BrowserKind { BROWSER_NETSCAPE = 0, BROWSER_IEXPLORE = 1, BROWSER_OTHER = 2 };

    // Both must outlive this object; the DDE client is the program's one
    // client instance.
    CBrowserLink(CDdeClient& dde, const CDesktopSystem& desktop) : m_dde(dde), m_desktop(desktop) {}

    // The DDE service of the default browser: its desktop file id without
    // ".desktop"; "netscape" when there is no default browser or it is
    // "nsshell".
    void GetDdeApplication(std::string& name) const;
    BrowserKind GetBrowserKind() const;
    // The default browser's command line (its Exec line); "" when missing.
    void GetBrowserCommand(std::string& command) const;

    // Starts a new browser process showing the URL; true when it started.
    bool LaunchBrowser(const std::string& url) const;
    // How long the desktop's opener has to report a failure; one still
    // running by then is taken to have handed the URL on.
    static constexpr int OPENER_VERDICT_SECONDS = 10;
    // Starts the default browser with the URL, or, when there is none or it
    // cannot be started, the desktop's opener (xdg-open). False when neither
    // could be started. onOpenerFailed (may be empty) runs, on a thread of its own,
    // when the opener ends with a failure within OPENER_VERDICT_SECONDS.
    bool OpenUrl(const std::string& url, std::function<void()> onOpenerFailed) const;
    // Whether a browser can be asked to load a page into its current window
    // on this desktop at all (the DDE client reaches browsers).
    bool CanOpenInCurrentWindow() const;
    // Loads the URL into the browser window the user last used; true when
    // the browser accepted it. False when no browser answers, and the
    // caller then starts one.
    bool OpenInCurrentWindow(const std::string& url) const;
    // The URL the browser window the user last used shows; "" when no
    // browser answers.
    void GetCurrentUrl(std::string& url) const;

private:
    // One conversation with one request for a window id; the id is replaced
    // by the answer's first four bytes. False when the connect failed.
    bool RequestWindowId(const std::string& service, const char* topic, const std::string& item,
                         std::uint32_t& windowId) const;
    std::string RequestWindowUrl(const std::string& service) const;

    CDdeClient& m_dde;
    const CDesktopSystem& m_desktop;
};
