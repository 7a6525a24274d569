#include "engine/StoryFilter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

#include "engine/LinkRules.h"
#include "engine/PositionTable.h"
#include "engine/StoryUrl.h"
#include "engine/UnicodeText.h"
#include "engine/WordString.h"

namespace {

const std::string& Headline(const FilterLink& link) { return link.pLink->headline; }

bool HasLetter(std::string_view text) {
    for (std::size_t i = 0, length = 0; i < text.size(); i += length)
        if (IsLetterCodePoint(CodePointAt(text, i, length))) return true;
    return false;
}

// A few lower-case words (letters a-z) a tag name, a path segment or a
// query name is compared with. Most names met are other tags, slugs, ids and
// file names: their length or their first byte rules them out before any
// comparison.
// One bit per letter a-z; none for any other byte.
constexpr std::uint32_t LetterBit(char c) {
    const unsigned letter = static_cast<unsigned char>(c) - 'a';
    return letter < 26 ? std::uint32_t{1} << letter : 0;
}

class CSegmentWords {
public:
    constexpr CSegmentWords(std::initializer_list<std::string_view> words) {
        for (std::string_view word : words) {
            m_words[m_nCount++] = word;
            m_nShortest = std::min(m_nShortest, word.size());
            m_nLongest = std::max(m_nLongest, word.size());
            m_nFirstLetters |= LetterBit(word[0]);
        }
    }
    std::uint32_t FirstLetters() const { return m_nFirstLetters; }
    bool Has(std::string_view segment) const {
        if (segment.size() < m_nShortest || segment.size() > m_nLongest) return false;
        if (!(m_nFirstLetters & LetterBit(segment[0]))) return false;
        return std::find(m_words.begin(), m_words.begin() + m_nCount, segment) != m_words.begin() + m_nCount;
    }

private:
    std::array<std::string_view, 16> m_words{};
    std::size_t m_nCount = 0;
    std::size_t m_nShortest = SIZE_MAX;
    std::size_t m_nLongest = 0;
    std::uint32_t m_nFirstLetters = 0;  // LetterBit of each word's first letter
};

// Tags that stand inside a line of text without breaking it.
bool IsInlineTag(const CHtmlToken& t) {
    switch (t.m_nKind) {
    case TK_BOLD:
    case TK_ITALIC:
    case TK_FONT:
        return true;
    case TK_OTHER: {
        static constexpr CSegmentWords kInline{"span", "small", "big", "u",    "s",      "abbr", "sup", "sub",
                                               "code", "q",     "mark", "time", "strike", "tt",   "ins", "del"};
        return kInline.Has(t.Text());
    }
    default:
        return false;
    }
}

// 1 when plain text touches the link on one side, in the same line: inline
// tags between are passed over, anything else ends the search. 0 when none.
int TouchingWords(std::span<const CHtmlToken> tokens, int from, int step) {
    for (int i = from; i >= 0 && static_cast<std::size_t>(i) < tokens.size(); i += step) {
        const CHtmlToken& t = tokens[static_cast<std::size_t>(i)];
        if (t.m_nKind == TK_TEXT) {
            if (t.IsInside(TK_LINK)) return 0;
            std::string_view text = t.Text();
            while (!text.empty() && CWordString::IsBlank(text.front())) text.remove_prefix(1);
            if (text.empty()) continue;  // blanks only
            return 1;
        }
        if (t.m_nKind == TK_COMMENT || IsInlineTag(t)) continue;
        return 0;
    }
    return 0;
}

// Whether plain text touches the link right before it, in its line (1 or 0).
int WordsBefore(const FilterLink& link, const FilterPage& page) {
    return link.nAnchor < 0 ? 0 : TouchingWords(page.tokens, link.nAnchor - 1, -1);
}

// Whether plain text touches the link right after it, in its line (1 or 0).
int WordsAfter(const FilterLink& link, const FilterPage& page) {
    if (link.nAnchor < 0) return 0;
    // The link's own texts follow its tag; then its closing tag.
    int end = link.nText;
    while (static_cast<std::size_t>(end) < page.tokens.size() && page.tokens[static_cast<std::size_t>(end)].m_nKind == TK_TEXT)
        ++end;
    if (static_cast<std::size_t>(end) < page.tokens.size() && page.tokens[static_cast<std::size_t>(end)].m_nKind == TK_LINK &&
        !page.tokens[static_cast<std::size_t>(end)].m_bIsOpen)
        ++end;
    return TouchingWords(page.tokens, end, 1);
}

// A part of the link's target (a view into url) in lower case: lower-casing
// leaves every byte where it is, so it stands in lower where the part
// stands in the target.
std::string_view LowerCasePart(const FilterLink& link, std::string_view part) {
    if (part.empty()) return std::string_view();
    return link.lower.substr(static_cast<std::size_t>(part.data() - link.url.data()), part.size());
}

// What the rules read of a link, worked out once.
void WorkOutFacts(FilterLink& link) {
    const std::string& headline = Headline(link);
    link.nWords = link.nJudgedWords >= 0 ? link.nJudgedWords : CWordString::CountWordsIn(headline, 0, kLinkWordLimit);
    link.pieces = SplitUrl(link.url);
    if (HasAsciiUpper(link.url)) {
        link.lowerUrl.clear();
        AppendLowerAscii(link.lowerUrl, link.url);
        link.lower = link.lowerUrl;
    } else {
        link.lower = link.url;
    }
    const auto lowered = [&link](std::string_view part) { return LowerCasePart(link, part); };
    std::string_view host = lowered(link.pieces.host);
    if (const std::size_t colon = host.rfind(':'); colon != std::string_view::npos) host = host.substr(0, colon);
    link.host = host;
    link.segments.clear();
    link.nSegmentLetters = 0;
    std::string_view path = lowered(link.pieces.path);
    link.bPathDigit = HasAsciiDigit(path);  // in a segment: slashes are no digits
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view segment = path.substr(0, slash);
        if (!segment.empty()) {
            link.segments.push_back(segment);
            link.nSegmentLetters |= LetterBit(segment[0]);
        }
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    link.query = lowered(link.pieces.query);
}

// ---- The rules.

// The page's own navigation, banner, footer and search regions.
bool InPageChrome(const FilterLink& link, const FilterPage& page) {
    return !link.bHeadingText && page.layout.InChrome(link.nText);
}

// A headline without a letter: a comment count, a page number, a star.
bool HasNoLetter(const FilterLink& link, const FilterPage&) { return !HasLetter(Headline(link)); }

// "Read more" and the like, with no heading to name the story.
bool IsGenericText(const FilterLink& link, const FilterPage&) {
    return link.nJudgedGeneric >= 0 ? link.nJudgedGeneric == 1 : IsGenericLinkText(Headline(link));
}

// A link inside a line of text, with words touching it on both sides: a
// reference made in passing ("... as Jane Doe reported ...").
bool IsInline(const FilterLink& link, const FilterPage& page) {
    if (link.bHeadingText) return false;
    // The words after are looked for only when there are words before.
    return WordsBefore(link, page) > 0 && WordsAfter(link, page) > 0;
}

// Whether a headline holds a script written without blanks.
bool IsUnspaced(const std::string& headline) {
    return std::any_of(headline.begin(), headline.end(), [](char c) { return c & 0x80; }) &&
           HasUnspacedScript(headline);
}

// A word or two linked further down a block of running text ("Link",
// "source").
bool IsShortInBody(const FilterLink& link, const FilterPage& page) {
    // The look at the headline's script, the dearest test, comes last.
    return !link.bHeadingText && link.nWords <= 2 && page.layout.PlainWordsBefore(link.nText) >= 10 &&
           !IsUnspaced(Headline(link));
}

bool AnySegmentIn(const FilterLink& link, const CSegmentWords& words) {
    // Most targets have no segment beginning with a letter a word begins with.
    if (!(link.nSegmentLetters & words.FirstLetters())) return false;
    return std::any_of(link.segments.begin(), link.segments.end(), [&words](std::string_view s) { return words.Has(s); });
}

// A path segment that is a story's slug: four words or more.
bool IsSlug(std::string_view segment) {
    return std::count_if(segment.begin(), segment.end(), [](char c) { return c == '-' || c == '_'; }) >= 3;
}

bool SameSite(std::string_view a, std::string_view b) {
    auto bare = [](std::string_view host) { return host.starts_with("www.") ? host.substr(4) : host; };
    a = bare(a);
    b = bare(b);
    if (a == b) return true;
    auto under = [](std::string_view sub, std::string_view site) {
        return sub.size() > site.size() && sub.ends_with(site) && sub[sub.size() - site.size() - 1] == '.';
    };
    return under(a, b) || under(b, a);
}

// Profiles, tag, topic, search and category pages, and section fronts: a
// target whose path carries neither a number (a date, an id) nor a slug,
// unless the headline is a sentence of six words or more. A link to the
// front page of another site with a headline of three words or more is an
// aggregator's story.
bool IsSectionTarget(const FilterLink& link, const FilterPage& page) {
    const std::vector<std::string_view>& segments = link.segments;
    static constexpr CSegmentWords kProfiles{"author", "authors", "profile", "profiles", "user", "users",
                                             "people", "staff", "contributor", "contributors", "autor", "autoren"};
    if (AnySegmentIn(link, kProfiles)) return true;
    const int words = link.nWords;
    if (words >= 6 || link.bPathDigit) return false;
    if (segments.empty() && words >= 3 && !SameSite(link.host, UrlHost(page.pageUrl))) return false;
    return std::none_of(segments.begin(), segments.end(), [](std::string_view s) { return IsSlug(s); });
}

// A picture, a sound or a document rather than a page.
bool IsMediaFile(const FilterLink& link, const FilterPage&) {
    if (link.segments.empty()) return false;
    const std::string_view last = link.segments.back();
    // Every ending is a dot and letters or digits: the segment ends with one
    // exactly when its part from the last dot is one. None is longer than
    // five bytes, so the last dot is looked for in the last five only.
    constexpr std::size_t kLongestEnding = 5;
    const std::string_view tail = last.substr(last.size() - std::min(last.size(), kLongestEnding));
    const std::size_t dot = tail.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view ending = tail.substr(dot);
    static constexpr std::string_view kEndings[] = {".mp3", ".ogg", ".m4a", ".mp4", ".wav", ".pdf", ".jpg",
                                                    ".jpeg", ".png", ".gif", ".zip", ".exe", ".dmg"};
    // The letters the endings begin with after their dot: the usual page
    // endings (".html", ".htm", ".aspx", ".shtml") are ruled out without a
    // comparison.
    static constexpr std::uint32_t kFirstLetters = [] {
        std::uint32_t letters = 0;
        for (std::string_view e : kEndings) letters |= LetterBit(e[1]);
        return letters;
    }();
    if (ending.size() < 2 || !(LetterBit(ending[1]) & kFirstLetters)) return false;
    return std::find(std::begin(kEndings), std::end(kEndings), ending) != std::end(kEndings);
}

// Forum threads and comment pages.
bool IsDiscussion(const FilterLink& link, const FilterPage&) {
    static constexpr CSegmentWords kDiscussions{"forum", "forums", "thread", "threads", "comments", "comment"};
    if (AnySegmentIn(link, kDiscussions)) return true;
    return link.query.find("comments") != std::string_view::npos ||
           link.query.find("comment=") != std::string_view::npos;
}

// Ad servers' click addresses.
bool IsAdClick(const FilterLink& link, const FilterPage&) {
    static constexpr CSegmentWords kAdSegments{"adx", "adclick"};
    const std::string_view host = link.host;
    return host.find("doubleclick.") != std::string_view::npos || host.find("adclick") != std::string_view::npos ||
           host.starts_with("ad.") || host.starts_with("ads.") || host.starts_with("adserver.") ||
           AnySegmentIn(link, kAdSegments) || link.query.find("adclick") != std::string_view::npos;
}

// The next page of a list: ".../page/2", "seite-2.html", "?page=2".
bool IsPager(const FilterLink& link, const FilterPage&) {
    const std::vector<std::string_view>& segments = link.segments;
    auto isNumber = [](std::string_view s) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return IsAsciiDigit(c); });
    };
    static constexpr CSegmentWords kPageWords{"page", "seite"};
    if (segments.size() >= 2 && kPageWords.Has(segments[segments.size() - 2]) &&
        isNumber(segments.back()))
        return true;
    // Only a last segment that begins with a page word can be "page-2".
    const std::string_view lastSegment = segments.empty() ? std::string_view() : segments.back();
    if (lastSegment.starts_with("page") || lastSegment.starts_with("seite")) {
        std::string_view last = lastSegment;
        if (const std::size_t dot = last.find('.'); dot != std::string_view::npos) last = last.substr(0, dot);
        for (std::string_view word : {"page", "seite"}) {
            if (!last.starts_with(word)) continue;
            std::string_view rest = std::string_view(last).substr(word.size());
            if (!rest.empty() && (rest[0] == '-' || rest[0] == '_')) rest.remove_prefix(1);
            if (isNumber(rest)) return true;
        }
    }
    std::string_view query = link.query;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const std::size_t eq = pair.find('=');
        static constexpr CSegmentWords kPageNames{"page", "seite", "p"};
        if (eq != std::string_view::npos && kPageNames.Has(pair.substr(0, eq)) &&
            isNumber(pair.substr(eq + 1)))
            return true;
    }
    return false;
}

constexpr const char* kSameStory = "same story";

// The first four rules read only the headline and where the link stands;
// the others also read the facts WorkOutFacts gathers, which are worked out
// only for the links the first four leave (most links a page's chrome holds
// never need them).
constexpr std::size_t kRulesBeforeFacts = 4;
constexpr StoryFilterRule kRules[] = {
    {"chrome", InPageChrome},         {"no-letter", HasNoLetter},   {"generic-text", IsGenericText},
    {"inline", IsInline},             {"short-in-body", IsShortInBody}, {"section-target", IsSectionTarget},
    {"media-file", IsMediaFile},      {"discussion", IsDiscussion}, {"ad-click", IsAdClick},
    {"pager", IsPager},
};

}  // namespace

std::span<const StoryFilterRule> StoryFilterRules() { return kRules; }

namespace {

// Arrows, bullets and separators around a headline all begin with '|', '>'
// or a byte of a multi-byte character; blanks around them count too.
bool MayHaveMark(unsigned char c) { return c == '|' || c == '>' || c >= 0x80 || c == ' '; }

// The text of the link's first text token without the blanks around it,
// when it is a rank number ("3", "12."); empty otherwise.
std::string_view RankNumber(const FilterLink& link, const FilterPage& page) {
    if (link.nText < 0 || static_cast<std::size_t>(link.nText) >= page.tokens.size()) return {};
    std::string_view first = page.tokens[static_cast<std::size_t>(link.nText)].Text();
    while (!first.empty() && CWordString::IsBlank(first.front())) first.remove_prefix(1);
    while (!first.empty() && CWordString::IsBlank(first.back())) first.remove_suffix(1);
    std::string_view number = first;
    if (number.ends_with('.')) number.remove_suffix(1);
    const bool bRank = !number.empty() && number.size() <= 3 &&
                       std::all_of(number.begin(), number.end(), [](char c) { return IsAsciiDigit(c); });
    return bRank ? first : std::string_view();
}

// False when CleanHeadline surely gives the headline back as it is.
bool MayNeedCleaning(const FilterLink& link, const FilterPage& page) {
    const std::string& text = Headline(link);
    if (text.empty()) return false;
    if (MayHaveMark(static_cast<unsigned char>(text.front())) || MayHaveMark(static_cast<unsigned char>(text.back())))
        return true;
    // A rank number begins with a digit: most headlines rule it out at once.
    if (!IsAsciiDigit(text.front())) return false;
    const std::string_view rank = RankNumber(link, page);
    return !rank.empty() && text.starts_with(rank) && text.size() > rank.size();
}

}  // namespace

namespace {

// CleanHeadline as a part of the headline.
std::string_view CleanedHeadline(const FilterLink& link, const FilterPage& page) {
    std::string_view text = Headline(link);
    // A rank number in a text of its own before the headline's words.
    if (const std::string_view first = RankNumber(link, page); !first.empty()) {
        if (text.starts_with(first) && text.size() > first.size()) {
            const std::string_view rest = CWordString::Trimmed(text.substr(first.size()));
            if (HasLetter(rest)) text = rest;
        }
    }
    // Arrows, bullets and separators around it (all of them begin with '|',
    // '>' or a byte of a multi-byte character).
    if (text.empty() || (!MayHaveMark(static_cast<unsigned char>(text.front())) &&
                         !MayHaveMark(static_cast<unsigned char>(text.back()))))
        return text;
    static constexpr std::string_view kMarks[] = {"\xC2\xBB", "\xE2\x80\xBA", "\xE2\x80\xA2", "\xC2\xB7", "|",
                                                  ">", "\xE2\x86\x92", "\xE2\x96\xBA", "\xE2\x96\xB8"};
    for (bool bCut = true; bCut;) {
        bCut = false;
        text = CWordString::Trimmed(text);
        // Every mark begins and ends with a byte MayHaveMark knows: without
        // one at either end, there is no mark to cut.
        if (text.empty() || (!MayHaveMark(static_cast<unsigned char>(text.front())) &&
                             !MayHaveMark(static_cast<unsigned char>(text.back()))))
            break;
        for (std::string_view mark : kMarks) {
            if (text.size() > mark.size() && text.ends_with(mark)) {
                text.remove_suffix(mark.size());
                bCut = true;
            }
            if (text.size() > mark.size() && text.starts_with(mark)) {
                text.remove_prefix(mark.size());
                bCut = true;
            }
        }
    }
    return text;
}

}  // namespace

std::string CleanHeadline(const FilterLink& link, const FilterPage& page) {
    return std::string(CleanedHeadline(link, page));
}

void FilterByHeadline(std::vector<FilterLink>& links, const FilterPage& page) {
    for (FilterLink& link : links) {
        if (MayNeedCleaning(link, page)) {
            // A part of the headline: it differs from the headline exactly
            // when it is shorter.
            const std::string_view cleaned = CleanedHeadline(link, page);
            if (cleaned.size() != link.pLink->headline.size()) {
                std::string copy(cleaned);
                link.pLink->rawHeadline = std::move(link.pLink->headline);
                link.pLink->headline = std::move(copy);
                link.nJudgedWords = -1;
                link.nJudgedGeneric = -1;
            }
        }
        link.pLink->dropRule = nullptr;
        // Price listing rows follow rules of their own.
        if (link.pLink->IsListing()) continue;
        for (std::size_t r = 0; r < kRulesBeforeFacts; ++r) {
            if (!kRules[r].drops(link, page)) continue;
            link.pLink->dropRule = kRules[r].name;
            break;
        }
    }
}

std::vector<std::size_t> FilterStoryLinks(std::vector<FilterLink>& links, const FilterPage& page) {
    const CPageLayout& layout = page.layout;
    std::vector<std::size_t> kept;
    kept.reserve(links.size());
    // The normalised targets of the links kept, one after another, and
    // where each stands (for a link without one: nothing).
    std::string targets;
    std::vector<std::pair<std::size_t, std::size_t>> keptTargets;
    keptTargets.reserve(links.size());
    FilterLink* previous = nullptr;  // the link that worked out facts last
    for (std::size_t i = 0; i < links.size(); ++i) {
        FilterLink& link = links[i];
        if (!link.pLink->dropRule && !link.pLink->IsListing()) {
            // Facts are worked out in the buffers of the link before, which
            // the rules are done with.
            if (previous) {
                link.lowerUrl.swap(previous->lowerUrl);
                link.segments.swap(previous->segments);
                previous->lower = previous->host = previous->query = std::string_view();
            }
            previous = &link;
            WorkOutFacts(link);
            for (std::size_t r = kRulesBeforeFacts; r < std::size(kRules); ++r) {
                if (!kRules[r].drops(link, page)) continue;
                link.pLink->dropRule = kRules[r].name;
                break;
            }
        }
        if (!link.pLink->dropRule) {
            kept.push_back(i);
            const std::size_t at = targets.size();
            if (!link.url.empty() && !link.pLink->IsListing()) {
                // The rules have read the target's facts: its scheme and
                // host in lower case are at hand.
                UrlPieces parts = link.pieces;
                parts.scheme = LowerCasePart(link, parts.scheme);
                parts.host = LowerCasePart(link, parts.host);
                parts.bLowerCase = true;
                AppendNormalizedStoryUrl(targets, parts);
            }
            keptTargets.emplace_back(at, targets.size() - at);
        }
    }

    // One link per story: of the links to one target, the one in a heading,
    // else the one with the longest headline, takes the place of the first.
    // The positions in out of the first link to each normalised target, by
    // that target (outTargets: the target of each position in out).
    CPositionTable first;
    first.Reset(kept.size());
    std::vector<std::string_view> outTargets;
    outTargets.reserve(kept.size());
    std::vector<std::size_t> out;
    out.reserve(kept.size());
    for (std::size_t k = 0; k < kept.size(); ++k) {
        const std::size_t i = kept[k];
        const FilterLink& link = links[i];
        if (link.url.empty() || link.pLink->IsListing()) {
            out.push_back(i);
            outTargets.emplace_back();
            continue;
        }
        const std::string_view target = std::string_view(targets).substr(keptTargets[k].first, keptTargets[k].second);
        const std::size_t hash = std::hash<std::string_view>()(target);
        const std::ptrdiff_t found =
            first.Find(hash, [&](std::size_t at) { return outTargets[at] == target; });
        if (found < 0) {
            first.Insert(hash, out.size());
            out.push_back(i);
            outTargets.push_back(target);
            continue;
        }
        const auto at = static_cast<std::size_t>(found);
        const FilterLink& held = links[out[at]];
        const bool bHeldHeading = layout.HeadingOf(held.nText) >= 0;
        const bool bHeading = layout.HeadingOf(link.nText) >= 0;
        if ((bHeading && !bHeldHeading) ||
            (bHeading == bHeldHeading && Headline(link).size() > Headline(held).size())) {
            held.pLink->dropRule = kSameStory;
            out[at] = i;
        } else {
            link.pLink->dropRule = kSameStory;
        }
    }
    return out;
}
