#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "common/StringTable.h"
#include "config/NewsSettings.h"
#include "ConfigTestUtil.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"

namespace {

// The fourteen default records as the first start writes them (newest first).
const char* const kDefaultsWithoutSound =
    "D F0000017 Browser_Display_New 1 1\r\n"
    "D F0000016 Browser_Display_Ask 1 1\r\n"
    "D F000000F Proxy_Port_Num 80 80\r\n"
    "C F0000011 Proxy_User_Password . .\r\n"
    "C F0000010 Proxy_User_Name . .\r\n"
    "C F000000E Proxy_Server_Name . .\r\n"
    "D F0000012 Use_Proxy 0 0\r\n"
    "B F0000009 Sound_File  \r\n"
    "D F0000008 Stories_Have_Sound 0 0\r\n"
    "D F0000007 Auto_Story_Pop-up 1 1\r\n"
    "D F000000A Ignore_Initial_Stories 0 0\r\n"
    "D F0000005 Check_Only_Title 1 1\r\n"
    "D F0000004 Title_Contains_Keyword 1 1\r\n"
    "D F0000003 Poll_Period 600 600\r\n";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return out;
}

int CountLinesWith(const std::string& text, const std::string& part) {
    int n = 0;
    for (const std::string& line : Lines(text))
        if (line.find(part) != std::string::npos) ++n;
    return n;
}

struct SettingsFixture : ::testing::Test {
    CTempDir dir;
    CRecordingMessageBoxes boxes;
    CNewsSettings settings{&boxes};
    std::string path;

    void SetUp() override {
        path = dir.File("Data/config.txt");
        settings.SetDefaultSoundLookup([] { return std::string(); });
        Start(settings);
    }
    void Start(CNewsSettings& s) {
        s.SetFileName(dir.Path());
        s.SetAutoSave();
        s.Load();
    }
    // A second settings object reading the same file, as the next run would.
    std::unique_ptr<CNewsSettings> Reopen() {
        auto s = std::make_unique<CNewsSettings>(&boxes);
        s->SetDefaultSoundLookup([] { return std::string(); });
        Start(*s);
        return s;
    }
};

}  // namespace

TEST_F(SettingsFixture, FirstStartWritesTheDefaults) {
    EXPECT_EQ(ReadText(path), kDefaultsWithoutSound);
    EXPECT_EQ(settings.GetPollPeriod(), 600);
    EXPECT_EQ(settings.GetProxyPort(), 80);
    EXPECT_EQ(settings.GetFlag(SETTING_USE_PROXY), 0);
    EXPECT_EQ(settings.GetFlag(SETTING_BROWSER_DISPLAY_ASK), 1);
    EXPECT_EQ(settings.GetFlag(SETTING_TITLE_CONTAINS_KEYWORD), 1);
    EXPECT_EQ(settings.GetFlag(SETTING_STORIES_HAVE_SOUND), 0);
    EXPECT_EQ(settings.GetProxyServerName(), "");
    EXPECT_EQ(settings.GetProxyUserName(), "");
    EXPECT_EQ(settings.GetProxyPassword(), "");
    EXPECT_EQ(settings.GetSoundFile(), "");
    EXPECT_EQ(settings.CountUrls(), 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "config.txt holds the proxy password";
}

TEST(NewsSettingsDefaults, FoundSoundIsStoredWithBarsAndEnablesTheSound) {
    CTempDir dir;
    CNewsSettings settings;
    settings.SetDefaultSoundLookup([] { return std::string("/usr/share/My Sounds/new.oga"); });
    settings.SetFileName(dir.Path());
    settings.SetAutoSave();
    settings.Load();
    const std::string text = ReadText(dir.File("Data/config.txt"));
    EXPECT_NE(text.find("B F0000009 Sound_File /usr/share/My|Sounds/new.oga /usr/share/My|Sounds/new.oga\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("D F0000008 Stories_Have_Sound 1 1\r\n"), std::string::npos);
    EXPECT_EQ(settings.GetSoundFile(), "/usr/share/My Sounds/new.oga");
    EXPECT_EQ(settings.GetFlag(SETTING_STORIES_HAVE_SOUND), 1);
}

TEST_F(SettingsFixture, SetDefaultsKeepsListsAndResetsValues) {
    settings.AddKeyword("+a");
    settings.AddUrl("http://a.example/");
    settings.SetPollPeriod(60);
    settings.SetProxyServerName("proxy");
    settings.SetFlag(SETTING_USE_PROXY, 1);
    settings.SetDefaults();
    EXPECT_EQ(settings.GetPollPeriod(), 600);
    EXPECT_EQ(settings.GetProxyServerName(), "");
    EXPECT_EQ(settings.GetFlag(SETTING_USE_PROXY), 0);
    const std::string text = ReadText(path);
    EXPECT_EQ(CountLinesWith(text, "Poll_Period"), 1);
    EXPECT_EQ(CountLinesWith(text, "B F0000001 Keyword +a +a"), 1);
    EXPECT_EQ(CountLinesWith(text, "B F0000002 Web_Address http://a.example/ "), 1);
    EXPECT_EQ(Lines(text).size(), 16u);
}

TEST_F(SettingsFixture, KeywordGroupsAreEncodedAndRefusedWithMessages) {
    EXPECT_TRUE(settings.AddKeyword("+wall street"));
    EXPECT_NE(ReadText(path).find("B F0000001 Keyword +wall_street +wall_street\r\n"), std::string::npos);
    EXPECT_TRUE(boxes.Shown().empty());

    EXPECT_FALSE(settings.AddKeyword("+wall_street")) << "same stored form";
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].first, 136);
    EXPECT_EQ(boxes.Shown()[0].second, "The set of keywords entered already exists.");

    for (int i = 2; i <= MAX_KEYWORD_GROUPS; ++i) EXPECT_TRUE(settings.AddKeyword("+k" + std::to_string(i)));
    boxes.Clear();
    EXPECT_FALSE(settings.AddKeyword("+k26"));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].first, 140);
    EXPECT_EQ(boxes.Shown()[0].second, "The maximum number of keywords allowed has been reached.");
    boxes.Clear();
    EXPECT_FALSE(settings.AddKeyword("+k7")) << "a duplicate in a full list is a duplicate";
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].first, 136);
    EXPECT_EQ(CountLinesWith(ReadText(path), "F0000001 Keyword"), 25);

    boxes.Clear();
    EXPECT_FALSE(settings.AddKeyword("")) << "an empty group is never stored";
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(SettingsFixture, RefusalsWithoutSinkShowNothing) {
    settings.SetMessageSink(nullptr);
    EXPECT_TRUE(settings.AddKeyword("+a"));
    EXPECT_FALSE(settings.AddKeyword("+a"));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(SettingsFixture, KeywordsSurviveARestartInTheOrderAdded) {
    for (const char* k : {"+one", "+two-three", "+four_five"}) settings.AddKeyword(k);
    auto again = Reopen();
    std::vector<std::string> got;
    std::string k;
    bool more = true;
    while (more) {
        more = again->GetNextKeyword(k);
        got.push_back(k);
    }
    EXPECT_EQ(got, (std::vector<std::string>{"+one", "+two-three", "+four_five"}));
    again->ClearKeywords();
    EXPECT_FALSE(again->GetNextKeyword(k));
    EXPECT_EQ(k, "") << "the first entry is copied even when empty";
    EXPECT_EQ(CountLinesWith(ReadText(path), "F0000001 Keyword"), 0);
}

TEST_F(SettingsFixture, UrlEnumerationsShareOneIndexAndStartOver) {
    EXPECT_TRUE(settings.AddUrl("http://a.example/"));
    EXPECT_TRUE(settings.AddUrl("http://b.example/"));
    EXPECT_TRUE(settings.AddDisabledUrl("http://c.example/"));
    EXPECT_TRUE(settings.AddDisabledUrl("http://d.example/"));
    std::string url;
    EXPECT_TRUE(settings.GetNextUrl(url));
    EXPECT_EQ(url, "http://a.example/");
    EXPECT_FALSE(settings.GetNextUrl(url));
    EXPECT_EQ(url, "http://b.example/");
    EXPECT_TRUE(settings.GetNextUrl(url));
    EXPECT_EQ(url, "http://a.example/") << "a third call starts over";

    // The index left by the enabled list moves the disabled list on.
    EXPECT_FALSE(settings.GetNextDisabledUrl(url));
    EXPECT_EQ(url, "http://d.example/");
    EXPECT_TRUE(settings.GetNextDisabledUrl(url));
    EXPECT_EQ(url, "http://c.example/");
    settings.ResetEnumeration();
    EXPECT_TRUE(settings.GetNextUrl(url));
    EXPECT_EQ(url, "http://a.example/");
}

TEST_F(SettingsFixture, UrlListsRefuseDuplicatesEmptiesAndTheFiftyFirst) {
    for (int i = 0; i < MAX_CUSTOM_URLS; ++i)
        EXPECT_TRUE(settings.AddUrl("http://u" + std::to_string(i) + ".example/"));
    EXPECT_FALSE(settings.AddUrl("http://u50.example/"));
    EXPECT_FALSE(settings.AddUrl("http://u3.example/"));
    EXPECT_EQ(settings.CountUrls(), 50);
    EXPECT_TRUE(settings.AddDisabledUrl("http://u3.example/")) << "each list is checked on its own";
    EXPECT_FALSE(settings.AddDisabledUrl("http://u3.example/"));
    EXPECT_FALSE(settings.AddDisabledUrl(""));
    EXPECT_TRUE(boxes.Shown().empty()) << "URL refusals show no message";

    const std::string text = ReadText(path);
    EXPECT_EQ(CountLinesWith(text, "B F0000002 Web_Address "), 50);
    EXPECT_EQ(CountLinesWith(text, std::string("B F000000D Disabled_Web_Address http://u3.example/ ") +
                                       DEFAULT_PAGE_URL),
              1);

    auto again = Reopen();
    EXPECT_EQ(again->CountUrls(), 50);
    again->ClearUrls();
    EXPECT_EQ(again->CountUrls(), 0);
    std::string url;
    EXPECT_FALSE(again->GetNextDisabledUrl(url));
    EXPECT_EQ(CountLinesWith(ReadText(path), "Web_Address"), 0);
}

TEST_F(SettingsFixture, ExtraListRecordsStayInTheFileButAreNotLoaded) {
    std::string text = ReadText(path);
    for (int i = 0; i < 30; ++i) text += "B F0000001 Keyword +k" + std::to_string(i) + " x\r\n";
    text += "B F0000001 Keyword  \r\n";  // an empty group would end the list early
    WriteText(path, text);
    auto again = Reopen();
    std::string k;
    int n = 0;
    bool more = true;
    while (more) {
        more = again->GetNextKeyword(k);
        EXPECT_FALSE(k.empty());
        ++n;
    }
    EXPECT_EQ(n, MAX_KEYWORD_GROUPS);
    again->SetPollPeriod(30);
    EXPECT_EQ(CountLinesWith(ReadText(path), "F0000001 Keyword"), 31);
}

TEST_F(SettingsFixture, ProxyStringsUseDotForUnset) {
    settings.SetProxyServerName("proxy.example");
    settings.SetProxyUserName("alice");
    settings.SetProxyPassword("s3cret");
    settings.SetProxyPort(3128);
    const std::string text = ReadText(path);
    EXPECT_EQ(CountLinesWith(text, "Proxy_Server_Name"), 1);
    EXPECT_NE(text.find("B F000000E Proxy_Server_Name proxy.example proxy.example\r\n"), std::string::npos);
    EXPECT_NE(text.find("B F0000011 Proxy_User_Password s3cret s3cret\r\n"), std::string::npos);
    EXPECT_NE(text.find("D F000000F Proxy_Port_Num 3128 3128\r\n"), std::string::npos);

    auto again = Reopen();
    EXPECT_EQ(again->GetProxyServerName(), "proxy.example");
    EXPECT_EQ(again->GetProxyUserName(), "alice");
    EXPECT_EQ(again->GetProxyPassword(), "s3cret");
    EXPECT_EQ(again->GetProxyPort(), 3128);

    again->SetProxyUserName(".");
    EXPECT_EQ(again->GetProxyUserName(), "");
}

TEST_F(SettingsFixture, LineBreaksInAStoredValueCannotPlantRecords) {
    settings.SetProxyPassword("pw\nD F0000003 Poll_Period 1 1");
    auto again = Reopen();
    EXPECT_EQ(again->GetPollPeriod(), 600);
    int records = 0;
    for (const std::string& line : Lines(ReadText(path))) records += line.rfind("D F0000003 ", 0) == 0;
    EXPECT_EQ(records, 1);
}

TEST_F(SettingsFixture, SoundPathSpacesAreStoredAsBars) {
    settings.SetSoundFile("D:\\My Sounds\\ding.wav");
    EXPECT_NE(ReadText(path).find("B F0000009 Sound_File D:\\My|Sounds\\ding.wav D:\\My|Sounds\\ding.wav\r\n"),
              std::string::npos);
    EXPECT_EQ(settings.GetSoundFile(), "D:\\My Sounds\\ding.wav");
    EXPECT_EQ(Reopen()->GetSoundFile(), "D:\\My Sounds\\ding.wav");
}

TEST_F(SettingsFixture, FlagsWriteTheirFixedSecondValues) {
    const struct {
        std::uint32_t id;
        const char* line;
    } cases[] = {
        {SETTING_TITLE_CONTAINS_KEYWORD, "D F0000004 Title_Contains_Keyword 0 1"},
        {SETTING_CHECK_ONLY_TITLE, "D F0000005 Check_Only_Title 0 1"},
        {SETTING_AUTO_STORY_POPUP, "D F0000007 Auto_Story_Pop-up 0 1"},
        {SETTING_STORIES_HAVE_SOUND, "D F0000008 Stories_Have_Sound 0 1"},
        {SETTING_IGNORE_INITIAL_STORIES, "D F000000A Ignore_Initial_Stories 0 0"},
        {SETTING_USE_PROXY, "D F0000012 Use_Proxy 0 0"},
        {SETTING_BROWSER_DISPLAY_ASK, "D F0000016 Browser_Display_Ask 0 1"},
        {SETTING_BROWSER_DISPLAY_NEW, "D F0000017 Browser_Display_New 0 1"},
    };
    for (const auto& c : cases) {
        settings.SetFlag(c.id, 0);
        EXPECT_EQ(settings.GetFlag(c.id), 0);
        std::string head = std::string(c.line).substr(0, 11);
        EXPECT_EQ(CountLinesWith(ReadText(path), head), 1) << c.line;
        EXPECT_EQ(CountLinesWith(ReadText(path), c.line), 1) << c.line;
    }
    settings.SetFlag(SETTING_USE_PROXY, 1);
    EXPECT_EQ(CountLinesWith(ReadText(path), "D F0000012 Use_Proxy 1 0"), 1);
    EXPECT_EQ(Reopen()->GetFlag(SETTING_USE_PROXY), 1);
}

TEST_F(SettingsFixture, SetFlagOfAnotherIdentifierOnlyRemoves) {
    settings.SetFlag(SETTING_POLL_PERIOD, 5);
    EXPECT_EQ(settings.GetFlag(SETTING_POLL_PERIOD), 0);
    EXPECT_EQ(CountLinesWith(ReadText(path), "Poll_Period"), 0);
    EXPECT_EQ(settings.GetFlag(0xF0000006), 0) << "unused identifier";
}

TEST_F(SettingsFixture, SettersReplaceTheirRecord) {
    settings.SetPollPeriod(300);
    settings.SetPollPeriod(900);
    EXPECT_EQ(settings.GetPollPeriod(), 900);
    EXPECT_EQ(CountLinesWith(ReadText(path), "Poll_Period"), 1);
    EXPECT_EQ(CountLinesWith(ReadText(path), "D F0000003 Poll_Period 900 900"), 1);
    EXPECT_EQ(Reopen()->GetPollPeriod(), 900);
}

TEST_F(SettingsFixture, AnExistingButUnreadableFileIsNotReplaced) {
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);  // a folder cannot be read as the file
    CNewsSettings other;
    other.SetDefaultSoundLookup([] { return std::string(); });
    other.SetFileName(dir.Path());
    other.SetAutoSave();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(other.Load(), 0);
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(other.GetPollPeriod(), 600);
    EXPECT_EQ(other.GetFlag(SETTING_BROWSER_DISPLAY_ASK), 1);
}

TEST_F(SettingsFixture, RecordStoreCallsGoThroughTheSettings) {
    settings.AddUrl("http://a.example/");
    settings.AddUrl("http://b.example/");
    // The story archive reads the enabled URLs as records, newest first.
    std::string url;
    settings.Lock();
    settings.ResetEnumeration();
    EXPECT_TRUE(settings.GetString(SETTING_WEB_ADDRESS, url));
    EXPECT_EQ(url, "http://b.example/");
    EXPECT_FALSE(settings.GetString(SETTING_WEB_ADDRESS, url));
    EXPECT_EQ(url, "http://a.example/");
    settings.Unlock();
}
