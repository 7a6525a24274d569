// The link-text rules: which link texts are stories and which are dates,
// clock times, navigation, photo captions, section heads or unacceptable
// targets; and how a section head is followed to the links under it.
#include "engine/LinkRules.h"

#include "engine/StoryLinkWalk.h"
#include "engine/UnicodeText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool ContainsAny(std::string_view text, std::initializer_list<std::string_view> words) {
    for (std::string_view w : words)
        if (text.find(w) != std::string_view::npos) return true;
    return false;
}

// Lower-case copies made per link reuse these buffers instead of allocating.
std::string& Scratch(int slot) {
    thread_local std::string buffers[3];
    return buffers[slot];
}

std::string_view LowerInto(std::string_view s, std::string& out) {
    out.clear();
    AppendLowerAscii(out, s);
    return out;
}

bool StartsWithPhoto(std::string_view s) {
    static constexpr std::string_view kPhoto = "photo";
    if (s.size() < kPhoto.size()) return false;
    for (std::size_t i = 0; i < kPhoto.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kPhoto[i]) return false;
    }
    return true;
}

// Whether s holds ".com" in any case.
bool HasDotCom(std::string_view s) {
    for (std::size_t i = s.find('.'); i != std::string_view::npos && i + 4 <= s.size(); i = s.find('.', i + 1))
        if ((s[i + 1] | 0x20) == 'c' && (s[i + 2] | 0x20) == 'o' && (s[i + 3] | 0x20) == 'm') return true;
    return false;
}

constexpr unsigned PairHash(char a, char b) {
    return (static_cast<unsigned char>(a) * 33u + static_cast<unsigned char>(b)) & 255u;
}

// A pattern the pair mask below is asked about, with the hashes of its
// adjacent character pairs worked out at compile time (the first 16 pairs
// of a longer one).
class CMaskPattern {
public:
    template <std::size_t N>
    consteval CMaskPattern(const char (&text)[N]) : m_text(text, N - 1) {
        for (std::size_t i = 1; i < m_text.size() && m_nPairs < m_pairs.size(); ++i)
            m_pairs[m_nPairs++] = static_cast<unsigned char>(PairHash(m_text[i - 1], m_text[i]));
    }
    std::string_view Text() const { return m_text; }
    std::span<const unsigned char> Pairs() const { return {m_pairs.data(), m_nPairs}; }

private:
    std::string_view m_text;
    std::array<unsigned char, 16> m_pairs{};
    std::size_t m_nPairs = 0;
};

// A fingerprint of the adjacent character pairs of a text. A pattern with a
// pair the text lacks cannot occur in it, which saves most of the substring
// searches the rules make over each link's text and href.
class CPairMask {
public:
    CPairMask() = default;
    explicit CPairMask(std::string_view s) { Add(s); }
    // Takes the mask of the ASCII lower-case form of s and gives that form
    // back: s itself when it has no capitals (most targets have none), else
    // a copy written to out.
    std::string_view LowerInto(std::string_view s, std::string& out) {
        const std::string_view lower = HasAsciiUpper(s) ? ::LowerInto(s, out) : s;
        Add(lower);
        return lower;
    }
    bool MayContain(const CMaskPattern& pattern) const {
        for (unsigned char pair : pattern.Pairs())
            if (!m_seen[pair]) return false;
        return true;
    }
    // text.find(pattern), skipped when the mask rules the pattern out.
    std::size_t Find(std::string_view text, const CMaskPattern& pattern) const {
        return MayContain(pattern) ? text.find(pattern.Text()) : std::string_view::npos;
    }
    bool Contains(std::string_view text, const CMaskPattern& pattern) const {
        return Find(text, pattern) != std::string_view::npos;
    }
    bool ContainsAny(std::string_view text, std::initializer_list<CMaskPattern> patterns) const {
        for (const CMaskPattern& p : patterns)
            if (Contains(text, p)) return true;
        return false;
    }

private:
    // A byte per pair rather than a bit: one store per byte of text.
    void Add(std::string_view s) {
        std::size_t i = 1;
#if defined(__SSE2__)
        // The hashes of sixteen pairs at a time: a * 33 + b is (a << 5) + a + b,
        // and byte lanes drop what lies beyond 255 as PairHash does. The
        // shift works on 16-bit lanes, so the bits a low byte pushes into
        // its neighbour are masked off.
        for (; i + 16 <= s.size(); i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i - 1));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
            const __m128i a32 = _mm_and_si128(_mm_slli_epi16(a, 5), _mm_set1_epi8(static_cast<char>(0xE0)));
            alignas(16) unsigned char hashes[16];
            _mm_store_si128(reinterpret_cast<__m128i*>(hashes), _mm_add_epi8(_mm_add_epi8(a32, a), b));
            for (unsigned char hash : hashes) m_seen[hash] = 1;
        }
#endif
        for (; i < s.size(); ++i) m_seen[PairHash(s[i - 1], s[i])] = 1;
    }
    std::array<unsigned char, 256> m_seen{};
};

// The date and navigation rules on a lower-case copy made once per link.
int DateTextLower(std::string_view text, std::string_view lower, int w) {
    if (w > 4) return 0;
    if (w != 1 && !HasAsciiDigit(text)) return 0;
    const CPairMask mask(lower);
    if (mask.ContainsAny(lower, {"mon", "tue", "wed", "thu", "fri", "sat", "sun"})) return 1;
    if (mask.ContainsAny(lower, {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"}))
        return 1;
    return 0;
}

int NavigationTextLower(std::string_view lower, int w) {
    if (w <= 2) {
        if (ContainsAny(lower, {"more", "search", "video", "audio"})) return 0;
    } else if (w <= 5) {
        if (ContainsAny(lower, {"download", "customiz"})) return 0;
    }
    return 1;
}

// href and page in lower case; mask: href's.
int AcceptableHrefLower(std::string_view href, std::string_view page, const CPairMask& mask) {
    if (href == page) return 0;
    if (mask.Contains(href, "mailto:")) return 0;
    if (mask.Contains(href, "cgi") && mask.ContainsAny(href, {"login", "search", "quote", "register"})) return 0;
    if (mask.ContainsAny(href, {"marketpl", "advert", "sponsor"})) return 0;
    static constexpr CMaskPattern kPatterns[] = {"/ads", "redir", "&adid", "/atransfer",
                                                 "/ad", "/rd", "/relocate", "shopping"};
    for (const CMaskPattern& pattern : kPatterns) {
        std::size_t pos = mask.Find(href, pattern);
        if (pos == std::string_view::npos) continue;
        std::size_t after = pos + pattern.Text().size();
        if (after >= href.size()) continue;
        // A digit, a dot or an equals sign after the pattern makes an
        // advertising or redirect target; anything else (such as '/') does not.
        char c = href[after];
        if (IsAsciiDigit(c) || c == '.' || c == '=') return 0;
    }
    return 1;
}

}  // namespace

int IsHeadlineText(const CWordString& text, int w) {
    // The date and navigation rules only read the lower-case copy of texts
    // of up to five words.
    std::string_view lower = w <= 5 ? LowerInto(text, Scratch(0)) : std::string_view();
    if (DateTextLower(text, lower, w)) return 0;
    if (IsClockTime(text)) return 0;
    if (IsAllCaps(text)) return 0;
    if (NavigationTextLower(lower, w) == 0) return 0;
    if (w < 4 && StartsWithPhoto(text)) return 0;  // IsPhotoCaption, with the count at hand
    return 1;
}

int CStoryLinkWalk::IsStoryLinkText(const CHtmlToken* t, const CWordString& text) {
    int w = WordsOf(text);
    if (text.empty()) return 0;
    if (IsHeadlineText(text, w) == 0) return 0;
    if (IsAcceptableHrefAtCursor() == 0) return 0;
    if (t->IsInside(TK_LIST_ITEM)) return 1;

    // Is there plain text before the link? The first text before the cursor
    // is the link's own and is passed over; a lone printable separator (such
    // as '|') does not count as text.
    const int preceded = m_index.PlainTextBefore(CursorIndex());

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

int IsDateText(const CWordString& text, int w) { return DateTextLower(text, LowerInto(text, Scratch(0)), w); }

int IsClockTime(const CWordString& text) {
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

bool IsGenericLinkText(std::string_view text) {
    // The longest of them is 20 bytes without its blanks; most link texts
    // are ruled out by their length alone.
    if (text.size() > 40) return false;
    // Compared in lower case without blanks, trailing dots, arrows or
    // colons. The key of a text in ASCII, or in ASCII and the caseless
    // blocks below, is made on the stack as its bytes are counted; another
    // takes Unicode case folding.
    std::size_t start = 0;
    while (start < text.size() && CWordString::IsBlank(text[start])) ++start;
    if (start == text.size()) return false;
    // The names below begin with one of these letters, or with a character
    // outside ASCII; case folding turns an ASCII character into one only
    // from its upper-case form.
    if (const char first = text[start]; static_cast<unsigned char>(first) < 0x80) {
        const char lower = (first >= 'A' && first <= 'Z') ? static_cast<char>(first - 'A' + 'a') : first;
        if (std::string_view("prcfvwmzl").find(lower) == std::string_view::npos) return false;
    }
    char ascii[24];
    std::size_t bytes = 0;
    bool bCaseless = true;  // no character outside ASCII that folding could change
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (CWordString::IsBlank(c)) continue;
        if (bytes == sizeof ascii) return false;  // longer than any of them
        ascii[bytes++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (static_cast<unsigned char>(c) >= 0x80 && bCaseless) {
            // Arabic (U+0600-U+06FF, two bytes led by 0xD8-0xDB) and the CJK
            // and kana blocks (U+3000-U+9FFF, three bytes led by 0xE3-0xE9)
            // have no case: folding keeps them as they are. Their bytes are
            // taken whole, so that anything else, an ill-formed sequence
            // too, is left to the folding.
            const unsigned char lead = static_cast<unsigned char>(c);
            const std::size_t tail = lead >= 0xD8 && lead <= 0xDB ? 1 : lead >= 0xE3 && lead <= 0xE9 ? 2 : 0;
            bCaseless = tail > 0 && i + tail < text.size();
            for (std::size_t k = 1; bCaseless && k <= tail; ++k)
                bCaseless = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            if (!bCaseless) continue;
            if (bytes + tail > sizeof ascii) return false;
            std::copy_n(text.data() + i + 1, tail, ascii + bytes);
            bytes += tail;
            i += tail;
        }
    }
    std::string folded;
    if (!bCaseless) {
        folded = FoldCase(text);
        std::erase_if(folded, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    }
    std::string_view key = bCaseless ? std::string_view(ascii, bytes) : std::string_view(folded);
    for (;;) {
        std::size_t cut = 0;
        for (std::string_view tail : {".", ":", ">", "\xC2\xBB", "\xE2\x80\xBA", "\xE2\x80\xA6", "\xE2\x86\x92"})
            if (key.ends_with(tail)) cut = tail.size();
        if (cut == 0) break;
        key.remove_suffix(cut);
    }
    static constexpr std::string_view kGeneric[] = {
        "permalink", "readmore", "continuereading", "fullstory", "readfullstory", "readthefullstory",
        "readthestory", "readon", "readarticle", "readthearticle", "fullarticle", "viewstory",
        "weiterlesen", "mehrlesen", "zumartikel", "lirelasuite", "lireplus", "leermás", "leermas",
        "leggidipiù", "continua", "阅读全文", "全文", "详细", "詳細", "続きを読む", "続き", "اقرأالمزيد"};
    // Most keys are ruled out by their length alone.
    static constexpr std::size_t kShortest = std::ranges::min(kGeneric, {}, &std::string_view::size).size();
    static constexpr std::size_t kLongest = std::ranges::max(kGeneric, {}, &std::string_view::size).size();
    if (key.size() < kShortest || key.size() > kLongest) return false;
    for (std::string_view generic : kGeneric)
        if (key == generic) return true;
    return false;
}

int IsAllCaps(const CWordString& text) {
    // Only letters with a case can be capitals; a headline written mostly in
    // a script without case (Chinese, Arabic, ...) is not judged by the few
    // Latin capitals it holds ("MH17", "IPO").
    int upper = 0, caseless = 0;
    // ASCII needs no decoding: its letters are a-z and A-Z.
    std::size_t start = 0;
    for (; start < text.size() && static_cast<unsigned char>(text[start]) < 0x80; ++start) {
        const char c = text[start];
        if (c >= 'a' && c <= 'z') return 0;
        if (c >= 'A' && c <= 'Z') ++upper;
    }
    for (std::size_t i = start, length = 0; i < text.size(); i += length) {
        const char32_t c = CodePointAt(text, i, length);
        if (IsLowerCodePoint(c)) return 0;
        if (IsUpperCodePoint(c)) {
            ++upper;
        } else if (c >= 0x80 && IsLetterCodePoint(c)) {
            ++caseless;
        }
    }
    return upper > 0 && caseless <= upper ? 1 : 0;
}

int IsNavigationText(const CWordString& text, int w) { return NavigationTextLower(LowerInto(text, Scratch(0)), w); }

int IsPhotoCaption(const CWordString& text) {
    return StartsWithPhoto(text) && text.CountWords(0, 4) < 4 ? 1 : 0;
}

int CStoryLinkWalk::IsAcceptableHrefAtCursor() {
    // The link's anchor: the nearest opening link tag before the cursor.
    const int anchor = m_index.OpenLinkBefore(CursorIndex());
    if (anchor < 0) return 1;
    // Both passes ask about the same anchors.
    if (m_hrefVerdicts.empty()) m_hrefVerdicts.assign(m_tokens.size(), -1);
    signed char& verdict = m_hrefVerdicts[static_cast<std::size_t>(anchor)];
    if (verdict >= 0) return verdict;
    std::string_view href;
    m_tokens[static_cast<std::size_t>(anchor)].GetAttribute("href", href);
    m_nHrefAnchor = anchor;
    m_strHrefAtAnchor = href;
    if (m_nLastHrefVerdict >= 0 && href == m_strLastHref) return verdict = m_nLastHrefVerdict;
    if (!m_bPageUrlLowered) {
        LowerInto(m_strPageUrl, m_strPageUrlLower);
        m_bPageUrlLowered = true;
    }
    CPairMask mask;
    const std::string_view lower = mask.LowerInto(href, Scratch(1));
    verdict = static_cast<signed char>(AcceptableHrefLower(lower, m_strPageUrlLower, mask));
    m_strLastHref.assign(href);
    m_nLastHrefVerdict = verdict;
    return verdict;
}

int IsAcceptableHref(std::string_view href, std::string_view pageUrl) {
    CPairMask mask;
    const std::string_view lower = mask.LowerInto(href, Scratch(1));
    return AcceptableHrefLower(lower, LowerInto(pageUrl, Scratch(2)), mask);
}

int IsSectionLink(const CWordString& text, const CFontSize& font, int w) {
    if (font.m_nPlus == 1) return 0;
    if (font.m_nMinus == 0 && font.m_nSize >= 4) return 0;
    if (text.size() == 1) return 1;
    if (w > 5 || w == 0) return 0;

    // The tests below work on a copy without '-'.
    std::string& copy = Scratch(0);
    copy.assign(text);
    if (copy.find('-') != std::string::npos) std::erase(copy, '-');
    if (w == 1 && IsPhotoCaption(CWordString(copy))) return 0;
    // The three names hold a capital P or R, which most link texts lack:
    // one look at the bytes saves three searches.
    if (std::ranges::any_of(copy, [](char c) { return c == 'P' || c == 'R'; }) &&
        ContainsAny(copy, {"AP", "UPI", "net Report"}))
        return 1;

    if (w == 1 && HasDotCom(copy)) return 1;
    // The lower-case copy without blanks, made in one pass.
    std::string& lower = Scratch(1);
    lower.resize(copy.size());
    std::size_t kept = 0;
    for (const char c : copy)
        if (c != ' ') lower[kept++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    lower.resize(kept);
    for (std::string_view page : {"next", "nextpage", "prev", "previous", "previouspage"})
        if (lower == page) return 0;
    const CPairMask mask(lower);
    if (mask.ContainsAny(lower, {"section", "fullcoverage"})) return 1;

    static constexpr CMaskPattern kSectionWords[] = {
        "news",     "home",    "u.s.",    "scores",  "results",  "nation",   "main",    "books",
        "line",     "ondemand", "terms",  "comment", "board",    "wire",     "reuters", "...",
        "politics", "health",  "business", "computin", "internet", "contact", "topstor", "feature"};
    if (w < 4) {
        for (const CMaskPattern& word : kSectionWords)
            if (mask.Contains(lower, word)) return 1;
        return 0;
    }
    // Four or five words: a section name needs two of the words.
    int count = 0;
    for (const CMaskPattern& word : {CMaskPattern("more"), CMaskPattern("daily"), CMaskPattern("day")}) {
        if (mask.Contains(lower, word) && ++count >= 2) return 1;
    }
    for (const CMaskPattern& word : kSectionWords) {
        if (mask.Contains(lower, word) && ++count >= 2) return 1;
    }
    return 0;
}

int CStoryLinkWalk::SectionVerdictOf(const CHtmlToken* t, const CWordString& text, const CFontSize& font) {
    if (m_sectionVerdicts.empty()) m_sectionVerdicts.assign(m_tokens.size(), -1);
    signed char& known = m_sectionVerdicts[static_cast<std::size_t>(IndexOf(t))];
    if (known < 0) known = static_cast<signed char>(IsSectionLink(text, font, WordsOf(text)));
    return known;
}

const CHtmlToken* CStoryLinkWalk::FollowSection(CFontSize font, bool bBold, const CHtmlToken* token) {
    // The heading taken by the previous pass, and where it stands. A token
    // given back is left under the cursor, so that the caller's AppendSameFont
    // gathers that token's own text run and the walk goes on after it.
    const CHtmlToken* heading = token;
    std::int64_t headingPos = -1;
    if (const int c = CursorIndex(); c >= 0) {
        // Where the token stands, as a walk back from the cursor finds it:
        // the first token of the page when the cursor is before it.
        const int k = token ? IndexOf(token) : -1;
        headingPos = k >= 0 && k <= c ? k : 0;
    }
    for (;;) {
        // 1. How much plain text follows? A long run of it (more than three
        // words) ends the section; the words are counted only that far.
        constexpr int kLongRun = 4;
        const std::int64_t start = SaveCursor();
        const CHtmlToken* first = NextLinkText(0);
        int words = 0;
        // When the first text is a link's, it is the next link text itself
        // (step 2 finds it again) and no plain text stands before it.
        if (first && !first->IsInside(TK_LINK)) {
            words = CWordString::CountWordsIn(first->Text(), 1, kLongRun);
            const CHtmlToken* next = nullptr;
            while (words < kLongRun && FindNext(TK_ANY, next)) {
                if (next->m_nKind == TK_TEXT) {
                    if (next->IsInside(TK_LINK)) break;
                    words += CWordString::CountWordsIn(next->Text(), 1, kLongRun - words);
                } else if (next->m_nKind < TK_BOLD || next->m_nKind > TK_PARAGRAPH) {
                    break;
                }
            }
        }
        RestoreCursor(start);

        // 2. The next link text. Running text before it ends the section,
        // also when no link follows at all.
        const CHtmlToken* L = NextLinkText(1);
        if (L != first && words >= kLongRun) {
            RestoreCursor(headingPos);
            return heading;
        }
        if (!L) return nullptr;
        std::int64_t atL = SaveCursor();

        // 3. Another heading, or a section link that becomes the heading?
        CWordString text(L->Text());
        if (text.empty()) return L;
        CFontSize fontL = FontOf(L);
        bool bBoldL = L->IsInside(TK_BOLD);
        AppendSameFont(text, fontL);
        text.Trim();
        if (fontL.SameSize(font) && bBoldL == bBold && text.CountWords(0, 4) <= 3) {
            heading = L;
            headingPos = atL;
            continue;
        }
        if (SectionVerdictOf(L, text, fontL)) {
            font = fontL;
            bBold = bBoldL;
            heading = L;
            headingPos = atL;
            continue;
        }

        // 4. Look one link further: a section link there takes over.
        const std::int64_t afterL = SaveCursor();
        const CHtmlToken* S = NextLinkText(1);
        if (!S) {
            RestoreCursor(atL);
            return L;
        }
        const std::int64_t atS = SaveCursor();
        CWordString textS(S->Text());
        CFontSize fontS = FontOf(S);
        AppendSameFont(textS, fontS);
        textS.Trim();
        if (SectionVerdictOf(S, textS, fontS)) {
            font = fontS;
            bBold = S->IsInside(TK_BOLD);
            heading = S;
            headingPos = atS;
            continue;
        }

        // 5. L is an ordinary link under the heading; S is handled next.
        RestoreCursor(afterL);
        HandleLink(L, text);
        RestoreCursor(atS);
        return S;
    }
}
