// The settings desk: a snapshot goes in and comes back (also from the files),
// the refusals of every typed field, the catalogue commands' rules as
// sources.txt shows them, and the scanner held while a command runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/AppCore.h"
#include "common/FileUtil.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"

namespace {

// A core loaded from dir's home/ folder, with the given sources.txt.
class CDeskCore {
public:
    CDeskCore(const CTempDir& dir, const std::string& sources = "") : m_dir(dir) {
        std::filesystem::create_directories(dir.File("home/Data"));
        if (!sources.empty()) WriteFileAtomically(dir.File("home/Data/sources.txt"), sources);
        std::string error;
        core.FindApplicationFolder(dir.File("home"), "");
        EXPECT_TRUE(core.PrepareFolder(error)) << error;
        core.LoadData();
    }
    std::string File(const char* name) const {
        std::string text;
        ReadWholeFile(m_dir.File(std::string("home/Data/") + name), text);
        return text;
    }
    CSettingsDesk& Desk() { return core.Config(); }

    CRecordingMessageBoxes boxes;
    CAppCore core{boxes};

private:
    const CTempDir& m_dir;
};

TEST(SettingsDesk, SnapshotIsStoredAndReadBackFromTheFiles) {
    CTempDir dir;
    const std::string sound = dir.File("ding.wav");
    std::ofstream(sound) << "RIFF";
    SettingsSnapshot wanted;
    {
        CDeskCore first(dir);
        wanted = first.Desk().Snapshot();
        EXPECT_EQ(wanted.pollSeconds, 600) << "the defaults of a new folder";
        wanted.pollSeconds = 1200;
        wanted.scanMode = ScanMode::Extensive;
        wanted.breakingNewsOnly = true;
        wanted.autoPopup = true;
        wanted.playSound = true;
        wanted.soundFile = sound;
        wanted.showNotifications = false;
        wanted.display = BrowserDisplay::CurrentWindow;
        wanted.useProxy = true;
        wanted.proxyServer = "proxy.example";
        wanted.proxyPort = 8080;
        wanted.proxyUser = "jo";
        wanted.proxyPassword = "secret";
        wanted.keywordGroups = {"+storm", "+stock_market-football"};
        wanted.customUrls = {"http://one.example/"};
        wanted.disabledUrls = {"http://two.example/"};
        ASSERT_TRUE(first.Desk().Apply(wanted));
        EXPECT_EQ(first.Desk().Snapshot(), wanted);
    }
    CDeskCore second(dir);
    EXPECT_EQ(second.Desk().Snapshot(), wanted);
}

TEST(SettingsDesk, RefusesWhatWouldNotReadBackAndStoresNothingThen) {
    struct Case {
        const char* name;
        SettingsChange change;
        const char* refusal;  // "" when stored
    };
    auto poll = [](const char* text) { SettingsChange c; c.pollMinutesText = text; return c; };
    auto port = [](const char* text) { SettingsChange c; c.proxyPortText = text; return c; };
    auto server = [](std::string text) { SettingsChange c; c.proxyServer = text; return c; };
    auto sound = [](bool bPlay) { SettingsChange c; c.playSound = bPlay; c.soundFile = "/no/such/ding.wav"; return c; };
    SettingsChange user;
    user.proxyUser = std::string(600, 'u');
    SettingsChange password;
    password.proxyPassword = "a\tb";
    const char* const kPoll = "Please enter an integer between 5 and 240.";
    const Case cases[] = {
        {"poll under the least", poll("4"), kPoll},
        {"poll over the most", poll("241"), kPoll},
        {"poll no number", poll("1o"), kPoll},
        {"poll empty", poll(""), kPoll},
        {"poll seven digits", poll("0000010"), kPoll},
        {"poll the most", poll("240"), ""},
        {"sound missing", sound(true), "Wave file does not exist!"},
        {"sound missing, not played", sound(false), ""},
        {"server with a blank", server("proxy example"), "The proxy server name cannot contain spaces."},
        {"user too long", user, "The proxy user name is too long."},
        {"password with a tab", password, "The proxy password cannot contain spaces."},
        {"port no number", port("80a"), "Please enter an integer."},
        {"port zero", port("0"), "Please enter a port number between 1 and 65535."},
        {"port too big", port("65536"), "Please enter a port number between 1 and 65535."},
        {"port with blanks", port(" 8080 "), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        CDeskCore desk(dir);
        const std::string before = desk.File("config.txt");
        EXPECT_EQ(desk.Desk().Check(c.change).message, c.refusal);
        const SettingsVerdict verdict = desk.Desk().Apply(c.change);
        EXPECT_EQ(verdict.message, c.refusal);
        EXPECT_EQ(static_cast<bool>(verdict), !*c.refusal);
        if (*c.refusal) EXPECT_EQ(desk.File("config.txt"), before);
        else EXPECT_NE(desk.File("config.txt"), before);
    }
    CTempDir dir;
    CDeskCore desk(dir);
    EXPECT_FALSE(desk.Desk().AddKeywordGroup("+" + std::string(600, 'x')));
    EXPECT_TRUE(desk.Desk().Snapshot().keywordGroups.empty());
}

TEST(SettingsDesk, CategorySelectionSwitchesItsSourceAndSavesTheCatalogue) {
    CTempDir dir;
    CDeskCore desk(dir, "0 Beta Weekly\r\n0 1 Headlines http://beta.example/1\r\n0 2 Money http://beta.example/2\r\n"
                        "1 Gamma Times\r\n1 5 Arts http://gamma.example/5\r\n");
    ASSERT_EQ(desk.Desk().Sources().size(), 2u);
    // The first category switches a source on; none left switches it off.
    const auto beta = desk.Desk().SelectCategories("Beta Weekly", {2});
    ASSERT_TRUE(beta && beta->bActive);
    EXPECT_NE(desk.File("sources.txt").find("1 Beta Weekly\r\n0 1 Headlines http://beta.example/1\r\n1 2 Money"),
              std::string::npos);
    EXPECT_EQ(desk.Desk().ActivePageCount(false), 2);
    EXPECT_FALSE(desk.Desk().SelectCategories("Gamma Times", {})->bActive);
    EXPECT_NE(desk.File("sources.txt").find("0 Gamma Times\r\n0 5 Arts"), std::string::npos);
    EXPECT_TRUE(desk.Desk().SelectAllCategories("Gamma Times", true)->bActive);
    EXPECT_NE(desk.File("sources.txt").find("1 Gamma Times\r\n1 5 Arts"), std::string::npos);
    EXPECT_TRUE(desk.Desk().SetSourceActive("Beta Weekly", false));
    EXPECT_NE(desk.File("sources.txt").find("0 Beta Weekly"), std::string::npos);
    EXPECT_FALSE(desk.Desk().SetSourceActive("Nobody", true));
    EXPECT_FALSE(desk.Desk().SelectCategories("Nobody", {1}));
}

TEST(SettingsDesk, CustomUrlsOneAtATime) {
    CTempDir dir;
    CDeskCore desk(dir);
    ASSERT_TRUE(desk.Desk().AddCustomUrl(" one.example/news "));
    ASSERT_TRUE(desk.Desk().AddCustomUrl("https://two.example/"));
    EXPECT_EQ(desk.Desk().AddCustomUrl("http://one.example/news").message, "The URL entered already exists.");
    desk.Desk().EnableCustomUrl("http://one.example/news", false);
    EXPECT_EQ(desk.Desk().Snapshot().customUrls, std::vector<std::string>{"https://two.example/"});
    EXPECT_NE(desk.File("config.txt").find("Disabled_Web_Address http://one.example/news "), std::string::npos);
    desk.Desk().RemoveCustomUrl("https://two.example/");
    EXPECT_EQ(desk.Desk().ActivePageCount(true), 0);
    EXPECT_EQ(desk.Desk().CustomUrls().size(), 1u);
}

TEST(SettingsDesk, PreviewOfAGroupCountsTheRecentStoriesItMatches) {
    CTempDir dir;
    CDeskCore desk(dir);
    const std::int32_t now = static_cast<std::int32_t>(std::time(nullptr));
    struct Found { const char* headline; const char* description; std::int32_t age; };
    for (const Found& f : {Found{"Storm hits the coast", "", 3600}, Found{"Storm at sea", "football", 600},
                           Found{"Quiet weekend", "no storm", 60}, Found{"Old storm", "", 3 * 86400}}) {
        StoryItem story;
        story.sourceName = "Custom: http://127.0.0.1/news";
        story.key.headline = f.headline;
        story.description = f.description;
        story.url = "http://127.0.0.1/a";
        story.tFound = now - f.age;
        ASSERT_TRUE(desk.core.Stories().Add(story));
    }
    const KeywordPreviewResult result = desk.Desk().PreviewKeywordGroup("+storm-football");
    EXPECT_EQ(result.count, 2);
    EXPECT_EQ(result.headlines, (std::vector<std::string>{"Quiet weekend", "Storm hits the coast"}));
}

// Sees whether the scanner is held when the settings show a refusal, that
// is, in the middle of a command.
class CHoldWitness : public CRecordingMessageBoxes {
public:
    int ShowMessage(int id, const char* text) override {
        heldWhenShown.push_back(core && core->ScannerHeld());
        return CRecordingMessageBoxes::ShowMessage(id, text);
    }
    CAppCore* core = nullptr;
    std::vector<bool> heldWhenShown;
};

TEST(SettingsDesk, CommandsHoldTheScannerWhileTheyRunAndReleaseIt) {
    CTempDir dir;
    std::filesystem::create_directories(dir.File("home/Data"));
    CHoldWitness witness;
    CAppCore core(witness);
    std::string error;
    core.FindApplicationFolder(dir.File("home"), "");
    ASSERT_TRUE(core.PrepareFolder(error));
    core.LoadData();
    CRecordingTarget window;
    core.CreateScanner(window);
    witness.core = &core;
    CSettingsDesk& desk = core.Config();

    ASSERT_TRUE(desk.AddKeywordGroup("+storm"));
    EXPECT_FALSE(desk.AddKeywordGroup("+storm"));  // the settings refuse a second one
    EXPECT_FALSE(core.ScannerHeld());
    // A whole snapshot: its groups are stored under the hold too.
    SettingsSnapshot twice = desk.Snapshot();
    twice.keywordGroups = {"+rain", "+rain"};
    desk.Apply(twice);
    EXPECT_FALSE(core.ScannerHeld());
    EXPECT_EQ(witness.heldWhenShown, (std::vector<bool>{true, true}));
    EXPECT_EQ(desk.Snapshot().keywordGroups, std::vector<std::string>{"+rain"});
}

}  // namespace
