// --links and --article: the link rules and the article extraction on one
// page, without touching the application folder's data. The core's fetch
// watchdog watches the page fetch.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "app/AppCore.h"
#include "app/DutyTimer.h"
#include "app/FetchWatchdog.h"
#include "app/HomeFolder.h"
#include "cli/CommandRunners.h"
#include "app/StoryTypes.h"
#include "common/FileUtil.h"
#include "common/PrintableText.h"
#include "engine/ArticleText.h"
#include "engine/PageReader.h"
#include "engine/StoryLinks.h"
#include "html/HtmlParser.h"
#include "net/UrlParts.h"

namespace fs = std::filesystem;

namespace {

bool IsWebAddress(const std::string& page) {
    auto startsNoCase = [&](const char* prefix) {
        const std::size_t n = std::char_traits<char>::length(prefix);
        if (page.size() < n) return false;
        for (std::size_t i = 0; i < n; ++i)
            if (std::tolower(static_cast<unsigned char>(page[i])) != prefix[i]) return false;
        return true;
    };
    return startsNoCase("http://") || startsNoCase("https://");
}

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

// Puts the page into parser and parses it: fetched (with the home folder's
// proxy settings, under the fetch watchdog) when it is a web address, read
// when it is a file. Prints why it failed.
bool LoadPage(CHtmlParser& parser, const std::string& home, const std::string& page) {
    if (IsWebAddress(page)) {
        ProxySettings proxy;
        std::string error;
        if (!home.empty() && !CHomeFolder(home).ReadProxySettings(proxy, error)) {
            std::fprintf(stderr, "skimbolt: cannot use the application folder %s: %s\n", home.c_str(),
                         error.c_str());
            return false;
        }
        CUrlParts parts;
        if (!parts.Set(page)) {
            std::fprintf(stderr, "skimbolt: not a web address: %s\n", page.c_str());
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
            std::fprintf(stderr, "skimbolt: cannot fetch %s: %s\n", page.c_str(),
                         FetchFailureText(outcome.failure, outcome.httpStatus).c_str());
            return false;
        }
        parser.ParsePage();
        return true;
    }
    std::error_code ec;
    std::string text;
    if (!fs::is_regular_file(page, ec) || !ReadWholeFile(page, text)) {
        std::fprintf(stderr, "skimbolt: cannot read the page file %s\n", page.c_str());
        return false;
    }
    if (!parser.SetPage(std::move(text))) {
        std::fprintf(stderr, "skimbolt: the page file %s is empty or has %d bytes or more\n", page.c_str(),
                     CHtmlParser::MAX_PAGE_SIZE);
        return false;
    }
    parser.ParsePage();
    return true;
}

// Line ends of the extracted text as this platform writes them, and
// printable text only.
std::string WithUnixLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out.push_back(c);
    return StripControlCharacters(out, true);
}

}  // namespace

int RunLinks(const std::string& home, const std::string& page, const std::string& pageUrlOption) {
    std::string pageUrl = pageUrlOption;
    if (pageUrl.empty()) {
        if (!IsWebAddress(page)) {
            std::fputs("skimbolt: --links with a file needs --page-url URL (the address the page came from)\n"
                       "Try 'skimbolt --help'.\n",
                       stderr);
            return EXIT_USAGE;
        }
        pageUrl = page;
    }
    CHtmlParser parser;
    if (!LoadPage(parser, home, page)) return EXIT_FAILED;
    for (const StoryCandidate& link : FindStoryLinks(parser, pageUrl)) {
        std::printf("%s\t%s\t%s\n", OutputField(link.headline).c_str(), OutputField(link.url).c_str(),
                    OutputField(link.description).c_str());
    }
    std::fflush(stdout);
    return EXIT_OK;
}

int RunArticle(const std::string& home, const std::string& page, const std::string& headline) {
    CHtmlParser parser;
    if (!LoadPage(parser, home, page)) return EXIT_FAILED;
    const std::string text = ExtractArticleText(parser.Tokens(), headline);
    if (text.empty()) {
        std::fprintf(stderr, "skimbolt: no article text found for that headline in %s\n", page.c_str());
        return EXIT_OK;
    }
    std::printf("%s\n", WithUnixLineEnds(text).c_str());
    std::fflush(stdout);
    return EXIT_OK;
}
