#include "support/NewsSite.h"

#include "support/TestHttpServer.h"

namespace {

// The six stories of the default front page. Their words are chosen for the
// keyword tests: only story 1 names inflation, stories 2 and 3 the stock
// market (3 with football, in its description and article), only the
// article of story 4 names a flood, only the article of story 5 a vaccine,
// and story 6 matches nothing anywhere.
std::vector<SiteStory> DefaultStories() {
    return {
        {"/story/1.html", "Central bank warns inflation may stay high",
         "Officials said price growth would slow only gradually next year.",
         "The central bank said on Tuesday that price growth across the region would ease only slowly, and that "
         "households should expect inflation to stay above the official target for most of the coming year, "
         "according to the statement released after the meeting.",
         SiteStory::LIST},
        {"/story/2.html", "Stock market climbs as tech shares rebound",
         "The stock market gained for a third straight session on Tuesday.",
         "Shares of the largest technology companies led a broad advance on Tuesday, lifting the main index to "
         "its best level in two months as traders returned after a quiet holiday week and bought back into the "
         "firms that had fallen furthest in the autumn.",
         SiteStory::LIST},
        {"/story/3.html", "Stock market dips after football club sale collapses",
         "The stock market slipped when the football club takeover failed.",
         "The stock market slipped in late trading after the planned sale of the city football club collapsed "
         "at the last minute, leaving the investment group that had promised to buy it with a large loss and "
         "many questions from its own shareholders.",
         SiteStory::LIST},
        {"/story/4.html", "River levels climb after a week of heavy rain",
         "Residents near the banks were told to watch for warnings.",
         "The river rose by almost two metres over the weekend after a week of heavy rain, and the county "
         "council warned that a flood was likely in the low fields south of the old mill unless the weather "
         "turned drier before the middle of the week.",
         SiteStory::TABLE},
        {"/story/5.html", "Scientists report progress in a new treatment trial",
         "The early findings were described as encouraging by the team.",
         "Scientists at the university hospital said the first stage of their trial of a new vaccine had gone "
         "better than expected, with most of the volunteers showing a strong response and very few reporting "
         "any of the side effects the team had been watching for.",
         SiteStory::TABLE},
        {"/story/6.html", "Harbour bridge repairs will close two lanes",
         "Engineers expect the work to last until the autumn.",
         "Two lanes of the harbour bridge will close from Monday while engineers replace the worn joints and "
         "repaint the steel, and drivers have been asked to use the ring road or the ferry whenever they can "
         "during the busiest hours of the morning and evening.",
         SiteStory::LIST},
    };
}

std::string StoryItem(const SiteStory& s, bool bWithMore) {
    std::string html = "<a href=\"" + s.path + "\">" + s.headline + "</a><br>" + s.description;
    if (bWithMore) html += " <a href=\"/more" + s.path + "\">More</a>";
    return html;
}

}  // namespace

CNewsSite::CNewsSite() : m_stories(DefaultStories()) {
    // Twelve rows: the probe pass turns into the real pass after more than
    // ten multi-word links, and only then does the real pass keep treating
    // the rows as listings.
    const char* const woods[] = {"Oak", "Pine", "Walnut", "Cherry"};
    const char* const items[] = {"writing desk with drawers", "bookcase with five shelves", "dining table for six"};
    for (int i = 0; i < 12; ++i) {
        const std::string code = std::to_string(48213 + 1117 * i);
        m_listings.push_back({"/item.html?id=" + code, std::string(woods[i % 4]) + " " + items[i % 3], code,
                              "$" + std::to_string(25 + 15 * i) + ".50"});
    }
}

std::string CNewsSite::FrontPage(const std::string& baseUrl) const {
    const std::string self = baseUrl + FRONT_PAGE;
    // Written without white space between the tags, as many generated pages
    // are, so that the text around each link is exactly what is shown here.
    std::string html =
        "<html><head><title>The Riverside Courier</title></head><body>"
        "<table width=\"100%\"><tr><td><a href=\"" + self + "\">Home</a> | <a href=\"/weather.html\">Weather</a>"
        " | <a href=\"/video/\">Video</a> | <a href=\"/search/\">Search</a></td></tr></table>"
        "<p>Morning edition for the Riverside district. <a href=\"/archive/0303.html\">Monday, March 3</a>"
        " | Updated <a href=\"/live/1045.html\">10:45 AM</a></p>";

    // The list stories: the first half under "World News", the rest under
    // "Business", followed there by an advertisement in the same list.
    std::vector<const SiteStory*> listed, tabled;
    for (const SiteStory& s : m_stories) (s.layout == SiteStory::LIST ? listed : tabled).push_back(&s);
    const std::size_t firstHalf = listed.size() > 2 ? listed.size() - 1 : listed.size();
    html += "<p><b><a href=\"/world/\">World News</a></b></p><ul>";
    for (std::size_t i = 0; i < firstHalf; ++i) html += "<li>" + StoryItem(*listed[i], i == 0) + "</li>";
    html += "</ul><p><b><a href=\"/business/\">Business</a></b></p><ul>";
    for (std::size_t i = firstHalf; i < listed.size(); ++i) html += "<li>" + StoryItem(*listed[i], false) + "</li>";
    html += "<li><a href=\"/ads.html?slot=3\">Win a luxury cruise for two this summer</a></li></ul>";

    // The table stories, two to a row; a photo credit (passed over in the
    // description) before the second description.
    html += "<table>";
    for (std::size_t i = 0; i < tabled.size(); i += 2) {
        html += "<tr><td>" + StoryItem(*tabled[i], false) + "</td>";
        if (i + 1 < tabled.size()) {
            const SiteStory& s = *tabled[i + 1];
            html += "<td><a href=\"" + s.path + "\">" + s.headline + "</a><br><b>Photo: Ana Lima</b> " +
                    s.description + "</td>";
        }
        html += "</tr>";
    }
    html += "<tr><td><a href=\"/photos/7.html\">Photo: Ana Lima</a></td>"
            "<td><a href=\"/statement.html\">OFFICIAL STATEMENT</a></td></tr></table>";

    html += "<p>Our partners: <a href=\"" + baseUrl +
            "/sponsor/offer.html\">Save big on summer travel deals today</a></p>"
            "<p>Write to the news desk: <a href=\"mailto:desk@courier.example\">Send us your local story tips "
            "today</a></p>"
            "<p>Archive: <a href=\"/cgi-bin/search?q=flood\">Find every report about local flooding</a></p>"
            "<p>Bookmark us: <a href=\"" + self + "\">Return to the front page of the Courier</a></p>"
            "</body></html>";
    return html;
}

std::string CNewsSite::MarketPage() const {
    std::string html =
        "<html><head><title>Riverside Market</title></head><body><p>Furniture listings for this week.</p>"
        "<table><tr><td>Item</td><td>Number</td><td>Seller</td><td>Price</td></tr>";
    for (const SiteListing& l : m_listings)
        html += "<tr><td><a href=\"" + l.path + "\">" + l.title + "</a></td><td>" + l.code +
                "</td><td>7777777</td><td>" + l.price + "</td></tr>";
    html += "</table></body></html>";
    return html;
}

std::string CNewsSite::ArticlePage(const SiteStory& story) const {
    std::string html = "<html><head><title>" + story.headline +
                       " - The Riverside Courier</title></head><body>"
                       "<table><tr><td><a href=\"/index.html\">Home</a> | <a href=\"/world/\">World</a></td></tr>"
                       "</table><h1>" + story.headline + "</h1><p>By a staff reporter</p>";
    html += "<p>" + story.article + "</p><table><tr><td><a href=\"/index.html\">Back to the front page</a></td></tr>"
            "</table></body></html>";
    return html;
}

void CNewsSite::Serve(CTestHttpServer& server) const {
    server.SetPage(FRONT_PAGE, FrontPage(server.Url("")));
    server.SetPage(MARKET_PAGE, MarketPage());
    for (const SiteStory& s : m_stories) server.SetPage(s.path, ArticlePage(s));
}
