// CNewsSite: a small generated news site for the scanning tests: a front
// page with a navigation bar, section headings, story links in lists and in
// table cells with their descriptions, and links that are not stories (dates,
// clock times, "More", an advertising and a sponsor target, a photo credit,
// a mail address, a search script, the page's own address, capitals); a
// price listing page; and one article page per story.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CTestHttpServer;

struct SiteStory {
    enum Layout { LIST, TABLE };
    std::string path;         // of its article page, e.g. "/story/3.html"
    std::string headline;
    std::string description;  // the text after the link on the front page
    std::string article;      // the article body: one paragraph
    Layout layout = LIST;
};

// One row of the price listing page.
struct SiteListing {
    std::string path;   // the item's page, e.g. "/item.html?id=48213"
    std::string title;  // the link text
    std::string code;   // the item number cell
    std::string price;  // the price cell, e.g. "$125.00"
};

class CNewsSite {
public:
    static constexpr const char* FRONT_PAGE = "/index.html";
    static constexpr const char* MARKET_PAGE = "/market.html";

    CNewsSite();

    // A story added to the front page (and its article page).
    void AddStory(SiteStory story) { m_stories.push_back(std::move(story)); }
    void SetStories(std::vector<SiteStory> stories) { m_stories = std::move(stories); }
    const std::vector<SiteStory>& Stories() const { return m_stories; }
    const std::vector<SiteListing>& Listings() const { return m_listings; }

    // The pages; baseUrl is "http://host:port" (links to the page itself and
    // to other hosts are written absolute).
    std::string FrontPage(const std::string& baseUrl) const;
    std::string MarketPage() const;
    std::string ArticlePage(const SiteStory& story) const;

    // Sets every page on the server (again, after a change).
    void Serve(CTestHttpServer& server) const;

private:
    std::vector<SiteStory> m_stories;
    std::vector<SiteListing> m_listings;
};
