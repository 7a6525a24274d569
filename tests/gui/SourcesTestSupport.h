// Shared by the News Sources page and Custom URL dialog tests: a core on a
// folder with the test's own sources.txt, config.txt and update host, and a
// hook that cancels (and fails on) a dialog no wxTEST_DIALOG expects.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>

#include "app/AppCore.h"
#include "common/FileUtil.h"
#include "platform/Registry.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"

class CSourcesTestCore {
public:
    explicit CSourcesTestCore(const std::string& sources, const std::string& config = "",
                              const std::string& updateHost = "") {
        std::filesystem::create_directories(m_dir.File("home/Data"));
        if (!sources.empty()) WriteFileAtomically(m_dir.File("home/Data/sources.txt"), sources);
        if (!config.empty()) WriteFileAtomically(m_dir.File("home/Data/config.txt"), config, 0600);
        if (!updateHost.empty()) {
            CRegistry registry(m_dir.File("registry.ini"));
            registry.SetValue(REGISTRY_KEY_CURRENT, "UpdateHost", updateHost);
            registry.Save();
        }
        std::string error;
        if (!m_core.FindApplicationFolder(m_dir.File("home"), m_dir.File("registry.ini")) ||
            !m_core.PrepareFolder(error))
            ADD_FAILURE() << "cannot prepare the application folder: " << error;
        m_core.LoadData();
    }
    CAppCore& Core() { return m_core; }
    const std::string& Folder() const { return m_dir.Path(); }
    std::string DataFile(const char* name) const {
        std::string text;
        ReadWholeFile(m_dir.File(std::string("home/Data/") + name), text);
        return text;
    }

private:
    CTempDir m_dir;
    CRecordingMessageBoxes m_boxes;
    CAppCore m_core{m_boxes};
};

class CNoUnexpectedDialogs : public wxModalDialogHook {
public:
    CNoUnexpectedDialogs() { Register(); }
    ~CNoUnexpectedDialogs() override { Unregister(); }

protected:
    int Enter(wxDialog* dialog) override {
        ADD_FAILURE() << "unexpected dialog \"" << dialog->GetTitle() << "\"";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

// A click on a check box: its new state and its event.
inline void ClickCheckBox(wxWindow* parent, int id, bool bChecked) {
    auto* box = dynamic_cast<wxCheckBox*>(parent->FindWindow(id));
    ASSERT_NE(box, nullptr) << id;
    box->SetValue(bChecked);
    wxCommandEvent event(wxEVT_CHECKBOX, id);
    event.SetEventObject(box);
    event.SetInt(bChecked ? 1 : 0);
    box->ProcessWindowEvent(event);
}
