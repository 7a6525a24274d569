// Drives the smoke dialog by control id: synthesised and real clicks reach the
// event-table handlers, and message boxes opened by a handler are answered
// through wxTEST_DIALOG.
#include <wx/button.h>
#include <wx/checkbox.h>

#include "gui/GuiTest.h"
#include "gui/SmokeDlg.h"
#include "res/resource.h"

namespace {

class SmokeDlgTest : public CGuiTest {
protected:
    void SetUp() override {
        CGuiTest::SetUp();
        m_pDlg = new CSmokeDlg;
        m_pDlg->Move(100, 100);
    }
    CSmokeDlg* m_pDlg = nullptr;
};

TEST_F(SmokeDlgTest, FindsControlsByIdAndType) {
    auto* add = gui::FindControl<wxButton>(m_pDlg, IDC_KEYWORD_ADD);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->GetLabel(), "Add");
    auto* clear = gui::FindControl<wxButton>(m_pDlg, IDC_KEYWORD_CLEAR);
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->GetLabel(), "Clear");
    EXPECT_NE(gui::FindControl<wxCheckBox>(m_pDlg, CSmokeDlg::IDC_SMOKE_CONFIRM), nullptr);

    // Wrong kind of control, unknown id, no parent: nothing.
    EXPECT_EQ(gui::FindControl<wxCheckBox>(m_pDlg, IDC_KEYWORD_ADD), nullptr);
    EXPECT_EQ(gui::FindControl(m_pDlg, 4242), nullptr);
    EXPECT_EQ(gui::FindControl(nullptr, IDC_KEYWORD_ADD), nullptr);
    EXPECT_FALSE(gui::SendButtonClick(m_pDlg, 4242));
}

TEST_F(SmokeDlgTest, SynthesisedClicksReachEventTableHandlers) {
    EXPECT_TRUE(gui::SendButtonClick(m_pDlg, IDC_KEYWORD_ADD));
    EXPECT_TRUE(gui::SendButtonClick(m_pDlg, IDC_KEYWORD_ADD));
    EXPECT_EQ(m_pDlg->m_nAdded, 2);
    EXPECT_TRUE(gui::SendButtonClick(m_pDlg, IDC_KEYWORD_CLEAR));
    EXPECT_EQ(m_pDlg->m_nAdded, 0);
    // A check box has no handler in the dialog: the event goes unhandled.
    EXPECT_FALSE(gui::SendCheckBoxClick(m_pDlg, CSmokeDlg::IDC_SMOKE_CONFIRM, true));
    EXPECT_TRUE(gui::FindControl<wxCheckBox>(m_pDlg, CSmokeDlg::IDC_SMOKE_CONFIRM)->GetValue());
}

TEST_F(SmokeDlgTest, RealClicksReachEventTableHandlers) {
    ASSERT_TRUE(gui::ShowAndSettle(m_pDlg));
    auto* add = gui::FindControl<wxButton>(m_pDlg, IDC_KEYWORD_ADD);
    ASSERT_TRUE(gui::SimulateClick(add));
    EXPECT_EQ(m_pDlg->m_nAdded, 1);

    auto* confirm = gui::FindControl<wxCheckBox>(m_pDlg, CSmokeDlg::IDC_SMOKE_CONFIRM);
    ASSERT_TRUE(gui::SimulateClick(confirm, wxEVT_CHECKBOX));
    EXPECT_TRUE(confirm->GetValue());
    ASSERT_TRUE(gui::SimulateClick(confirm, wxEVT_CHECKBOX));
    EXPECT_FALSE(confirm->GetValue());
}

TEST_F(SmokeDlgTest, ConfirmationBoxIsAnsweredThroughExpectation) {
    struct Case {
        int answer;
        int added;
    };
    const Case cases[] = {{wxYES, 1}, {wxNO, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer == wxYES ? "answer Yes" : "answer No");
        m_pDlg->m_nAdded = 0;
        gui::SendCheckBoxClick(m_pDlg, CSmokeDlg::IDC_SMOKE_CONFIRM, true);
        wxTEST_DIALOG(gui::SendButtonClick(m_pDlg, IDC_KEYWORD_ADD),
                      wxExpectModal<wxMessageDialog>(c.answer));
        EXPECT_EQ(m_pDlg->m_nConfirmAnswer, c.answer);
        EXPECT_EQ(m_pDlg->m_nAdded, c.added);
    }
    EXPECT_TRUE(UnexpectedDialogs().empty());
}

TEST_F(SmokeDlgTest, ConfirmationBoxFromRealClickIsAnswered) {
    ASSERT_TRUE(gui::ShowAndSettle(m_pDlg));
    gui::SendCheckBoxClick(m_pDlg, CSmokeDlg::IDC_SMOKE_CONFIRM, true);
    auto* add = gui::FindControl<wxButton>(m_pDlg, IDC_KEYWORD_ADD);
    bool clicked = false;
    wxTEST_DIALOG(clicked = gui::SimulateClick(add), wxExpectModal<wxMessageDialog>(wxYES));
    EXPECT_TRUE(clicked);
    EXPECT_EQ(m_pDlg->m_nConfirmAnswer, wxYES);
    EXPECT_EQ(m_pDlg->m_nAdded, 1);
}

}  // namespace
