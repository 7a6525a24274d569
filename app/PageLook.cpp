#include "app/PageLook.h"

#include <cctype>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/AppCore.h"
#include "app/DutyTimer.h"
#include "app/FetchWatchdog.h"
#include "app/HomeFolder.h"
#include "common/FileUtil.h"
#include "common/PrintableText.h"
#include "engine/ArticleText.h"
#include "engine/PageReader.h"
#include "engine/StoryLinks.h"
#include "html/HtmlParser.h"
#include "net/UrlParts.h"

namespace fs = std::filesystem;

namespace {

// The fetch watchdog over a fetcher, for as long as it lives.
class CPageWatchdog {
public:
    explicit CPageWatchdog(CHttpFetcher& fetcher)
        : m_timer({{CAppCore::WATCHDOG_PERIOD_MS, [&fetcher] { AbortOverdueFetch(fetcher, std::time(nullptr)); }}}) {
        m_timer.Start();
    }

private:
    CDutyTimer m_timer;
};

}  // namespace

CPageLook::CPageLook() : m_pParser(std::make_unique<CHtmlParser>()) {}
CPageLook::~CPageLook() = default;

bool CPageLook::IsWebAddress(const std::string& page) {
    auto startsNoCase = [&](const char* prefix) {
        const std::size_t n = std::char_traits<char>::length(prefix);
        if (page.size() < n) return false;
        for (std::size_t i = 0; i < n; ++i)
            if (std::tolower(static_cast<unsigned char>(page[i])) != prefix[i]) return false;
        return true;
    };
    return startsNoCase("http://") || startsNoCase("https://");
}

bool CPageLook::Load(const std::string& home, const std::string& page, std::string& error) {
    CHtmlParser& parser = *m_pParser;
    if (IsWebAddress(page)) {
        ProxySettings proxy;
        std::string why;
        if (!home.empty() && !CHomeFolder(home).ReadProxySettings(proxy, why)) {
            error = "cannot use the application folder " + home + ": " + why;
            return false;
        }
        CUrlParts parts;
        if (!parts.Set(page)) {
            error = "not a web address: " + page;
            return false;
        }
        CHttpFetcher fetcher;
        PageReadOutcome outcome;
        bool bFetched = false;
        {
            CPageWatchdog watchdog(fetcher);
            bFetched = FetchPageInto(fetcher, parts.m_strUrl, proxy, parser, outcome);
        }
        if (!bFetched) {
            error = "cannot fetch " + page + ": " + FetchFailureText(outcome.failure, outcome.httpStatus);
            return false;
        }
        parser.ParsePage();
        return true;
    }
    std::error_code ec;
    std::string text;
    if (!fs::is_regular_file(page, ec) || !ReadWholeFile(page, text)) {
        error = "cannot read the page file " + page;
        return false;
    }
    if (!parser.SetPage(std::move(text))) {
        error = "the page file " + page + " is empty or has " + std::to_string(CHtmlParser::MAX_PAGE_SIZE) +
                " bytes or more";
        return false;
    }
    parser.ParsePage();
    return true;
}

std::vector<PageLink> CPageLook::StoryLinks(const std::string& pageUrl, bool bFiltered) const {
    std::vector<PageLink> links;
    for (StoryCandidate& link : FindStoryLinks(*m_pParser, pageUrl, bFiltered))
        links.push_back({std::move(link.headline), std::move(link.url), std::move(link.description),
                         link.dropRule ? link.dropRule : ""});
    return links;
}

std::string CPageLook::ArticleText(const std::string& headline) const {
    return ExtractArticleText(m_pParser->Tokens(), headline);
}

std::string CPageLook::Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out.push_back(c);
    return StripControlCharacters(out, true);
}
