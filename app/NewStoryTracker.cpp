#include "app/NewStoryTracker.h"

#include <algorithm>

#include "common/PrintableText.h"
#include "store/StoryArchive.h"

std::string OutputField(const std::string& text) { return StripControlCharacters(text); }

std::vector<CStory> CNewStoryTracker::TakeNewStories() {
    std::vector<CStory> found;
    CStoryArchiveGuard lock(m_archive);
    if (m_archive.Open("rb") != 0) return found;  // no story file at all
    while (m_archive.FindNextWithState(STORY_NEW) == 1) {
        std::unique_ptr<CStory> story = m_archive.GetCurrentStory();
        if (!story) continue;
        std::string key = story->GetSource();
        key += '\n';
        key += story->GetHeadline();
        if (m_known.insert(std::move(key)).second) found.push_back(*story);
    }
    m_archive.Close();
    return found;
}

std::string CNewStoryTracker::FormatStory(const CStory& story) const {
    std::string line = OutputField(story.GetHeadline());
    line += '\t';
    line += OutputField(story.GetUrl());
    line += '\t';
    line += OutputField(story.GetSourceName(true, m_pCatalogue));
    line += '\t';
    line += OutputField(story.GetKeywords());
    return line;
}
