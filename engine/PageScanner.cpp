// The page walk and the link-text rules of CPageScanner.
#include "engine/PageScanner.h"

#include <array>
#include <string_view>

#include "store/Story.h"
#include "store/StoryArchive.h"

namespace {

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> words) {
    for (std::string_view w : words)
        if (text.find(w) != std::string_view::npos) return true;
    return false;
}

}  // namespace

CPageScanner::CPageScanner(CStoryArchive& archive, CNewsSettings& settings, CMessageTarget& mainWindow)
    : m_archive(archive), m_settings(settings), m_mainWindow(mainWindow) {}

CPageScanner::~CPageScanner() = default;

CFontSize CPageScanner::FontOf(const CHtmlToken* t) {
    const CFontSize* f = t ? t->GetFont() : nullptr;
    return f ? *f : CFontSize{};
}

CPageScanner::SavedCursor CPageScanner::SaveCursorState() const {
    const CHtmlToken* cur = nullptr;
    SavedCursor saved;
    saved.bHad = m_parser.GetCurrent(cur);
    saved.pos = m_parser.SaveCursor();
    return saved;
}

void CPageScanner::RestoreCursorState(const SavedCursor& saved) {
    if (!saved.bHad || !m_parser.RestoreCursor(saved.pos)) m_parser.ClearCursor();
}

int CPageScanner::IndexOf(const CHtmlToken* t) const {
    return static_cast<int>(t - m_parser.Tokens().data());
}

int CPageScanner::CursorIndex() const {
    const CHtmlToken* cur = nullptr;
    return m_parser.GetCurrent(cur) ? IndexOf(cur) : -1;
}

const CHtmlToken* CPageScanner::NextLinkText(int inLinkOnly) {
    const CHtmlToken* t = nullptr;
    while (m_parser.FindNext(TK_TEXT, t)) {
        if (!inLinkOnly || t->IsInside(TK_LINK)) return t;
    }
    return nullptr;
}

void CPageScanner::AppendSameFont(CWordString& text, const CFontSize& font) {
    auto tokens = m_parser.Tokens();
    int i = CursorIndex();
    if (i < 0) return;
    const CHtmlToken* next = nullptr;
    while (static_cast<std::size_t>(i) + 1 < tokens.size()) {
        const CHtmlToken& following = tokens[i + 1];
        m_parser.FindNext(TK_ANY, next);  // the cursor steps onto it in any case
        ++i;
        if (following.m_nKind != TK_TEXT || !FontOf(&following).SameSize(font)) return;
        text.append(following.Text());
    }
}

void CPageScanner::ScanPage(int mode) {
    m_nProbe = mode;
    m_nProbeStories = 0;
    m_nListingRows = 0;
    // The probe records nothing, so the links it looks at must not count as
    // "the previous link" of the real pass: it works on a copy of the last
    // URL and the real pass starts from the value before the probe.
    if (mode == 1) {
        m_strLastUrlBeforeProbe = m_strLastUrl;
        m_bProbeHoldsLastUrl = true;
    } else if (m_bProbeHoldsLastUrl) {
        m_strLastUrl = m_strLastUrlBeforeProbe;
        m_bProbeHoldsLastUrl = false;
    }
    if (mode == 1) m_parser.ParsePage();
    m_tally.Clear();
    m_parser.ClearCursor();

    const CHtmlToken* t = NextLinkText(1);
    while (t && m_nActive.load() == 1) {
        CWordString text(t->Text());
        if (!text.empty()) {
            CFontSize font = FontOf(t);
            AppendSameFont(text, font);
            text.Trim();
            int w = text.CountWords(0);
            int s = IsSectionLink(text, font, w);
            if (s == 0 || (m_nProbe == 0 && m_nListingRows >= 2)) {
                HandleLink(t, text);
            } else {
                const CHtmlToken* next = FollowSection(font, t->IsInside(TK_BOLD), t);
                if (!next) break;
                if (next->IsInside(TK_LINK) && next->m_bIsOpen && !next->Text().empty()) {
                    CWordString nextText(next->Text());
                    AppendSameFont(nextText, FontOf(next));
                    nextText.Trim();
                    HandleLink(next, nextText);
                }
            }
        }
        if (m_nProbe == 1 && m_nProbeStories > 10) {
            // Enough stories seen: this is a news page. Walk it again for real.
            m_nProbe = 0;
            m_strLastUrl = m_strLastUrlBeforeProbe;
            m_bProbeHoldsLastUrl = false;
            m_tally.Prune();
            m_parser.ClearCursor();
        }
        t = NextLinkText(1);
    }
    m_tally.Clear();
}

void CPageScanner::HandleLink(const CHtmlToken* t, CWordString text) {
    int accepted = 0;
    std::string url, description;
    if (m_nProbe != 0 || m_nListingRows > 2) accepted = DetectListingRow(t, text, url, description);
    if (accepted != 1) {
        if (!(IsStoryLinkText(t, text) == 1 && m_nListingRows < 3)) return;
    }

    CStory story;
    story.SetHeadline(text);
    story.SetSource(m_strPageUrl);
    if (accepted == 1 && m_nProbe != 0) ++m_nListingRows;

    if (m_nProbe != 0) {
        if (text.CountWords(1) > 2) ++m_nProbeStories;
        return;
    }

    // Newness is decided by headline within the page's source.
    int ok = 0;
    {
        std::string key = story.GetSourceName(false, m_pCatalogue);
        CStoryArchiveGuard lock(m_archive);
        m_archive.Open("r+b");
        if (!m_archive.FindByHeadline(text, key)) ok = AddCandidate(t, story, text, description, url);
        m_archive.Close();
    }
    if (ok) MatchKeywords(story);
}

int CPageScanner::IsStoryLinkText(const CHtmlToken* t, const CWordString& text) {
    int w = text.CountWords(0);
    if (text.empty()) return 0;
    if (IsDateText(text, w)) return 0;
    if (IsClockTime(text)) return 0;
    if (IsAllCaps(text)) return 0;
    if (IsNavigationText(text, w) == 0) return 0;
    if (IsAcceptableHref() == 0) return 0;
    if (IsPhotoCaption(text)) return 0;
    if (t->IsInside(TK_LIST_ITEM)) return 1;

    // Is there plain text before the link? The first text found walking back
    // is the link's own and is passed over.
    int preceded = 0;
    {
        SavedCursor saved = SaveCursorState();
        const CHtmlToken* p = nullptr;
        bool bFirst = true;
        while (m_parser.FindPrev(TK_TEXT, p)) {
            if (bFirst) {
                bFirst = false;
                continue;
            }
            if (p->IsInside(TK_LINK)) continue;
            CWordString prev(p->Text());
            prev.Trim();
            if (prev.empty()) continue;
            unsigned char c = static_cast<unsigned char>(prev[0]);
            // A lone printable separator (such as '|') does not count as text.
            preceded = (prev.size() == 1 && c >= 0x20 && c <= 0x7F) ? 0 : 1;
            break;
        }
        RestoreCursorState(saved);
    }

    CFontSize f = FontOf(t);
    const int size = f.m_nSize, minus = f.m_nMinus, plus = f.m_nPlus;
    const bool b = t->IsInside(TK_BOLD);
    if (size >= 3) return 1;
    if (plus == 1) return 1;
    if (b && ((minus == 0 && size >= 2) || (minus == 1 && size == 1))) return 1;
    if (preceded && w >= 2 && ((minus == 1 && size <= 2) || (minus == 0 && size >= 2))) return 1;
    if (w >= 3 && ((minus == 0 && size == 2) || (minus == 1 && size == 1))) return 1;
    return 0;
}

int CPageScanner::IsDateText(const CWordString& text, int w) {
    if (w > 4) return 0;
    if (text.find_first_of("0123456789") == std::string::npos && w != 1) return 0;
    std::string lower = text.Lower();
    if (ContainsAny(lower, {"mon", "tue", "wed", "thu", "fri", "sat", "sun"})) return 1;
    if (ContainsAny(lower, {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"}))
        return 1;
    return 0;
}

int CPageScanner::IsClockTime(const CWordString& text) {
    // One or more digits, ':', exactly two digits, then a non-digit or the end.
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && IsAsciiDigit(text[i])) ++i;
    if (i == 0 || i >= n || text[i] != ':') return 0;
    if (i + 2 >= n) return 0;  // fewer than two characters after the colon
    if (!IsAsciiDigit(text[i + 1]) || !IsAsciiDigit(text[i + 2])) return 0;
    if (i + 3 < n && IsAsciiDigit(text[i + 3])) return 0;
    return 1;
}

int CPageScanner::IsAllCaps(const CWordString& text) {
    bool bLetter = false;
    for (char c : text) {
        if (c >= 'a' && c <= 'z') return 0;
        if (c >= 'A' && c <= 'Z') bLetter = true;
    }
    return bLetter ? 1 : 0;
}

int CPageScanner::IsNavigationText(const CWordString& text, int w) {
    std::string lower = text.Lower();
    if (w <= 2) {
        if (ContainsAny(lower, {"more", "search", "video", "audio"})) return 0;
    } else if (w <= 5) {
        if (ContainsAny(lower, {"download", "customiz"})) return 0;
    }
    return 1;
}

int CPageScanner::IsPhotoCaption(const CWordString& text) {
    return text.CountWords(0) < 4 && text.Lower().starts_with("photo") ? 1 : 0;
}

int CPageScanner::IsAcceptableHref() {
    SavedCursor saved = SaveCursorState();
    const CHtmlToken* anchor = nullptr;
    bool bFound = false;
    while (m_parser.FindPrev(TK_LINK, anchor)) {
        if (anchor->m_bIsOpen) {
            bFound = true;
            break;
        }
    }
    std::string href;
    if (bFound) anchor->GetAttribute("href", href);
    RestoreCursorState(saved);
    if (!bFound) return 1;
    return IsAcceptableHrefText(href, m_strPageUrl);
}

int CPageScanner::IsAcceptableHrefText(const std::string& hrefIn, const std::string& pageUrl) {
    std::string href = ToLowerAscii(hrefIn);
    std::string page = ToLowerAscii(pageUrl);
    if (href == page) return 0;
    if (href.find("mailto:") != std::string::npos) return 0;
    if (href.find("cgi") != std::string::npos && ContainsAny(href, {"login", "search", "quote", "register"}))
        return 0;
    if (ContainsAny(href, {"marketpl", "advert", "sponsor"})) return 0;
    static constexpr std::string_view kPatterns[] = {"/ads", "redir", "&adid", "/atransfer",
                                                     "/ad", "/rd", "/relocate", "shopping"};
    for (std::string_view pattern : kPatterns) {
        std::size_t pos = href.find(pattern);
        if (pos == std::string::npos) continue;
        std::size_t after = pos + pattern.size();
        if (after >= href.size()) continue;
        // A digit, a dot or an equals sign after the pattern makes an
        // advertising or redirect target; anything else (such as '/') does not.
        char c = href[after];
        if (IsAsciiDigit(c) || c == '.' || c == '=') return 0;
    }
    return 1;
}

int CPageScanner::IsSectionLink(const CWordString& text, const CFontSize& font, int w) {
    if (font.m_nPlus == 1) return 0;
    if (font.m_nMinus == 0 && font.m_nSize >= 4) return 0;
    if (text.size() == 1) return 1;

    CWordString copy(text);
    copy.RemoveChar('-');
    if (w > 5) return 0;
    if (w == 1 && IsPhotoCaption(copy)) return 0;
    if (w == 0) return 0;
    if (ContainsAny(copy, {"AP", "UPI", "net Report"})) return 1;

    std::string lower = copy.Lower();
    if (w == 1 && lower.find(".com") != std::string::npos) return 1;
    std::erase(lower, ' ');
    for (std::string_view page : {"next", "nextpage", "prev", "previous", "previouspage"})
        if (lower == page) return 0;
    if (ContainsAny(lower, {"section", "fullcoverage"})) return 1;

    static constexpr std::array<std::string_view, 24> kSectionWords = {
        "news",     "home",    "u.s.",    "scores",  "results",  "nation",   "main",    "books",
        "line",     "ondemand", "terms",  "comment", "board",    "wire",     "reuters", "...",
        "politics", "health",  "business", "computin", "internet", "contact", "topstor", "feature"};
    if (w < 4) {
        for (std::string_view word : kSectionWords)
            if (lower.find(word) != std::string::npos) return 1;
        return 0;
    }
    // Four or five words: a section name needs two of the words.
    int count = 0;
    for (std::string_view word : {"more", "daily", "day"}) {
        if (lower.find(word) != std::string::npos && ++count >= 2) return 1;
    }
    for (std::string_view word : kSectionWords) {
        if (lower.find(word) != std::string::npos && ++count >= 2) return 1;
    }
    return 0;
}

const CHtmlToken* CPageScanner::FollowSection(CFontSize font, bool bBold, const CHtmlToken* token) {
    // The heading taken by the previous pass, and where it stands. A token
    // given back is left under the cursor, so that the caller's AppendSameFont
    // gathers that token's own text run and the walk goes on after it.
    const CHtmlToken* heading = token;
    SavedCursor headingPos;
    {
        SavedCursor entry = SaveCursorState();
        const CHtmlToken* cur = nullptr;
        while (m_parser.GetCurrent(cur) && cur != token && m_parser.FindPrev(TK_ANY, cur)) {
        }
        headingPos = SaveCursorState();
        RestoreCursorState(entry);
    }
    for (;;) {
        // 1. How much plain text follows? A long run of it ends the section.
        SavedCursor start = SaveCursorState();
        const CHtmlToken* first = NextLinkText(0);
        int words = 0;
        if (first) {
            words = CWordString(first->Text()).CountWords(1);
            const CHtmlToken* next = nullptr;
            while (m_parser.FindNext(TK_ANY, next)) {
                if (next->m_nKind == TK_TEXT) {
                    if (next->IsInside(TK_LINK)) break;
                    words += CWordString(next->Text()).CountWords(1);
                } else if (next->m_nKind < TK_BOLD || next->m_nKind > TK_PARAGRAPH) {
                    break;
                }
            }
        }
        RestoreCursorState(start);

        // 2. The next link text.
        const CHtmlToken* L = NextLinkText(1);
        if (!L) return nullptr;
        if (L != first && words > 3) {
            RestoreCursorState(headingPos);
            return heading;
        }
        SavedCursor atL = SaveCursorState();

        // 3. Another heading, or a section link that becomes the heading?
        CWordString text(L->Text());
        if (text.empty()) return L;
        CFontSize fontL = FontOf(L);
        bool bBoldL = L->IsInside(TK_BOLD);
        AppendSameFont(text, fontL);
        text.Trim();
        int w = text.CountWords(0);
        if (fontL.SameSize(font) && bBoldL == bBold && w <= 3) {
            heading = L;
            headingPos = atL;
            continue;
        }
        if (IsSectionLink(text, fontL, w)) {
            font = fontL;
            bBold = bBoldL;
            heading = L;
            headingPos = atL;
            continue;
        }

        // 4. Look one link further: a section link there takes over.
        SavedCursor afterL = SaveCursorState();
        const CHtmlToken* S = NextLinkText(1);
        if (!S) {
            RestoreCursorState(atL);
            return L;
        }
        SavedCursor atS = SaveCursorState();
        CWordString textS(S->Text());
        CFontSize fontS = FontOf(S);
        AppendSameFont(textS, fontS);
        textS.Trim();
        if (IsSectionLink(textS, fontS, textS.CountWords(0))) {
            font = fontS;
            bBold = S->IsInside(TK_BOLD);
            heading = S;
            headingPos = atS;
            continue;
        }

        // 5. L is an ordinary link under the heading; S is handled next.
        RestoreCursorState(afterL);
        HandleLink(L, text);
        RestoreCursorState(atS);
        return S;
    }
}
