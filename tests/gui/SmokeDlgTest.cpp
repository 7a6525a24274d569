// The smoke dialog driven by control id: clicks reach the event-table
// handlers, and the message box a handler opens is answered through
// wxTEST_DIALOG instead of showing on the display.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/testing.h>

#include "gui/SmokeDlg.h"
#include "res/resource.h"

namespace {

// Sends the event a click on the button with this id sends; whether a handler took it.
bool ClickButton(wxWindow* parent, int id) {
    auto* button = dynamic_cast<wxButton*>(parent->FindWindow(id));
    if (!button) return false;
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    return button->ProcessWindowEvent(event);
}

TEST(SmokeDlg, ButtonsFoundByIdReachTheirHandlersAndTheConfirmationBoxIsAnswered) {
    CSmokeDlg dlg;
    EXPECT_TRUE(ClickButton(&dlg, IDC_KEYWORD_ADD));
    EXPECT_EQ(dlg.m_nAdded, 1);
    EXPECT_FALSE(ClickButton(&dlg, 4242));

    dynamic_cast<wxCheckBox*>(dlg.FindWindow(CSmokeDlg::IDC_SMOKE_CONFIRM))->SetValue(true);
    for (int answer : {wxNO, wxYES}) {
        wxTEST_DIALOG(ClickButton(&dlg, IDC_KEYWORD_ADD), wxExpectModal<wxMessageDialog>(answer));
        EXPECT_EQ(dlg.m_nConfirmAnswer, answer);
    }
    EXPECT_EQ(dlg.m_nAdded, 2);
    EXPECT_TRUE(ClickButton(&dlg, IDC_KEYWORD_CLEAR));
    EXPECT_EQ(dlg.m_nAdded, 0);
}

}  // namespace
