// The candidate a story link the rules accepted becomes: stored hidden at
// once during an ignored first scan, else given its URL and description as
// pending and handed to the keyword test, which records it once the test is
// done (so that a story whose test could not finish is met again as new).
#include <ctime>

#include "common/PrintableText.h"
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
    story.SetUrl(StripControlCharacters(url));
    story.SetDescription(StripControlCharacters(description));
    story.SetState(STORY_PENDING);
    return 1;
}
