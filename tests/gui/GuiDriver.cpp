#include "gui/GuiDriver.h"

#include <thread>

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

namespace gui {

namespace {

// Counts the events of one type that reach a window's own handlers and lets
// them go on to the normal handlers.
class CEventCounter {
public:
    CEventCounter(wxWindow* window, wxEventType type) : m_pWindow(window), m_type(type) {
        m_pWindow->Bind(m_type, &CEventCounter::OnEvent, this);
    }
    ~CEventCounter() { m_pWindow->Unbind(m_type, &CEventCounter::OnEvent, this); }
    int Count() const { return m_nCount; }

private:
    void OnEvent(wxEvent& event) {
        ++m_nCount;
        event.Skip();
    }
    wxWindow* m_pWindow;
    wxEventType m_type;
    int m_nCount = 0;
};

bool SendCommand(wxWindow* control, wxEventType type, int intValue) {
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(intValue);
    return control->ProcessWindowEvent(event);
}

}  // namespace

void PumpEvents() {
    // A few rounds, because handling one event often queues another (a
    // CallAfter, a size event after a layout); bounded so a handler that
    // keeps re-queueing cannot trap the test here.
    for (int round = 0; round < 20; ++round) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        const bool moreIdle = wxTheApp->ProcessIdle();
        if (!moreIdle && !wxTheApp->HasPendingEvents() && !wxTheApp->Pending()) break;
    }
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        PumpEvents();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
}

void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

bool ShowAndSettle(wxTopLevelWindow* window, std::chrono::milliseconds timeout) {
    window->Show();
    window->Raise();
    if (!PumpUntil([window] { return window->IsShownOnScreen(); }, timeout)) return false;
    window->Update();
    // Let the toolkit finish mapping and drawing the children.
    PumpFor(100ms);
    return true;
}

bool SendButtonClick(wxWindow* parent, int id) {
    auto* button = FindControl<wxButton>(parent, id);
    return button && SendCommand(button, wxEVT_BUTTON, 0);
}

bool SendCheckBoxClick(wxWindow* parent, int id, bool checked) {
    auto* box = FindControl<wxCheckBox>(parent, id);
    if (!box) return false;
    box->SetValue(checked);
    return SendCommand(box, wxEVT_CHECKBOX, checked ? 1 : 0);
}

bool SimulateClick(wxWindow* control, wxEventType expected, std::chrono::milliseconds timeout) {
    if (!control || !control->IsShownOnScreen()) return false;
    CEventCounter counter(control, expected);
    const wxRect rect = control->GetScreenRect();
    const wxPoint centre(rect.x + rect.width / 2, rect.y + rect.height / 2);

    wxUIActionSimulator simulator;
    // The toolkit must see the pointer arrive over the control before the
    // press, as it would for a user's mouse.
    simulator.MouseMove(centre);
    PumpEvents();
    if (wxGetMousePosition() != centre) PumpUntil([&] { return wxGetMousePosition() == centre; }, 1s);
    simulator.MouseClick(wxMOUSE_BTN_LEFT);
    return PumpUntil([&] { return counter.Count() > 0; }, timeout);
}

bool SaveScreenshot(wxWindow* window, const std::string& path) {
    if (!window || !window->IsShownOnScreen()) return false;
    window->Update();
    PumpEvents();
    // The window's outer rectangle as it is on the screen (the X server
    // draws the decorations, if any, itself; under Xvfb there are none).
    const wxRect rect = window->GetScreenRect();
    if (rect.IsEmpty()) return false;
    wxBitmap bitmap(rect.width, rect.height, 24);
    {
        wxScreenDC screen;
        wxMemoryDC memory(bitmap);
        if (!memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y)) return false;
    }
    const wxString file = wxString::FromUTF8(path);
    if (bitmap.ConvertToImage().SaveFile(file, wxBITMAP_TYPE_PNG)) return true;
    wxRemoveFile(file);
    return false;
}

}  // namespace gui
