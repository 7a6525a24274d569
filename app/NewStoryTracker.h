// CNewStoryTracker: tells which stories of the archive became new (state 1)
// since it last looked, so that each new story reaches the core's news
// once. It only reads the archive; story states stay as they are.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "store/Story.h"

class CStoryArchive;

class CNewStoryTracker {
public:
    explicit CNewStoryTracker(CStoryArchive& archive) : m_archive(archive) {}

    // Remembers the stories that are new now, so that they are not reported.
    void MarkCurrentAsKnown() { TakeNewStories(); }
    // The new stories not reported before, in archive order, each with the
    // key of the file holding it; from now on they count as reported.
    std::vector<std::pair<CStory, std::string>> TakeNewStories();

private:
    CStoryArchive& m_archive;
    std::set<std::string> m_known;  // source and headline of every story reported
};
