// The window test harness itself: a small dialog driven by control id, with
// the message box its handler opens answered through wxTEST_DIALOG, and its
// screenshot. Each window's own test file adds its Screenshots.NAME test.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/testing.h>

#include "GuiTestSupport.h"
#include "res/resource.h"

namespace {

// A small dialog laid out in dialog units, as the program's dialogs are.
wxDialog* NewSmokeDialog() {
    auto* dlg = new wxDialog(nullptr, wxID_ANY, "Skimbolt window test");
    auto at = [dlg](int x, int y) { return wxDLG_UNIT(dlg, wxPoint(x, y)); };
    auto size = [dlg](int cx, int cy) { return wxDLG_UNIT(dlg, wxSize(cx, cy)); };
    new wxStaticText(dlg, wxID_ANY, "Groups of 6 words or less are searched for as Keyword Groups", at(7, 7),
                     size(220, 10));
    new wxCheckBox(dlg, wxID_ANY, "Ask before adding", at(7, 22), size(120, 10));
    new wxButton(dlg, IDC_KEYWORD_CLEAR, "Clear", at(120, 40), size(50, 14));
    new wxButton(dlg, IDC_KEYWORD_ADD, "Add", at(177, 40), size(50, 14));
    dlg->SetClientSize(size(234, 61));
    return dlg;
}

TEST(SmokeDlg, ButtonsFoundByIdReachTheirHandlersAndTheConfirmationBoxIsAnswered) {
    wxDialog* dlg = NewSmokeDialog();
    int added = 0, answer = 0;
    dlg->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) {
        answer = wxMessageBox("Add this keyword group?", "Skimbolt", wxYES_NO, dlg);
        added += answer == wxYES;
    }, IDC_KEYWORD_ADD);
    dlg->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { added = 0; }, IDC_KEYWORD_CLEAR);
    for (int expected : {wxNO, wxYES}) {
        wxTEST_DIALOG(EXPECT_TRUE(ClickButton(dlg, IDC_KEYWORD_ADD)), wxExpectModal<wxMessageDialog>(expected));
        EXPECT_EQ(answer, expected);
    }
    EXPECT_EQ(added, 1);
    EXPECT_FALSE(ClickButton(dlg, 4242));
    EXPECT_TRUE(ClickButton(dlg, IDC_KEYWORD_CLEAR));
    EXPECT_EQ(added, 0);
    dlg->Destroy();
}

// Every window worth a picture: add a test here for a new one.
TEST(Screenshots, smoke_dialog) { Photograph("smoke_dialog", NewSmokeDialog()); }

}  // namespace
