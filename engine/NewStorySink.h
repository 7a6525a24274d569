// CNewStorySink: where the story recorder reports each story it stores as
// new, with the key of the story file that holds it: once just before it
// is stored (so that a record of it can be made first) and once after. CNewStoryPoster, the
// default, wakes the main window with WM_NEW_STORIES for each one.
#pragma once

#include <string>

#include "common/Messages.h"
#include "common/MessageTarget.h"

class CStory;

class CNewStorySink {
public:
    virtual ~CNewStorySink() = default;
    // Called on the scanning thread just before the story goes into the archive.
    virtual void OnStoryBecomingNew(const CStory&, const std::string&) {}
    // Called on the scanning thread once the story is in the archive.
    virtual void OnNewStory(const CStory& story, const std::string& sourceKey) = 0;
};

class CNewStoryPoster : public CNewStorySink {
public:
    explicit CNewStoryPoster(CMessageTarget& target) : m_target(target) {}
    void OnNewStory(const CStory&, const std::string&) override { m_target.Post(WM_NEW_STORIES, 0, 0); }

private:
    CMessageTarget& m_target;
};
