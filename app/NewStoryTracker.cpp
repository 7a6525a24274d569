#include "app/NewStoryTracker.h"

#include "store/StoryArchive.h"

std::vector<std::pair<CStory, std::string>> CNewStoryTracker::TakeNewStories() {
    std::vector<std::pair<CStory, std::string>> found;
    CStoryArchiveGuard lock(m_archive);
    if (m_archive.Open("rb") != 0) return found;  // no story file at all
    while (m_archive.FindNextWithState(STORY_NEW) == 1) {
        std::unique_ptr<CStory> story = m_archive.GetCurrentStory();
        if (!story) continue;
        std::string key = story->GetSource();
        key += '\n';
        key += story->GetHeadline();
        if (m_known.insert(std::move(key)).second) found.emplace_back(*story, m_archive.GetCurrentKey());
    }
    m_archive.Close();
    return found;
}
