// What the window tests share: clicking a control by id, letting the toolkit
// run, photographing a window, and an application core on a fresh folder.
#pragma once

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include <wx/modalhook.h>
#include <wx/toplevel.h>

#include "app/AppCore.h"
#include "app/Desktop.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"

// Sends the event a click on the button with this id sends; whether a handler took it.
bool ClickButton(wxWindow* parent, int id);
// Sends a menu command with this id to the window; whether a handler took it.
bool SendCommand(wxWindow* window, int id);

// Sends a key press from source (a child of receiver's, or receiver) to receiver.
void PressKey(wxWindow* receiver, wxWindow* source, int code, bool bShift = false);

// Handles the toolkit's events for a while.
void PumpFor(std::chrono::milliseconds duration);

// Shows the window, copies it from the screen into NAME.png, checks that the
// picture is not blank and destroys the window. With SKIMBOLT_SCREENSHOT_DIR
// set the picture is kept there for review (scripts/screenshots.sh). Call it
// from a test named Screenshots.NAME.
void Photograph(const char* name, wxTopLevelWindow* window);

// An application core loaded from a folder of the test's own, as the desktop
// program has it after start-up (no scanning thread): with the given
// sources.txt, config.txt, update host (each left out when empty) and the
// pages' last outcomes as an earlier run left them.
class CGuiTestCore {
public:
    explicit CGuiTestCore(const std::vector<PageHealth>& outcomes = {}) : CGuiTestCore("", "", "", outcomes) {}
    explicit CGuiTestCore(const std::string& sources, const std::string& config = "",
                          const std::string& updateHost = "", const std::vector<PageHealth>& outcomes = {});
    CAppCore& Core() { return m_core; }
    const std::string& Folder() const { return m_dir.Path(); }
    CRecordingMessageBoxes& Boxes() { return m_boxes; }
    // A file of the core's Data/ folder, "" when there is none.
    std::string DataFile(const char* name) const;

private:
    CTempDir m_dir;
    CRecordingMessageBoxes m_boxes;
    CAppCore m_core{m_boxes};
};

// A story found ageSeconds ago, put into the core's archive.
void AddRecentStory(CAppCore& core, const char* headline, const char* description, std::time_t ageSeconds);
// The story files in the core's Data/ folder.
int StoryFileCount(CAppCore& core);

// Cancels, and fails on, a dialog no wxTEST_DIALOG expects.
class CNoUnexpectedDialogs : public wxModalDialogHook {
public:
    CNoUnexpectedDialogs() { Register(); }
    ~CNoUnexpectedDialogs() override { Unregister(); }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}
};

// A click on a check box: its new state and its event.
void ClickCheckBox(wxWindow* parent, int id, bool bChecked);

// A DDE client that reaches browsers (none runs: every conversation fails).
class CReachingDde : public CDdeClient {
public:
    std::uint32_t GetInstanceId() const override { return 1; }
    bool ReachesBrowsers() const override { return true; }
    Conversation Connect(const std::string&, const std::string&) override { return 0; }
    bool Request(Conversation, const std::string&, DdeFormat, std::uint32_t, std::string&) override { return false; }
    void Disconnect(Conversation) override {}
};
