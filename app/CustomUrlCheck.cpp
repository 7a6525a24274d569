#include "app/CustomUrlCheck.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "common/PrintableText.h"
#include "config/ConfigStore.h"
#include "config/NewsSettings.h"
#include "engine/LinkRules.h"
#include "engine/PageReader.h"
#include "engine/StoryLinks.h"
#include "html/HtmlParser.h"

namespace {

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool ContainsAny(const std::string& text, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (text.find(w) != std::string::npos) return true;
    return false;
}

bool LooksLikeNavigation(const std::string& lower) {
    return ContainsAny(lower, {"top", "right", "left", "bottom", "nav", "menu"});
}

bool LooksLikeMain(const std::string& lower) { return ContainsAny(lower, {"main", "content"}); }

// "scheme://" at the start of the address.
bool HasScheme(const std::string& url) {
    const std::size_t sep = url.find("://");
    if (sep == std::string::npos || sep == 0) return false;
    for (std::size_t i = 0; i < sep; ++i) {
        const unsigned char c = static_cast<unsigned char>(url[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return std::isalpha(static_cast<unsigned char>(url[0])) != 0;
}

}  // namespace

std::size_t MaxCustomUrlLength() {
    // "B F000000D Disabled_Web_Address <url> <default page url>"
    const std::size_t fixed = std::strlen("B F000000D ") + std::strlen("Disabled_Web_Address") + 2 +
                              std::strlen(DEFAULT_PAGE_URL);
    return static_cast<std::size_t>(CONFIG_LINE_BUFFER - 1) - fixed;
}

std::string NormaliseCustomUrl(const std::string& typed) {
    const char* blanks = " \t\r\n";
    const std::size_t first = typed.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    const std::string trimmed = typed.substr(first, typed.find_last_not_of(blanks) - first + 1);
    std::string url;
    for (char c : trimmed) {
        if (c == ' ')
            url += "%20";
        else if (c == '\t' || c == '\r' || c == '\n')
            continue;  // a pasted line break is no part of an address
        else
            url.push_back(c);
    }
    if (!HasScheme(url)) url = "http://" + url;
    return url;
}

std::string ChooseFrameUrl(const CHtmlParser& parser, const std::string& pageUrl, bool bPageHasStories) {
    std::string best;
    for (const CHtmlToken& t : parser.Tokens()) {
        if (!t.m_bIsOpen) continue;
        const bool bFrame = t.m_nKind == TK_FRAME;
        const bool bIframe = t.m_nKind == TK_OTHER && t.Text() == "iframe";
        if (!bFrame && !(bIframe && !bPageHasStories)) continue;
        bool bMain = false;
        std::string value;
        if (t.GetAttribute("name", value)) {
            const std::string lower = LowerAscii(value);
            if (LooksLikeNavigation(lower)) continue;
            bMain = LooksLikeMain(lower);
        }
        std::string src;
        if (!t.GetAttribute("src", src)) {
            if (bMain) break;
            continue;
        }
        const std::string lower = LowerAscii(src);
        if (LooksLikeNavigation(lower)) continue;
        bMain = bMain || LooksLikeMain(lower);
        if (src.size() > best.size()) best = src;
        if (bMain) break;
    }
    if (best.empty()) return std::string();
    const std::string& base = parser.GetBaseHref();
    return ResolveHref(best, base.empty() ? pageUrl : ResolveHref(base, pageUrl));
}

bool CCustomUrlCheck::ReadAndScan(const std::string& url, const ProxySettings& proxy, bool bChooseFrame,
                                  Result& result, std::string& frameUrl, std::string& failure) {
    CHtmlParser parser;
    PageReadOutcome outcome;
    if (!FetchPageInto(m_fetcher, url, proxy, parser, outcome)) {
        failure = FetchFailureText(outcome.failure, outcome.httpStatus);
        return false;
    }
    parser.ParsePage();
    const std::vector<StoryCandidate> links = FindStoryLinks(parser, url);
    result.bPreviewRead = true;
    result.nStoryLinks = static_cast<int>(links.size());
    result.headlines.clear();
    for (const StoryCandidate& link : links) {
        if (static_cast<int>(result.headlines.size()) >= PREVIEW_HEADLINES) break;
        result.headlines.push_back(StripControlCharacters(link.headline));
    }
    if (bChooseFrame) frameUrl = ChooseFrameUrl(parser, url, result.nStoryLinks > 0);
    return true;
}

CCustomUrlCheck::Result CCustomUrlCheck::Run(const std::string& url, const ProxySettings& proxy) {
    Result result;
    result.url = url;
    std::string frameUrl;
    if (!ReadAndScan(url, proxy, true, result, frameUrl, result.failure)) return result;
    result.bRead = true;
    if (frameUrl.empty() || frameUrl == url) return result;

    // The frame is what will be scanned: show what it gives.
    result.url = frameUrl;
    result.bFrameChosen = true;
    result.bPreviewRead = false;
    result.nStoryLinks = 0;
    result.headlines.clear();
    std::string ignored;
    if (!ReadAndScan(frameUrl, proxy, false, result, ignored, result.previewFailure)) result.bPreviewRead = false;
    return result;
}
