#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "config/NewsSettings.h"
#include "ConfigTestUtil.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"

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

TEST_F(SettingsFixture, FirstStartWritesTheDefaultsOwnerOnlyAndSetDefaultsKeepsTheLists) {
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

TEST_F(SettingsFixture, ValueSettersReplaceTheirRecordAndSurviveARestart) {
    s->SetProxyServerName("proxy.example");
    s->SetProxyUserName("alice");
    s->SetProxyPassword("s3cret");
    s->SetProxyPort(3128);
    s->SetPollPeriod(300);
    s->SetPollPeriod(900);
    for (const char* line : {"B F000000E Proxy_Server_Name proxy.example proxy.example",
                             "B F0000011 Proxy_User_Password s3cret s3cret", "D F000000F Proxy_Port_Num 3128 3128",
                             "D F0000003 Poll_Period 900 900"})
        ExpectOnly(line);
    auto again = Open();
    EXPECT_EQ(again->GetProxyUserName(), "alice");
    EXPECT_EQ(again->GetProxyPassword(), "s3cret");
    EXPECT_EQ(again->GetProxyPort(), 3128);
    EXPECT_EQ(again->GetPollPeriod(), 900);
    again->SetProxyUserName(".");
    EXPECT_EQ(again->GetProxyUserName(), "");

    // A line break in a stored value cannot plant a record.
    again->SetProxyPassword("pw\nD F0000003 Poll_Period 1 1");
    EXPECT_EQ(Open()->GetPollPeriod(), 900);
    ExpectOnly("B F0000011 Proxy_User_Password pw D F0000003 Poll_Period 1 1 pw D F0000003 Poll_Period 1 1");
}

TEST_F(SettingsFixture, FlagsWriteTheirFixedSecondValues) {
    // The line each flag writes when cleared; its identifier is read from the line.
    for (const char* line : {"D F0000004 Title_Contains_Keyword 0 1", "D F0000005 Check_Only_Title 0 1",
                             "D F0000007 Auto_Story_Pop-up 0 1", "D F0000008 Stories_Have_Sound 0 1",
                             "D F000000A Ignore_Initial_Stories 0 0", "D F0000012 Use_Proxy 0 0",
                             "D F0000016 Browser_Display_Ask 0 1", "D F0000017 Browser_Display_New 0 1"}) {
        const auto id = static_cast<std::uint32_t>(std::stoul(std::string(line).substr(2, 8), nullptr, 16));
        s->SetFlag(id, 0);
        EXPECT_EQ(s->GetFlag(id), 0);
        ExpectOnly(line);
    }
    s->SetFlag(SETTING_USE_PROXY, 1);
    ExpectOnly("D F0000012 Use_Proxy 1 0");
    EXPECT_EQ(Open()->GetFlag(SETTING_USE_PROXY), 1);
    // A file holding a flag twice: every read gives the newest record.
    WriteText(path, ReadText(path) + "D F0000012 Use_Proxy 0 0\r\n");
    auto twice = Open();
    for (int read = 0; read < 3; ++read) EXPECT_EQ(twice->GetFlag(SETTING_USE_PROXY), 0) << "read " << read;
    s->SetFlag(SETTING_POLL_PERIOD, 5);
    EXPECT_EQ(CountLinesWith(path, "Poll_Period"), 0) << "another identifier is only removed";
    EXPECT_EQ(s->GetFlag(0xF0000006), 0) << "unused identifier";
}

TEST_F(SettingsFixture, AnExistingButUnreadableFileIsNotReplaced) {
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);  // a folder cannot be read as the file
    ::testing::internal::CaptureStderr();
    auto other = Open();
    ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(other->GetPollPeriod(), 600);
    EXPECT_EQ(other->GetFlag(SETTING_BROWSER_DISPLAY_ASK), 1);
}

// The scanning thread walks the lists under the settings lock; a change made
// by the user interface meanwhile waits for the walk to end.
TEST_F(SettingsFixture, ChangesWaitForAWalkUnderTheLock) {
    s->AddUrl("http://a.example/");
    s->AddUrl("http://b.example/");
    s->AddKeyword("+a");
    std::string url, keyword;
    std::atomic<bool> changed{false};
    std::thread ui;
    {
        CRecursiveLockGuard guard(*s);
        s->ResetEnumeration();
        ASSERT_TRUE(s->GetNextUrl(url));
        ui = std::thread([&] {
            s->ClearUrls();
            s->ClearKeywords();
            changed = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(s->GetNextUrl(url));
        EXPECT_EQ(url, "http://b.example/");
        s->GetNextKeyword(keyword);
        EXPECT_EQ(keyword, "+a");
        EXPECT_FALSE(changed.load());
    }
    ui.join();
    EXPECT_EQ(s->CountUrls(), 0);
}
