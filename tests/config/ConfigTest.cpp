// The configuration files: config.txt records, the settings kept in them
// (defaults, keyword groups, URL lists, values and flags) and the
// news source catalogue in sources.txt with its updates.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/FileUtil.h"
#include "config/ConfigStore.h"
#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"
#include "support/DiagnosticCapture.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"

using namespace std::string_literals;

namespace {

std::string ReadText(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

void WriteText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFileAtomically(path, text, 0644);
}

unsigned FileMode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

// Lines of the file at path that contain part.
int CountLinesWith(const std::string& path, const std::string& part) {
    std::istringstream in(ReadText(path));
    int n = 0;
    for (std::string line; std::getline(in, line);) n += line.find(part) != std::string::npos;
    return n;
}

// Runs an enumeration call until it returns false, collecting every value it
// delivered (the last one comes with the false result). Stops after 100 calls.
template <typename Next>
std::vector<std::string> Drain(Next next) {
    std::vector<std::string> out;
    std::string value;
    for (bool more = true; more && out.size() < 100;) {
        more = next(value);
        out.push_back(value);
    }
    return out;
}

struct StoreFixture : ::testing::Test {
    CTempDir dir;
    CConfigStore store;
    std::string path = dir.File("Data/config.txt");
    void SetUp() override { store.SetFileName(dir.Path()); }
};

}  // namespace

TEST(ConfigLine, ParsesRecordsAndFormatsThemExactly) {
    // Each line is read and written back; null: not a record.
    const struct { const char* in; const char* out; } cases[] = {
        {"D F0000003 Poll_Period 600 300", "D F0000003 Poll_Period 600 300\r\n"},
        {"D F0000012 Use_Proxy -1 0", "D F0000012 Use_Proxy -1 0\r\n"},
        {"B F0000009 Sound_File  ", "B F0000009 Sound_File  \r\n"},
        {"C f000000e Proxy_Server_Name host", "C F000000E Proxy_Server_Name host \r\n"},  // lower-case hex, one value
        {"D F0000003 Poll_Period ten 12x", "D F0000003 Poll_Period 0 12\r\n"},            // no numbers
        {"D F0000003 Poll_Period 99999999999 -99999999999", "D F0000003 Poll_Period 2147483647 -2147483648\r\n"},
        {"E 00000001 Ratio 1.5 -2", "E 00000001 Ratio 1.500000 -2.000000\r\n"},
        {"F 00ABCDEF Scale 0.1 1e20", "F 00ABCDEF Scale 0.1 1e+20\r\n"},
        {"", nullptr}, {" D F0000003 Poll_Period 1 1", nullptr}, {"G F0000003 Poll_Period 1 1", nullptr},
        {"d F0000003 Poll_Period 1 1", nullptr}, {"D F0000003", nullptr}, {"D F00G0003 Poll_Period 1 1", nullptr},
        {"D 1F0000003 Poll_Period 1 1", nullptr}, {"D 0xF00003 Poll_Period 1 1", nullptr},
    };
    for (const auto& c : cases) {
        CConfigItem item;
        ASSERT_EQ(ParseConfigLine(c.in, item), c.out != nullptr) << c.in;
        if (c.out) {
            EXPECT_EQ(FormatConfigLine(item), c.out) << c.in;
        }
    }
}

TEST_F(StoreFixture, EveryLoadAndSaveReversesTheRecordOrderAndDamagedLinesAreSkipped) {
    const std::string l1 = "D 00000001 One 1 1\r\n", l2 = "B 00000002 Two a b\r\n", l3 = "C 00000003 Three c d\r\n";
    WriteText(path, l1 + l2 + l3);
    for (const std::string& expected : {l3 + l2 + l1, l1 + l2 + l3}) {
        ASSERT_EQ(store.Load(), 1);
        EXPECT_EQ(store.GetCount(), 3) << "a load replaces the records";
        ASSERT_TRUE(store.Save());
        EXPECT_EQ(ReadText(path), expected);
    }

    // Damaged lines are skipped; the part of a line beyond 599 characters looks like a record of its own.
    const std::string value(599 - std::string("B 00000005 Long ").size(), 'v');
    WriteText(path, "D 00000001 One 1 1\n\r\n# comment\nD F00G0001 Bad 1 1\r\nB 00000002 Two a\n"
                    "C 00000003 Three c d\0junk\r\n"s +
                        "B 00000005 Long " + value + "D 00000006 Injected 7 7\r\n" + "D 00000004");
    ASSERT_EQ(store.Load(), 1);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadText(path), "B 00000005 Long " + value + " \r\nC 00000003 Three c d\r\n" +
                                  "B 00000002 Two a \r\nD 00000001 One 1 1\r\n");
}

TEST_F(StoreFixture, AddItemRefusesDuplicatesAndRemoveAllAlwaysSaves) {
    store.SetAutoSave();
    EXPECT_TRUE(store.AddInteger(3, "Poll_Period", 600, 600));
    std::filesystem::remove(path);
    EXPECT_FALSE(store.AddInteger(3, "Poll_Period", 600, 1)) << "same first value";
    EXPECT_FALSE(FileExists(path)) << "a refused record does not rewrite the file";
    EXPECT_FALSE(store.RemoveAll(99));
    EXPECT_EQ(ReadText(path), "D 00000003 Poll_Period 600 600\r\n") << "saved though nothing was removed";

    EXPECT_TRUE(store.AddInteger(3, "Poll_Period", 300, 300));
    EXPECT_TRUE(store.AddString(3, "Poll_Period", "600", "600")) << "other type";
    EXPECT_TRUE(store.AddPlainString(3, "Poll_Period", "600", "600")) << "types 1 and 2 differ";
    EXPECT_TRUE(store.AddInteger(4, "Other", 600, 600)) << "other identifier";
    EXPECT_FALSE(store.AddString(3, "Poll_Period", "600", "x"));
    EXPECT_TRUE(store.AddString(3, "Poll_Period", "600 ", "x")) << "strings compare exactly";
    EXPECT_FALSE(store.AddItem(CConfigItem(5, "Bad", 9))) << "unknown record type";
    EXPECT_EQ(store.GetCount(), 6);
}

TEST_F(StoreFixture, SavingMakesTheFileOwnerOnlyAndAFailedSaveKeepsTheRecords) {
    WriteText(path, "D 00000001 One 1 1\r\n");
    ::chmod(path.c_str(), 0644);
    ASSERT_EQ(store.Load(), 1);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(FileMode(path), 0600u);

    WriteText(dir.File("app"), "not a folder");  // no Data folder can exist below a file
    store.SetFileName(dir.File("app"));
    EXPECT_NE(DiagnosticsOf([&] { EXPECT_FALSE(store.Save()); }).find("config.txt"), std::string::npos);
    std::int32_t n = 0;
    EXPECT_FALSE(store.GetInteger(1, n));
    EXPECT_EQ(n, 1);
}

namespace {

// The fourteen default records as the first start writes them (newest first).
const char* const kDefaultsWithoutSound =
    "D F0000017 Browser_Display_New 1 1\r\nD F0000016 Browser_Display_Ask 1 1\r\n"
    "D F000000F Proxy_Port_Num 80 80\r\nC F0000011 Proxy_User_Password . .\r\n"
    "C F0000010 Proxy_User_Name . .\r\nC F000000E Proxy_Server_Name . .\r\n"
    "D F0000012 Use_Proxy 0 0\r\nB F0000009 Sound_File  \r\n"
    "D F0000008 Stories_Have_Sound 0 0\r\nD F0000007 Auto_Story_Pop-up 1 1\r\n"
    "D F000000A Ignore_Initial_Stories 0 0\r\nD F0000005 Check_Only_Title 1 1\r\n"
    "D F0000004 Title_Contains_Keyword 1 1\r\nD F0000003 Poll_Period 600 600\r\n";

struct SettingsFixture : ::testing::Test {
    CTempDir dir;
    CRecordingMessageBoxes boxes;
    std::string path = dir.File("Data/config.txt");
    std::unique_ptr<CNewsSettings> s = Open();

    // A settings object reading config.txt, as a start of the program does.
    std::unique_ptr<CNewsSettings> Open(const std::string& defaultSound = "") {
        auto settings = std::make_unique<CNewsSettings>(&boxes);
        settings->SetDefaultSoundLookup([defaultSound] { return defaultSound; });
        settings->SetFileName(dir.Path());
        settings->SetAutoSave();
        settings->Load();
        return settings;
    }
    std::vector<std::string> Keywords(CNewsSettings& settings) {
        return Drain([&](std::string& v) { return settings.GetNextKeyword(v); });
    }
    // The file holds one record of the line's type and identifier: that line.
    void ExpectOnly(const std::string& line) {
        EXPECT_EQ(CountLinesWith(path, line.substr(0, 11)), 1) << line;
        EXPECT_EQ(CountLinesWith(path, line + "\r"), 1) << line;
    }
    // Adds a group and returns the message ids it showed.
    std::vector<int> AddKeyword(const std::string& group, bool added) {
        boxes.shown.clear();
        EXPECT_EQ(s->AddKeyword(group), added) << group;
        std::vector<int> ids;
        for (const auto& shown : boxes.shown) ids.push_back(shown.first);
        return ids;
    }
};

}  // namespace

TEST_F(SettingsFixture, DefaultsAreWrittenOwnerOnlyAtTheFirstStartOnlyAndSetDefaultsKeepsTheLists) {
    EXPECT_EQ(ReadText(path), kDefaultsWithoutSound);
    EXPECT_EQ(FileMode(path), 0600u) << "config.txt holds the proxy password";
    EXPECT_EQ(s->GetFlag(SETTING_BROWSER_DISPLAY_ASK), 1);

    s->AddKeyword("+a");
    s->AddUrl("http://a.example/");
    s->SetPollPeriod(60);
    s->SetProxyServerName("proxy");
    s->SetDefaults();
    EXPECT_EQ(s->GetPollPeriod(), 600);
    EXPECT_EQ(s->GetProxyServerName(), "") << "stored as '.'";
    EXPECT_EQ(ReadText(path), kDefaultsWithoutSound + std::string("B F0000002 Web_Address http://a.example/ ") +
                                  DEFAULT_PAGE_URL + "\r\nB F0000001 Keyword +a +a\r\n");
    // A file that exists but cannot be read is not replaced by the defaults.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(Open()->GetPollPeriod(), 600);
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(SettingsFixture, SoundPathsAreStoredWithBarsForSpaces) {
    std::filesystem::remove(path);
    s = Open("/usr/share/My Sounds/new.oga");
    ExpectOnly("B F0000009 Sound_File /usr/share/My|Sounds/new.oga /usr/share/My|Sounds/new.oga");
    ExpectOnly("D F0000008 Stories_Have_Sound 1 1");  // a found sound is enabled
    EXPECT_EQ(s->GetSoundFile(), "/usr/share/My Sounds/new.oga");
    s->SetSoundFile("D:\\My Sounds\\ding.wav");
    ExpectOnly("B F0000009 Sound_File D:\\My|Sounds\\ding.wav D:\\My|Sounds\\ding.wav");
    EXPECT_EQ(Open()->GetSoundFile(), "D:\\My Sounds\\ding.wav");
}

TEST_F(SettingsFixture, KeywordGroupsAreEncodedAndRefusedWithMessages) {
    EXPECT_EQ(AddKeyword("+wall street", true), std::vector<int>{});
    ExpectOnly("B F0000001 Keyword +wall_street +wall_street");
    EXPECT_EQ(AddKeyword("+wall_street", false), std::vector<int>{136}) << "same stored form";
    EXPECT_EQ(boxes.shown[0].second, "The set of keywords entered already exists.");

    for (int i = 2; i <= MAX_KEYWORD_GROUPS; ++i) AddKeyword("+k" + std::to_string(i), true);
    EXPECT_EQ(AddKeyword("+k26", false), std::vector<int>{140});
    EXPECT_EQ(boxes.shown[0].second, "The maximum number of keywords allowed has been reached.");
    EXPECT_EQ(AddKeyword("+k7", false), std::vector<int>{136}) << "a duplicate in a full list is a duplicate";
    EXPECT_EQ(AddKeyword("", false), std::vector<int>{}) << "an empty group is never stored";
    EXPECT_EQ(CountLinesWith(path, "F0000001 Keyword"), 25);
    s->SetMessageSink(nullptr);
    EXPECT_EQ(AddKeyword("+k7", false), std::vector<int>{}) << "no sink, nothing shown";
}

TEST_F(SettingsFixture, KeywordsSurviveARestartInTheOrderAdded) {
    for (const char* k : {"+one", "+two-three", "+four_five"}) s->AddKeyword(k);
    auto again = Open();
    EXPECT_EQ(Keywords(*again), (std::vector<std::string>{"+one", "+two-three", "+four_five"}));
    again->ClearKeywords();
    EXPECT_EQ(Keywords(*again), std::vector<std::string>{""}) << "the first entry is copied even when empty";
    EXPECT_EQ(CountLinesWith(path, "F0000001 Keyword"), 0);

    // Records beyond the list's room stay in the file but are not loaded;
    // an empty group among them would end the list early.
    std::string text = ReadText(path);
    for (int i = 0; i < 30; ++i) text += "B F0000001 Keyword +k" + std::to_string(i) + " x\r\n";
    WriteText(path, text + "B F0000001 Keyword  \r\n");
    again = Open();
    const auto groups = Keywords(*again);
    EXPECT_EQ(groups.size(), size_t(MAX_KEYWORD_GROUPS));
    EXPECT_EQ(std::count(groups.begin(), groups.end(), ""), 0);
    again->SetPollPeriod(30);
    EXPECT_EQ(CountLinesWith(path, "F0000001 Keyword"), 31);
}

TEST_F(SettingsFixture, UrlListsRefuseDuplicatesEmptiesAndTheFiftyFirst) {
    for (int i = 0; i < MAX_CUSTOM_URLS; ++i) EXPECT_TRUE(s->AddUrl("http://u" + std::to_string(i) + ".example/"));
    EXPECT_FALSE(s->AddUrl("http://u50.example/"));
    EXPECT_FALSE(s->AddUrl("http://u3.example/"));
    EXPECT_TRUE(s->AddDisabledUrl("http://u3.example/")) << "each list is checked on its own";
    EXPECT_FALSE(s->AddDisabledUrl("http://u3.example/"));
    EXPECT_FALSE(s->AddDisabledUrl(""));
    EXPECT_TRUE(boxes.shown.empty()) << "URL refusals show no message";
    EXPECT_EQ(CountLinesWith(path, "B F0000002 Web_Address "), 50);
    EXPECT_EQ(CountLinesWith(path, std::string("Disabled_Web_Address http://u3.example/ ") + DEFAULT_PAGE_URL), 1);
    auto again = Open();
    EXPECT_EQ(Drain([&](std::string& v) { return again->GetNextUrl(v); }).front(), "http://u0.example/");
    EXPECT_EQ(again->CountUrls(), 50);
    again->ClearUrls();
    EXPECT_EQ(CountLinesWith(path, "Web_Address"), 0);
}

TEST_F(SettingsFixture, ValuesAndFlagsReplaceTheirRecordAndSurviveARestart) {
    s->SetProxyServerName("proxy.example");
    s->SetProxyPassword("s3cret");
    s->SetProxyPort(3128);
    s->SetPollPeriod(300);
    s->SetPollPeriod(900);
    for (const char* line : {"B F000000E Proxy_Server_Name proxy.example proxy.example",
                             "B F0000011 Proxy_User_Password s3cret s3cret", "D F000000F Proxy_Port_Num 3128 3128",
                             "D F0000003 Poll_Period 900 900"})
        ExpectOnly(line);
    // The line each flag writes when cleared; its identifier is read from the line.
    for (const char* line : {"D F0000004 Title_Contains_Keyword 0 1", "D F0000005 Check_Only_Title 0 1",
                             "D F0000007 Auto_Story_Pop-up 0 1", "D F0000008 Stories_Have_Sound 0 1",
                             "D F000000A Ignore_Initial_Stories 0 0", "D F0000012 Use_Proxy 0 0",
                             "D F0000016 Browser_Display_Ask 0 1", "D F0000017 Browser_Display_New 0 1"}) {
        s->SetFlag(static_cast<std::uint32_t>(std::stoul(std::string(line).substr(2, 8), nullptr, 16)), 0);
        ExpectOnly(line);
    }
    s->SetFlag(SETTING_USE_PROXY, 1);
    ExpectOnly("D F0000012 Use_Proxy 1 0");
    auto again = Open();
    EXPECT_EQ(again->GetProxyPassword(), "s3cret");
    EXPECT_EQ(again->GetProxyPort(), 3128);
    EXPECT_EQ(again->GetPollPeriod(), 900);
    EXPECT_EQ(again->GetFlag(SETTING_USE_PROXY), 1);
    EXPECT_EQ(again->GetFlag(SETTING_CHECK_ONLY_TITLE), 0);

    // A line break in a stored value cannot plant a record.
    again->SetProxyPassword("pw\nD F0000003 Poll_Period 1 1");
    EXPECT_EQ(Open()->GetPollPeriod(), 900);
}

namespace {

using Names = std::vector<std::string>;

struct CatalogueFixture : ::testing::Test {
    CTempDir dir;
    CSourceCatalogue catalogue;
    std::string sources = dir.File("Data/sources.txt");
    std::string update = dir.File("Data/sourceupdate.txt");

    void SetUp() override { catalogue.SetFileName(dir.Path()); }
    void LoadText(const std::string& text) {
        catalogue.RemoveAllSources();
        WriteText(sources, text);
        ASSERT_EQ(catalogue.Load(0), 1);
    }
    Names Sources() {
        Names out;
        for (auto* s = catalogue.FirstSource(false); s; s = catalogue.NextSource(false)) out.push_back(s->GetName());
        return out;
    }
};

TEST(HandEditedSettings, UnusablePeriodsAndPortsAreReadAsTheDefaults) {
    const struct { const char* period; int expectedPeriod; const char* port; int expectedPort; } cases[] = {
        {"0", 600, "0", 80},         {"-30", 600, "-1", 80},  {"999999999", 600, "65536", 80},
        {"10", 10, "1", 1},          {"86400", 86400, "65535", 65535},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.period);
        CTempDir dir;
        std::filesystem::create_directories(dir.File("Data"));
        const std::string text = std::string("D F0000003 Poll_Period ") + c.period + " " + c.period +
                                 "\r\nD F000000F Proxy_Port_Num " + c.port + " " + c.port + "\r\n";
        ASSERT_TRUE(WriteFileAtomically(dir.File("Data/config.txt"), text));
        CNewsSettings settings;
        settings.SetFileName(dir.Path());
        settings.Load();
        EXPECT_EQ(settings.GetPollPeriod(), c.expectedPeriod);
        EXPECT_EQ(settings.GetProxyPort(), c.expectedPort);
        std::string after;
        ReadWholeFile(dir.File("Data/config.txt"), after);
        EXPECT_EQ(after, text) << "the user's file is left as written";
    }
}

// A config.txt with lines that are no records: the good lines are read, the
// user is told once, and the file as it was is copied once before it is
// written again (at load by a run that saves every change, at the first
// save otherwise); a clean file is neither copied nor reported.
TEST(DamagedSettings, UnreadableLinesAreReportedOnceAndTheFileCopiedBeforeItIsRewritten) {
    const std::string good = "D F0000003 Poll_Period 30 30\r\nB F0000001 Keyword +harbour _\r\n";
    const struct { const char* what; std::string text; int bad; bool bAutoSave; } cases[] = {
        {"clean", good, 0, true},
        {"binary line", "\x01\x02\xff\xfe\r\n" + good, 1, true},
        {"cut off and unknown", good + "Z F0000004 Mystery 1 1\r\nD F00000", 2, true},
        {"read without auto-save", good + "garbage\n", 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CTempDir dir;
        const std::string file = dir.File("Data/config.txt");
        WriteText(file, c.text);
        CNewsSettings settings, again;
        const std::string told = DiagnosticsOf([&] {
            for (CNewsSettings* s : {&settings, &again}) {  // a later run finds nothing more to copy
                s->SetFileName(dir.Path());
                if (c.bAutoSave || s == &again) s->SetAutoSave();
                s->Load();
                s->AddKeyword(s == &again ? "ferry" : "lighthouse");
                s->Save();
            }
        });
        EXPECT_EQ(settings.GetUnreadableLines(), c.bad);
        EXPECT_EQ(settings.GetPollPeriod(), 30) << "good lines are kept";
        EXPECT_NE(ReadText(file).find("Keyword +harbour"), std::string::npos);
        std::vector<std::string> copies;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("Data")))
            if (e.path().filename().string().rfind("config.txt.damaged-", 0) == 0) copies.push_back(ReadText(e.path()));
        EXPECT_EQ(copies, c.bad ? std::vector<std::string>{c.text} : std::vector<std::string>{}) << "one copy as read";
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), c.bad ? 1 : 0) << "told once: " << told;
        EXPECT_EQ(told.rfind("damaged file " + file + ": " + std::to_string(c.bad) + " line", 0), c.bad ? 0 : told.npos);
    }
}

}  // namespace

TEST_F(CatalogueFixture, SaveWritesSourcesInOrderAndCategoriesById) {
    CNewsSource* mc = catalogue.AddSource("Morning Courier", 1);
    mc->AddCategory("http://mc.example/top", 1, 13, "Top Stories");
    mc->AddCategory("http://mc.example/head", 0, 1, "Headlines");
    mc->AddCategory("http://mc.example/extra", 1, 14, "Extra");  // numbers outside 1..13 are not written
    mc->AddCategory("http://mc.example/dropped", 1, 0, "Dropped");
    mc->AddCategory("http://mc.example/sci", 5, 2, "Science Tech");
    catalogue.AddSource("Daily (UK) Post", 0)->AddCategory("http://ep.example/world", 0, 1, "World");
    catalogue.AddSource("Arts Weekly", 1)->AddCategory("http://aw.example/a b", 1, 1, "Arts And Culture");
    EXPECT_EQ(catalogue.AddSource("Morning Courier", 0), nullptr);
    EXPECT_EQ(catalogue.AddSource("", 1), nullptr);

    const std::string expected =
        "1 Morning Courier\r\n0 1 Headlines http://mc.example/head\r\n1 2 Science_Tech http://mc.example/sci\r\n"
        "1 13 Top_Stories http://mc.example/top\r\n0 Daily (UK) Post\r\n0 1 World http://ep.example/world\r\n"
        "1 Arts Weekly\r\n1 1 Arts_And_Culture http://aw.example/a%20b\r\n";
    ASSERT_TRUE(catalogue.Save());
    EXPECT_EQ(ReadText(sources), expected);

    // Read back, only the first '_' of a name is a space; saved again, the file is the same.
    LoadText(expected);
    EXPECT_EQ(catalogue.FindSource("Morning Courier")->GetCategory(2)->m_strName, "Science Tech");
    EXPECT_EQ(catalogue.FindSource("Arts Weekly")->GetCategory(1)->m_strName, "Arts And_Culture");
    EXPECT_EQ(catalogue.FindSource("Daily (UK) Post")->GetEnabled(), 0);
    ASSERT_TRUE(catalogue.Save());
    EXPECT_EQ(ReadText(sources), expected);
}

// A line is a category line only when it reads as flag, category id 1 to
// 13, name and URL; every other line names a source, whose name may begin
// with digits, and is written back as read.
TEST_F(CatalogueFixture, ReadingTellsCategoryLinesFromSourceNamesAndSkipsDamagedLines) {
    catalogue.AddSource("Kept", 1);
    EXPECT_EQ(catalogue.Load(0), 0);
    EXPECT_EQ(catalogue.Load(1), 0);
    EXPECT_EQ(Sources(), Names{"Kept"}) << "a missing file changes nothing";

    LoadText("1 1 Orphan http://o.example/\n\n1 2 AfterBlank http://x.example/\n1\n"  // no source yet
             "1 Morning Courier\n1 1 Headlines http://mc.example/h\n"
             "1 1 Again http://mc.example/h\n"                                 // same URL
             "1 24 Hours News\n1 2 World http://24.example/w\n"                // id 24: a name
             "1 1 Hour News\n"                                                 // no URL: a name
             "0 7 Days\n1 13 Week http://7d.example/w\r\n"                     // a name beginning with a digit
             "1 12 Monkeys\n0 3 Short http://3s.example/ extra\n1 4 NoUrl\n"   // a fifth word; no URL
             "0 Evening Post\r\n1 1 World http://ep.example/w\r\n"
             "1 Morning Courier\r\n1 3 Sports http://mc.example/s\r\n" +  // a second occurrence is ignored
             std::string(700, 'Z') + "\n");                                // an overlong name is cut
    const Names expected = {"Morning Courier", "24 Hours News", "1 Hour News", "7 Days", "12 Monkeys",
                            "4 NoUrl",         "Evening Post",  std::string(597, 'Z')};
    EXPECT_EQ(Sources(), expected);
    EXPECT_EQ(catalogue.FindSource("Morning Courier")->GetCategory(1)->m_strName, "Headlines");
    EXPECT_EQ(catalogue.FindSource("Morning Courier")->GetCategory(3), nullptr);
    EXPECT_EQ(catalogue.FindSource("24 Hours News")->GetCategory(2)->m_strUrl, "http://24.example/w");
    EXPECT_EQ(catalogue.FindSource("7 Days")->GetEnabled(), 0);
    EXPECT_EQ(catalogue.FindSource("7 Days")->GetCategory(13)->m_strName, "Week");
    EXPECT_EQ(catalogue.FindSource("12 Monkeys")->GetCategory(3)->m_strUrl, "http://3s.example/");
    ASSERT_TRUE(catalogue.Save());
    LoadText(ReadText(sources));
    EXPECT_EQ(Sources(), expected) << "written and read again";
    EXPECT_EQ(catalogue.FindSource("24 Hours News")->GetCategory(2)->m_strUrl, "http://24.example/w");
}

TEST_F(CatalogueFixture, MergeUpdatesKeepsDropsAndAddsAsTheUpdateSays) {
    LoadText("1 A\r\n1 1 Head http://a/1\r\n1 2 World http://a/2\r\n0 3 Sport http://a/3\r\n1 5 Arts http://a/5\r\n"
             "0 B\r\n1 1 Head http://b/1\r\n1 C\r\n1 2 World http://c/2\r\n");
    WriteText(update, "0 A\n1 1 Headlines http://a/1new\n1 3 Sport http://a/3\n0 4 Tech http://a/4\n"
                      "1 6 Arts http://a/5\n1 C\n1 1 Head http://c/1\n1 2 World http://c/2\n"
                      "1 D\n0 1 Top http://d/1\n1 2 More http://d/2\n");
    EXPECT_TRUE(catalogue.MergeUpdate());
    EXPECT_FALSE(FileExists(update)) << "the update file is deleted";
    EXPECT_EQ(ReadText(sources),
              "1 A\r\n1 1 Headlines http://a/1new\r\n"  // URL and name from the update, selection kept
              "0 3 Sport http://a/3\r\n0 4 Tech http://a/4\r\n"  // new category of an old source: not selected
              "1 6 Arts http://a/5\r\n"  // a page that changed number keeps its selection
              "1 C\r\n0 1 Head http://c/1\r\n1 2 World http://c/2\r\n"  // page 1 too, when the source is old
              "0 D\r\n1 1 Top http://d/1\r\n0 2 More http://d/2\r\n");  // new source: disabled, page 1 selected
    EXPECT_EQ(catalogue.FindSource("A")->GetCategory(2), nullptr);
}

TEST_F(CatalogueFixture, UnusableUpdateLeavesTheCatalogueAlone) {
    const std::string text = "1 A\r\n1 1 H http://a/1\r\n";
    LoadText(text);
    EXPECT_FALSE(catalogue.MergeUpdate()) << "no update file";
    WriteText(update, "\r\n1 2 Orphan http://x/\r\n");  // no source in it
    EXPECT_FALSE(catalogue.MergeUpdate());
    EXPECT_EQ(Sources(), Names{"A"});
    EXPECT_EQ(ReadText(sources), text);
    EXPECT_FALSE(FileExists(update));
}

// A page's descriptor follows every change of the catalogue: a category or
// source added after a look-up, an update that renames or moves pages; the
// first source in catalogue order names a page two sources list.
TEST_F(CatalogueFixture, PageDescriptorsFollowTheCatalogueChanges) {
    LoadText("1 A\r\n1 1 Head http://a/1\r\n1 B\r\n1 1 Front http://a/1\r\n");
    EXPECT_EQ(catalogue.GetDescriptorFor("http://a/1", 1), "A (Head)");
    EXPECT_EQ(catalogue.GetDescriptorFor("http://a/2", 0), "Custom: http://a/2");
    catalogue.FindSource("A")->AddCategory("http://a/2", 1, 2, "World");
    EXPECT_EQ(catalogue.GetDescriptorFor("http://a/2", 0), "A");
    catalogue.AddSource("C", 1)->AddCategory("http://c/1", 1, 1, "Top");
    EXPECT_EQ(catalogue.GetDescriptorFor("http://c/1", 1), "C (Top)");
    catalogue.FindSource("C")->ClearCategories();
    EXPECT_EQ(catalogue.GetDescriptorFor("http://c/1", 0), "Custom: http://c/1");

    ASSERT_TRUE(catalogue.Save());
    WriteText(update, "1 B\n1 1 Front http://b/1\n1 A\n1 1 Headlines http://a/1new\n");
    EXPECT_TRUE(catalogue.MergeUpdate());
    EXPECT_EQ(catalogue.GetDescriptorFor("http://a/1new", 1), "A (Headlines)");
    EXPECT_EQ(catalogue.GetDescriptorFor("http://b/1", 1), "B (Front)");
    EXPECT_EQ(catalogue.GetDescriptorFor("http://a/1", 0), "Custom: http://a/1");
    catalogue.RemoveAllSources();
    EXPECT_EQ(catalogue.GetDescriptorFor("http://b/1", 0), "Custom: http://b/1");
}
