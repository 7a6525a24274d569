// What the window tests share: clicking a control by id, letting the toolkit
// run, photographing a window, and an application core on a fresh folder.
#pragma once

#include <chrono>
#include <string>

#include <wx/toplevel.h>

#include "app/AppCore.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"

// Sends the event a click on the button with this id sends; whether a handler took it.
bool ClickButton(wxWindow* parent, int id);
// Sends a menu command with this id to the window; whether a handler took it.
bool SendCommand(wxWindow* window, int id);

// Handles the toolkit's events for a while.
void PumpFor(std::chrono::milliseconds duration);

// Shows the window, copies it from the screen into NAME.png, checks that the
// picture is not blank and destroys the window. With SKIMBOLT_SCREENSHOT_DIR
// set the picture is kept there for review (scripts/screenshots.sh). Call it
// from a test named Screenshots.NAME.
void Photograph(const char* name, wxTopLevelWindow* window);

// An application core loaded from a fresh application folder, as the desktop
// program has it after start-up (no scanning thread).
class CGuiTestCore {
public:
    CGuiTestCore();
    CAppCore& Core() { return m_core; }
    const std::string& Folder() const { return m_dir.Path(); }
    CRecordingMessageBoxes& Boxes() { return m_boxes; }

private:
    CTempDir m_dir;
    CRecordingMessageBoxes m_boxes;
    CAppCore m_core{m_boxes};
};
