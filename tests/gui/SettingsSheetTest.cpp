// The configuration sheet and its Keywords, Options and Connection pages,
// driven by control id; after each action the records of config.txt are
// checked.
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bookctrl.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/spinbutt.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>

#include "GuiTestSupport.h"
#include "app/Desktop.h"
#include "res/resource.h"
#include "support/AppCoreInside.h"
#include "support/RecordingTarget.h"
#include "ui/base/FailureColour.h"
#include "ui/base/FilePrompt.h"
#include "ui/base/WebBrowser.h"
#include "ui/settings/ConnectionPage.h"
#include "ui/base/ContextHelp.h"
#include "ui/settings/KeywordsPage.h"
#include "ui/settings/OptionsPage.h"
#include "ui/settings/SettingsSheet.h"
#include "ui/settings/SourcesPage.h"

namespace {

using std::chrono::milliseconds;

// Pumps until the preview line starts with start; the line as it is then.
wxString WaitForPreview(CKeywordPropDlg* page, const wxString& start) {
    for (int i = 0; i < 200 && !page->PreviewText().StartsWith(start); ++i) PumpFor(std::chrono::milliseconds(20));
    return page->PreviewText();
}

class SheetTest : public testing::Test {
protected:
    SheetTest() {
        // The autostart entry goes to a folder of the test's own.
        setenv("XDG_CONFIG_HOME", m_xdg.Path().c_str(), 1);
    }
    ~SheetTest() override {
        if (m_sheet) {
            m_sheet->Destroy();
            PumpFor(milliseconds(30));  // gone before the core it uses
        }
        unsetenv("XDG_CONFIG_HOME");
        SetBrowserSystems(nullptr, nullptr);
    }
    void Select(wxWindow* page) { Sheet()->GetBookCtrl()->SetSelection(Sheet()->GetBookCtrl()->FindPage(page)); }
    wxWindow* Keywords() { return Sheet()->KeywordsPage(); }
    wxWindow* Options() { return Sheet()->OptionsPage(); }
    wxWindow* Connection() { return Sheet()->ConnectionPage(); }
    CNewsPropSheet* Sheet() {
        if (!m_sheet) m_sheet = new CNewsPropSheet(nullptr, Core(), "Skimbolt");
        return m_sheet;
    }
    CAppCore& Core() { return m_app.Core(); }
    std::string Config() { return m_app.DataFile("config.txt"); }
    bool HasRecord(const std::string& line) { return Config().find(line + "\r\n") != std::string::npos; }
    template <class T> T* Find(int id) { return dynamic_cast<T*>(Sheet()->FindWindow(id)); }
    void Type(int id, const char* text) { Find<wxTextCtrl>(id)->SetValue(wxString::FromUTF8(text)); }
    void LoseFocus(int id) {
        wxFocusEvent event(wxEVT_KILL_FOCUS, id);
        event.SetEventObject(Sheet()->FindWindow(id));
        Sheet()->FindWindow(id)->ProcessWindowEvent(event);
    }
    void Check(int id, bool value) { ClickCheckBox(Sheet(), id, value); }
    void Choose(int id) {
        auto* radio = Find<wxRadioButton>(id);
        radio->SetValue(true);
        wxCommandEvent event(wxEVT_RADIOBUTTON, id);
        event.SetEventObject(radio);
        radio->ProcessWindowEvent(event);
    }
    void SelectRow(long row) {
        auto* list = Find<wxListCtrl>(IDC_KEYWORD_LIST);
        list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        wxListEvent event(wxEVT_LIST_ITEM_SELECTED, IDC_KEYWORD_LIST);
        event.SetEventObject(list);
        event.m_itemIndex = row;
        list->ProcessWindowEvent(event);
    }

    CTempDir m_xdg;
    CRecordingTarget m_window;
    CGuiTestCore m_app;
    CNewsPropSheet* m_sheet = nullptr;
};

TEST_F(SheetTest, StatusPanelSignsAndFirstScanOnHiding) {
    Core().CreateScanner(m_window);
    CNewsPropSheet* sheet = Sheet();
    EXPECT_FALSE(Core().ScannerHeld()) << "the pages released the scanner";

    auto* red = Find<wxStaticBitmap>(IDC_SHEET_NO_SOURCES_ICON);
    auto* green = Find<wxStaticBitmap>(IDC_SHEET_SOURCES_ICON);
    auto* count = Find<wxTextCtrl>(IDC_SHEET_ACTIVE_COUNT);
    sheet->SetActiveSourceCount(0);
    EXPECT_TRUE(red->IsShown());
    EXPECT_FALSE(green->IsShown());
    EXPECT_EQ(count->GetValue(), "0");
    EXPECT_EQ(count->GetFont().GetWeight(), wxFONTWEIGHT_BOLD);
    sheet->SetActiveSourceCount(4);
    EXPECT_FALSE(red->IsShown());
    EXPECT_TRUE(green->IsShown());
    EXPECT_EQ(count->GetValue(), "4");
    EXPECT_NE(count->GetFont().GetWeight(), wxFONTWEIGHT_BOLD);

    // Hiding before any scan pass began starts one; Done hides. The sheet
    // opens with the keyboard in the first word field.
    sheet->Show();
    for (int i = 0; i < 50 && wxWindow::FindFocus() != Find<wxTextCtrl>(IDC_KEYWORD_WORD1); ++i)
        PumpFor(milliseconds(20));
    EXPECT_EQ(wxWindow::FindFocus(), Find<wxTextCtrl>(IDC_KEYWORD_WORD1));
    EXPECT_FALSE(Core().ScanRequested());
    EXPECT_TRUE(ClickButton(sheet, IDC_SHEET_DONE));
    EXPECT_FALSE(sheet->IsShown());
    EXPECT_TRUE(Core().ScanRequested());
    // Esc does what Done does.
    sheet->Show();
    PressKey(Find<wxTextCtrl>(IDC_KEYWORD_WORD1), Find<wxTextCtrl>(IDC_KEYWORD_WORD1), WXK_ESCAPE);
    EXPECT_FALSE(sheet->IsShown());

    CGuiTestCore later;
    later.Core().CreateScanner(m_window);
    later.Core().MarkFirstScanStarted();
    auto* other = new CNewsPropSheet(nullptr, later.Core(), "Skimbolt Properties");
    // The News Sources page's one-second timer runs only while it can be seen.
    other->ShowSourcesPage();
    EXPECT_FALSE(other->SourcesPage()->TimerRunning()) << "hidden";
    other->Show();
    EXPECT_TRUE(other->SourcesPage()->TimerRunning());
    other->ShowKeywordsPage();
    EXPECT_FALSE(other->SourcesPage()->TimerRunning()) << "another page in front";
    other->ShowSourcesPage();
    other->Hide();
    EXPECT_FALSE(other->SourcesPage()->TimerRunning());
    EXPECT_FALSE(later.Core().ScanRequested());
    other->Destroy();
}

TEST(SheetStatusPanel, FailingPagesAreCountedInRedUntilTheyReadWell) {
    CGuiTestCore core("",
                          "B F0000002 Web_Address http://one.example/ x\r\n"
                          "B F0000002 Web_Address http://two.example/ x\r\n"
                          "B F000000D Disabled_Web_Address http://off.example/ x\r\n",
                          "",
                          {PageHealth{"http://one.example/", 1700000000, false, 0, 0, "HTTP status 503"},
                           PageHealth{"http://two.example/", 1700000000, true, 12, 1, ""},
                           PageHealth{"http://off.example/", 1700000000, false, 0, 0, "DNS"}});
    auto* sheet = new CNewsPropSheet(nullptr, core.Core(), "Skimbolt");
    auto find = [&](int id) { return sheet->FindWindow(id); };
    EXPECT_EQ(dynamic_cast<wxTextCtrl*>(find(IDC_SHEET_ACTIVE_COUNT))->GetValue(), "2");
    auto* failing = dynamic_cast<wxStaticText*>(find(IDC_SHEET_FAILING));
    ASSERT_NE(failing, nullptr);
    EXPECT_TRUE(failing->IsShown());
    EXPECT_EQ(failing->GetLabel(), ", 1 failing") << "a page that is not scanned does not count";
    EXPECT_TRUE(find(IDC_SHEET_NO_SOURCES_ICON)->IsShown());
    EXPECT_FALSE(find(IDC_SHEET_SOURCES_ICON)->IsShown());
    EXPECT_GE(ContrastRatio(failing->GetForegroundColour(), failing->GetParent()->GetBackgroundColour()), 4.5);

    // The next refresh after the page read well again turns the panel green.
    CAppCoreInside::Health(core.Core()).Record(PageHealth{"http://one.example/", 1700000600, true, 3, 0, ""});
    sheet->RefreshConnectionStatus();
    EXPECT_FALSE(failing->IsShown());
    EXPECT_FALSE(find(IDC_SHEET_NO_SOURCES_ICON)->IsShown());
    EXPECT_TRUE(find(IDC_SHEET_SOURCES_ICON)->IsShown());
    sheet->Destroy();
    wxTheApp->ProcessIdle();
}

TEST(FailureColour, ReadableRedOnLightAndDarkBackgrounds) {
    EXPECT_NEAR(ContrastRatio(*wxBLACK, *wxWHITE), 21.0, 0.01);
    for (const wxColour& background : {*wxWHITE, wxColour(0xf6, 0xf5, 0xf4), wxColour(0xde, 0xdd, 0xda),
                                       wxColour(0x80, 0x80, 0x80), wxColour(0x35, 0x35, 0x35), *wxBLACK}) {
        const wxColour red = FailureTextColour(background);
        EXPECT_GE(ContrastRatio(red, background), 4.5) << background.GetAsString().utf8_string();
        EXPECT_GT(red.Red(), red.Green()) << "still a red";
    }
}

TEST_F(SheetTest, KeywordGroupsAddApplyRemoveAndRefusals) {
    Sheet();
    Type(IDC_KEYWORD_WORD1, "  apple ");
    Type(IDC_KEYWORD_WORD3, "pie crust");
    EXPECT_TRUE(ClickButton(Sheet(), IDC_KEYWORD_TOGGLE1 + 2));
    EXPECT_TRUE(ClickButton(Sheet(), IDC_KEYWORD_ADD));
    EXPECT_TRUE(HasRecord("B F0000001 Keyword +apple-pie_crust +apple-pie_crust"));
    auto* list = Find<wxListCtrl>(IDC_KEYWORD_LIST);
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->GetItemText(0, 0), "apple");
    EXPECT_EQ(list->GetItemText(0, 1), "pie crust");
    EXPECT_EQ(Find<wxTextCtrl>(IDC_KEYWORD_WORD1)->GetValue(), "");

    // The same group again is refused by the settings (text 136).
    Type(IDC_KEYWORD_WORD1, "apple");
    Type(IDC_KEYWORD_WORD2, "pie crust");
    ClickButton(Sheet(), IDC_KEYWORD_TOGGLE1 + 1);
    ClickButton(Sheet(), IDC_KEYWORD_ADD);
    ASSERT_EQ(m_app.Boxes().shown.size(), 1u);
    EXPECT_EQ(m_app.Boxes().shown[0].first, 136);
    EXPECT_EQ(Find<wxTextCtrl>(IDC_KEYWORD_WORD1)->GetValue(), "apple") << "the editor keeps its words";

    // Changing a stored group: the row fills the editor, Apply replaces it.
    SelectRow(0);
    EXPECT_EQ(Find<wxButton>(IDC_KEYWORD_ADD)->GetLabelText(), "Apply");
    EXPECT_TRUE(Find<wxButton>(IDC_KEYWORD_REMOVE)->IsEnabled());
    EXPECT_TRUE(Sheet()->KeywordsPage()->IsExclude(1));
    Type(IDC_KEYWORD_WORD2, "tart");
    ClickButton(Sheet(), IDC_KEYWORD_ADD);
    EXPECT_TRUE(HasRecord("B F0000001 Keyword +apple-tart +apple-tart"));
    EXPECT_EQ(Config().find("pie_crust"), std::string::npos);
    EXPECT_EQ(Find<wxButton>(IDC_KEYWORD_ADD)->GetLabelText(), "Add");

    // A group longer than a line of config.txt is refused, nothing stored.
    Type(IDC_KEYWORD_WORD1, std::string(300, 'x').c_str());
    wxTEST_DIALOG(ClickButton(Sheet(), IDC_KEYWORD_ADD), wxExpectModal<wxMessageDialog>(wxOK));
    EXPECT_EQ(Config().find("xxxxx"), std::string::npos);
    ClickButton(Sheet(), IDC_KEYWORD_CLEAR);

    SelectRow(0);
    ClickButton(Sheet(), IDC_KEYWORD_REMOVE);
    EXPECT_EQ(Config().find("F0000001"), std::string::npos);
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST_F(SheetTest, HyphenatedWordsStayWholeInTheListAndTheEditor) {
    Sheet();
    Type(IDC_KEYWORD_WORD1, "self-driving");
    Type(IDC_KEYWORD_WORD2, "e-mail");
    ClickButton(Sheet(), IDC_KEYWORD_TOGGLE1 + 1);
    ClickButton(Sheet(), IDC_KEYWORD_ADD);
    EXPECT_TRUE(HasRecord("B F0000001 Keyword \\+self\\-driving-e\\-mail \\+self\\-driving-e\\-mail"));
    auto* list = Find<wxListCtrl>(IDC_KEYWORD_LIST);
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->GetItemText(0, 0), "self-driving");
    EXPECT_EQ(list->GetItemText(0, 1), "e-mail");
    SelectRow(0);
    EXPECT_EQ(Find<wxTextCtrl>(IDC_KEYWORD_WORD1)->GetValue(), "self-driving");
    EXPECT_EQ(Find<wxTextCtrl>(IDC_KEYWORD_WORD2)->GetValue(), "e-mail");

    // A click on the row that is selected already fills the editor again.
    Type(IDC_KEYWORD_WORD1, "changed");
    Type(IDC_KEYWORD_WORD3, "more");
    for (wxWindow* rows : list->GetChildren()) {
        wxMouseEvent click(wxEVT_LEFT_UP);
        click.SetEventObject(rows);
        rows->ProcessWindowEvent(click);
    }
    PumpFor(milliseconds(50));
    EXPECT_EQ(Find<wxTextCtrl>(IDC_KEYWORD_WORD1)->GetValue(), "self-driving");
    EXPECT_EQ(Find<wxTextCtrl>(IDC_KEYWORD_WORD3)->GetValue(), "");
}

TEST_F(SheetTest, LeavingTheKeywordsPageAsksOnlyAfterAnEdit) {
    Sheet();
    Type(IDC_KEYWORD_WORD1, "storm");
    wxTEST_DIALOG(Select(Options()), wxExpectModal<wxMessageDialog>(wxNO).Describe("Accept Changes?"));
    EXPECT_EQ(Config().find("F0000001"), std::string::npos);
    EXPECT_EQ(Find<wxTextCtrl>(IDC_KEYWORD_WORD1)->GetValue(), "") << "No drops the words";

    Select(Keywords());
    Type(IDC_KEYWORD_WORD1, "storm");
    wxTEST_DIALOG(Select(Connection()), wxExpectModal<wxMessageDialog>(wxYES));
    EXPECT_TRUE(HasRecord("B F0000001 Keyword +storm +storm"));
}

TEST_F(SheetTest, EditedGroupShowsTheRecentStoriesItWouldMatch) {
    AddRecentStory(Core(), "Storm hits the coast", "", 3600);
    AddRecentStory(Core(), "Storms ahead for markets", "Football results delayed", 7200);
    AddRecentStory(Core(), "Quiet weekend", "No storm this time", 600);
    AddRecentStory(Core(), "Old storm", "", 3 * 86400);
    CKeywordPropDlg* page = Sheet()->KeywordsPage();
    auto waitFor = [&](const wxString& start) { return WaitForPreview(page, start); };
    Type(IDC_KEYWORD_WORD1, "storm");
    wxString text = waitFor("3 stories");
    EXPECT_TRUE(text.StartsWith("3 stories of the last 48 hours")) << text;
    EXPECT_NE(text.Find("Quiet weekend"), wxNOT_FOUND) << "the newest first";
    EXPECT_EQ(text.Find("Old storm"), wxNOT_FOUND);

    // An EXCLUDE word in the description vetoes the headline.
    Type(IDC_KEYWORD_WORD2, "football");
    ClickButton(Sheet(), IDC_KEYWORD_TOGGLE1 + 1);
    text = waitFor("2 stories");
    EXPECT_TRUE(text.StartsWith("2 stories")) << text;
    EXPECT_EQ(text.Find("markets"), wxNOT_FOUND);
    ClickButton(Sheet(), IDC_KEYWORD_CLEAR);
    EXPECT_EQ(page->PreviewText(), "");
}

class CFixedPrompt : public CFilePrompt {
public:
    explicit CFixedPrompt(std::string path) : m_path(std::move(path)) {}
    bool ChooseSoundFile(wxWindow*, const wxString&, wxString& chosen) override {
        chosen = wxString::FromUTF8(m_path);
        return true;
    }
    std::string m_path;
};

// A poll period under a minute or a sound file gone from the disk, as a
// hand-edited config.txt may hold them, stay as stored: no box at start-up
// (it would stop the program there), nothing rewritten on leaving the page.
TEST(SheetStoredValues, ValuesThePageCannotShowAreKeptWithoutAQuestion) {
    CTempDir sounds;
    const std::string gone = sounds.File("gone.oga");
    CGuiTestCore app("", "D F0000003 Poll_Period 30 30\r\nD F0000008 Stories_Have_Sound 1 1\r\n"
                             "B F0000009 Sound_File " + gone + " " + gone + "\r\n");
    ASSERT_EQ(app.Core().Config().Snapshot().pollSeconds, 30);
    const std::string before = app.DataFile("config.txt");
    auto* sheet = new CNewsPropSheet(nullptr, app.Core(), "Skimbolt");
    wxBookCtrlBase* book = sheet->GetBookCtrl();
    book->SetSelection(book->FindPage(sheet->OptionsPage()));
    book->SetSelection(book->FindPage(sheet->ConnectionPage()));
    EXPECT_EQ(app.DataFile("config.txt"), before);
    sheet->Destroy();
    PumpFor(milliseconds(30));
}

// Where no browser takes a page into its current window (this platform),
// the display choice is off, shows what happens (a new window) and says
// why; the stored choice is left as it was.
TEST_F(SheetTest, DisplayChoiceIsOffWhereBrowsersCannotUseTheirCurrentWindow) {
    SettingsChange ask;
    ask.display = BrowserDisplay::Ask;
    ASSERT_TRUE(Core().Config().Apply(ask));
    Select(Options());
    for (int id : {IDC_OPTIONS_DISPLAY_NEW, IDC_OPTIONS_DISPLAY_CURRENT, IDC_OPTIONS_DISPLAY_ASK})
        EXPECT_FALSE(Find<wxRadioButton>(id)->IsEnabled()) << id;
    EXPECT_TRUE(Find<wxRadioButton>(IDC_OPTIONS_DISPLAY_NEW)->GetValue());
    auto* note = Find<wxStaticText>(IDC_OPTIONS_DISPLAY_NOTE);
    EXPECT_TRUE(note && note->GetLabel().Contains("current window"));
    Choose(IDC_OPTIONS_FLASH_TRAY);  // another control reads the page back
    EXPECT_TRUE(HasRecord("D F0000016 Browser_Display_Ask 1 1"));
}

TEST_F(SheetTest, OptionsWriteTheirSettingsAtOnce) {
    static CReachingDde dde;  // the choice is on where browsers take it
    static const CDesktopSystem desktop;
    SetBrowserSystems(&dde, &desktop);
    EXPECT_EQ(Find<wxStaticText>(IDC_OPTIONS_DISPLAY_NOTE), nullptr);
    int rearmed = 0;
    Sheet()->SetPollPeriodChangedHook([&] { ++rearmed; });
    Select(Options());

    Choose(IDC_OPTIONS_FLASH_TRAY);
    EXPECT_TRUE(HasRecord("D F0000007 Auto_Story_Pop-up 0 1"));
    Choose(IDC_OPTIONS_EXTENSIVE);
    EXPECT_TRUE(HasRecord("D F0000005 Check_Only_Title 0 1"));
    EXPECT_TRUE(HasRecord("D F0000004 Title_Contains_Keyword 0 1"));
    Choose(IDC_OPTIONS_STANDARD);
    EXPECT_TRUE(HasRecord("D F0000004 Title_Contains_Keyword 1 1"));
    Choose(IDC_OPTIONS_DISPLAY_CURRENT);
    EXPECT_TRUE(HasRecord("D F0000017 Browser_Display_New 0 1"));
    EXPECT_TRUE(HasRecord("D F0000016 Browser_Display_Ask 0 1"));
    Choose(IDC_OPTIONS_DISPLAY_ASK);
    EXPECT_TRUE(HasRecord("D F0000016 Browser_Display_Ask 1 1"));
    EXPECT_TRUE(HasRecord("D F0000017 Browser_Display_New 0 1")) << "Always ask keeps the window choice";
    Check(IDC_OPTIONS_BREAKING_NEWS, true);
    EXPECT_TRUE(HasRecord("D F000000A Ignore_Initial_Stories 1 0"));

    // The poll period: stored in seconds, the watchdog re-armed only on a change.
    Type(IDC_OPTIONS_POLL_MINUTES, "10");
    LoseFocus(IDC_OPTIONS_POLL_MINUTES);
    EXPECT_EQ(rearmed, 0);
    Type(IDC_OPTIONS_POLL_MINUTES, "7");
    LoseFocus(IDC_OPTIONS_POLL_MINUTES);
    EXPECT_TRUE(HasRecord("D F0000003 Poll_Period 420 420"));
    EXPECT_EQ(rearmed, 1);
    Type(IDC_OPTIONS_POLL_MINUTES, "07");  // typed anew, the same period
    LoseFocus(IDC_OPTIONS_POLL_MINUTES);
    EXPECT_EQ(rearmed, 1);
    Type(IDC_OPTIONS_POLL_MINUTES, "241");
    wxTEST_DIALOG(LoseFocus(IDC_OPTIONS_POLL_MINUTES),
                  wxExpectModal<wxMessageDialog>(wxOK).Describe("Please enter an integer between 5 and 240."));
    EXPECT_TRUE(HasRecord("D F0000003 Poll_Period 420 420"));
    EXPECT_EQ(Find<wxTextCtrl>(IDC_OPTIONS_POLL_MINUTES)->GetValue(), "07") << "the refused period is taken back";
    // The spin arrows store as typing does.
    wxSpinEvent spin(wxEVT_SPIN, IDC_OPTIONS_POLL_SPIN);
    spin.SetPosition(12);
    spin.SetEventObject(Sheet()->FindWindow(IDC_OPTIONS_POLL_SPIN));
    Sheet()->FindWindow(IDC_OPTIONS_POLL_SPIN)->ProcessWindowEvent(spin);
    EXPECT_TRUE(HasRecord("D F0000003 Poll_Period 720 720"));
    EXPECT_EQ(rearmed, 2);

    // The sound file: chosen, stored with '|' for spaces; a missing one refused.
    CTempDir sounds;
    const std::string path = sounds.File("my ding.wav");
    std::ofstream(path) << "RIFF";
    Check(IDC_OPTIONS_PLAY_SOUND, true);
    EXPECT_TRUE(Find<wxButton>(IDC_OPTIONS_BROWSE)->IsEnabled());
    Sheet()->OptionsPage()->SetFilePrompt(std::make_unique<CFixedPrompt>(path));
    ClickButton(Sheet(), IDC_OPTIONS_BROWSE);
    std::string stored = path;
    std::replace(stored.begin(), stored.end(), ' ', '|');
    EXPECT_TRUE(HasRecord("B F0000009 Sound_File " + stored + " " + stored));
    EXPECT_EQ(Find<wxTextCtrl>(IDC_OPTIONS_SOUND_FILE)->GetToolTipText(), wxString::FromUTF8(path))
        << "the whole path, which the field may cut";
    Type(IDC_OPTIONS_SOUND_FILE, (sounds.Path() + "gone.wav").c_str());
    wxTEST_DIALOG(LoseFocus(IDC_OPTIONS_SOUND_FILE),
                  wxExpectModal<wxMessageDialog>(wxOK).Describe("Wave file does not exist!"));
    EXPECT_TRUE(HasRecord("B F0000009 Sound_File " + stored + " " + stored));
    // No sound device here: the test button returns at once, and reports
    // text 137 when the player has given up.
    auto play = [this] {
        const auto before = std::chrono::steady_clock::now();
        ClickButton(Sheet(), IDC_OPTIONS_PLAY);
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
        for (int i = 0; i < 200 && !Find<wxButton>(IDC_OPTIONS_PLAY)->IsEnabled(); ++i)
            PumpFor(std::chrono::milliseconds(20));
    };
    wxTEST_DIALOG(play(), wxExpectModal<wxMessageDialog>(wxOK).Describe("Was unable to play an audio sound."));
    Check(IDC_OPTIONS_PLAY_SOUND, false);
    EXPECT_FALSE(Find<wxButton>(IDC_OPTIONS_PLAY)->IsEnabled());
    EXPECT_TRUE(HasRecord("D F0000008 Stories_Have_Sound 0 1"));

    // Notifications: a record only once turned off; Restore Defaults drops it.
    EXPECT_EQ(Config().find("Show_Notifications"), std::string::npos);
    EXPECT_TRUE(Find<wxCheckBox>(IDC_OPTIONS_NOTIFICATIONS)->GetValue());
    Check(IDC_OPTIONS_NOTIFICATIONS, false);
    EXPECT_TRUE(HasRecord("D F0000020 Show_Notifications 0 1"));
    EXPECT_FALSE(Core().Config().Snapshot().showNotifications);
    ClickButton(Sheet(), IDC_OPTIONS_RESTORE_DEFAULTS);
    EXPECT_EQ(Config().find("Show_Notifications"), std::string::npos);
    EXPECT_TRUE(Find<wxCheckBox>(IDC_OPTIONS_NOTIFICATIONS)->GetValue());
    EXPECT_TRUE(Find<wxRadioButton>(IDC_OPTIONS_QUICKSCAN)->GetValue());
    EXPECT_EQ(Find<wxTextCtrl>(IDC_OPTIONS_POLL_MINUTES)->GetValue(), "10");
    EXPECT_EQ(rearmed, 3);
}

TEST_F(SheetTest, AutostartEntryIsWrittenAndOnlyOursRemoved) {
    Select(Options());
    const std::string entry = m_xdg.Path() + "autostart/skimbolt.desktop";
    Check(IDC_OPTIONS_AUTOSTART, true);
    std::ifstream written(entry);
    const std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    // At log-in: no splash, and this test's own folder, not the default one.
    std::string home = Core().GetAppDir();
    home.pop_back();
    EXPECT_NE(text.find("\" \"--no-splash\" \"--home\" \"" + home + "\"\n"), std::string::npos) << text;
    EXPECT_EQ(Core().Config().Autostart(), AutostartSetting::Ours);
    // An entry of ours from an older start is written anew at start.
    std::ofstream(entry) << "[Desktop Entry]\nExec=/old/skimbolt\nX-Skimbolt-Autostart=true\n";
    Core().Config().RefreshAutostart("/usr/bin/skimbolt");
    std::ifstream rewritten(entry);
    const std::string now((std::istreambuf_iterator<char>(rewritten)), std::istreambuf_iterator<char>());
    EXPECT_NE(now.find("Exec=\"/usr/bin/skimbolt\" \"--no-splash\""), std::string::npos) << now;
    Check(IDC_OPTIONS_AUTOSTART, false);
    EXPECT_FALSE(std::ifstream(entry).good());

    // Someone else's entry of that name is left alone.
    std::ofstream(entry) << "[Desktop Entry]\nExec=skimbolt --home /elsewhere\n";
    std::string error;
    EXPECT_FALSE(Core().Config().SetAutostart(false, "/usr/bin/skimbolt", error));
    EXPECT_TRUE(std::ifstream(entry).good());
    Select(Connection());
    Select(Options());
    EXPECT_FALSE(Find<wxCheckBox>(IDC_OPTIONS_AUTOSTART)->IsEnabled());
}

TEST_F(SheetTest, ConnectionPageStoresProxyFieldsAndRefusesWhatWouldNotReadBack) {
    Select(Connection());
    EXPECT_FALSE(Find<wxTextCtrl>(IDC_PROXY_SERVER)->IsEnabled());
    Check(IDC_USE_PROXY, true);
    EXPECT_TRUE(HasRecord("D F0000012 Use_Proxy 1 0"));
    EXPECT_TRUE(Find<wxTextCtrl>(IDC_PROXY_SERVER)->IsEnabled());

    Type(IDC_PROXY_SERVER, "proxy.example");
    LoseFocus(IDC_PROXY_SERVER);
    EXPECT_TRUE(HasRecord("B F000000E Proxy_Server_Name proxy.example proxy.example"));
    Type(IDC_PROXY_USER, "jo smith");
    wxTEST_DIALOG(LoseFocus(IDC_PROXY_USER), wxExpectModal<wxMessageDialog>(wxOK));
    EXPECT_TRUE(HasRecord("C F0000010 Proxy_User_Name . ."));

    Type(IDC_PROXY_PORT, "80a");
    wxTEST_DIALOG(LoseFocus(IDC_PROXY_PORT),
                  wxExpectModal<wxMessageDialog>(wxOK).Describe("Please enter an integer."));
    Type(IDC_PROXY_PORT, "70000");
    wxTEST_DIALOG(LoseFocus(IDC_PROXY_PORT), wxExpectModal<wxMessageDialog>(wxOK));
    EXPECT_TRUE(HasRecord("D F000000F Proxy_Port_Num 80 80"));
    Type(IDC_PROXY_PORT, "8080");
    LoseFocus(IDC_PROXY_PORT);
    EXPECT_TRUE(HasRecord("D F000000F Proxy_Port_Num 8080 8080"));

    // Unchecking keeps the values; the status follows the probe.
    Check(IDC_USE_PROXY, false);
    EXPECT_TRUE(HasRecord("D F0000012 Use_Proxy 0 0"));
    EXPECT_TRUE(HasRecord("D F000000F Proxy_Port_Num 8080 8080"));
    Type(IDC_PROXY_PORT, "x");
    Core().Config().SetConnectionStandIn([] { return ConnectionState::Disconnected; });
    Sheet()->RefreshConnectionStatus();
    EXPECT_EQ(Sheet()->ConnectionPage()->GetStatusText(), "You are currently disconnected from the Internet.");
    EXPECT_EQ(Find<wxTextCtrl>(IDC_PROXY_PORT)->GetValue(), "8080");
    Core().Config().SetConnectionStandIn([] { return ConnectionState::Connected; });
    Sheet()->RefreshConnectionStatus();
    EXPECT_EQ(Sheet()->ConnectionPage()->GetStatusText(), "You are currently connected to a network.");
    Core().Config().SetConnectionStandIn([] { return ConnectionState::Unknown; });
    Sheet()->RefreshConnectionStatus();
    EXPECT_EQ(Sheet()->ConnectionPage()->GetStatusText().find("out of date"), std::string::npos);
    EXPECT_GT(Find<wxTextCtrl>(IDC_PROXY_PASSWORD)->GetSize().x, 2 * Find<wxTextCtrl>(IDC_PROXY_PORT)->GetSize().x);
}

TEST_F(SheetTest, ContextHelpFindsEachControlsTopic) {
    // Every topic has a text in the help file.
    for (int id = 1; id < 1200; ++id) {
        const std::uint32_t topic = HelpTopicForControl(id);
        if (topic) {
            EXPECT_FALSE(ProgramHelpFile().Topic(topic).empty()) << "control " << id;
        }
    }

    CNewsPropSheet* sheet = Sheet();
    sheet->Show();
    for (int i = 0; i < 100 && !sheet->IsShownOnScreen(); ++i) PumpFor(milliseconds(20));
    PumpFor(milliseconds(100));
    auto centre = [&](int id) { return sheet->FindWindow(id)->GetScreenRect().GetPosition() + wxPoint(3, 3); };
    EXPECT_EQ(sheet->FindHelpControlAt(centre(IDC_KEYWORD_WORD4)), IDC_KEYWORD_WORD4);
    EXPECT_EQ(sheet->FindHelpControlAt(centre(IDC_KEYWORD_TOGGLE1 + 5)), IDC_KEYWORD_TOGGLE1 + 5);
    EXPECT_EQ(sheet->FindHelpControlAt(centre(IDC_SHEET_ACTIVE_LABEL)), IDC_SHEET_ACTIVE_COUNT);
    EXPECT_EQ(sheet->FindHelpControlAt(centre(IDC_SHEET_DONE)), 1);
    sheet->ShowContextHelpAt(centre(IDC_KEYWORD_WORD4));
    EXPECT_EQ(OpenHelpPopupText(), ProgramHelpFile().Topic(0x808C03ED));
    CloseHelpPopup();
    EXPECT_EQ(OpenHelpPopupText(), "");

    // Every control of the News Sources page, which lies inside the page
    // (whose own id is among those looked up), finds its own topic.
    sheet->ShowSourcesPage();
    PumpFor(milliseconds(100));
    for (int id : {IDC_SOURCE_LIST, IDC_CATEGORY_BOXES[0], IDC_CATEGORY_BOXES[3], IDC_CATEGORY_GROUP,
                   IDC_CATEGORY_SELECT_ALL, IDC_CATEGORY_CLEAR, IDC_CUSTOM_URL, IDC_UPDATE_SOURCES}) {
        ASSERT_TRUE(sheet->FindWindow(id) && sheet->FindWindow(id)->IsShownOnScreen()) << id;
        const int found = sheet->FindHelpControlAt(centre(id));
        EXPECT_EQ(HelpTopicForControl(found), HelpTopicForControl(id)) << id << " found " << found;
    }
    EXPECT_EQ(HelpTopicForControl(IDC_CATEGORY_BOXES[12]), HelpTopicForControl(IDC_CATEGORY_GROUP));
}

// The sheet showing one page, drawn for review.
void PhotographSheet(const char* name, int pageIndex) {
    // One of the two pages failed at its last read: the status panel says so.
    CGuiTestCore app({PageHealth{"http://news.example/", 1700000000, false, 0, 0, "HTTP status 503"},
                      PageHealth{"http://blog.example/", 1700000000, true, 8, 2, ""}});
    app.Core().Config().AddCustomUrl("http://news.example/");
    app.Core().Config().AddCustomUrl("http://blog.example/");
    app.Core().Config().AddKeywordGroup("+stock market+crash-football");
    app.Core().Config().AddKeywordGroup("\\+self\\-driving-e\\-mail");
    app.Core().Config().AddKeywordGroup("+storm");
    AddRecentStory(app.Core(), "Storm warning for the north coast tonight", "", 600);
    AddRecentStory(app.Core(), "Storms ahead for markets & bonds", "", 1200);
    auto* sheet = new CNewsPropSheet(nullptr, app.Core(), "Skimbolt");
    if (pageIndex == 0) {
        static_cast<wxTextCtrl*>(sheet->FindWindow(IDC_KEYWORD_WORD1))->SetValue("storm");
        WaitForPreview(sheet->KeywordsPage(), "2 stories");
    }
    wxWindow* pages[] = {sheet->KeywordsPage(), sheet->OptionsPage(), sheet->ConnectionPage()};
    sheet->GetBookCtrl()->SetSelection(sheet->GetBookCtrl()->FindPage(pages[pageIndex]));
    Photograph(name, sheet);
}

TEST(Screenshots, sheet_keywords) { PhotographSheet("sheet_keywords", 0); }
TEST(Screenshots, sheet_options) { PhotographSheet("sheet_options", 1); }
TEST(Screenshots, sheet_connection) { PhotographSheet("sheet_connection", 2); }

}  // namespace
