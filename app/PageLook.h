// CPageLook: one page looked at apart from any scan, for the page commands
// (--links, --article): read from the web (with the application folder's
// proxy settings, under the fetch watchdog) or from a file, then the story
// links the rules find on it, or its article text. Touches no story file.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CHtmlParser;

// A story link as the rules found it.
struct PageLink {
    std::string headline;
    std::string url;
    std::string description;  // the text after the link, or a listing row's price
    std::string dropRule;     // unfiltered: the story filter's rule that drops it ("" when kept)
};

class CPageLook {
public:
    CPageLook();
    ~CPageLook();
    CPageLook(const CPageLook&) = delete;
    CPageLook& operator=(const CPageLook&) = delete;

    // Whether page is an http:// or https:// address rather than a file.
    static bool IsWebAddress(const std::string& page);

    // Reads and parses page, a web address or a file; home ("" for none) is
    // the application folder whose proxy settings a fetch uses. False with
    // error saying why.
    bool Load(const std::string& home, const std::string& page, std::string& error);
    // The story links of the loaded page, whose address is pageUrl; without
    // bFiltered, as the link rules take them before the story filter.
    std::vector<PageLink> StoryLinks(const std::string& pageUrl, bool bFiltered = true) const;
    // The article text of the loaded page for a story with that headline;
    // empty when there is none.
    std::string ArticleText(const std::string& headline) const;
    // text with the platform's line ends and printable characters only.
    static std::string Printable(const std::string& text);

private:
    std::unique_ptr<CHtmlParser> m_pParser;
};
