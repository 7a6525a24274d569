// CStory: one news story in memory (headline, URL, source, keywords,
// description, time found and reading state), as passed between the scanning
// engine, the story archive and the story windows.
#pragma once

#include <cstdint>
#include <string>

class CSourceCatalogue;
struct StoryFileRecord;

// Reading state of a story. 1 to 4 are shown in the story list; 4 never
// expires; 0, 5 and 6 only remember that a story was seen.
enum StoryState : int {
    STORY_PENDING = 0,     // recorded when first seen, not delivered
    STORY_NEW = 1,         // delivered, not yet seen in a closed story list
    STORY_UNREAD = 2,      // delivered, list closed since, not viewed
    STORY_READ = 3,        // viewed
    STORY_BOOKMARKED = 4,  // kept by the user
    STORY_HIDDEN = 5,      // deleted by the user or ignored at start-up
    STORY_SUPERSEDED = 6,  // a file record replaced by a later one
};

// True for the states the story list shows (new, unread, read, bookmarked).
constexpr bool IsVisibleState(int nState) { return nState >= STORY_NEW && nState <= STORY_BOOKMARKED; }

class CStory {
public:
    CStory() = default;
    CStory(const CStory&) = default;
    CStory& operator=(const CStory&) = default;
    virtual ~CStory() = default;

    void SetSource(const std::string& s) { m_strSource = s; }
    const std::string& GetSource() const { return m_strSource; }
    void SetHeadline(const std::string& s) { m_strHeadline = s; }
    const std::string& GetHeadline() const { return m_strHeadline; }
    void SetDescription(const std::string& s) { m_strDescription = s; }
    const std::string& GetDescription() const { return m_strDescription; }
    void SetUrl(const std::string& s) { m_strUrl = s; }
    const std::string& GetUrl() const { return m_strUrl; }
    void SetKeywords(const std::string& s) { m_strKeywords = s; }
    const std::string& GetKeywords() const { return m_strKeywords; }
    void SetTimeFound(std::int32_t t) { m_tFound = t; }
    std::int32_t GetTimeFound() const { return m_tFound; }
    void SetState(std::int32_t n) { m_nState = n; }
    std::int32_t GetState() const { return m_nState; }

    // The story's source as a name. With bDisplay clear this is the source key
    // (the key of the story file holding it): the catalogue source name, or
    // "Custom: " and the URL. With bDisplay set it is the display name: the
    // source name with the category in parentheses, or "Custom: " and the URL.
    // A page URL is translated through the catalogue; without a catalogue
    // every page URL counts as a custom one.
    std::string GetSourceName(bool bDisplay, CSourceCatalogue* pCatalogue) const;

    // Copies a file record into the story; absent texts become empty.
    void AssignFromRecord(const StoryFileRecord& rec);
    // Builds the file record of the story; the source stored is the display name.
    void BuildRecord(StoryFileRecord& rec, CSourceCatalogue* pCatalogue) const;

private:
    std::string m_strSource;       // page URL, "Custom: " + URL, or "Name (Category)"
    std::string m_strHeadline;     // identifies the story within its source
    std::string m_strDescription;  // may be empty
    std::string m_strUrl;          // the article's address
    std::string m_strKeywords;     // the keyword group that matched; may be empty
    std::int32_t m_tFound = 0;     // seconds since 1970-01-01 UTC
    std::int32_t m_nState = STORY_PENDING;
};
