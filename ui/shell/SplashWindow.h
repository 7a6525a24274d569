// CSplashWnd: the borderless window that shows the splash picture (bitmap
// 167, drawn from its source at the display's scale with the program's
// version) in the middle of the screen for 3.5 seconds while the program starts.
// One exists at a time; it destroys itself when its time is up, and neither
// a key nor a click dismisses it earlier.
#pragma once

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/timer.h>

class CSplashWnd : public wxFrame {
public:
    static constexpr int SHOW_MS = 3500;
    static constexpr int TIMER_ID = 1;

    // Whether ShowSplashScreen shows anything (yes unless turned off).
    static void EnableSplashScreen(bool bEnable);
    // The command line's answer: no when it holds --no-splash, or one of the
    // switches the Windows framework turned the splash off with
    // (/Embedding, /Automation, any letter case).
    static bool ShowSplashFromCommandLine(int argc, const char* const* argv);
    // Shows the splash, owned by parent, unless it is turned off, one is
    // already shown or the picture cannot be loaded.
    static void ShowSplashScreen(wxWindow* parent);
    // The splash now shown, or null.
    static CSplashWnd* Current() { return s_pSplash; }

    ~CSplashWnd() override;
    const wxTimer& Timer() const { return m_timer; }

private:
    explicit CSplashWnd(const wxBitmap& picture);
    bool Create(wxWindow* parent);
    void OnPaint(wxPaintEvent& event);
    void OnTimer(wxTimerEvent& event);

    wxBitmap m_bitmap;
    wxTimer m_timer;
    static CSplashWnd* s_pSplash;
    static bool s_bEnabled;
};
