// The Custom URL dialog against loopback pages: the add check (scheme,
// https kept, frame, refusals) and its findings, Import, Delete, a failing
// row's tooltip, and what OK stores and tells the story archive.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "GuiTestSupport.h"
#include "app/SourceHealth.h"
#include "res/resource.h"
#include "support/NewsSite.h"
#include "support/TestHttpServer.h"
#include "ui/base/FailureColour.h"
#include "ui/base/ContextHelp.h"
#include "ui/settings/CustomUrlDialog.h"

namespace {

const char* const kConfig =
    "B F0000002 Web_Address http://one.example/ x\r\n"
    "B F0000002 Web_Address http://two.example/ x\r\n"
    "B F000000D Disabled_Web_Address http://three.example/ x\r\n";

class UrlPropPageTest : public testing::Test {
protected:
    // Row one's last read failed.
    UrlPropPageTest()
        : m_core("", kConfig, "", {PageHealth{"http://one.example/", 1700000000, false, 0, 0, "HTTP status 503"}}) {}
    void SetUp() override {
        m_site.Serve(m_server);
        m_dialog = new CUrlPropPage(nullptr, m_core.Core());
        FetchTimeouts quick;
        quick.connectRetries = 0;
        quick.connectMs = 500;
        m_dialog->Check().Fetcher().SetTimeoutsForTesting(quick);
        m_list = dynamic_cast<wxListCtrl*>(m_dialog->FindWindow(IDC_URL_LIST));
        m_address = dynamic_cast<wxTextCtrl*>(m_dialog->FindWindow(IDC_URL_ADDRESS));
        ASSERT_TRUE(m_list && m_address);
    }
    void TearDown() override {
        m_dialog->Destroy();
        wxTheApp->ProcessIdle();
    }
    void Add(const std::string& address) {
        m_address->ChangeValue(wxString::FromUTF8(address));
        EXPECT_TRUE(ClickButton(m_dialog, IDC_URL_ADD));
        EXPECT_EQ(m_address->GetValue(), "");
    }
    std::string Rows() const {
        std::string rows;
        for (long row = 0; row < m_list->GetItemCount(); ++row)
            rows += (m_list->IsItemChecked(row) ? "+" : "-") + m_list->GetItemText(row).utf8_string() + " ";
        return rows;
    }
    std::string Result() const {
        return dynamic_cast<wxTextCtrl*>(m_dialog->FindWindow(IDC_URL_CHECK_RESULT))->GetValue().utf8_string();
    }
    // The address of the server without its scheme, as a user may type it.
    std::string Typed(const std::string& path) const { return m_server.Url(path).substr(7); }

    CGuiTestCore m_core;
    CTestHttpServer m_server;
    CNewsSite m_site;
    CNoUnexpectedDialogs m_noDialogs;
    CUrlPropPage* m_dialog = nullptr;
    wxListCtrl* m_list = nullptr;
    wxTextCtrl* m_address = nullptr;
};

TEST_F(UrlPropPageTest, AddChecksThePageAndShowsWhatItGives) {
    // Active rows first (the newest record first, as the settings hand them out).
    EXPECT_EQ(Rows(), "+http://two.example/ +http://one.example/ -http://three.example/ ");
    // No scheme typed: http:// goes in front; the check reports the stories.
    Add(Typed(CNewsSite::FRONT_PAGE));
    EXPECT_EQ(m_list->GetItemText(0), m_server.Url(CNewsSite::FRONT_PAGE));
    EXPECT_TRUE(m_list->IsItemChecked(0));
    EXPECT_NE(Result().find("story links found"), std::string::npos) << Result();
    EXPECT_NE(Result().find(m_site.Stories().front().headline), std::string::npos) << Result();
    // A frame page: its news frame is added instead, and its stories are shown.
    m_server.SetPage("/frames.html", R"(<frame name="top" src="top_of_page.html"><frame name="main" src="index.html?e=2">)");
    Add(m_server.Url("/frames.html"));
    EXPECT_EQ(m_list->GetItemText(0), m_server.Url("/index.html?e=2"));
    EXPECT_NE(Result().find("story links found"), std::string::npos) << Result();

    // An https address stays as typed, even when it cannot be read (it is added all the same).
    const std::string https = "https://127.0.0.1:" + std::to_string(m_server.Port()) + "/secure page.html";
    wxTEST_DIALOG(Add(https), wxExpectModal<wxMessageDialog>(wxID_OK).Describe("Url not found"));
    EXPECT_EQ(m_list->GetItemText(0), "https://127.0.0.1:" + std::to_string(m_server.Port()) + "/secure%20page.html");
    EXPECT_NE(Result().find("Could not read"), std::string::npos) << Result();
    EXPECT_EQ(m_list->GetItemCount(), 6);
}

TEST_F(UrlPropPageTest, RefusalsLeaveTheListAsItWas) {
    const std::string before = Rows();
    for (const std::string& refused : {std::string("two.example/"), std::string("ftp://files.example/"),
                                       "http://long.example/" + std::string(MaxCustomUrlLength(), 'a')}) {
        wxTEST_DIALOG(Add(refused), wxExpectModal<wxMessageDialog>(wxID_OK));
        EXPECT_EQ(Rows(), before) << refused;
    }
    // Fifty rows: refused before anything else.
    for (int i = m_list->GetItemCount(); i < CUrlPropPage::MAX_ROWS; ++i)
        m_list->InsertItem(0, wxString::Format("http://filler%d.example/", i));
    wxTEST_DIALOG(Add(Typed("/index.html")), wxExpectModal<wxMessageDialog>(wxID_OK));
    EXPECT_EQ(m_list->GetItemCount(), CUrlPropPage::MAX_ROWS);
    EXPECT_EQ(m_server.RequestCount(), 0);
}

TEST_F(UrlPropPageTest, OkStoresTheRowsAndTellsTheArchiveWhatWasRemoved) {
    const int files = StoryFileCount(m_core.Core());
    // Enter in a filled address field adds it and keeps the dialog open.
    m_address->ChangeValue(wxString::FromUTF8(Typed("/index.html")));
    EXPECT_TRUE(ClickButton(m_dialog, IDC_URL_OK));
    EXPECT_EQ(m_list->GetItemText(0), m_server.Url("/index.html"));
    EXPECT_EQ(m_core.DataFile("config.txt"), kConfig);

    ASSERT_EQ(m_list->GetItemText(2), "http://one.example/");
    m_list->CheckItem(2, false);  // one.example disabled
    m_list->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    EXPECT_TRUE(ClickButton(m_dialog, IDC_URL_DELETE));  // two.example deleted
    EXPECT_EQ(Rows(), "+" + m_server.Url("/index.html") + " -http://one.example/ -http://three.example/ ");
    EXPECT_EQ(m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 1);  // the row now at its place
    EXPECT_TRUE(ClickButton(m_dialog, IDC_URL_OK));
    const std::string config = m_core.DataFile("config.txt");
    EXPECT_NE(config.find("B F0000002 Web_Address " + m_server.Url("/index.html") + " "), std::string::npos);
    EXPECT_NE(config.find("B F000000D Disabled_Web_Address http://one.example/ "), std::string::npos);
    EXPECT_NE(config.find("B F000000D Disabled_Web_Address http://three.example/ "), std::string::npos);
    EXPECT_EQ(config.find("two.example"), std::string::npos);
    EXPECT_EQ(m_core.Core().Config().Snapshot().customUrls.size(), 1u);
    // The story files of the two custom URLs that are no longer scanned are gone.
    EXPECT_EQ(StoryFileCount(m_core.Core()), files - 2);
}

TEST_F(UrlPropPageTest, ImportTakesACopiedAddressAndFailingRowsExplainThemselves) {
    m_dialog->SetFallbackUrlSource([] { return std::string("http://copied.example/news"); });
    EXPECT_TRUE(ClickButton(m_dialog, IDC_URL_IMPORT));
    EXPECT_EQ(m_address->GetValue(), "http://copied.example/news");
    EXPECT_EQ(m_list->GetItemCount(), 3);  // nothing added before Add
    // With nothing to take, Import says what it needs and leaves the field.
    m_dialog->SetFallbackUrlSource([] { return std::string(); });
    wxTEST_DIALOG(ClickButton(m_dialog, IDC_URL_IMPORT),
                  wxExpectModal<wxMessageDialog>(wxOK).Describe("Import without an address"));

    // The failing row is red enough to read, with its reason beside it.
    const long failing = m_list->FindItem(-1, "http://one.example/");
    const long unread = m_list->FindItem(-1, "http://two.example/");
    ASSERT_TRUE(failing >= 0 && unread >= 0);
    EXPECT_EQ(m_list->GetItemText(failing, 1), "failed: HTTP status 503");
    EXPECT_GE(ContrastRatio(m_list->GetItemTextColour(failing), m_list->GetBackgroundColour()), 4.5);
    EXPECT_FALSE(m_list->GetItemTextColour(unread).IsOk()) << "rows that did not fail keep the list's colour";
    EXPECT_EQ(m_list->GetItemText(unread, 1), "") << "never read";

    m_dialog->SetSize(600, 500);
    m_dialog->Show();
    PumpFor(std::chrono::milliseconds(100));
    wxRect rect;
    ASSERT_TRUE(m_list->GetItemRect(1, rect));
    for (wxWindow* rows : m_list->GetChildren()) {
        wxMouseEvent motion(wxEVT_MOTION);
        motion.SetEventObject(rows);
        motion.SetPosition(rect.GetPosition() + wxPoint(5, rect.height / 2) - rows->GetPosition());
        rows->ProcessWindowEvent(motion);
        if (rows->GetToolTipText().empty()) continue;
        EXPECT_NE(rows->GetToolTipText().find("HTTP status 503"), wxString::npos) << rows->GetToolTipText();
        return;
    }
    ADD_FAILURE() << "no tooltip for the failing row";
}

TEST_F(UrlPropPageTest, HelpAndF1ShowTheTopicOfTheFocusedControl) {
    m_dialog->Show();
    PumpFor(std::chrono::milliseconds(100));
    // The pointer away from the dialog: the control with the focus decides.
    wxUIActionSimulator().MouseMove(m_dialog->GetScreenRect().GetBottomRight() + wxPoint(40, 40));
    PumpFor(std::chrono::milliseconds(50));
    m_address->SetFocus();
    EXPECT_TRUE(ClickButton(m_dialog, IDC_URL_HELP));
    EXPECT_EQ(OpenHelpPopupText(), ProgramHelpFile().Topic(HelpTopicForControl(IDC_URL_ADDRESS)));
    CloseHelpPopup();

    m_list->SetFocus();
    PressKey(m_dialog, m_dialog, WXK_F1);
    EXPECT_EQ(OpenHelpPopupText(), ProgramHelpFile().Topic(HelpTopicForControl(IDC_URL_LIST)));
    CloseHelpPopup();
}

TEST(Screenshots, custom_url_empty) {
    CGuiTestCore core("");
    Photograph("custom_url_empty", new CUrlPropPage(nullptr, core.Core()));
    wxTheApp->ProcessIdle();
}

TEST(Screenshots, custom_url_loaded) {
    CGuiTestCore core("", kConfig, "",
                          {PageHealth{"http://one.example/", 1700000000, false, 0, 0, "HTTP status 503"},
                           PageHealth{"http://two.example/", 1700000000, true, 14, 3, ""}});
    CTestHttpServer server;
    CNewsSite site;
    site.Serve(server);
    auto* dialog = new CUrlPropPage(nullptr, core.Core());
    dynamic_cast<wxTextCtrl*>(dialog->FindWindow(IDC_URL_ADDRESS))->ChangeValue(server.Url(CNewsSite::FRONT_PAGE));
    ClickButton(dialog, IDC_URL_ADD);
    Photograph("custom_url_loaded", dialog);
    wxTheApp->ProcessIdle();
}

}  // namespace
