// The archive, the settings and the catalogue used from two threads the way
// the scanning thread and the user interface use them.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/Messages.h"
#include "common/RecursiveLock.h"
#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"
#include "store/StoryArchive.h"
#include "support/RecordingTarget.h"
#include "StoreTestUtil.h"

namespace {

const char* const kDailyTop = "http://daily.example/top";
const char* const kCustom = "http://custom.example/news";
const char* const kGone = "http://gone.example/news";

TEST(StoryArchiveThreads, ScanningThreadAndUserInterfaceShareTheArchive) {
    CTempDir dir;
    const std::string data = MakeStoryDataFolder(dir);
    CSourceCatalogue catalogue;
    catalogue.AddSource("Daily News", 1)->AddCategory(kDailyTop, 1, 1, "Top Stories");
    catalogue.AddSource("Evening Post", 1)->AddCategory("http://evening.example/", 1, 1, "Headlines");
    CNewsSettings settings;
    settings.SetDefaultSoundLookup([] { return std::string(); });
    settings.SetFileName(dir.Path());
    settings.Load();
    settings.SetAutoSave();
    settings.AddUrl(kCustom);
    settings.AddUrl(kGone);
    CStoryArchive archive(data);
    archive.LoadAll(catalogue, settings);

    constexpr int kStories = 300;
    std::atomic<bool> scanning{true};
    std::set<std::string> dailyHeadlines;  // written by the scanning thread only

    auto scan = [&] {
        for (int i = 0; i < kStories; ++i) {
            // Build the page list the way a cycle does: catalogue, then settings.
            std::vector<std::string> pages;
            {
                CRecursiveLockGuard guard(catalogue);
                for (CNewsSource* s = catalogue.FirstSource(true); s; s = catalogue.NextSource(true))
                    for (CNewsCategory* c = s->FirstCategory(true); c; c = s->NextCategory(true))
                        pages.push_back(c->m_strUrl);
            }
            {
                CRecursiveLockGuard guard(settings);
                settings.ResetEnumeration();
                std::string url;
                bool more = true;
                while (more) {
                    more = settings.GetNextUrl(url);
                    if (!url.empty()) pages.push_back(url);
                }
                (void)settings.GetFlag(SETTING_IGNORE_INITIAL_STORIES);
            }
            pages.push_back(kGone);  // a page read just before its URL was removed
            for (const std::string& page : pages) {
                const std::string headline = std::to_string(i) + " story on " + page;
                CStory story = MakeStory(page, headline, static_cast<std::int32_t>(std::time(nullptr)));
                bool bMatches = i % 3 == 0;
                {
                    CStoryArchiveGuard guard(archive);
                    archive.Open("r+b");
                    const std::string key = story.GetSourceName(false, &catalogue);
                    if (!archive.FindByHeadline(headline, key)) {
                        ASSERT_EQ(archive.Add(story, false), 1);
                        if (page == kDailyTop) dailyHeadlines.insert(headline);
                    } else {
                        bMatches = false;
                    }
                    archive.Close();
                }
                if (bMatches) {
                    story.SetState(STORY_NEW);
                    CStoryArchiveGuard guard(archive);
                    archive.Open("r+b");
                    ASSERT_EQ(archive.Add(story, true), 1);
                    archive.Close();
                }
            }
        }
    };
    std::thread scanner([&] {
        scan();  // a failed assertion returns early; the flag still drops
        scanning = false;
    });

    CRecordingTarget storyList;
    int rounds = 0;
    while (scanning) {
        ++rounds;
        {
            // Story list fill.
            CStoryArchiveGuard guard(archive);
            archive.Open("r+b");
            while (archive.FindNextVisible()) {
                auto story = archive.GetCurrentStory();
                ASSERT_NE(story, nullptr);
                EXPECT_TRUE(IsVisibleState(story->GetState()));
            }
            archive.Close();
        }
        {
            // View a story, then close the list: new stories become unread.
            CStoryArchiveGuard guard(archive);
            archive.Open("r+b");
            if (archive.FindByHeadline("0 story on " + std::string(kDailyTop))) archive.SetCurrentState(STORY_READ);
            archive.Close();
            archive.Open("r+b");
            while (archive.FindNextWithState(STORY_NEW)) archive.SetCurrentState(STORY_UNREAD);
            archive.Close();
        }
        if (rounds % 5 == 0) archive.Maintain(false, &storyList);
        if (rounds % 7 == 0) {
            // The Custom URL dialog drops a URL, releases the settings, then tells the archive.
            {
                CRecursiveLockGuard guard(settings);
                settings.ClearUrls();
                settings.AddUrl(kCustom);
            }
            archive.SourceRemoved(kGone);
            settings.AddUrl(kGone);
        }
        if (rounds % 11 == 0) {
            CRecursiveLockGuard guard(catalogue);
            CNewsSource* evening = catalogue.FindSource("Evening Post");
            evening->SetEnabled(!evening->GetEnabled());
        }
        std::this_thread::yield();
    }
    scanner.join();
    archive.Maintain(false, &storyList);

    EXPECT_EQ(storyList.Count(WM_STORIES_CHANGED), rounds / 5 + 1);
    // Every story the scanning thread recorded for the catalogue page is there once.
    CStoryArchiveGuard guard(archive);
    CStoryFile* daily = archive.FindFile("Daily News");
    ASSERT_NE(daily, nullptr);
    EXPECT_EQ(daily->StoryCount(), static_cast<int>(dailyHeadlines.size()));
    EXPECT_EQ(dailyHeadlines.size(), static_cast<std::size_t>(kStories));
    archive.Open("rb");
    for (const std::string& h : dailyHeadlines) EXPECT_EQ(archive.FindByHeadline(h, "Daily News"), 1) << h;
    archive.Close();
}

}  // namespace
