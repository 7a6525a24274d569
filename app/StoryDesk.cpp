#include "app/StoryDesk.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "config/NewsSettings.h"
#include "config/ProxySettings.h"
#include "config/SourceCatalogue.h"
#include "net/FramingCheck.h"
#include "present/HtmlEscaping.h"
#include "present/StoryPages.h"
#include "store/StoryArchive.h"

namespace {

CStory StoryOf(const StoryItem& item) {
    CStory story;
    story.SetSource(item.sourceName);
    story.SetHeadline(item.Headline());
    story.SetUrl(item.url);
    story.SetDescription(item.description);
    story.SetKeywords(item.keywords);
    story.SetTimeFound(item.tFound);
    story.SetState(item.state);
    return story;
}

}  // namespace

StoryItem CStoryDesk::ItemOf(const CStory& story, const std::string& sourceKey) {
    StoryItem item;
    item.key = {sourceKey, story.GetHeadline()};
    // A stored source is its display name already; a page URL (as the
    // scanning engine sets it) is looked up in the catalogue.
    item.sourceName = story.GetSourceName(true, &m_catalogue);
    item.url = story.GetUrl();
    item.description = story.GetDescription();
    item.keywords = story.GetKeywords();
    item.tFound = story.GetTimeFound();
    item.state = story.GetState();
    return item;
}

bool CStoryDesk::Seek(const StoryKey& key, const char* mode) {
    m_archive.Open(mode);
    return m_archive.FindByHeadline(key.headline, key.source) == 1;
}

std::vector<StoryItem> CStoryDesk::VisibleStories() {
    std::vector<std::pair<std::unique_ptr<CStory>, std::string>> found;
    {
        CStoryArchiveGuard lock(m_archive);
        if (m_archive.Open("r+b") == 0) {
            while (m_archive.FindNextVisible()) {
                std::unique_ptr<CStory> story = m_archive.GetCurrentStory();
                if (story) found.emplace_back(std::move(story), m_archive.GetCurrentKey());
            }
        }
        m_archive.Close();
    }
    // The catalogue's lock is taken with the archive's released. The archive
    // keeps each file's stories oldest first, file after file: newest first
    // over all files is a sort by the time found (stories found in the same
    // second stay newest recorded first).
    std::vector<StoryItem> items;
    items.reserve(found.size());
    for (auto it = found.rbegin(); it != found.rend(); ++it) items.push_back(ItemOf(*it->first, it->second));
    std::stable_sort(items.begin(), items.end(),
                     [](const StoryItem& a, const StoryItem& b) { return a.tFound > b.tFound; });
    return items;
}

std::optional<StoryItem> CStoryDesk::Find(const StoryKey& key) {
    std::unique_ptr<CStory> story;
    {
        CStoryArchiveGuard lock(m_archive);
        if (Seek(key, "rb")) story = m_archive.GetCurrentStory();
        m_archive.Close();
    }
    if (!story) return std::nullopt;
    return ItemOf(*story, key.source);
}

bool CStoryDesk::SetState(const StoryKey& key, int nState) {
    CStoryArchiveGuard lock(m_archive);
    const bool bChanged = Seek(key, "r+b") && m_archive.SetCurrentState(nState) == 1;
    m_archive.Close();
    return bChanged;
}

bool CStoryDesk::MarkRead(const StoryKey& key) {
    CStoryArchiveGuard lock(m_archive);
    bool bChanged = false;
    if (Seek(key, "r+b")) {
        const int state = m_archive.GetCurrentState();
        if (state == STORY_NEW || state == STORY_UNREAD) bChanged = m_archive.SetCurrentState(STORY_READ) == 1;
    }
    m_archive.Close();
    return bChanged;
}

bool CStoryDesk::Bookmark(const StoryKey& key) {
    CStoryArchiveGuard lock(m_archive);
    bool bDone = false;
    if (Seek(key, "r+b")) {
        std::unique_ptr<CStory> story = m_archive.GetCurrentStory();
        if (story && story->GetState() != STORY_BOOKMARKED) {
            story->SetState(STORY_BOOKMARKED);
            m_archive.Add(*story, true);
            bDone = true;
        }
    }
    m_archive.Close();
    return bDone;
}

void CStoryDesk::Delete(const std::vector<StoryKey>& keys) {
    CStoryArchiveGuard lock(m_archive);
    for (const StoryKey& key : keys) {
        if (Seek(key, "r+b")) m_archive.SetCurrentState(STORY_HIDDEN);
        m_archive.Close();
    }
}

void CStoryDesk::DeleteAll(bool bBookmarkedToo) {
    CStoryArchiveGuard lock(m_archive);
    if (m_archive.Open("r+b") == 0) {
        while (m_archive.FindNextVisible())
            if (bBookmarkedToo || m_archive.GetCurrentState() != STORY_BOOKMARKED)
                m_archive.SetCurrentState(STORY_HIDDEN);
    }
    m_archive.Close();
}

void CStoryDesk::MarkNewAsUnread() {
    CStoryArchiveGuard lock(m_archive);
    if (m_archive.Open("r+b") == 0)
        while (m_archive.FindNextWithState(STORY_NEW)) m_archive.SetCurrentState(STORY_UNREAD);
    m_archive.Close();
}

bool CStoryDesk::Add(const StoryItem& item) {
    CStoryArchiveGuard lock(m_archive);
    m_archive.Open("r+b");
    const bool bSaved = m_archive.Add(StoryOf(item), false) == 1;
    m_archive.Close();
    if (bSaved && item.state == STORY_NEW && m_keepNew) m_keepNew(item);
    return bSaved;
}

void CStoryDesk::SetStoryPages(const std::string& bannerHost, const std::string& pagesFolder) {
    m_pages.SetBannerHost(bannerHost);
    m_pages.SetDataFolder(m_pages.HasBannerHost() ? pagesFolder : "");
    if (m_pages.HasBannerHost()) m_pages.PrepareFolder();
}

bool CStoryDesk::WritesStoryPages() const { return m_pages.HasBannerHost(); }

std::string CStoryDesk::PagesFolder() const { return m_pages.HasBannerHost() ? m_pages.GetDataFolder() : ""; }

bool CStoryDesk::WritePages(const StoryItem& item, std::string& frameUrl) {
    std::string framePath;
    if (!m_pages.WritePages(StoryOf(item), framePath)) return false;
    frameUrl = CStoryPages::PageUrl(framePath);
    return true;
}

void CStoryDesk::CleanUpPages() { m_pages.CleanUpPages(); }

std::string CStoryDesk::ArticleLink(const StoryItem& story) { return WebLinkOnly(story.url); }

FramingCheckOptions CStoryDesk::FramingOptions(const StoryItem& story) {
    const ProxySettings proxy = ReadProxySettings(m_settings);
    FramingCheckOptions options;
    options.sourcePage = m_catalogue.GetUrlFor(story.sourceName);
    if (proxy.useProxy && !proxy.server.empty()) {
        options.proxy = proxy.server + ":" + std::to_string(proxy.port);
        options.user = proxy.user;
        options.password = proxy.password;
    }
    return options;
}

bool CStoryDesk::AskWhereToShow() { return m_settings.GetFlag(SETTING_BROWSER_DISPLAY_ASK) == 1; }

bool CStoryDesk::ShowInNewWindow() { return m_settings.GetFlag(SETTING_BROWSER_DISPLAY_NEW) == 1; }

void CStoryDesk::ChooseWindow(bool bNewWindow, bool bAlways) {
    m_settings.SetFlag(SETTING_BROWSER_DISPLAY_NEW, bNewWindow ? 1 : 0);
    if (bAlways) m_settings.SetFlag(SETTING_BROWSER_DISPLAY_ASK, 0);
}
