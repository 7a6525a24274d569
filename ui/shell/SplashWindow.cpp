#include "ui/shell/SplashWindow.h"

#include <string>
#include <string_view>

#include <wx/dcclient.h>

#include "res/resource.h"
#include "ui/base/Resources.h"
#include "ui/base/SvgArt.h"

CSplashWnd* CSplashWnd::s_pSplash = nullptr;
bool CSplashWnd::s_bEnabled = true;

void CSplashWnd::EnableSplashScreen(bool bEnable) { s_bEnabled = bEnable; }

bool CSplashWnd::ShowSplashFromCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const wxString arg = wxString::FromUTF8(argv[i]);
        if (arg == "--no-splash" || arg.IsSameAs("/Embedding", false) || arg.IsSameAs("/Automation", false))
            return false;
    }
    return true;
}

void CSplashWnd::ShowSplashScreen(wxWindow* parent) {
    if (!s_bEnabled || s_pSplash) return;
    // Drawn from its source for the display's scale, with this program's
    // version; the ready-made picture where the source cannot be drawn.
    const wxBitmap ready = LoadResourceBitmap(IDB_SPLASH);
    if (!ready.IsOk()) return;  // no picture, no splash
    wxBitmap picture = RenderArt("bitmap_" + std::to_string(IDB_SPLASH), ready.GetSize(), DisplayScale(),
                                 {{"@VERSION@", SKIMBOLT_VERSION}});
    if (!picture.IsOk()) picture = ready;
    auto* splash = new CSplashWnd(picture);
    if (!splash->Create(parent)) {
        delete splash;
        return;
    }
    s_pSplash = splash;
    splash->Update();  // painted at once
}

CSplashWnd::CSplashWnd(const wxBitmap& picture) : m_bitmap(picture), m_timer(this, TIMER_ID) {}

CSplashWnd::~CSplashWnd() {
    if (s_pSplash == this) s_pSplash = nullptr;
}

bool CSplashWnd::Create(wxWindow* parent) {
    if (!wxFrame::Create(parent, wxID_ANY, "Skimbolt", wxPoint(0, 0), m_bitmap.GetLogicalSize(),
                         wxBORDER_NONE | wxFRAME_NO_TASKBAR | wxFRAME_TOOL_WINDOW | wxSTAY_ON_TOP))
        return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);  // the picture covers it all
    SetCursor(wxCursor(wxCURSOR_ARROW));
    Bind(wxEVT_PAINT, &CSplashWnd::OnPaint, this);
    Bind(wxEVT_TIMER, &CSplashWnd::OnTimer, this, TIMER_ID);
    // The main window that owns it is never shown: centre on the screen.
    CentreOnScreen();
    Show();
    m_timer.StartOnce(SHOW_MS);
    return true;
}

void CSplashWnd::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    dc.DrawBitmap(m_bitmap, 0, 0);
}

void CSplashWnd::OnTimer(wxTimerEvent&) {
    m_timer.Stop();
    Destroy();
}
