// Helpers that drive windows in tests the way a user would: pump the event
// queue, find controls by their numeric id, click them (as a synthesised
// event or as a real mouse click on the X display) and photograph a window.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include <wx/event.h>
#include <wx/window.h>

class wxTopLevelWindow;

namespace gui {

using namespace std::chrono_literals;

// Handles everything pending now: X and GTK events, queued wx events and idle
// handlers. Returns once the queues are empty.
void PumpEvents();
// Pumps events until condition() holds or the time is up; returns whether it
// held. The condition is tested after every round of events.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s);
// Pumps events for the given time, e.g. to let a window settle on screen.
void PumpFor(std::chrono::milliseconds duration);

// Shows a top-level window, raises it and pumps events until it is mapped
// and painted. Returns false when the window never came up.
bool ShowAndSettle(wxTopLevelWindow* window, std::chrono::milliseconds timeout = 5s);

// The control with this id inside parent (or parent itself), if it is a T.
template <class T = wxWindow>
T* FindControl(wxWindow* parent, int id) {
    return parent ? dynamic_cast<T*>(parent->FindWindow(id)) : nullptr;
}

// Clicks the button with this id inside parent as the program would see it
// from the toolkit: a wxEVT_BUTTON command event processed by the button and
// propagated to its parents' event tables. Returns whether a handler took it
// (false too when there is no such control).
bool SendButtonClick(wxWindow* parent, int id);
// As SendButtonClick, for a check box: sets its value and sends the
// wxEVT_CHECKBOX event that a user's click would (SetValue alone sends none).
bool SendCheckBoxClick(wxWindow* parent, int id, bool checked);

// A real left click at the centre of control through the X server
// (wxUIActionSimulator), then pumps events until the control has emitted an
// event of the given type. Returns whether it did within the timeout.
bool SimulateClick(wxWindow* control, wxEventType expected = wxEVT_BUTTON,
                   std::chrono::milliseconds timeout = 5s);

// Copies what a shown window looks like on screen into a PNG file. Returns
// false (and leaves no file) when the window is not on screen or the file
// cannot be written.
bool SaveScreenshot(wxWindow* window, const std::string& path);

}  // namespace gui
