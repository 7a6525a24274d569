// Where a story link leads and what is said about it: the link's absolute
// URL and the description gathered from the text after it.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/LinkRules.h"
#include "engine/StoryLinkWalk.h"
#include "engine/UnicodeText.h"

int CStoryLinkWalk::BuildTarget(const CHtmlToken* t, std::string& url, std::string& description) {
    return BuildTargetUrl(t, url, &description);
}

int CStoryLinkWalk::BuildTargetUrl(const CHtmlToken* t, std::string& url, std::string* pDescription) {
    url.clear();
    if (pDescription) pDescription->clear();
    // The anchor: the nearest link tag before the cursor, or the one before
    // that when it is a closing tag. For the link being handed on, Deliver
    // found it at the cursor it left, and nothing has moved the cursor since.
    const int anchor = m_nDeliveredAnchor >= 0 ? m_nDeliveredAnchor : m_index.AnchorBefore(CursorIndex());
    if (anchor >= 0) {
        if (anchor == m_nDeliveredAnchor) {
            // Resolved already; asked once. Made at its length (url is a
            // new string): cheaper than growing one to it.
            url = std::string(m_strDeliveredUrl);
            m_nDeliveredAnchor = -1;
        } else {
            AppendResolvedUrl(&m_tokens[static_cast<std::size_t>(anchor)], url);
        }
    }

    // Two adjacent links to one target (a picture and its headline) make one
    // story; a third one in a row counts again.
    if (url != m_strLastUrl) {
        m_strLastUrl = url;
        if (url.empty()) return 0;
    } else {
        url.clear();
        m_strLastUrl.clear();
        return 0;
    }

    if (!pDescription) return 1;  // the caller has a description of its own
    const std::int64_t saved = SaveCursor();
    const CHtmlToken* next = nullptr;
    if (FindNext(TK_TEXT, next)) CollectDescription(next, *pDescription, FontOf(t));
    RestoreCursor(saved);
    return 1;
}

namespace {

bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
    if (s.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        const char c = s[i];
        if (((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c) != lowerPrefix[i]) return false;
    }
    return true;
}

// Whether s begins with "http" in any case: setting the bit 0x20 of a
// byte lower-cases a letter, and only 'H' and 'h' then give 'h' (and so on
// for 't' and 'p').
bool StartsWithHttp(std::string_view s) {
    if (s.size() < 4) return false;
    std::uint32_t word = 0, http = 0;
    std::memcpy(&word, s.data(), sizeof word);
    std::memcpy(&http, "http", sizeof http);
    return (word | 0x20202020u) == http;
}

// ResolveHref appended to url, against a page's address cut once.
void AppendResolvedHref(std::string& url, std::string_view href, const HrefBase& base) {
    // An empty href leads nowhere; such a link is never recorded.
    if (href.empty()) return;
    if (StartsWithHttp(href)) {
        url.append(href);
        return;
    }
    // A protocol-relative href names its own host and takes the page's scheme.
    if (href.starts_with("//")) {
        url.append(base.bHttps ? "https:" : "http:").append(href);
        return;
    }
    const bool bFromRoot = href[0] == '/';
    const bool bSlash = !bFromRoot && base.nFolderEnd == std::string_view::npos;
    const std::string_view prefix = base.page.substr(0, bFromRoot || bSlash ? base.nRootEnd : base.nFolderEnd);
    url.reserve(url.size() + prefix.size() + 1 + href.size());
    url.append(prefix);
    if (bSlash) url += '/';
    url.append(href);
}

}  // namespace

HrefBase CutHrefBase(std::string_view pageUrl) {
    HrefBase base;
    base.page = pageUrl;
    // The page's scheme and host: up to the first '/' after the slashes that
    // follow the scheme.
    const std::size_t colon = pageUrl.find(':');
    std::size_t hostStart = colon == std::string_view::npos ? 0 : colon + 1;
    while (hostStart < pageUrl.size() && pageUrl[hostStart] == '/') ++hostStart;
    const std::size_t pathStart = pageUrl.find('/', hostStart);
    if (pathStart == std::string_view::npos) {
        base.nRootEnd = pageUrl.size();
        base.nFolderEnd = std::string_view::npos;
    } else {
        base.nRootEnd = pathStart;
        base.nFolderEnd = pageUrl.rfind('/') + 1;
    }
    base.bHttps = StartsWithNoCase(pageUrl, "https:");
    return base;
}

std::string ResolveHref(std::string_view href, std::string_view pageUrl) {
    std::string url;
    AppendResolvedHref(url, href, CutHrefBase(pageUrl));
    return url;
}

void CStoryLinkWalk::AppendResolvedUrl(const CHtmlToken* anchor, std::string& url) const {
    std::string_view href;
    anchor->GetAttribute("href", href);
    AppendResolvedHrefOf(href, url);
}

void CStoryLinkWalk::AppendResolvedHrefOf(std::string_view href, std::string& url) const {
    // Relative links lead from the page's <base>, when it names one.
    if (!m_bLinkBaseResolved) {
        const std::string& base = m_page.GetBaseHref();
        m_strLinkBase = base.empty() ? m_strPageUrl : ResolveHref(base, m_strPageUrl);
        m_linkBase = CutHrefBase(m_strLinkBase);
        m_bLinkBaseResolved = true;
    }
    AppendResolvedHref(url, href, m_linkBase);
}

void CStoryLinkWalk::CollectDescription(const CHtmlToken* T, std::string& description, const CFontSize& linkFont) {
    // Gathered in a buffer kept from link to link; the description gets
    // its own copy at the end, made once.
    CWordString& collected = m_strCollected;
    collected.clear();
    CWordString& s = m_strPiece;
    while (T) {
        const bool bDescription = IsDescriptionText(T, linkFont);
        if (!bDescription) {
            // Such a text ends the description unless it is a photo
            // credit, which begins "photo": one that begins with another
            // letter ends it without being gathered (it is mostly the next
            // link's).
            const std::string_view own = T->Text();
            const auto first = std::ranges::find_if_not(own, CWordString::IsBlank);
            if (first != own.end() && (*first | 0x20) != 'p') break;
        }
        s.assign(T->Text());
        if (s.empty()) break;
        AppendSameFont(s, FontOf(T));
        s.Trim();
        if (bDescription) {
            if (HasRunningTextLetter(s)) collected += s;
        } else if (!IsPhotoCaption(s)) {
            break;  // a photo credit is passed over; anything else ends the description
        }
        if (!FindNext(TK_TEXT, T)) break;
    }
    if (collected.CountWords(0, 2) < 2) {
        description.clear();
    } else {
        collected.Trim();
        description.assign(collected);
    }
}

int CStoryLinkWalk::IsDescriptionText(const CHtmlToken* T, const CFontSize& linkFont) {
    if (T->IsInside(TK_LINK) || T->IsInside(TK_BOLD)) return 0;
    CFontSize f = FontOf(T);
    if (f.m_nPlus == 1) return 0;
    auto effective = [](const CFontSize& font) { return font.m_nMinus == 1 ? 3 - font.m_nSize : font.m_nSize; };
    return effective(f) <= effective(linkFont) ? 1 : 0;
}
