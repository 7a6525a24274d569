// The story archive: start-up loading, maintenance, and removal of a custom
// URL's stories.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Messages.h"
#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"
#include "store/StoryArchive.h"
#include "store/StoryFileName.h"
#include "support/RecordingTarget.h"
#include "StoreTestUtil.h"

namespace {

using Headlines = std::vector<std::string>;
const char* const kDailyTop = "http://daily.example/top";
const char* const kDailyWorld = "http://daily.example/world";
const char* const kEveningPage = "http://evening.example/";
const char* const kCustom = "http://custom.example/news";
const char* const kCustomKey = "Custom: http://custom.example/news";

class StoryArchiveTest : public StoreTest {
protected:
    void SetUp() override {
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

    // Runs fn under the archive lock with the archive open for writing.
    template <class Fn>
    void Locked(Fn fn) {
        CStoryArchiveGuard guard(m_archive);
        m_archive.Open("r+b");
        fn();
        m_archive.Close();
    }
    // The visible headlines, file after file; FindNextVisible stays at the end.
    Headlines Walk() {
        Headlines out;
        Locked([&] {
            while (out.size() < 20 && m_archive.FindNextVisible())
                out.push_back(m_archive.GetCurrentStory()->GetHeadline());
            EXPECT_EQ(m_archive.FindNextVisible(), 0);
            EXPECT_EQ(m_archive.GetCurrentState(), -1);
        });
        return out;
    }
    int AddStory(const std::string& source, const std::string& headline, int state) {
        int r = 0;
        Locked([&] { r = m_archive.Add(MakeStory(source, headline, Age(10), state), false); });
        return r;
    }

    CSourceCatalogue m_catalogue;
    CNewsSettings m_settings;
    CStoryArchive m_archive;
};

TEST_F(StoryArchiveTest, LoadAllBuildsConfiguredFilesThenAdoptsTheRest) {
    ASSERT_TRUE(m_settings.AddUrl(kCustom));
    ASSERT_TRUE(m_settings.AddUrl(kDailyWorld));  // a catalogue page: same key as the source
    WriteBytes(m_strData + StoryFileStem("Daily News") + ".dat",
               EncodeStories({MakeStory(kDailyTop, "Daily story", Age(5), STORY_NEW),
                              MakeStory(kDailyTop, "Expired daily story", Age(172800), STORY_READ)},
                             &m_catalogue));
    WriteBytes(m_strData + StoryFileStem("Old Times") + ".dat",
               EncodeStories({MakeStory("Old Times (Front)", "Old times story", Age(5), STORY_UNREAD)}));
    WriteBytes(m_strData + "emptyfile.dat", "");
    WriteBytes(m_strData + "notes.txt", "not a story file");

    EXPECT_EQ(m_archive.LoadAll(m_catalogue, m_settings), 4);
    Headlines keys;
    for (int i = 0; i < m_archive.GetFileCount(); ++i) keys.push_back(m_archive.GetFileAt(i)->GetKey());
    EXPECT_EQ(keys, (Headlines{"Daily News", "Evening Post", kCustomKey, "Old Times"}));
    EXPECT_FALSE(FileExists(m_strData + "emptyfile.dat"));
    EXPECT_TRUE(FileExists(m_strData + "notes.txt"));
    EXPECT_TRUE(FileExists(m_strData + StoryFileStem("Evening Post") + ".dat"));
    EXPECT_TRUE(FileExists(m_strData + StoryFileStem(kCustomKey) + ".dat"));
    // The configured file was compacted at start: the expired story is gone.
    EXPECT_EQ(Walk(), (Headlines{"Daily story", "Old times story"}));
    EXPECT_EQ(m_archive.GetFileAt(0)->StoryCount(), 1);
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
    EXPECT_FALSE(storyList.Messages()[0].sent);
    m_now += 172800;
    m_archive.Maintain(false, &storyList);
    EXPECT_EQ(FileBytes(dailyPath), "");
    EXPECT_EQ(Walk(), Headlines{"Evening story"});
    EXPECT_EQ(storyList.Count(WM_STORIES_CHANGED), 2);
}

TEST_F(StoryArchiveTest, SourceRemovedDropsOnlyAFileNothingVisibleOrEnabledNeeds) {
    const char* const kOther = "http://other.example/news";
    for (const char* url : {kCustom, kOther, kDailyTop, kDailyWorld}) ASSERT_TRUE(m_settings.AddUrl(url));
    m_archive.LoadAll(m_catalogue, m_settings);
    ASSERT_EQ(AddStory(kCustom, "Pending", STORY_PENDING), 1);
    ASSERT_EQ(AddStory(kCustom, "Hidden", STORY_HIDDEN), 1);
    ASSERT_EQ(AddStory(kOther, "Pending", STORY_PENDING), 1);
    ASSERT_EQ(AddStory(kOther, "Read", STORY_READ), 1);
    ASSERT_EQ(AddStory(kDailyWorld, "Hidden", STORY_HIDDEN), 1);
    const std::string customPath = m_archive.FindFile(kCustomKey)->GetDataPath();
    m_settings.ClearUrls();
    ASSERT_TRUE(m_settings.AddUrl(kDailyTop));  // shares its key with the world page

    // storiesLeft -1: the file goes.
    const struct { const char* url; const char* key; int storiesLeft; } cases[] = {
        {kCustom, kCustomKey, -1},                         // only pending and hidden stories
        {kOther, "Custom: http://other.example/news", 1},  // a visible story keeps it; the pending one goes
        {kDailyWorld, "Daily News", 0},                    // another enabled URL still feeds it
        {kCustom, kCustomKey, -1},                         // nothing left to do
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        m_archive.SourceRemoved(c.url);
        CStoryFile* f = m_archive.FindFile(c.key);
        ASSERT_EQ(f != nullptr, c.storiesLeft >= 0);
        if (f) {
            EXPECT_EQ(f->StoryCount(), c.storiesLeft);
            EXPECT_TRUE(FileExists(f->GetDataPath()));
        }
    }
    EXPECT_FALSE(FileExists(customPath));
    EXPECT_EQ(m_archive.GetFileCount(), 3);
    EXPECT_EQ(Walk(), Headlines{"Read"});
}

}  // namespace
