// CStoryDesk: the stories as the story windows see them. It answers with
// values (StoryItem) and carries out the windows' commands on the archive,
// each under the archive's lock, so that no window holds the archive's
// cursor or lock. It also writes the pages a story is viewed in and keeps
// the user's choice of browser window. Owned by CAppCore (core.Stories()).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/StoryTypes.h"

class CNewsSettings;
class CSourceCatalogue;
class CStoryArchive;
class CStoryPages;
class CStory;
struct FramingCheckOptions;

class CStoryDesk {
public:
    CStoryDesk(CStoryArchive& archive, CSourceCatalogue& catalogue, CNewsSettings& settings, CStoryPages& pages)
        : m_archive(archive), m_catalogue(catalogue), m_settings(settings), m_pages(pages) {}
    CStoryDesk(const CStoryDesk&) = delete;
    CStoryDesk& operator=(const CStoryDesk&) = delete;

    // ---- Queries.
    // The stories the story list shows (new, unread, read, bookmarked),
    // newest first.
    std::vector<StoryItem> VisibleStories();
    // One story in any state; none when the archive does not hold it.
    std::optional<StoryItem> Find(const StoryKey& key);

    // ---- Commands. Each looks the story up again by its key.
    // True when the state was changed and saved.
    bool SetState(const StoryKey& key, int nState);
    // A new or unread story becomes read; true when it changed.
    bool MarkRead(const StoryKey& key);
    // Keeps the story for good (a superseding record); true when the story
    // is there and was not bookmarked yet.
    bool Bookmark(const StoryKey& key);
    // The stories are hidden from the list.
    void Delete(const std::vector<StoryKey>& keys);
    // Every visible story is hidden; bookmarked ones only with bBookmarkedToo.
    void DeleteAll(bool bBookmarkedToo);
    // The new stories become unread (the story list was closed).
    void MarkNewAsUnread();
    // Records a story in the archive as the scanning thread does (tools and
    // tests); true when saved. A new story goes into the news of the pass
    // that runs, as the scanning thread's do; the caller wakes the front end.
    bool Add(const StoryItem& story);
    // Where Add hands a new story (the core's news).
    void SetNewStoryKeeper(std::function<void(StoryItem)> keep) { m_keepNew = std::move(keep); }

    // ---- Viewing a story.
    // A story is shown in pages of ours only around a banner: with a banner
    // host, the pages go to pagesFolder, which is made at once and given the
    // companion files the pages link to; without one (host ""), the browser
    // gets the story's own address. Set at start-up.
    void SetStoryPages(const std::string& bannerHost, const std::string& pagesFolder);
    // Whether a story is shown in its summary and frame pages.
    bool WritesStoryPages() const;
    // The folder the pages are written to ("" when none are written).
    std::string PagesFolder() const;
    // Writes the story's summary and frame pages; true with frameUrl (a
    // file:// URL) set when both were written.
    bool WritePages(const StoryItem& story, std::string& frameUrl);
    // Deletes the pages written in this run (at exit).
    void CleanUpPages();
    // The article's address when it is a web link, else "".
    static std::string ArticleLink(const StoryItem& story);
    // The settings' proxy and the story's source page, for the look at the
    // article's headers.
    FramingCheckOptions FramingOptions(const StoryItem& story);
    // Whether the user wants to be asked where a story is shown, and where
    // it goes without asking.
    bool AskWhereToShow();
    bool ShowInNewWindow();
    // The user's answer: new or current window, and whether to stop asking.
    void ChooseWindow(bool bNewWindow, bool bAlways);

    // The story as the front ends get it; sourceKey is its file's key.
    StoryItem ItemOf(const CStory& story, const std::string& sourceKey);

private:
    // Finds the story under the archive's lock (which the caller holds)
    // after opening the archive in mode.
    bool Seek(const StoryKey& key, const char* mode);

    CStoryArchive& m_archive;
    CSourceCatalogue& m_catalogue;
    CNewsSettings& m_settings;
    CStoryPages& m_pages;
    std::function<void(StoryItem)> m_keepNew;
};
