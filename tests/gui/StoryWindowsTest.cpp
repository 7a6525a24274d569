// The story windows driven by control id: the story list's commands checked
// against the archive after each one, the properties dialog, the display
// choice and where a viewed story is opened (its own address; around a
// banner its frame page or the article), with a fake browser or none.
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "GuiTestSupport.h"
#include "app/Desktop.h"
#include "res/resource.h"
#include "support/TestHttpServer.h"
#include "ui/base/ContextHelp.h"
#include "ui/base/UnopenedAddressDialog.h"
#include "ui/base/WebBrowser.h"
#include "ui/shell/AboutBox.h"
#include "ui/stories/DisplayChoiceDialog.h"
#include "ui/stories/StoryListView.h"
#include "ui/stories/StoryListWindow.h"
#include "ui/stories/StoryPropertiesDialog.h"
#include "ui/stories/StoryViewer.h"

namespace {

constexpr const char* kSource = "Custom: http://news.example/";

StoryItem MakeStory(const std::string& headline, int state, const std::string& url, std::int32_t tFound = 0) {
    StoryItem story;
    story.key = {kSource, headline};
    story.sourceName = kSource;
    story.url = url;
    story.tFound = tFound;
    story.state = state;
    return story;
}

// A desktop whose default browser (when it has one) only records its URL;
// programs named missing cannot be started.
class CFakeDesktop : public CDesktopSystem {
public:
    explicit CFakeDesktop(const std::string& root) : m_root(root) {
        std::filesystem::create_directories(root + "apps/applications");
        std::ofstream(root + "apps/applications/fake.desktop") << "[Desktop Entry]\nName=Web\nExec=fakeweb %u\n";
    }
    std::string GetEnv(const std::string& name) const override {
        if (name == "XDG_DATA_DIRS") return m_root + "apps";
        return name == "HOME" || name.rfind("XDG_", 0) == 0 ? m_root + "none" : "";
    }
    bool QueryDefaultBrowser(std::string& id) const override {
        id = m_bBrowser ? "fake.desktop" : "";
        return m_bBrowser;
    }
    bool StartProcess(const std::vector<std::string>& argv, std::function<void(int)>) const override {
        if (m_missing.count(argv.front())) return false;
        m_launched.push_back(argv.back());
        return true;
    }
    bool m_bBrowser = true;
    std::set<std::string> m_missing;
    mutable std::vector<std::string> m_launched;  // the URL of each start

private:
    std::string m_root;
};

class StoryWindowsTest : public ::testing::Test {
protected:
    StoryWindowsTest() {
        SetBrowserSystems(m_dde.get(), &m_desktop);
        SetDisplay(BrowserDisplay::NewWindow);
    }
    ~StoryWindowsTest() override {
        if (m_pList) m_pList->Destroy();
        PumpFor(std::chrono::milliseconds(20));
        SetBrowserSystems(nullptr, nullptr);
    }

    void SetDisplay(BrowserDisplay display) {
        SettingsChange change;
        change.display = display;
        EXPECT_TRUE(m_core.Core().Config().Apply(change));
    }
    CStoryDesk& Stories() { return m_core.Core().Stories(); }

    // Stories are found a minute apart, in the order added (the oldest first).
    void AddStory(const std::string& headline, int state, const std::string& description = "") {
        ++m_nStories;
        StoryItem story = MakeStory(headline, state, m_server.Url("/article/" + std::to_string(m_nStories)),
                                    static_cast<std::int32_t>(std::time(nullptr)) - 3600 + 60 * m_nStories);
        story.description = description;
        ASSERT_TRUE(Stories().Add(story));
    }
    int StateOf(const std::string& headline) { return StateIn(kSource, headline); }
    int StateIn(const std::string& source, const std::string& headline) {
        const std::optional<StoryItem> story = Stories().Find({source, headline});
        return story ? story->state : -1;
    }
    // Stories are shown in pages of ours, around a banner, in a pages
    // folder of the test's own; a DDE client that reaches browsers lets the
    // user choose the window.
    void UseBanner() { Stories().SetStoryPages("ads.example", m_dir.File("pages/")); }
    void UseReachingDde() {
        m_dde = std::make_unique<CReachingDde>();
        SetBrowserSystems(m_dde.get(), &m_desktop);
    }
    // The path of the frame page numbered n.
    std::string FramePage(int n) {
        char name[32];
        std::snprintf(name, sizeof name, "temp_%04d.html", n);
        return m_dir.File("pages/") + name;
    }
    CStoryListDlg* OpenList() {
        m_pList = new CStoryListDlg(nullptr, m_core.Core());
        m_pList->Show();
        return m_pList;
    }
    CStoryListCtrl* Rows() { return m_pList->List(); }
    // Rows top to bottom as "headline:image".
    std::string RowsText() {
        std::string text;
        for (long i = 0; i < Rows()->GetRowCount(); ++i)
            text += (text.empty() ? "" : " ") + Rows()->Row(i).headline + ":" + std::to_string(Rows()->Row(i).image);
        return text;
    }
    std::string Counts() {
        std::string text;
        for (int id : {IDC_STORY_COUNT_NEW, IDC_STORY_COUNT_UNREAD, IDC_STORY_COUNT_BOOKMARKED, IDC_STORY_COUNT_READ})
            text += m_pList->FindWindow(id)->GetLabel().utf8_string() + (id == IDC_STORY_COUNT_READ ? "" : "/");
        return text;
    }
    void Select(std::initializer_list<long> rows) {
        Rows()->SelectOnly(-1);
        for (long row : rows) Rows()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    }
    bool Enabled(int id) { return m_pList->FindWindow(id)->IsEnabled(); }
    // Handles events until the fake browser has been started count times.
    const std::vector<std::string>& WaitForLaunches(size_t count) {
        for (int i = 0; i < 400 && m_desktop.m_launched.size() < count; ++i) PumpFor(std::chrono::milliseconds(10));
        return m_desktop.m_launched;
    }

    CGuiTestCore m_core;
    CTestHttpServer m_server;
    CTempDir m_dir;
    CFakeDesktop m_desktop{m_dir.Path()};
    std::unique_ptr<CDdeClient> m_dde = CreateDdeClient();  // this platform's: reaches no browser
    CStoryListDlg* m_pList = nullptr;
    int m_nStories = 0;
};

TEST_F(StoryWindowsTest, FillShowsNewestFirstWithCountsCaptionAndDisabledCommands) {
    OpenList();
    EXPECT_EQ(m_pList->GetTitle(), "Story List");
    EXPECT_EQ(Counts(), "0/0/0/0");
    EXPECT_FALSE(Enabled(IDC_STORY_VIEW) || Enabled(IDC_STORY_DELETE) || Enabled(IDC_STORY_BOOKMARK));

    for (const char* h : {"n1", "n2", "n3", "n4", "n5"}) AddStory(h, STORY_NEW);
    AddStory("u", STORY_UNREAD);
    AddStory("b", STORY_BOOKMARKED);
    AddStory("r", STORY_READ);
    AddStory("hidden", STORY_HIDDEN);
    m_pList->Fill();
    EXPECT_EQ(RowsText(), "r:2 b:3 u:1 n5:0 n4:0 n3:0 n2:0 n1:0");
    EXPECT_EQ(Counts(), "5/1/1/1");
    EXPECT_EQ(m_pList->GetTitle(), "Story List : 5 New stories!");
    EXPECT_EQ(Rows()->GetItemText(0, CStoryListCtrl::COL_FOUND), Rows()->Row(0).date);
    // The first new story is selected, ready for View.
    EXPECT_EQ(Rows()->SelectedRows(), std::vector<long>{3});
    EXPECT_TRUE(Enabled(IDC_STORY_VIEW) && Enabled(IDC_STORY_DELETE) && Enabled(IDC_STORY_BOOKMARK));

    // Hovering a row shows its whole description; a row without one shows none.
    AddStory("described", STORY_NEW, "What the story " + std::string(100, 'x'));
    m_pList->Fill();
    wxWindow* cells = Rows()->CellWindow();
    auto hover = [&](long row) {
        wxRect rect;
        Rows()->GetItemRect(row, rect);
        wxMouseEvent motion(wxEVT_MOTION);
        motion.SetPosition(cells->ScreenToClient(Rows()->ClientToScreen(rect.GetPosition() + wxPoint(20, rect.height / 2))));
        motion.SetEventObject(cells);
        cells->ProcessWindowEvent(motion);
        return cells->GetToolTipText().utf8_string();
    };
    EXPECT_EQ(hover(0), "What the story\n" + std::string(100, 'x'));
    EXPECT_EQ(hover(1), "");
    Rows()->SelectOnly(-1);
    SendCommand(m_pList, ID_STORY_DELETE);  // nothing selected: nothing happens
    EXPECT_EQ(Rows()->GetRowCount(), 9);
    Select({3, 4, 5, 6});
    SendCommand(m_pList, ID_STORY_MARK_READ);
    EXPECT_EQ(m_pList->GetTitle(), "Story List : 3 New stories!");
    EXPECT_EQ(StateOf("n4"), STORY_READ);
}

TEST_F(StoryWindowsTest, DateTextAndTipText) {
    std::tm t{};
    t.tm_year = 2026 - 1900, t.tm_mon = 11, t.tm_mday = 5, t.tm_hour = 13, t.tm_min = 5, t.tm_sec = 47;
    t.tm_isdst = -1;
    // The locale's own formats, without seconds.
    const std::string date = CStoryListCtrl::FormatFoundTime(std::mktime(&t)).utf8_string();
    EXPECT_NE(date.find(":05"), std::string::npos) << date;
    EXPECT_EQ(date.find("47"), std::string::npos) << date;

    // Short descriptions come whole; long ones in lines, cut with "…" only past the limit.
    EXPECT_EQ(CStoryListCtrl::TipText("Caf\xC3\xA9 cr\xC3\xA8me"), wxString::FromUTF8("Caf\xC3\xA9 cr\xC3\xA8me"));
    std::string words;
    while (words.size() + 6 < CStoryListCtrl::MAX_TIP_CHARS) words += "word" + std::to_string(words.size() % 7) + " ";
    words.pop_back();
    const wxString whole = CStoryListCtrl::TipText(words);
    EXPECT_FALSE(whole.EndsWith(wxString::FromUTF8("\u2026")));
    wxString joined = whole;
    joined.Replace("\n", " ");
    EXPECT_EQ(joined.utf8_string(), words);
    for (const wxString& line : wxSplit(whole, '\n')) EXPECT_LE(line.length(), CStoryListCtrl::TIP_LINE_CHARS + 6);
    const wxString cut = CStoryListCtrl::TipText(words + " more words");
    EXPECT_TRUE(cut.EndsWith(wxString::FromUTF8("\u2026")));
    EXPECT_LE(cut.length(), CStoryListCtrl::MAX_TIP_CHARS + 1);
}

TEST_F(StoryWindowsTest, RowsSortByTheirColumnsAndTheKeysWork) {
    const auto now = static_cast<std::int32_t>(std::time(nullptr));
    constexpr const char* kA = "Custom: http://a.example/";
    constexpr const char* kB = "Custom: http://b.example/";
    auto add = [&](const char* source, const char* headline, int state, int age, const char* keywords) {
        StoryItem story = MakeStory(headline, state, m_server.Url("/") + headline, now - age);
        story.key.source = story.sourceName = source;
        story.keywords = keywords;
        ASSERT_TRUE(Stories().Add(story));
    };
    add(kA, "Apples", STORY_READ, 500, "+apple");
    add(kA, "Cherries", STORY_NEW, 100, "+cherry-pie");
    add(kB, "Bananas", STORY_NEW, 300, "+banana");
    add(kB, "Dates", STORY_UNREAD, 50, "+date_palm");
    OpenList();
    // Newest first over both sources, the first new story selected.
    EXPECT_EQ(RowsText(), "Dates:1 Cherries:0 Bananas:0 Apples:2");
    EXPECT_EQ(Rows()->SelectedRows(), std::vector<long>{1});
    EXPECT_EQ(Rows()->GetItemText(1, CStoryListCtrl::COL_SOURCE), kA);
    EXPECT_EQ(Rows()->GetItemText(1, CStoryListCtrl::COL_KEYWORDS), "cherry, not pie");

    auto clickHeader = [&](int column) {
        wxListEvent click(wxEVT_LIST_COL_CLICK, IDC_STORY_LIST);
        click.m_col = column;
        click.SetEventObject(Rows());
        Rows()->ProcessWindowEvent(click);
        return RowsText();
    };
    EXPECT_EQ(clickHeader(CStoryListCtrl::COL_HEADLINE), "Apples:2 Bananas:0 Cherries:0 Dates:1");
    EXPECT_EQ(Rows()->GetSortIndicator(), CStoryListCtrl::COL_HEADLINE);
    EXPECT_TRUE(Rows()->IsAscendingSortIndicator());
    EXPECT_EQ(Rows()->SelectedRows(), std::vector<long>{2});  // Cherries stays selected
    EXPECT_EQ(clickHeader(CStoryListCtrl::COL_HEADLINE), "Dates:1 Cherries:0 Bananas:0 Apples:2");
    // Equal sources keep the order they had.
    EXPECT_EQ(clickHeader(CStoryListCtrl::COL_SOURCE), "Cherries:0 Apples:2 Dates:1 Bananas:0");
    EXPECT_EQ(clickHeader(CStoryListCtrl::COL_KEYWORDS), "Apples:2 Bananas:0 Cherries:0 Dates:1");
    EXPECT_EQ(clickHeader(CStoryListCtrl::COL_FOUND), "Dates:1 Cherries:0 Bananas:0 Apples:2");
    m_pList->Fill();  // a refill keeps the order chosen
    EXPECT_EQ(RowsText(), "Dates:1 Cherries:0 Bananas:0 Apples:2");

    // Keys typed in the rows, with the mouse pointer away.
    const wxSize display = wxGetDisplaySize();
    wxUIActionSimulator().MouseMove(display.x - 2, display.y - 2);
    PumpFor(std::chrono::milliseconds(50));
    auto press = [&](int code) { PressKey(m_pList, Rows()->CellWindow(), code); };
    press(WXK_RETURN);  // views Cherries
    EXPECT_EQ(StateIn(kA, "Cherries"), STORY_READ);
    EXPECT_EQ(WaitForLaunches(1).size(), 1u);
    Select({2});
    press(WXK_DELETE);
    EXPECT_EQ(StateIn(kB, "Bananas"), STORY_HIDDEN);
    EXPECT_EQ(RowsText(), "Dates:1 Cherries:2 Apples:2");
    press(WXK_F1);
    EXPECT_EQ(OpenHelpPopupText(), HelpTextForControl(IDC_STORY_LIST));
    CloseHelpPopup();
    ClickButton(m_pList, IDC_STORY_HELP);
    EXPECT_FALSE(OpenHelpPopupText().empty());
    CloseHelpPopup();
    press(WXK_ESCAPE);
    EXPECT_FALSE(m_pList->IsShown());
}

// Without a banner host the browser gets each story's own address at once:
// no question (no browser here takes a page into its current window, so
// "Always ask" asks nothing), no page written.
TEST_F(StoryWindowsTest, ViewOpensTheStoriesOwnAddressesAndMarksThemRead) {
    SetDisplay(BrowserDisplay::Ask);
    AddStory("bookmarked", STORY_BOOKMARKED);
    AddStory("fresh", STORY_NEW);
    OpenList();
    m_core.Core().SetNewStoriesPending(true);
    Select({0, 1});
    EXPECT_TRUE(Enabled(IDC_STORY_VIEW));
    CNoUnexpectedDialogs noQuestion;
    ClickButton(m_pList, IDC_STORY_VIEW);
    EXPECT_FALSE(m_core.Core().NewStoriesPending());
    EXPECT_EQ(StateOf("fresh"), STORY_READ);
    EXPECT_EQ(StateOf("bookmarked"), STORY_BOOKMARKED);
    EXPECT_EQ(RowsText(), "fresh:2 bookmarked:3");
    EXPECT_EQ(Counts(), "0/0/1/1");
    EXPECT_EQ(m_pList->GetTitle(), "Story List");
    const std::vector<std::string> expected = {m_server.Url("/article/2"), m_server.Url("/article/1")};
    EXPECT_EQ(m_desktop.m_launched, expected);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("pages")));
}

// With no default browser the desktop's opener takes the address; when that
// cannot be started either, a message shows the address to copy (read-only
// text) and the story stays as it was.
class CExpectUnopened : public wxExpectModalBase<CUnopenedAddressDlg> {
public:
    explicit CExpectUnopened(std::string url) : m_url(std::move(url)) {}

protected:
    int OnInvoked(CUnopenedAddressDlg* dlg) const override {
        auto* text = static_cast<wxTextCtrl*>(dlg->FindWindow(IDC_UNOPENED_ADDRESS_TEXT));
        EXPECT_EQ(text->GetValue().utf8_string() + (text->IsEditable() ? " editable" : ""), m_url);
        return wxID_OK;
    }
    std::string m_url;
};

TEST_F(StoryWindowsTest, WithoutABrowserTheOpenerAndThenAMessageWithTheAddress) {
    AddStory("first", STORY_NEW);
    AddStory("second", STORY_UNREAD);
    OpenList();
    m_desktop.m_bBrowser = false;
    Select({1});
    ClickButton(m_pList, IDC_STORY_VIEW);
    EXPECT_EQ(m_desktop.m_launched, std::vector<std::string>{m_server.Url("/article/1")});
    EXPECT_EQ(StateOf("first"), STORY_READ);

    m_desktop.m_missing = {"xdg-open"};
    Select({0});
    wxTEST_DIALOG(ClickButton(m_pList, IDC_STORY_VIEW), CExpectUnopened(m_server.Url("/article/2")));
    EXPECT_EQ(StateOf("second"), STORY_UNREAD);

    // The About box's web address goes the same way.
    CAboutDlg about(nullptr);
    wxTEST_DIALOG(ClickButton(&about, IDC_ABOUT_WEB_ADDRESS), CExpectUnopened(MAKER_WEB_ADDRESS));
}

TEST_F(StoryWindowsTest, BookmarkMarkAsAndDeleteChangeTheArchive) {
    for (const char* h : {"a", "b", "c", "d"}) AddStory(h, STORY_UNREAD);
    OpenList();  // d c b a
    Select({1});
    ClickButton(m_pList, IDC_STORY_BOOKMARK);
    EXPECT_EQ(StateOf("c"), STORY_BOOKMARKED);
    SendCommand(m_pList, ID_STORY_MARK_NEW);
    EXPECT_EQ(StateOf("c"), STORY_NEW);
    EXPECT_EQ(Counts(), "1/3/0/0");

    ClickButton(m_pList, IDC_STORY_DELETE);
    EXPECT_EQ(StateOf("c"), STORY_HIDDEN);
    EXPECT_EQ(RowsText(), "d:1 b:1 a:1");
    EXPECT_EQ(Rows()->SelectedRows(), std::vector<long>{1});  // the row that followed
    Select({1, 2});
    SendCommand(m_pList, ID_STORY_DELETE);  // down to the last row: the one before is selected
    EXPECT_EQ(StateOf("b"), STORY_HIDDEN);
    EXPECT_EQ(StateOf("a"), STORY_HIDDEN);
    EXPECT_EQ(RowsText(), "d:1");
    EXPECT_EQ(Rows()->SelectedRows(), std::vector<long>{0});
    EXPECT_EQ(Counts(), "0/1/0/0");
    m_pList->Fill();  // hidden stories stay away
    EXPECT_EQ(RowsText(), "d:1");
}

TEST_F(StoryWindowsTest, DeleteAllAsksAboutBookmarksFirst) {
    AddStory("keep", STORY_BOOKMARKED);
    AddStory("old", STORY_READ);
    AddStory("other", STORY_NEW);
    OpenList();
    wxTEST_DIALOG(ClickButton(m_pList, IDC_STORY_DELETE_ALL), wxExpectModal<wxMessageDialog>(wxCANCEL));
    EXPECT_EQ(Rows()->GetRowCount(), 3);
    EXPECT_EQ(StateOf("old"), STORY_READ);

    Select({0, 1, 2});  // every row: Delete is Delete All
    wxTEST_DIALOG(ClickButton(m_pList, IDC_STORY_DELETE), wxExpectModal<wxMessageDialog>(wxNO));
    EXPECT_EQ(RowsText(), "keep:3");
    EXPECT_EQ(StateOf("old"), STORY_HIDDEN);
    EXPECT_EQ(StateOf("other"), STORY_HIDDEN);

    wxTEST_DIALOG(ClickButton(m_pList, IDC_STORY_DELETE_ALL), wxExpectModal<wxMessageDialog>(wxYES));
    EXPECT_EQ(Rows()->GetRowCount(), 0);
    EXPECT_EQ(StateOf("keep"), STORY_HIDDEN);
    ClickButton(m_pList, IDC_STORY_DELETE_ALL);  // nothing bookmarked: no question
}

TEST_F(StoryWindowsTest, ClosingHidesTheListAndTurnsNewStoriesUnread) {
    AddStory("one", STORY_NEW);
    AddStory("two", STORY_NEW);
    AddStory("three", STORY_READ);
    OpenList();
    EXPECT_EQ(m_pList->GetTitle(), "Story List : 2 New stories!");
    ClickButton(m_pList, IDC_STORY_DONE);
    EXPECT_FALSE(m_pList->IsShown());
    EXPECT_EQ(StateOf("one"), STORY_UNREAD);
    EXPECT_EQ(StateOf("two"), STORY_UNREAD);
    EXPECT_EQ(StateOf("three"), STORY_READ);
    EXPECT_EQ(RowsText(), "three:2 two:1 one:1");
    EXPECT_EQ(m_pList->GetTitle(), "Story List");
    m_pList->Show();
    m_pList->Close();  // the close box does the same and keeps the window
    EXPECT_FALSE(m_pList->IsShown());
    EXPECT_FALSE(m_pList->IsBeingDeleted());
}

TEST_F(StoryWindowsTest, ResizingStretchesTheListMovesTheButtonsAndRefusesToShrink) {
    OpenList();
    PumpFor(std::chrono::milliseconds(50));
    const wxSize initial = m_pList->GetSize();
    const wxRect list = Rows()->GetRect(), done = m_pList->FindWindow(IDC_STORY_DONE)->GetRect();
    const wxRect del = m_pList->FindWindow(IDC_PROGRAM_MENU)->GetRect();
    const wxSize client = m_pList->GetClientSize();
    const int headline = Rows()->GetColumnWidth(CStoryListCtrl::COL_HEADLINE);

    m_pList->SetSize(initial.x + 100, initial.y + 60);
    PumpFor(std::chrono::milliseconds(50));
    const wxSize grown = m_pList->GetClientSize() - client;
    ASSERT_GT(grown.x, 0);
    EXPECT_EQ(Rows()->GetRect(), wxRect(list.GetPosition(), list.GetSize() + grown));
    EXPECT_EQ(Rows()->GetColumnWidth(CStoryListCtrl::COL_HEADLINE), headline + grown.x);  // the headline takes it
    EXPECT_EQ(m_pList->FindWindow(IDC_STORY_DONE)->GetRect(), wxRect(done.GetPosition() + grown, done.GetSize()));
    EXPECT_EQ(m_pList->FindWindow(IDC_PROGRAM_MENU)->GetRect(),
              wxRect(del.GetPosition() + wxSize(0, grown.y), del.GetSize()));

    m_pList->SetSize(initial.x - 80, initial.y - 50);
    PumpFor(std::chrono::milliseconds(50));
    EXPECT_GE(m_pList->GetSize().x, initial.x);
    EXPECT_GE(m_pList->GetSize().y, initial.y);
}

TEST_F(StoryWindowsTest, PropertiesShowTheStoryAndViewStoryMarksItRead) {
    const std::string longUrl = m_server.Url("/2026/12/05/") + std::string(150, 'u') + ".html";
    StoryItem marked =
        MakeStory("Marked story", STORY_BOOKMARKED, longUrl, static_cast<std::int32_t>(std::time(nullptr)) - 7200);
    marked.description = "What it is about";
    marked.keywords = "+Russia-Putin";
    ASSERT_TRUE(Stories().Add(marked));
    AddStory("Plain read", STORY_READ);
    OpenList();
    Select({1});
    SendCommand(m_pList, ID_STORY_PROPERTIES);
    auto* props = dynamic_cast<CStoryPropDlg*>(wxWindow::FindWindowById(IDD_STORY_PROP));
    ASSERT_NE(props, nullptr);
    auto text = [&](int id) { return static_cast<wxTextCtrl*>(props->FindWindow(id))->GetValue().utf8_string(); };
    EXPECT_EQ(text(IDC_PROP_HEADLINE), "Marked story");
    EXPECT_EQ(text(IDC_PROP_SOURCE), "Custom: http://news.example/");
    EXPECT_EQ(text(IDC_PROP_DESCRIPTION), "What it is about");
    EXPECT_EQ(text(IDC_PROP_URL), longUrl);
    EXPECT_EQ(props->FindWindow(IDC_PROP_URL)->GetToolTipText().utf8_string(), longUrl);
    EXPECT_EQ(text(IDC_PROP_KEYWORDS), "Russia, not Putin");
    EXPECT_EQ(text(IDC_PROP_FOUND), CStoryListCtrl::FormatFoundTime(marked.tFound).utf8_string());
    EXPECT_TRUE(static_cast<wxStaticBitmap*>(props->FindWindow(IDC_PROP_ICON))->GetBitmap().IsOk());

    ClickButton(props, IDC_PROP_VIEW);
    EXPECT_EQ(StateOf("Marked story"), STORY_READ);
    EXPECT_EQ(RowsText(), "Plain read:2 Marked story:2");
    EXPECT_EQ(Counts(), "0/0/0/2");
    EXPECT_EQ(WaitForLaunches(1).size(), 1u);
    PumpFor(std::chrono::milliseconds(20));
    EXPECT_EQ(wxWindow::FindWindowById(IDD_STORY_PROP), nullptr);

    CStoryPropDlg readProps(nullptr, m_core.Core());
    readProps.Fill({kSource, "Plain read"}, m_pList);
    EXPECT_FALSE(static_cast<wxStaticBitmap*>(readProps.FindWindow(IDC_PROP_ICON))->GetBitmap().IsOk());
}

// A story list whose popup menu is answered without a human: the item with
// the label given is chosen, once the menu has been built and its ids checked.
class CAnsweringList : public CStoryListDlg {
public:
    using CStoryListDlg::CStoryListDlg;
    std::string answer;               // label of the item to choose, "" for none
    std::vector<std::string> labels;  // the items of the last menu, submenus' too

protected:
    int TrackStoryMenu(wxMenu& menu, const wxPoint&) override {
        labels.clear();
        int chosen = wxID_NONE;
        std::function<void(wxMenu&)> walk = [&](wxMenu& m) {
            for (wxMenuItem* item : m.GetMenuItems()) {
                if (item->IsSubMenu()) walk(*item->GetSubMenu());
                if (item->IsSeparator() || item->IsSubMenu()) continue;
                EXPECT_LT(item->GetId(), 0x7FFF);
                labels.push_back(item->GetItemLabelText().utf8_string());
                if (labels.back() == answer) chosen = item->GetId();
            }
        };
        walk(menu);
        return chosen;
    }
};

TEST_F(StoryWindowsTest, PopupMenuItemsEachDoTheirCommand) {
    for (const char* h : {"a", "b", "c"}) AddStory(h, STORY_UNREAD);
    auto* list = new CAnsweringList(nullptr, m_core.Core());
    (m_pList = list)->Show();  // c b a
    auto rightClick = [&](const char* answer) {
        list->answer = answer;
        wxListEvent click(wxEVT_LIST_ITEM_RIGHT_CLICK, IDC_STORY_LIST);
        click.SetEventObject(Rows());
        Rows()->ProcessWindowEvent(click);
    };
    rightClick("Bookmark");  // no row selected: no menu
    EXPECT_TRUE(list->labels.empty());
    Select({1});
    rightClick("");
    EXPECT_EQ(list->labels, (std::vector<std::string>{"View", "Bookmark", "New", "Unread", "Read", "Delete",
                                                      "Story Properties", "Source Status..."}));
    rightClick("Bookmark");
    EXPECT_EQ(StateOf("b"), STORY_BOOKMARKED);
    for (auto [label, state] : {std::pair{"New", STORY_NEW}, {"Read", STORY_READ}, {"Unread", STORY_UNREAD}}) {
        rightClick(label);
        EXPECT_EQ(StateOf("b"), state) << label;
    }
    rightClick("View");
    EXPECT_EQ(StateOf("b"), STORY_READ);
    EXPECT_EQ(WaitForLaunches(1).size(), 1u);
    rightClick("Story Properties");
    EXPECT_NE(wxWindow::FindWindowById(IDD_STORY_PROP), nullptr);
    rightClick("Source Status...");
    EXPECT_NE(wxWindow::FindWindowById(IDD_SOURCE_STATUS), nullptr);

    // Shift+F10 in the rows opens the menu at the selected row.
    list->answer = "Delete";
    PressKey(list, Rows()->CellWindow(), WXK_F10, true);
    EXPECT_EQ(StateOf("b"), STORY_HIDDEN);
    EXPECT_EQ(RowsText(), "c:1 a:1");
    for (int id : {IDD_STORY_PROP, IDD_SOURCE_STATUS})
        if (wxWindow* window = wxWindow::FindWindowById(id)) window->Destroy();
}

// Answers the display choice by clicking one of its buttons, the check box set or not.
class CChooseDisplay : public wxExpectModalBase<CDisplayChoiceDlg> {
public:
    CChooseDisplay(int button, bool always) : m_button(button), m_bAlways(always) {}

protected:
    int OnInvoked(CDisplayChoiceDlg* dlg) const override {
        static_cast<wxCheckBox*>(dlg->FindWindow(IDC_DISPLAY_ALWAYS))->SetValue(m_bAlways);
        ClickButton(dlg, m_button);
        return dlg->GetReturnCode();
    }

private:
    int m_button;
    bool m_bAlways;
};

// With a banner host the story is viewed in its frame page, written into
// the pages folder. Where the current window is possible, the question
// comes; Cancel shows nothing and leaves the story as it was.
TEST_F(StoryWindowsTest, BannerPagesAndTheDisplayChoiceWhereBrowsersTakeIt) {
    UseBanner();
    UseReachingDde();
    SetDisplay(BrowserDisplay::Ask);
    AddStory("asked", STORY_NEW);
    OpenList();
    Select({0});
    wxTEST_DIALOG(ClickButton(m_pList, IDC_STORY_VIEW), CChooseDisplay(IDC_DISPLAY_CANCEL, true));
    EXPECT_EQ(StateOf("asked"), STORY_NEW);
    EXPECT_TRUE(Stories().AskWhereToShow());
    EXPECT_TRUE(Stories().ShowInNewWindow());
    EXPECT_TRUE(std::filesystem::exists(FramePage(1)));
    PumpFor(std::chrono::milliseconds(100));  // the framing check has ended meanwhile
    EXPECT_TRUE(m_desktop.m_launched.empty());

    // Current window: no browser answers over DDE, so one is started.
    auto story = [] { return MakeStory("h", STORY_NEW, "mailto:x@example.com"); };  // no web link: nothing to check first
    wxTEST_DIALOG(EXPECT_EQ(ShowStory(m_core.Core(), story(), nullptr), StoryShown::Shown),
                  CChooseDisplay(IDC_DISPLAY_CURRENT, false));
    EXPECT_FALSE(Stories().ShowInNewWindow());
    EXPECT_TRUE(Stories().AskWhereToShow());
    ASSERT_EQ(WaitForLaunches(1).size(), 1u);
    EXPECT_EQ(m_desktop.m_launched[0], "file://" + FramePage(2));

    wxTEST_DIALOG(ShowStory(m_core.Core(), story(), nullptr), CChooseDisplay(IDC_DISPLAY_NEW, true));
    EXPECT_TRUE(Stories().ShowInNewWindow());
    EXPECT_FALSE(Stories().AskWhereToShow());
    ShowStory(m_core.Core(), story(), nullptr);  // not asked again
    EXPECT_EQ(WaitForLaunches(3).size(), 3u);
}

TEST_F(StoryWindowsTest, ArticlesThatRefuseFramesAreOpenedByThemselves) {
    UseBanner();
    m_server.SetResponse("/deny", {200, "<p>x</p>", {{"Content-Type", "text/html"}, {"X-Frame-Options", "DENY"}}});
    m_server.SetResponse("/csp", {200, "<p>x</p>",
                                  {{"Content-Type", "text/html"},
                                   {"Content-Security-Policy", "default-src 'self'; frame-ancestors 'self'"}}});
    m_server.SetPage("/open", "<p>x</p>");
    const std::string closed = "http://127.0.0.1:1/gone";  // nothing listens: the check cannot tell
    const std::vector<std::string> urls = {m_server.Url("/deny"), m_server.Url("/csp"), m_server.Url("/open"), closed};
    for (const std::string& url : urls) {
        StoryItem story = MakeStory(url, STORY_NEW, url);
        story.key.source = story.sourceName = "Custom: " + m_server.Url("/front");  // a page on this machine
        EXPECT_EQ(ShowStory(m_core.Core(), story, nullptr), StoryShown::Shown);
        WaitForLaunches(m_desktop.m_launched.size() + 1);
    }
    // A public page's story never makes the program look at this machine.
    StoryItem fromPublic = MakeStory("public", STORY_NEW, urls[0]);
    fromPublic.key.source = fromPublic.sourceName = "Custom: http://203.0.113.7/news";
    EXPECT_EQ(ShowStory(m_core.Core(), fromPublic, nullptr), StoryShown::Shown);
    WaitForLaunches(m_desktop.m_launched.size() + 1);
    EXPECT_EQ(m_server.RequestCount("/deny"), 1);
    auto frame = [&](int n) { return "file://" + FramePage(n); };
    const std::vector<std::string> expected = {urls[0], urls[1], frame(3), frame(4), frame(5)};
    EXPECT_EQ(m_desktop.m_launched, expected);
}

// The window photographed before this one must be gone from the screen.
void LetEarlierWindowsGo() { PumpFor(std::chrono::milliseconds(200)); }

TEST(Screenshots, story_list) {
    LetEarlierWindowsGo();
    CGuiTestCore core;
    const char* headlines[] = {
        "Senate panel approves budget plan after late-night talks",
        "Storm hits coast, thousands without power as the clean-up begins and officials warn of more rain to come "
        "later this week",
        "Zürich: Bürger stimmen über neues Verkehrskonzept ab — Ergebnis knapp",
        "Scientists find new species in the deep sea",
        "Москва: новый мост через реку откроют весной"};
    const int states[] = {STORY_NEW, STORY_UNREAD, STORY_BOOKMARKED, STORY_READ, STORY_NEW};
    const char* sources[] = {"Custom: http://news.example/", "Custom: https://weather.example/coast"};
    const char* keywords[] = {"+budget", "+storm-snow", "+stock_market"};
    for (int i = 0; i < 5; ++i) {
        StoryItem s = MakeStory(headlines[i], states[i], "http://news.example/a",
                                static_cast<std::int32_t>(std::time(nullptr)) - 3000 + 600 * i);
        s.key.source = s.sourceName = sources[i % 2];
        s.keywords = keywords[i % 3];
        s.description = i == 3 ? "" : "A short description of the story.";
        core.Core().Stories().Add(s);
    }
    auto* list = new CStoryListDlg(nullptr, core.Core());
    list->List()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    Photograph("story_list", list);
}

TEST(Screenshots, story_properties) {
    LetEarlierWindowsGo();
    CGuiTestCore core;
    StoryItem s = MakeStory("Storm hits coast, thousands without power", STORY_NEW,
                            "http://news.example/2026/12/05/storm-hits-coast-thousands-without-power.html?utm_source=rss&utm_medium=feed",
                            static_cast<std::int32_t>(std::time(nullptr)));
    s.key.source = s.sourceName = "Custom: http://news.example/world";
    s.description = "Crews worked through the night to restore power to homes along the coast, where the storm "
                    "brought down lines and flooded roads.";
    s.keywords = "+storm+coast-snow";
    core.Core().Stories().Add(s);
    auto* list = new CStoryListDlg(nullptr, core.Core());
    auto* props = new CStoryPropDlg(nullptr, core.Core());
    props->Fill(s.key, list);
    Photograph("story_properties", props);
    list->Destroy();
}

TEST(Screenshots, display_choice) {
    LetEarlierWindowsGo();
    CGuiTestCore core;
    Photograph("display_choice", new CDisplayChoiceDlg(nullptr, core.Core().Stories()));
}

TEST(Screenshots, unopened_address) {
    LetEarlierWindowsGo();
    Photograph("unopened_address",
               new CUnopenedAddressDlg(nullptr, "https://news.example/2026/12/05/storm-hits-coast.html?ref=rss"));
}

}  // namespace
