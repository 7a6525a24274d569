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
#include "common/MessageTarget.h"
#include "common/ScratchFolder.h"
#include "config/NewsSettings.h"
#include "engine/PageScanner.h"
#include "html/HtmlParser.h"
#include "net/UrlParts.h"
#include "store/StoryArchive.h"

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

// Puts the page into parser: fetched (with the home folder's proxy
// settings) when it is a web address, read when it is a file. Prints why it
// failed.
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
        if (!parser.FetchPage(parts.m_strUrl, proxy.useProxy, proxy.server, proxy.port, proxy.user,
                              proxy.password)) {
            std::fprintf(stderr, "skimbolt: cannot fetch %s: %s\n", page.c_str(),
                         FetchFailureText(parser.GetFailure(), parser.GetHttpStatus()).c_str());
            return false;
        }
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
    return true;
}

// The fetch watchdog over parser's fetches, for as long as it lives.
class CPageWatchdog {
public:
    explicit CPageWatchdog(CHtmlParser& parser)
        : m_timer({{CAppCore::WATCHDOG_PERIOD_MS,
                    [&parser] { AbortOverdueFetch(parser.GetFetcher(), std::time(nullptr)); }}}) {
        m_timer.Start();
    }

private:
    CDutyTimer m_timer;
};

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
    CScratchFolder scratch("skimbolt-links");
    if (scratch.Path().empty()) {
        std::fputs("skimbolt: cannot create a temporary folder\n", stderr);
        return EXIT_FAILED;
    }
    CNewsSettings settings;  // no keyword groups: nothing is matched or fetched besides the page
    CStoryArchive archive(scratch.Path());
    CSilentTarget target;
    CPageScanner scanner(archive, settings, target);
    {
        CPageWatchdog watchdog(scanner.Parser());
        if (!LoadPage(scanner.Parser(), home, page)) return EXIT_FAILED;
    }

    // The probe pass, then the real pass when the probe did not turn into
    // one by itself, as the scanning thread runs them.
    scanner.SetFirstScan(0);
    scanner.SetPageUrl(pageUrl);
    scanner.ScanPage(1);
    if (scanner.ProbeStillSet() == 1) scanner.ScanPage(0);

    CStoryArchiveGuard lock(archive);
    if (archive.Open("rb") == 0) {
        while (archive.FindNextWithState(STORY_PENDING) == 1) {
            std::unique_ptr<CStory> story = archive.GetCurrentStory();
            if (!story) continue;
            std::printf("%s\t%s\t%s\n", OutputField(story->GetHeadline()).c_str(),
                        OutputField(story->GetUrl()).c_str(), OutputField(story->GetDescription()).c_str());
        }
        archive.Close();
    }
    std::fflush(stdout);
    return EXIT_OK;
}

int RunArticle(const std::string& home, const std::string& page, const std::string& headline) {
    CHtmlParser parser;
    {
        CPageWatchdog watchdog(parser);
        if (!LoadPage(parser, home, page)) return EXIT_FAILED;
    }
    parser.ParsePage();
    const std::string text = CPageScanner::ExtractArticleFromTokens(parser, headline);
    if (text.empty()) {
        std::fprintf(stderr, "skimbolt: no article text found for that headline in %s\n", page.c_str());
        return EXIT_OK;
    }
    std::printf("%s\n", WithUnixLineEnds(text).c_str());
    std::fflush(stdout);
    return EXIT_OK;
}
