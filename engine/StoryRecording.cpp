// The recording of a story link the rules accepted: stored hidden during an
// ignored first scan, else with its URL and description as pending, ready
// for the keyword test.
#include <ctime>

#include "engine/PageScanner.h"
#include "store/Story.h"
#include "store/StoryArchive.h"

int CPageScanner::AddCandidate(const CHtmlToken* t, CStory& story, const CWordString& text, std::string description,
                               std::string url) {
    (void)text;
    story.SetTimeFound(static_cast<std::int32_t>(std::time(nullptr)));
    if (m_nFirstScan == 1 && m_nIgnoreInitialStories == 1) {
        // Known from now on, never announced.
        story.SetState(STORY_HIDDEN);
        m_archive.Add(story, false);
        return 0;
    }
    if (url.empty() || description.empty()) {
        if (!BuildTarget(t, url, description)) return 0;
    }
    story.SetUrl(url);
    story.SetDescription(description);
    story.SetState(STORY_PENDING);
    m_archive.Add(story, false);
    return 1;
}
