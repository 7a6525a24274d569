// The story archive: start-up loading, the cursor-style sequences, adding,
// maintenance and removal of a custom URL's stories.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"
#include "store/StoryArchive.h"
#include "store/StoryFileName.h"
#include "store/StoryRecord.h"
#include "support/RecordingTarget.h"
#include "StoreTestUtil.h"

namespace {

constexpr std::int64_t kNow = 1700000000;
const char* const kDailyTop = "http://daily.example/top";
const char* const kDailyWorld = "http://daily.example/world";
const char* const kEveningPage = "http://evening.example/";
const char* const kCustom = "http://custom.example/news";

class StoryArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strData = MakeStoryDataFolder(m_dir);
        CNewsSource* daily = m_catalogue.AddSource("Daily News", 1);
        daily->AddCategory(kDailyTop, 1, 1, "Top Stories");
        daily->AddCategory(kDailyWorld, 0, 2, "World");
        m_catalogue.AddSource("Evening Post", 1)->AddCategory(kEveningPage, 1, 1, "Headlines");
        m_catalogue.AddSource("Old Times", 0)->AddCategory("http://old.example/", 1, 1, "Front");

        m_settings.SetDefaultSoundLookup([] { return std::string(); });
        m_settings.SetFileName(m_dir.Path());
        m_settings.Load();
        m_settings.SetAutoSave();
        m_archive.SetDataFolder(m_strData);
        m_archive.SetClock([this] { return m_now; });
    }

    std::int32_t Age(std::int64_t seconds) const { return static_cast<std::int32_t>(m_now - seconds); }

    // Writes a story file as an earlier run would have left it.
    void WriteStoryFile(const std::string& key, const std::vector<CStory>& stories) {
        std::string bytes;
        for (const CStory& s : stories) {
            StoryFileRecord rec;
            s.BuildRecord(rec, &m_catalogue);
            EncodeStoryRecord(rec, bytes);
        }
        WriteBytes(m_strData + StoryFileStem(key) + ".dat", bytes);
    }

    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (int i = 0; i < m_archive.GetFileCount(); ++i) keys.push_back(m_archive.GetFileAt(i)->GetKey());
        return keys;
    }

    // What the story list shows: every visible story, file after file.
    std::vector<std::string> ListVisible() {
        std::vector<std::string> out;
        CStoryArchiveGuard guard(m_archive);
        m_archive.Open("r+b");
        while (m_archive.FindNextVisible()) {
            auto story = m_archive.GetCurrentStory();
            out.push_back(story ? story->GetHeadline() : "<unreadable>");
        }
        m_archive.Close();
        return out;
    }

    int AddStory(const std::string& source, const std::string& headline, int state, bool supersede = false) {
        CStoryArchiveGuard guard(m_archive);
        m_archive.Open("r+b");
        const int r = m_archive.Add(MakeStory(source, headline, Age(10), state), supersede);
        m_archive.Close();
        return r;
    }

    CTempDir m_dir;
    std::string m_strData;
    std::int64_t m_now = kNow;
    CSourceCatalogue m_catalogue;
    CNewsSettings m_settings;
    CStoryArchive m_archive;
};

TEST_F(StoryArchiveTest, LoadAllBuildsConfiguredFilesThenAdoptsTheRest) {
    ASSERT_TRUE(m_settings.AddUrl(kCustom));
    ASSERT_TRUE(m_settings.AddUrl(kDailyWorld));  // a catalogue page: same key as the source
    WriteStoryFile("Daily News", {MakeStory(kDailyTop, "Daily story", Age(5), STORY_NEW),
                                  MakeStory(kDailyTop, "Expired daily story", Age(172800), STORY_READ)});
    WriteStoryFile("Old Times", {MakeStory("Old Times (Front)", "Old times story", Age(5), STORY_UNREAD)});
    WriteBytes(m_strData + "emptyfile.dat", "");
    WriteBytes(m_strData + "notes.txt", "not a story file");

    EXPECT_EQ(m_archive.LoadAll(m_catalogue, m_settings), 4);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"Daily News", "Evening Post", "Custom: http://custom.example/news",
                                                "Old Times"}));
    EXPECT_FALSE(FileExists(m_strData + "emptyfile.dat"));
    EXPECT_TRUE(FileExists(m_strData + "notes.txt"));
    EXPECT_TRUE(FileExists(m_strData + StoryFileStem("Evening Post") + ".dat"));
    EXPECT_TRUE(FileExists(m_strData + StoryFileStem("Custom: http://custom.example/news") + ".dat"));
    // The configured file was compacted at start: the expired story is gone.
    EXPECT_EQ(ListVisible(), (std::vector<std::string>{"Daily story", "Old times story"}));
    EXPECT_EQ(m_archive.GetFileAt(0)->StoryCount(), 1);
}

TEST_F(StoryArchiveTest, AnEmptyArchiveOpensNothing) {
    CStoryArchiveGuard guard(m_archive);
    EXPECT_NE(m_archive.Open("r+b"), 0);
    EXPECT_EQ(m_archive.FindByHeadline("x"), 0);
    EXPECT_EQ(m_archive.GetCurrentStory(), nullptr);
    EXPECT_EQ(m_archive.SetCurrentState(STORY_READ), 0);
    EXPECT_EQ(m_archive.FindNextWithState(STORY_NEW), 0);
    m_archive.Close();
}

TEST_F(StoryArchiveTest, FindByHeadlineWithAndWithoutKey) {
    m_archive.LoadAll(m_catalogue, m_settings);
    ASSERT_EQ(AddStory(kDailyTop, "Shared headline", STORY_NEW), 1);
    ASSERT_EQ(AddStory(kEveningPage, "Shared headline", STORY_READ), 1);
    ASSERT_EQ(AddStory(kEveningPage, "Evening only", STORY_READ), 1);

    CStoryArchiveGuard guard(m_archive);
    m_archive.Open("r+b");
    // Without a key: the first file in list order that has it.
    ASSERT_EQ(m_archive.FindByHeadline("Shared headline"), 1);
    EXPECT_EQ(m_archive.GetCurrentStory()->GetSource(), "Daily News (Top Stories)");
    EXPECT_EQ(m_archive.FindByHeadline("Evening only"), 1);
    // With a key: only that file is looked at.
    ASSERT_EQ(m_archive.FindByHeadline("Shared headline", "Evening Post"), 1);
    EXPECT_EQ(m_archive.GetCurrentState(), STORY_READ);
    EXPECT_EQ(m_archive.FindByHeadline("Evening only", "Daily News"), 0);
    EXPECT_EQ(m_archive.FindByHeadline("Shared headline", "No such source"), 0);
    EXPECT_EQ(m_archive.GetCurrentStory(), nullptr);
    EXPECT_EQ(m_archive.FindByHeadline("Nowhere"), 0);
    EXPECT_EQ(m_archive.GetCurrentState(), -1);
    m_archive.Close();
}

TEST_F(StoryArchiveTest, FindNextWithStateReopensButFindNextVisibleDoesNot) {
    m_archive.LoadAll(m_catalogue, m_settings);
    ASSERT_EQ(AddStory(kDailyTop, "Daily new", STORY_NEW), 1);
    ASSERT_EQ(AddStory(kDailyTop, "Daily read", STORY_READ), 1);
    ASSERT_EQ(AddStory(kEveningPage, "Evening new", STORY_NEW), 1);
    ASSERT_EQ(AddStory(kCustom, "Custom new", STORY_NEW), 1);

    CStoryArchiveGuard guard(m_archive);
    ASSERT_EQ(m_archive.Open("r+b"), 0);
    std::vector<std::string> seen;
    while (m_archive.FindNextWithState(STORY_NEW)) {
        seen.push_back(m_archive.GetCurrentStory()->GetHeadline());
        ASSERT_LT(seen.size(), 10u);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Daily new", "Evening new", "Custom new"}));
    // Opened again on the first file: the walk starts over.
    ASSERT_EQ(m_archive.FindNextWithState(STORY_NEW), 1);
    EXPECT_EQ(m_archive.GetCurrentStory()->GetHeadline(), "Daily new");
    m_archive.Close();

    // The story list closing: every new story becomes unread.
    m_archive.Open("r+b");
    while (m_archive.FindNextWithState(STORY_NEW)) ASSERT_EQ(m_archive.SetCurrentState(STORY_UNREAD), 1);
    EXPECT_EQ(m_archive.FindNextWithState(STORY_NEW), 0);
    m_archive.Close();

    m_archive.Open("r+b");
    int visible = 0;
    while (m_archive.FindNextVisible()) ++visible;
    EXPECT_EQ(visible, 4);
    EXPECT_EQ(m_archive.FindNextVisible(), 0);  // no reopening
    EXPECT_EQ(m_archive.GetCurrentState(), -1);
    m_archive.Close();
}

TEST_F(StoryArchiveTest, AddCreatesANewFileAtTheEndForAnUnknownSource) {
    m_archive.LoadAll(m_catalogue, m_settings);
    ASSERT_EQ(m_archive.GetFileCount(), 2);
    ASSERT_EQ(AddStory("http://new.example/page", "Brand new", STORY_PENDING), 1);
    ASSERT_EQ(m_archive.GetFileCount(), 3);
    CStoryFile* added = m_archive.GetFileAt(2);
    EXPECT_EQ(added->GetKey(), "Custom: http://new.example/page");
    EXPECT_EQ(added->GetDataPath(), m_strData + StoryFileStem("Custom: http://new.example/page") + ".dat");
    EXPECT_TRUE(FileExists(added->GetDataPath()));
    // A second story of that source goes to the same file.
    ASSERT_EQ(AddStory("http://new.example/page", "Second", STORY_PENDING), 1);
    EXPECT_EQ(m_archive.GetFileCount(), 3);
    EXPECT_EQ(added->StoryCount(), 2);

    // Delivering the story: supersede replaces the pending record.
    ASSERT_EQ(AddStory("http://new.example/page", "Brand new", STORY_NEW, true), 1);
    EXPECT_EQ(added->StoryCount(), 2);
    EXPECT_EQ(ListVisible(), (std::vector<std::string>{"Brand new"}));
}

TEST_F(StoryArchiveTest, MaintainRewritesExpiredFilesAndPostsToTheStoryList) {
    m_archive.LoadAll(m_catalogue, m_settings);
    ASSERT_EQ(AddStory(kDailyTop, "Daily story", STORY_READ), 1);
    ASSERT_EQ(AddStory(kEveningPage, "Evening story", STORY_BOOKMARKED), 1);
    const std::string dailyPath = m_archive.GetFileAt(0)->GetDataPath();
    const std::string before = FileBytes(dailyPath);

    CRecordingTarget storyList;
    m_archive.Maintain(false, &storyList);
    EXPECT_EQ(FileBytes(dailyPath), before);
    ASSERT_EQ(storyList.Count(WM_STORIES_CHANGED), 1);
    EXPECT_EQ(storyList.Messages()[0].wParam, 0u);
    EXPECT_EQ(storyList.Messages()[0].lParam, 0);
    EXPECT_FALSE(storyList.Messages()[0].sent);

    m_archive.Maintain(false, nullptr);  // no story list window: nothing to post to
    m_now += 172800;
    m_archive.Maintain(false, &storyList);
    EXPECT_EQ(FileBytes(dailyPath), "");
    EXPECT_EQ(ListVisible(), (std::vector<std::string>{"Evening story"}));
    EXPECT_EQ(storyList.Count(WM_STORIES_CHANGED), 2);
}

TEST_F(StoryArchiveTest, SourceRemovedDropsAFileOfHiddenAndPendingStories) {
    ASSERT_TRUE(m_settings.AddUrl(kCustom));
    m_archive.LoadAll(m_catalogue, m_settings);
    ASSERT_EQ(AddStory(kCustom, "Pending", STORY_PENDING), 1);
    ASSERT_EQ(AddStory(kCustom, "Hidden", STORY_HIDDEN), 1);
    const std::string path = m_archive.FindFile("Custom: http://custom.example/news")->GetDataPath();
    m_settings.ClearUrls();

    m_archive.SourceRemoved(kCustom);
    EXPECT_EQ(m_archive.FindFile("Custom: http://custom.example/news"), nullptr);
    EXPECT_EQ(m_archive.GetFileCount(), 2);
    EXPECT_FALSE(FileExists(path));
    m_archive.SourceRemoved(kCustom);  // nothing left to do
    EXPECT_EQ(m_archive.GetFileCount(), 2);
}

TEST_F(StoryArchiveTest, SourceRemovedKeepsAFileWithVisibleStories) {
    ASSERT_TRUE(m_settings.AddUrl(kCustom));
    m_archive.LoadAll(m_catalogue, m_settings);
    ASSERT_EQ(AddStory(kCustom, "Pending", STORY_PENDING), 1);
    ASSERT_EQ(AddStory(kCustom, "Read", STORY_READ), 1);
    m_settings.ClearUrls();

    m_archive.SourceRemoved(kCustom);
    CStoryFile* f = m_archive.FindFile("Custom: http://custom.example/news");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(FileExists(f->GetDataPath()));
    EXPECT_EQ(f->StoryCount(), 1);  // the pending story went
    EXPECT_EQ(ListVisible(), (std::vector<std::string>{"Read"}));
}

TEST_F(StoryArchiveTest, SourceRemovedKeepsAFileAnotherEnabledUrlStillFeeds) {
    // Two pages of one catalogue source, used as custom URLs: one key.
    ASSERT_TRUE(m_settings.AddUrl(kDailyTop));
    ASSERT_TRUE(m_settings.AddUrl(kDailyWorld));
    m_archive.LoadAll(m_catalogue, m_settings);
    ASSERT_EQ(AddStory(kDailyWorld, "Hidden", STORY_HIDDEN), 1);
    m_settings.ClearUrls();
    ASSERT_TRUE(m_settings.AddUrl(kDailyTop));

    m_archive.SourceRemoved(kDailyWorld);
    CStoryFile* f = m_archive.FindFile("Daily News");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->StoryCount(), 0);
    EXPECT_TRUE(FileExists(f->GetDataPath()));
}

}  // namespace
