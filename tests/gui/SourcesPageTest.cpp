// The News Sources page in a notebook, driven by control id: rows and
// category boxes against sources.txt, the empty-source warning, and the
// update from a loopback host (Retry, Cancel) or the starter catalogue.
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/testing.h>

#include "GuiTestSupport.h"
#include "app/SourceUpdate.h"
#include "res/resource.h"
#include "support/TestHttpServer.h"
#include "ui/settings/CustomUrlDialog.h"
#include "ui/settings/EmptySourceWarning.h"
#include "ui/settings/SettingsSheet.h"
#include "ui/settings/SourcesPage.h"
#include "ui/settings/UpdateProgressWindow.h"

// The update progress dialog is not shown: its update runs at once.
template <>
class wxExpectModal<CUpdateProgressDlg> : public wxExpectModalBase<CUpdateProgressDlg> {
protected:
    int OnInvoked(CUpdateProgressDlg* dialog) const override {
        dialog->RunUpdate();
        return wxID_OK;
    }
};

// The warning names the source it switches off.
template <>
class wxExpectModal<CEmptySourceWarningDlg> : public wxExpectModalBase<CEmptySourceWarningDlg> {
public:
    explicit wxExpectModal(const char* name) : m_name(name) {}

protected:
    int OnInvoked(CEmptySourceWarningDlg* dialog) const override {
        auto* label = dynamic_cast<wxStaticText*>(dialog->FindWindow(IDC_EMPTY_SOURCE_NAME));
        EXPECT_TRUE(label && label->GetLabel() == m_name);
        return wxID_OK;
    }
    const char* m_name;
};

// The Custom URL dialog is closed with OK untouched.
template <>
class wxExpectModal<CUrlPropPage> : public wxExpectModalBase<CUrlPropPage> {
protected:
    int OnInvoked(CUrlPropPage*) const override { return wxID_OK; }
};

namespace {

const char* const kCatalogue =
    "1 Alpha Daily\r\n1 1 Front http://alpha.example/1\r\n1 2 World http://alpha.example/2\r\n"
    "0 3 Local http://alpha.example/3\r\n"
    "0 Beta Weekly\r\n0 1 Headlines http://beta.example/1\r\n0 2 Money http://beta.example/2\r\n"
    "0 3 Science_Tech http://beta.example/3\r\n"
    "0 Gamma Times\r\n1 5 Arts http://gamma.example/5\r\n";
const char* const kCustomUrl = "B F0000002 Web_Address http://custom.example/ x\r\n";

class SourcesPageTest : public testing::Test {
protected:
    explicit SourcesPageTest(const std::string& host = "") : m_core(kCatalogue, kCustomUrl, host) {}
    void SetUp() override {
        m_dialog = new wxDialog(nullptr, wxID_ANY, "Skimbolt");
        m_book = new wxNotebook(m_dialog, wxID_ANY);
        m_page = new CSourcesPropPage(m_book, m_core.Core(), [this](int count) { m_count = count; });
        m_book->AddPage(m_page, "News Sources");
        m_book->AddPage(new wxPanel(m_book), "Options");
        m_list = dynamic_cast<wxListCtrl*>(m_page->FindWindow(IDC_SOURCE_LIST));
        ASSERT_NE(m_list, nullptr);
    }
    void TearDown() override {
        m_dialog->Destroy();
        wxTheApp->ProcessIdle();  // gone before the core it uses
    }

    wxCheckBox* Box(int category) {
        return dynamic_cast<wxCheckBox*>(m_page->FindWindow(IDC_CATEGORY_BOXES[category - 1]));
    }
    void Select(long row) {
        m_list->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    }
    long Selected() const { return m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); }
    bool Has(const char* line) const { return m_core.DataFile("sources.txt").find(line) != std::string::npos; }

    CGuiTestCore m_core;
    CNoUnexpectedDialogs m_noDialogs;
    wxDialog* m_dialog = nullptr;
    wxNotebook* m_book = nullptr;
    CSourcesPropPage* m_page = nullptr;
    wxListCtrl* m_list = nullptr;
    int m_count = -1;
};

TEST_F(SourcesPageTest, ListsSourcesAndShowsTheCategoriesOfTheSelectedOne) {
    ASSERT_EQ(m_list->GetItemCount(), 3);
    EXPECT_TRUE(m_list->IsItemChecked(0) && !m_list->IsItemChecked(1));
    EXPECT_EQ(m_count, 3);  // two categories of the active source and one custom URL
    EXPECT_EQ(Selected(), 0);
    EXPECT_TRUE(Box(1)->GetLabel() == "Front" && Box(1)->GetValue() && Box(1)->IsEnabled());
    // A category the source lacks: 4 shows its default name, disabled; 5 to 13 are hidden.
    EXPECT_EQ(Box(4)->GetLabel(), "Sports");
    EXPECT_FALSE(Box(4)->IsEnabled() || Box(4)->GetValue() || Box(5)->IsShown());
    Select(1);
    EXPECT_EQ(Box(3)->GetLabel(), "Science Tech");
    EXPECT_FALSE(Box(1)->IsEnabled());  // the source is not active
    Select(2);
    EXPECT_TRUE(Box(1)->GetLabel() == "Headlines" && Box(5)->IsShown() && Box(5)->GetValue());
}

TEST_F(SourcesPageTest, CategoryBoxesSwitchTheirSourceAndAreWrittenAtOnce) {
    ClickCheckBox(m_page, IDC_CATEGORY_BOXES[0], false);
    EXPECT_TRUE(Has("1 Alpha Daily\r\n0 1 Front"));
    EXPECT_EQ(m_count, 1);  // custom URLs are not counted after a box, but after the Custom URL dialog
    wxTEST_DIALOG(EXPECT_TRUE(ClickButton(m_page, IDC_CUSTOM_URL)), wxExpectModal<CUrlPropPage>());
    EXPECT_EQ(m_count, 2);
    // The last category unchecked: the source is switched off with its row.
    ClickCheckBox(m_page, IDC_CATEGORY_BOXES[1], false);
    EXPECT_TRUE(Has("0 Alpha Daily\r\n0 1 Front"));
    EXPECT_FALSE(m_list->IsItemChecked(0));
    EXPECT_EQ(m_count, 0);
    // One category checked: it comes back on.
    ClickCheckBox(m_page, IDC_CATEGORY_BOXES[2], true);
    EXPECT_TRUE(Has("1 Alpha Daily\r\n0 1 Front http://alpha.example/1\r\n0 2 World http://alpha.example/2\r\n1 3"));
    EXPECT_TRUE(m_list->IsItemChecked(0));
    EXPECT_EQ(m_count, 1);
    // The user's next switch of the row still shows its categories.
    m_list->CheckItem(0, false);
    EXPECT_FALSE(Box(3)->IsEnabled());
}

TEST_F(SourcesPageTest, SelectAllAndClearSetEveryCategoryAndTheSource) {
    Select(1);
    EXPECT_TRUE(ClickButton(m_page, IDC_CATEGORY_SELECT_ALL));
    EXPECT_TRUE(Has("1 Beta Weekly\r\n1 1 Headlines http://beta.example/1\r\n1 2 Money"));
    EXPECT_TRUE(m_list->IsItemChecked(1) && Box(2)->IsEnabled() && Box(2)->GetValue());
    EXPECT_EQ(m_count, 5);
    Select(2);  // no warning: Beta has categories
    EXPECT_TRUE(ClickButton(m_page, IDC_CATEGORY_CLEAR));
    EXPECT_TRUE(Has("0 Gamma Times\r\n0 5 Arts"));
    Select(0);
    EXPECT_TRUE(ClickButton(m_page, IDC_CATEGORY_CLEAR));
    EXPECT_TRUE(Has("0 Alpha Daily\r\n0 1 Front http://alpha.example/1\r\n0 2"));
    EXPECT_FALSE(m_list->IsItemChecked(0));
}

TEST_F(SourcesPageTest, ASourceSwitchedOnWithoutCategoriesIsWarnedAboutAndSwitchedOff) {
    // Moving to another row.
    Select(1);
    m_list->CheckItem(1, true);
    EXPECT_TRUE(Has("1 Beta Weekly"));
    wxTEST_DIALOG(Select(0), wxExpectModal<CEmptySourceWarningDlg>("Beta Weekly"));
    EXPECT_TRUE(Has("0 Beta Weekly"));
    EXPECT_FALSE(m_list->IsItemChecked(1));
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(Box(1)->GetLabel(), "Front");

    // A category chosen before moving on: no warning.
    Select(1);
    m_list->CheckItem(1, true);
    ClickCheckBox(m_page, IDC_CATEGORY_BOXES[1], true);
    Select(2);
    EXPECT_TRUE(Has("1 Beta Weekly\r\n0 1 Headlines http://beta.example/1\r\n1 2 Money"));
    EXPECT_TRUE(m_list->IsItemChecked(1));

    // Leaving the page, and the sheet's Done.
    m_list->CheckItem(2, false);
    ClickCheckBox(m_page, IDC_CATEGORY_BOXES[4], false);  // Gamma without a category
    m_list->CheckItem(2, true);
    wxTEST_DIALOG(m_book->SetSelection(1), wxExpectModal<CEmptySourceWarningDlg>("Gamma Times"));
    EXPECT_TRUE(Has("0 Gamma Times"));
    EXPECT_FALSE(m_list->IsItemChecked(2));
    m_list->CheckItem(2, true);
    wxTEST_DIALOG(m_page->FinishPendingWarning(), wxExpectModal<CEmptySourceWarningDlg>("Gamma Times"));
    EXPECT_TRUE(Has("0 Gamma Times"));
    m_page->FinishPendingWarning();  // nothing pending any more
}

const char* const kUpdate =
    "0 Alpha Daily\n0 1 Front http://alpha.example/one\n0 Delta News\n0 1 Top http://delta.example/\n"
    "0 2 World http://delta.example/w\n";

// The update host, written into the registry file before the page is made.
CTestHttpServer& UpdateServer() {
    static CTestHttpServer server;
    return server;
}

class SourcesUpdateTest : public SourcesPageTest {
protected:
    SourcesUpdateTest() : SourcesPageTest("127.0.0.1:" + std::to_string(UpdateServer().Port())) {}
    void ServeUpdate(int failuresFirst) {
        CTestHttpServer& server = UpdateServer();
        server.ClearPages();
        auto failures = std::make_shared<std::atomic<int>>(failuresFirst);
        const std::string index = "sourceupdate=" + server.Url("/update.txt") + "\nmore";
        server.SetHandler(CSourceUpdate::INDEX_PATH, [failures, index](const TestHttpRequest&) {
            return failures->fetch_sub(1) > 0 ? TestHttpResponse{503} : TestHttpResponse{200, index};
        });
        server.SetPage("/update.txt", kUpdate, "text/plain");
    }
};

TEST_F(SourcesUpdateTest, UpdateFromTheHostWithRetryThenCancel) {
    // The first read fails: Retry reads again and the merge goes through.
    ServeUpdate(1);
    wxTEST_DIALOG(EXPECT_TRUE(ClickButton(m_page, IDC_UPDATE_SOURCES)),
                  wxExpectModal<CUpdateProgressDlg>(), wxExpectModal<wxMessageDialog>(wxID_OK));
    ASSERT_EQ(m_list->GetItemCount(), 2);
    EXPECT_TRUE(Has("1 Alpha Daily\r\n1 1 Front http://alpha.example/one\r\n0 Delta News\r\n1 1 Top"));
    EXPECT_FALSE(Has("Beta Weekly"));
    EXPECT_EQ(m_count, 2);  // Alpha's remaining category and the custom URL; Delta is not active
    EXPECT_TRUE(m_page->FindWindow(IDC_UPDATE_SOURCES)->IsEnabled());

    // Every read fails: Cancel keeps the catalogue.
    ServeUpdate(1000);
    const std::string before = m_core.DataFile("sources.txt");
    wxTEST_DIALOG(EXPECT_TRUE(ClickButton(m_page, IDC_UPDATE_SOURCES)),
                  wxExpectModal<CUpdateProgressDlg>(), wxExpectModal<wxMessageDialog>(wxID_OK),
                  wxExpectModal<wxMessageDialog>(wxID_CANCEL));
    EXPECT_EQ(m_core.DataFile("sources.txt"), before);
    EXPECT_EQ(m_list->GetItemCount(), 2);
}

TEST_F(SourcesPageTest, UpdateWithoutHostMergesTheInstalledStarterCatalogue) {
    CTempDir res;
    std::filesystem::create_directories(res.File("sources"));
    ASSERT_TRUE(std::ofstream(res.File("sources/starter_update.txt"), std::ios::binary) << kUpdate);
    const char* old = std::getenv("SKIMBOLT_RES_DIR");
    const std::string saved = old ? old : "";
    setenv("SKIMBOLT_RES_DIR", res.Path().c_str(), 1);
    wxTEST_DIALOG(EXPECT_TRUE(ClickButton(m_page, IDC_UPDATE_SOURCES)), wxExpectModal<CUpdateProgressDlg>());
    old ? setenv("SKIMBOLT_RES_DIR", saved.c_str(), 1) : unsetenv("SKIMBOLT_RES_DIR");
    EXPECT_EQ(m_list->GetItemCount(), 2);
    EXPECT_TRUE(Has("0 Delta News\r\n1 1 Top http://delta.example/\r\n0 2 World"));
}

TEST(Screenshots, sheet_sources) {
    std::string catalogue = "1 Morning Courier\r\n";
    int n = 0;
    for (const char* c : {"1 1 Top_Stories", "1 2 World", "0 3 National", "1 4 Sports", "0 5 Business",
                          "0 6 Science_Tech", "0 7 Entertainment", "0 8 Health", "0 9 Politics", "0 10 Weather",
                          "0 11 Opinion", "0 12 Travel", "0 13 Obituaries"})
        catalogue += c + std::string(" http://courier.example/") + std::to_string(++n) + "\r\n";
    CGuiTestCore core(catalogue + "0 Evening Post\r\n0 1 Front http://post.example/\r\n");
    auto* sheet = new CNewsPropSheet(nullptr, core.Core(), "Skimbolt");
    sheet->ShowSourcesPage();
    Photograph("sheet_sources", sheet);
    wxTheApp->ProcessIdle();
}

TEST(Screenshots, warning_207) { Photograph("warning_207", new CEmptySourceWarningDlg(nullptr, "Morning Courier")); }

TEST(Screenshots, update_progress) {
    CGuiTestCore core("");
    const std::unique_ptr<CSourceUpdate> update = core.Core().Config().NewSourceUpdate("");
    Photograph("update_progress", new CUpdateProgressDlg(nullptr, *update));
}

}  // namespace
