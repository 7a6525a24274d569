// CNewStoryTracker: tells which stories of the archive became new (state 1)
// since it last looked, so that a headless run can print each new story
// once. It only reads the archive; story states stay as they are.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "store/Story.h"

class CSourceCatalogue;
class CStoryArchive;

class CNewStoryTracker {
public:
    CNewStoryTracker(CStoryArchive& archive, CSourceCatalogue* pCatalogue)
        : m_archive(archive), m_pCatalogue(pCatalogue) {}

    // Remembers the stories that are new now, so that they are not reported.
    void MarkCurrentAsKnown() { TakeNewStories(); }
    // The new stories not reported before, in archive order; from now on
    // they count as reported.
    std::vector<CStory> TakeNewStories();

    // One line for a story: headline, URL, source display name and keyword
    // group, separated by tabs (tabs and line ends inside a field become
    // spaces). No line end.
    std::string FormatStory(const CStory& story) const;

private:
    CStoryArchive& m_archive;
    CSourceCatalogue* m_pCatalogue;
    std::set<std::string> m_known;  // source and headline of every story reported
};

// A field of a tab-separated output line: printable text only (tabs, CR and
// LF become spaces, other control characters are dropped).
std::string OutputField(const std::string& text);
