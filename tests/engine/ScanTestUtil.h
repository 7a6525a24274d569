// A page scanner over a temporary story archive, settings without a file and
// a recording main window, with helpers that scan a page from memory the way
// the scanning thread does and read back what the archive holds.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/NewsSettings.h"
#include "engine/PageScanner.h"
#include "store/StoryArchive.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"

struct StoredStory {
    std::string headline;
    std::string url;
    std::string description;
    std::string keywords;
    std::string source;
    int state = -1;
};

class ScanFixture : public ::testing::Test {
protected:
    ScanFixture() : archive(dir.Path()), scanner(archive, settings, window) {}

    // Probe pass, then the real pass when the probe is still set, as the
    // scanning thread runs them for one fetched page.
    void Scan(const std::string& html, const std::string& pageUrl) {
        ASSERT_TRUE(scanner.Parser().SetPage(html));
        scanner.SetPageUrl(pageUrl);
        scanner.ScanPage(1);
        if (scanner.ProbeStillSet() == 1) scanner.ScanPage(0);
    }

    // Every live story of the archive in states 0 to 5, by state, then in
    // file order.
    std::vector<StoredStory> Stories() {
        std::vector<StoredStory> out;
        CStoryArchiveGuard lock(archive);
        for (int state = STORY_PENDING; state <= STORY_HIDDEN; ++state) {
            archive.Open("rb");
            while (archive.FindNextWithState(state)) {
                auto story = archive.GetCurrentStory();
                if (!story) continue;
                out.push_back({story->GetHeadline(), story->GetUrl(), story->GetDescription(), story->GetKeywords(),
                               story->GetSource(), story->GetState()});
            }
            archive.Close();
        }
        return out;
    }

    std::vector<std::string> Headlines() {
        std::vector<std::string> out;
        for (const StoredStory& s : Stories()) out.push_back(s.headline);
        return out;
    }

    const StoredStory* Find(const std::vector<StoredStory>& stories, const std::string& headline) {
        for (const StoredStory& s : stories)
            if (s.headline == headline) return &s;
        return nullptr;
    }

    CTempDir dir;
    CStoryArchive archive;
    CNewsSettings settings;
    CRecordingTarget window;
    CPageScanner scanner;
};
