#include "html/HtmlParser.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/ByteWords.h"
#include "html/CharRefDecoder.h"

// The steps of reading one token are built into the loops that call them.
#define SKIMBOLT_HOT_INLINE [[gnu::always_inline]] inline

namespace {

// Every token list gets a number no other list of any parser had, so that a
// saved cursor can tell whether it belongs to the current list.
std::atomic<std::uint64_t> g_nNextGeneration{1};

inline bool IsSpace(char c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

// Bytes that end a tag name: NUL, '>' and whitespace.
constexpr auto kNameStops = [] {
    std::array<bool, 256> stops{};
    for (unsigned char c : {'\0', '>', ' ', '\r', '\n', '\t'}) stops[c] = true;
    return stops;
}();

// Eight bytes at a time: the flags below set the high bit of each byte of a
// word (read from memory in page order) that passes their test.
using byte_words::BytesBelow;
using byte_words::BytesInRange;
using byte_words::FirstBytesEqual;
using byte_words::kHighs;
using byte_words::kOnes;
using byte_words::LoadWord;

// The bytes of w equal to c, exactly (no borrow crosses bytes).
inline std::uint64_t BytesEqual(std::uint64_t w, unsigned char c) {
    const std::uint64_t x = w ^ (kOnes * c);
    return ~(((x & ~kHighs) + ~kHighs) | x | ~kHighs);
}

// The bytes of w that are whitespace as IsSpace sees it.
inline std::uint64_t SpaceBytes(std::uint64_t w) {
    return BytesEqual(w, ' ') | BytesEqual(w, '\n') | BytesEqual(w, '\r') | BytesEqual(w, '\t');
}

// The page-order index of the first flagged byte.
inline int FirstFlagged(std::uint64_t flags) {
    if constexpr (std::endian::native == std::endian::little)
        return std::countr_zero(flags) >> 3;
    else
        return std::countl_zero(flags) >> 3;
}

// Moves each byte's flag to the byte before it in page order; the last
// byte's flag is set, since what follows the word is not known.
inline std::uint64_t FlagsOfNext(std::uint64_t flags) {
    if constexpr (std::endian::native == std::endian::little)
        return (flags >> 8) | (std::uint64_t{0x80} << 56);
    else
        return (flags << 8) | 0x80;
}

// The bytes of w up to 0x20: whitespace and the other control characters.
inline std::uint64_t BlankOrControlBytes(std::uint64_t w) {
    return BytesBelow(w, 0x21);
}

// The bytes DecodeText must look at one by one: '&', and whitespace other
// than one space before a byte that is not whitespace (control characters
// are taken for whitespace here, which only sends them the slow way).
inline std::uint64_t TextBytesToDecode(std::uint64_t w) {
    const std::uint64_t blanks = BlankOrControlBytes(w);
    // Of the bytes up to 0x20 only the space has bit 5 set.
    const std::uint64_t otherBlanks = blanks & ~(w << 2);
    const std::uint64_t blankBeforeBlank = blanks & FlagsOfNext(blanks);
    return (otherBlanks | blankBeforeBlank | FirstBytesEqual(w, '&')) & kHighs;
}


#if defined(__SSE2__)
// Sixteen bytes at a time where the processor has SSE2: bit i of a block
// mask stands for byte p[i].
constexpr std::ptrdiff_t kBlock = 16;

inline __m128i LoadBlock(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

inline unsigned BlockMask(__m128i flags) { return static_cast<unsigned>(_mm_movemask_epi8(flags)); }

inline __m128i BlockEqual(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }

// The bytes up to 0x20: whitespace, NUL and the other control characters.
inline __m128i BlockBlankOrControl(__m128i v) { return _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x20)), v); }

// The mask of the bytes before index n (0 to 16).
inline unsigned BlockBefore(unsigned mask, std::ptrdiff_t n) { return mask & ((1u << n) - 1); }

// TextBytesToDecode for a block: '&', and whitespace other than one space
// before a byte that is not whitespace. The last byte's successor is not
// known, so a blank there is always flagged.
inline unsigned BlockBytesToDecode(__m128i v) {
    const unsigned blanks = BlockMask(BlockBlankOrControl(v));
    const unsigned spaces = BlockMask(BlockEqual(v, ' '));
    const unsigned blankBeforeBlank = blanks & ((blanks >> 1) | 0x8000u);
    return (blanks & ~spaces) | blankBeforeBlank | BlockMask(BlockEqual(v, '&'));
}
#endif

// The first byte equal to c in [p, end); end when there is none. Words
// are read up to textEnd (at or after end), the end of the text being read.
// Short runs are searched in line, long ones by memchr.
inline char* FindByte(char* p, char* end, char* textEnd, unsigned char c) {
    if (p >= end) return end;
#if defined(__SSE2__)
    for (int i = 0; i < 2 && textEnd - p >= kBlock; ++i) {
        const unsigned found = BlockMask(BlockEqual(LoadBlock(p), static_cast<char>(c)));
        if (found) {
            char* hit = p + std::countr_zero(found);
            return hit < end ? hit : end;
        }
        p += kBlock;
        if (p >= end) return end;
    }
#else
    for (std::ptrdiff_t words = std::min<std::ptrdiff_t>((textEnd - p) >> 3, 4); words > 0; --words) {
        const std::uint64_t found = FirstBytesEqual(LoadWord(p), c);
        if (found) {
            char* hit = p + FirstFlagged(found);
            return hit < end ? hit : end;
        }
        p += 8;
        if (p >= end) return end;
    }
#endif
    if (end - p >= 32) {
        char* hit = static_cast<char*>(std::memchr(p, c, static_cast<std::size_t>(end - p)));
        return hit ? hit : end;
    }
    while (p < end && *p != static_cast<char>(c)) ++p;
    return p;
}

#if !defined(__SSE2__)
// The bytes of flags (high bits) before the byte at index n (0 to 8) of a word.
inline std::uint64_t FlagsBefore(std::uint64_t flags, std::ptrdiff_t n) {
    return n >= 8 ? flags : flags & ((std::uint64_t{1} << (8 * n)) - 1);
}
#endif

// FindByte for a quoted attribute value: the closing quote, and whether an
// '&' comes before it.
inline char* FindQuote(char* p, char* end, char* textEnd, unsigned char quote, bool& amp) {
#if defined(__SSE2__)
    // Long values are left to memchr below.
    for (int i = 0; i < 2 && p < end && textEnd - p >= kBlock; ++i, p += kBlock) {
        const __m128i v = LoadBlock(p);
        const unsigned found = BlockMask(BlockEqual(v, static_cast<char>(quote)));
        const std::ptrdiff_t stop = std::min<std::ptrdiff_t>(found ? std::countr_zero(found) : kBlock, end - p);
        if (BlockBefore(BlockMask(BlockEqual(v, '&')), stop)) amp = true;
        if (stop < kBlock) return p + stop;
    }
    if (p >= end) return end;
#else
    if constexpr (std::endian::native == std::endian::little) {
        // Long values are left to memchr below.
        for (int i = 0; i < 4 && p < end && textEnd - p >= 8; ++i, p += 8) {
            const std::uint64_t w = LoadWord(p);
            // A wrong '&' flag can only follow a true one.
            const std::uint64_t amps = FirstBytesEqual(w, '&');
            const std::uint64_t found = FirstBytesEqual(w, quote);
            const std::ptrdiff_t stop = std::min<std::ptrdiff_t>(found ? FirstFlagged(found) : 8, end - p);
            if (FlagsBefore(amps, stop)) amp = true;
            if (stop < 8) return p + stop;
        }
        if (p >= end) return end;
    }
#endif
    char* close = FindByte(p, end, textEnd, quote);
    if (!amp && p < close) amp = std::memchr(p, '&', static_cast<std::size_t>(close - p)) != nullptr;
    return close;
}

// The first whitespace byte in [p, end); end when there is none. Words are
// read up to textEnd, as FindByte does.
inline char* FindSpace(char* p, char* end, char* textEnd) {
#if defined(__SSE2__)
    for (; p < end && textEnd - p >= kBlock; p += kBlock) {
        // Other control characters are flagged too, and passed over.
        for (unsigned found = BlockMask(BlockBlankOrControl(LoadBlock(p))); found; found &= found - 1) {
            char* hit = p + std::countr_zero(found);
            if (hit >= end) return end;
            if (IsSpace(*hit)) return hit;
        }
    }
#else
    if constexpr (std::endian::native == std::endian::little) {
        for (; p < end && textEnd - p >= 8; p += 8) {
            // Other control characters are flagged too, and passed over.
            for (std::uint64_t found = BlankOrControlBytes(LoadWord(p)); found; found &= found - 1) {
                char* hit = p + FirstFlagged(found);
                if (hit >= end) return end;
                if (IsSpace(*hit)) return hit;
            }
        }
    }
#endif
    if (p >= end) return end;
    while (p < end && !IsSpace(*p)) ++p;
    return p;
}

// The end of a tag name from p on: the first NUL, '>' or whitespace byte.
// end is the end of the text, where a NUL byte stands.
inline char* FindNameEnd(char* p, char* end) {
#if defined(__SSE2__)
    for (; end - p >= kBlock; p += kBlock) {
        const __m128i v = LoadBlock(p);
        // Other control characters are flagged too, and passed over.
        for (unsigned found = BlockMask(_mm_or_si128(BlockBlankOrControl(v), BlockEqual(v, '>'))); found;
             found &= found - 1) {
            char* hit = p + std::countr_zero(found);
            if (kNameStops[static_cast<unsigned char>(*hit)]) return hit;
        }
    }
#else
    if constexpr (std::endian::native == std::endian::little) {
        for (; end - p >= 8; p += 8) {
            const std::uint64_t w = LoadWord(p);
            // Other control characters are flagged too, and passed over.
            // A wrong '>' flag can only follow a true one, where the name ends.
            for (std::uint64_t found = BlankOrControlBytes(w) | FirstBytesEqual(w, '>'); found; found &= found - 1) {
                char* hit = p + FirstFlagged(found);
                if (kNameStops[static_cast<unsigned char>(*hit)]) return hit;
            }
        }
    }
#endif
    while (!kNameStops[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

// The first byte from p on, before stop, that is not whitespace (stop when
// there is none).
inline char* SkipSpaces(char* p, char* stop) {
    // Most runs of whitespace are short: a byte at a time first.
    for (int i = 0; i < 4; ++i, ++p)
        if (p >= stop || !IsSpace(*p)) return p;
    while (stop - p >= 8) {
        const std::uint64_t other = ~SpaceBytes(LoadWord(p)) & kHighs;
        if (other) return p + FirstFlagged(other);
        p += 8;
    }
    while (p < stop && IsSpace(*p)) ++p;
    return p;
}

inline char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The bits of the first n bytes (0 to 8) of a packed name.
constexpr auto kPackedMasks = [] {
    std::array<std::uint64_t, 9> masks{};
    for (std::size_t n = 0; n < 8; ++n) masks[n] = (std::uint64_t{1} << (8 * n)) - 1;
    masks[8] = ~std::uint64_t{0};
    return masks;
}();

// A name of 1 to 8 bytes packed as FindTagEntryByKey takes it: byte i in
// bits 8i to 8i+7, the bits above the name clear.
inline std::uint64_t PackedName(const char* name, std::size_t length) {
    if constexpr (std::endian::native == std::endian::little) {
        return LoadWord(name) & kPackedMasks[length];
    } else {
        std::uint64_t key = 0;
        for (std::size_t i = 0; i < length; ++i)
            key |= static_cast<std::uint64_t>(static_cast<unsigned char>(name[i])) << (8 * i);
        return key;
    }
}

// The bytes of a packed name of that length with bit 5 set: 'A' to 'Z' become 'a' to 'z'.
// Only the letters of either case come out as lower-case letters, so the
// result equals a packed name of lower-case letters exactly when the name
// is that one, ignoring case.
inline std::uint64_t FoldPacked(std::uint64_t key, std::size_t length) {
    return key | (kOnes * 0x20 & kPackedMasks[length]);
}

// True when the attribute name equals the four lower-case letters of word,
// ignoring case.
inline bool IsName4(std::string_view name, const char (&word)[5]) {
    if (name.size() != 4) return false;
    std::uint32_t a, b;
    std::memcpy(&a, name.data(), 4);
    std::memcpy(&b, word, 4);
    return (a | 0x20202020u) == b;
}

// True when s begins with the lower-case word, compared ignoring case.
bool StartsWithNoCase(std::string_view s, std::string_view word) {
    if (s.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (LowerAscii(s[i]) != word[i]) return false;
    return true;
}

// Reads a decimal number with an optional sign after optional leading
// whitespace, as atoi would, but saturating instead of overflowing.
long long ReadDecimal(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    long long n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        if (n < INT_MAX) n = n * 10 + (s[i] - '0');
    }
    if (n > INT_MAX) n = INT_MAX;
    return negative ? -n : n;
}

// The kinds that are always pushed on the open-element stack, even when one
// of their kind is open already: they nest.
constexpr std::uint64_t Bit(int kind) { return std::uint64_t{1} << kind; }

constexpr std::uint64_t kNestingKinds =
    Bit(TK_FONT) | Bit(TK_TABLE) | Bit(TK_ROW) | Bit(TK_CELL) | Bit(TK_LIST) | Bit(TK_LIST_ITEM);

constexpr bool IsNestingKind(int kind) { return (kNestingKinds >> kind) & 1u; }

constexpr std::uint64_t kTextRefiningKinds =
    Bit(TK_TITLE) | Bit(TK_SCRIPT) | Bit(TK_STYLE) | Bit(TK_INPUT) | Bit(TK_OPTION);
constexpr std::uint64_t kAnchorKinds = Bit(TK_LINK) | Bit(TK_ANCHOR_NAME) | Bit(TK_ANCHOR_LOCAL) | Bit(TK_ANCHOR_SCRIPT);

// Decodes a text run in place and returns the length of the result: each run
// of whitespace becomes one space and character references are decoded. A
// no-break space from a reference becomes a plain space, which the word
// rules take for a blank; a reference's output never joins the whitespace
// around it. The result is never longer than the input, so writing over it
// is safe. The bytes from end up to readEnd (at or after end) may be read,
// never written.
std::size_t DecodeText(char* begin, char* end, const char* readEnd) {
    char* in = begin;
    char* out = begin;
    while (in < end) {
        bool stopped = false;  // at a byte to decode
#if defined(__SSE2__)
        // Runs of bytes that stay as they are go sixteen at a time, the last
        // block of the run too where the page goes on after it: what lies
        // past end is read but neither kept nor written.
        // Until the first byte to decode nothing moves: whole blocks are
        // only looked at.
        if (out == in) {
            while (end - in >= kBlock) {
                const unsigned decode = BlockBytesToDecode(LoadBlock(in));
                if (decode) {
                    in += std::countr_zero(decode);
                    stopped = true;
                    break;
                }
                in += kBlock;
            }
            out = in;
        }
        while (!stopped && in < end && readEnd - in >= kBlock) {
            const __m128i v = LoadBlock(in);
            const unsigned decode = BlockBytesToDecode(v);
            const std::ptrdiff_t plain =
                std::min<std::ptrdiff_t>(decode ? std::countr_zero(decode) : kBlock, end - in);
            if (out != in) {
                // Writing all of v is safe when it ends before the bytes not
                // yet read.
                if (in + plain - out >= kBlock)
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
                else
                    for (std::ptrdiff_t i = 0; i < plain; ++i) out[i] = in[i];
            }
            in += plain;
            out += plain;
            if (plain < kBlock) {
                stopped = in < end;
                break;
            }
        }
#endif
        // Runs of bytes that stay as they are go eight at a time.
        while (!stopped && end - in >= 8) {
            const std::uint64_t w = LoadWord(in);
            const std::uint64_t decode = TextBytesToDecode(w);
            const int plain = decode ? FirstFlagged(decode) : 8;
            if (out != in) {
                // Writing all of w is safe when it ends before the bytes not
                // yet read.
                if (plain == 8 || in - out >= 8)
                    std::memcpy(out, &w, sizeof w);
                else
                    for (int i = 0; i < plain; ++i) out[i] = in[i];
            }
            in += plain;
            out += plain;
            if (plain < 8) break;
        }
        if (in >= end) break;
        const char c = *in;
        if (IsSpace(c)) {
            *out++ = ' ';
            ++in;
            while (in < end && IsSpace(*in)) ++in;
        } else if (c == '&') {
            std::size_t written = 0;
            const std::size_t taken = DecodeCharRef(in, end, CharRefPlace::Text, out, written);
            if (taken == 0) {
                *out++ = c;  // no reference: a plain '&'
                ++in;
                continue;
            }
            in += taken;
            if (written == 2 && out[0] == '\xC2' && out[1] == '\xA0')
                *out++ = ' ';
            else
                out += written;
        } else {
            *out++ = c;
            ++in;
        }
    }
    return static_cast<std::size_t>(out - begin);
}

}  // namespace

CHtmlParser::CHtmlParser() {
    std::fill(std::begin(m_innermost), std::end(m_innermost), -1);
    ResetFonts();
}

CHtmlParser::~CHtmlParser() = default;

// ---------------------------------------------------------------------------
// Taking a page

bool CHtmlParser::TakeFetchedPage(std::string body, std::string_view contentType) {
    ReleasePage();
    return TakePage(std::move(body), contentType, true);
}

bool CHtmlParser::SetPage(std::string page) {
    ReleasePage();
    return TakePage(std::move(page), std::string_view(), false);
}

namespace {

// Whether a Content-Type can be a page of text: none given, text/*, or one
// of the XML types pages are served as. Images, programs, archives and the
// like are not read.
bool IsTextContentType(std::string_view contentType) {
    std::size_t start = contentType.find_first_not_of(" \t");
    if (start == std::string_view::npos) return true;
    std::string type;
    for (std::size_t i = start; i < contentType.size() && contentType[i] != ';' && contentType[i] != ' '; ++i)
        type.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(contentType[i]))));
    if (type.empty() || type.compare(0, 5, "text/") == 0) return true;
    return type == "application/xhtml+xml" || type == "application/xml" || type == "application/rss+xml" ||
           type == "application/atom+xml";
}

}  // namespace

bool CHtmlParser::TakePage(std::string page, std::string_view contentType, bool fetched) {
    m_nRefusal = page.size() >= MAX_PAGE_BYTES ? PageRefusal::TooLarge : PageRefusal::Empty;
    if (page.empty() || page.size() >= MAX_PAGE_BYTES) return false;
    if (fetched && !IsTextContentType(contentType)) {
        m_nRefusal = PageRefusal::NotHtml;
        return false;
    }
    m_decoder.Decode(page, contentType);
    // The tokenizer reads NUL-terminated text: a fetched page loses its NUL
    // bytes, a given page ends at its first one, as a C string would.
    if (std::memchr(page.data(), '\0', page.size())) {
        if (fetched)
            page.erase(std::remove(page.begin(), page.end(), '\0'), page.end());
        else
            page.resize(std::strlen(page.c_str()));
    }
    if (page.empty()) return false;
    m_nRefusal = PageRefusal::None;
    m_nPageLength = page.size();
    m_strPage = std::move(page);
    m_bHasPage = true;
    return true;
}

void CHtmlParser::ReleasePage() {
    m_strPage.clear();
    m_strPage.shrink_to_fit();
    m_nPageLength = 0;
    m_bHasPage = false;
}

// ---------------------------------------------------------------------------
// Parsing

void CHtmlParser::ResetFonts() {
    m_fonts.clear();
    m_fontBases.clear();
    m_fontBases.push_back(0);
    m_fonts.push_back(CFontSize{});
}

void CHtmlParser::ParsePage() {
    m_tokens.clear();
    m_attrs.clear();
    m_nElementCount = 0;
    std::fill(std::begin(m_innermost), std::end(m_innermost), -1);
    std::fill(std::begin(m_openCount), std::end(m_openCount), 0);
    m_nOpenMask = 0;
    ResetFonts();
    m_nCursor = -1;
    m_strBaseHref.clear();
    m_bBaseSeen = false;
    m_nGeneration = g_nNextGeneration.fetch_add(1, std::memory_order_relaxed);
    m_pRead = m_pReadEnd = nullptr;
    if (!m_bHasPage) {
        m_strStore.clear();
        return;
    }

    // The page becomes the store the tokens' texts point into: text runs are
    // decoded over their own bytes and unknown tag names lower-cased in place.
    m_strStore = std::move(m_strPage);
    m_strPage = std::string();
    m_bHasPage = false;
    const std::size_t pageLength = m_nPageLength;
    m_tokens.reserve(pageLength / 12 + 16);
    m_attrs.reserve(pageLength / 32 + 16);
    if (m_elements.size() < pageLength / 64 + 16) m_elements.resize(pageLength / 64 + 16);
    m_nElementRoom = static_cast<int>(m_elements.size());
    const CHtmlAttribute* const attrBlock = m_attrs.data();
    m_pRead = m_strStore.data();
    m_pReadEnd = m_pRead + pageLength;

    try {
        // The kinds that may imply a closing tag or start a link; most
        // tokens are of none of them.
        constexpr std::uint64_t kImplyingKinds =
            Bit(TK_LINK) | Bit(TK_TABLE) | Bit(TK_ROW) | Bit(TK_CELL) | Bit(TK_LIST_ITEM);
        CHtmlToken tok;
        while (NextToken(tok)) {
            if (!(kImplyingKinds & Bit(tok.m_nKind))) {
                Store(tok, true);
                continue;
            }
            if (m_openCount[TK_LINK] > 0 &&
                ((tok.m_bIsOpen && tok.m_nKind == TK_LINK) || tok.m_nKind == TK_TABLE || tok.m_nKind == TK_ROW ||
                 tok.m_nKind == TK_CELL))
                StoreImpliedClose(TK_LINK, "a");
            if (tok.m_bIsOpen && tok.m_nKind == TK_LIST_ITEM && m_openCount[TK_LIST_ITEM] > 0)
                StoreImpliedClose(TK_LIST_ITEM, "li");
            if (tok.m_bIsOpen && tok.m_nKind == TK_LINK)
                StoreLink(tok);
            else
                Store(tok, true);
        }
    } catch (const std::bad_alloc&) {
        // Out of memory outside the token list itself (attributes, fonts,
        // open elements): the parse ends quietly with what it has.
    }

    // Tags point at their attributes as they are read; if the attribute
    // store grew out of its first block, point them at where it is now.
    if (m_attrs.data() != attrBlock) {
        for (CHtmlToken& t : m_tokens)
            t.m_pAttrs = t.m_nAttrCount ? m_attrs.data() + t.m_nAttrBegin : nullptr;
    }

    m_nPageLength = 0;
    m_pRead = m_pReadEnd = nullptr;
}

SKIMBOLT_HOT_INLINE bool CHtmlParser::NextToken(CHtmlToken& tok) {
    char* const p = m_pRead;
    char* const end = m_pReadEnd;
    if (p >= end) return false;
    if (!ReadToken(p, end, tok) || tok.m_nLength > end - p) {
        // A tag that cannot be read, or a token running past the end of the
        // page, ends the parse; what was stored so far stays.
        if (tok.m_nAttrCount) m_attrs.resize(tok.m_nAttrBegin);
        m_pRead = end;
        return false;
    }
    m_pRead = p + tok.m_nLength;
    tok.m_nRow = m_nRowCount;
    tok.m_nCell = m_nCellCount;
    return true;
}

SKIMBOLT_HOT_INLINE bool CHtmlParser::ReadToken(char* p, char* const end, CHtmlToken& tok) {
    // Every way of reading a token sets its kind, standalone flag and text,
    // and storing it sets its context; the rest is reset here. A font left
    // from an earlier token is hidden by a size below zero.
    tok.m_bIsOpen = true;
    tok.m_pAttrs = nullptr;
    tok.m_nAttrCount = 0;  // a tag with attributes sets them and where they begin
    tok.m_font.m_nSize = -1;
    char* const start = p;
    if (*p != '<') {
        // Whitespace before a tag is no token of its own: the tag takes it.
        // Whitespace at the end of the page ends the parse.
        char* const text = SkipSpaces(p, end);
        if (text == end) return false;
        if (*text != '<')
            return ReadText(p, static_cast<char*>(std::memchr(text, '<', static_cast<std::size_t>(end - text))), end,
                            tok);
        p = text;
    }
    return ReadTag(start, p, end, tok);
}

SKIMBOLT_HOT_INLINE bool CHtmlParser::ReadText(char* p, char* firstLt, char* end, CHtmlToken& tok) {
    // The run ends before the last '<' that precedes the first '>' following
    // a '<'; without such a '>' it runs to the end of the page.
    char* runEnd = end;
    if (firstLt) {
        char* gt = FindByte(firstLt + 1, end, end, '>');
        if (gt < end) {
            runEnd = gt - 1;
            while (*runEnd != '<') --runEnd;
        }
    }
    tok.m_nLength = static_cast<int>(runEnd - p);
    tok.m_bIsOpen = true;
    tok.m_bStandalone = true;
    tok.m_nKind = TK_TEXT;
    if (m_nOpenMask & kTextRefiningKinds) {
        switch (m_elements[static_cast<std::size_t>(InnermostOf(kTextRefiningKinds))].m_nKind) {
        case TK_TITLE: tok.m_nKind = TK_TITLE_TEXT; break;
        case TK_SCRIPT: tok.m_nKind = TK_SCRIPT_TEXT; break;
        case TK_STYLE: tok.m_nKind = TK_STYLE_TEXT; break;
        default: tok.m_nKind = TK_FIELD_TEXT; break;
        }
    }
    std::size_t textLength = static_cast<std::size_t>(runEnd - p);
    if (tok.m_nKind == TK_TEXT) textLength = DecodeText(p, runEnd, end);
    tok.m_strText = std::string_view(p, textLength);
    tok.m_font = m_fonts.back();
    return true;
}

SKIMBOLT_HOT_INLINE bool CHtmlParser::ReadTag(char* start, char* p, char* end, CHtmlToken& tok) {
    // p is at the '<'; start is where the token began (before any whitespace).
    char* q = p + 1;
    while (IsSpace(*q)) ++q;

    if (q[0] == '!' && q[1] == '-' && q[2] == '-') {
        char* body = q + 3;
        const std::string_view rest(body, static_cast<std::size_t>(end - body));
        const std::size_t found = rest.find("-->");
        char* close = found == std::string_view::npos ? nullptr : body + found;
        tok.m_bIsOpen = false;
        tok.m_bStandalone = true;
        tok.m_nKind = TK_COMMENT;
        constexpr std::uint64_t kScriptOrStyle = Bit(TK_SCRIPT) | Bit(TK_STYLE);
        if (m_nOpenMask & kScriptOrStyle) {
            const int k = m_elements[static_cast<std::size_t>(InnermostOf(kScriptOrStyle))].m_nKind;
            tok.m_nKind = k == TK_SCRIPT ? TK_SCRIPT_TEXT : TK_STYLE_TEXT;
        }
        if (!close) {
            // Unterminated: the comment would run past the end of the page.
            tok.m_strText = std::string_view(body, static_cast<std::size_t>(end - body));
            tok.m_nLength = static_cast<int>(end - start) + 1;
            return true;
        }
        tok.m_strText = std::string_view(body, static_cast<std::size_t>(close - body));
        tok.m_nLength = static_cast<int>(close + 3 - start);
        return true;
    }

    if (*q == '!') {
        char* gt = static_cast<char*>(std::memchr(q, '>', static_cast<std::size_t>(end - q)));
        tok.m_bIsOpen = false;
        tok.m_bStandalone = true;
        tok.m_nKind = TK_COMMENT;
        tok.m_strText = std::string_view(q, static_cast<std::size_t>((gt ? gt : end) - q));
        tok.m_nLength = static_cast<int>((gt ? gt : end) - start) + 1;
        return true;
    }

    if (*q == '/') {
        tok.m_bIsOpen = false;
        ++q;
        while (IsSpace(*q)) ++q;
    }
    char* name = q;
    q = FindNameEnd(q, end);
    constexpr std::uint64_t kScriptOrStyle = Bit(TK_SCRIPT) | Bit(TK_STYLE);
    if (q == name && *q != '\0' && (m_nOpenMask & kScriptOrStyle)) {
        // A '<' without a tag name inside a script ("a<=b", "'<\"'") is
        // part of the script, up to the next '<'.
        char* next = static_cast<char*>(std::memchr(p + 1, '<', static_cast<std::size_t>(end - p - 1)));
        const int k = m_elements[static_cast<std::size_t>(InnermostOf(kScriptOrStyle))].m_nKind;
        tok.m_bIsOpen = true;
        tok.m_bStandalone = true;
        tok.m_nKind = k == TK_SCRIPT ? TK_SCRIPT_TEXT : TK_STYLE_TEXT;
        tok.m_strText = std::string_view(p, static_cast<std::size_t>((next ? next : end) - p));
        tok.m_nLength = static_cast<int>((next ? next : end) - start);
        tok.m_font = m_fonts.back();  // as the rest of the script's text has
        return true;
    }
    if (*q == '\0' || q == name) return false;
    const std::size_t nameLength = static_cast<std::size_t>(q - name);

    if (IsSpace(*q)) {
        while (IsSpace(*q)) ++q;
        if (*q == '\0') return false;
        if (*q != '>') {
            tok.m_nAttrBegin = static_cast<std::uint32_t>(m_attrs.size());
            char* tagEnd = FindByte(q, end, end, '>');
            ParseAttributes(q, tagEnd);
            tok.m_nAttrCount = static_cast<std::uint32_t>(m_attrs.size() - tok.m_nAttrBegin);
            if (tok.m_nAttrCount) tok.m_pAttrs = m_attrs.data() + tok.m_nAttrBegin;
            q = tagEnd;
        }
    }
    // Without a closing '>' the tag runs past the end of the page.
    tok.m_nLength = static_cast<int>(q - start) + (*q == '>' ? 1 : 2);

    ClassifyTag(name, nameLength, tok);
    return true;
}

void CHtmlParser::ParseAttributes(char* p, char* tagEnd) {
    char* const textEnd = m_pReadEnd;
    // The byte at tagEnd is its '>' or the NUL at the end of the page:
    // neither a blank nor a quote, so the tests below stop there by themselves.
    while (p < tagEnd) {
        if (*p == '=') {  // a stray '=' where a name should start
            ++p;
            continue;
        }
        // The name runs to the next '=' or the end of the tag, spaces and all.
        char* name = p;
        p = FindByte(p, tagEnd, textEnd, '=');
        const std::string_view nameView(name, static_cast<std::size_t>(p - name));
        char* value = p;
        char* valueEnd = p;
        if (p < tagEnd) {  // at the '='
            ++p;
            while (IsSpace(*p)) ++p;
            bool amp = false;
            if (*p == '"' || *p == '\'') {
                const char quote = *p++;
                char* close = FindQuote(p, tagEnd, textEnd, static_cast<unsigned char>(quote), amp);
                value = p;
                valueEnd = close;
                p = close < tagEnd ? close + 1 : tagEnd;
            } else {
                value = p;
                p = FindSpace(p, tagEnd, textEnd);
                valueEnd = p;
                amp = FindByte(value, valueEnd, textEnd, '&') < valueEnd;
            }
            // Character references are decoded over the value's own bytes.
            if (amp)
                valueEnd = DecodeCharRefsInPlace(value, valueEnd, CharRefPlace::Attribute);
        }
        m_attrs.push_back(CHtmlAttribute{nameView, std::string_view(value, static_cast<std::size_t>(valueEnd - value))});
        while (IsSpace(*p)) ++p;
    }
}

bool CHtmlParser::FindTokenAttribute(const CHtmlToken& tok, const char (&name)[5], std::string_view& value) const {
    const CHtmlAttribute* attrs = m_attrs.data() + tok.m_nAttrBegin;
    for (std::uint32_t i = tok.m_nAttrCount; i-- > 0;) {
        const CHtmlAttribute& a = attrs[i];
        if (IsName4(a.m_strName, name)) {
            value = a.m_strValue;
            return true;
        }
    }
    return false;
}

SKIMBOLT_HOT_INLINE void CHtmlParser::ClassifyTag(char* name, std::size_t nameLength, CHtmlToken& tok) {
    const HtmlTagEntry* entry = nullptr;
    char* const end = m_pReadEnd;
    const bool wordFits = end - name >= 8;
    if (nameLength <= 8) {
        if (wordFits) {
            entry = FindTagEntryByKey(FoldPacked(PackedName(name, nameLength), nameLength));
        } else {
            char lower[8];
            for (std::size_t i = 0; i < nameLength; ++i) lower[i] = LowerAscii(name[i]);
            entry = FindTagEntry(std::string_view(lower, nameLength));
        }
    }
    HtmlTokenKind kind = TK_OTHER;
    if (entry) {
        // Known names point at the table's own spelling.
        kind = entry->kind;
        tok.m_strText = entry->name;
    } else {
        if (std::endian::native == std::endian::little && nameLength <= 8 && wordFits) {
            // The bytes after the name are written back as they were.
            const std::uint64_t w = LoadWord(name);
            const std::uint64_t lowered = w | ((BytesInRange(w, 'A', 'Z') & kPackedMasks[nameLength]) >> 2);
            std::memcpy(name, &lowered, sizeof lowered);
        } else {
            for (std::size_t i = 0; i < nameLength; ++i) name[i] = LowerAscii(name[i]);
        }
        tok.m_strText = std::string_view(name, nameLength);
        // The first <base> with an href sets the base of the page's links.
        if (!m_bBaseSeen && tok.m_bIsOpen && tok.m_strText == "base") {
            std::string_view href;
            if (FindTokenAttribute(tok, "href", href)) {
                m_strBaseHref.assign(href);
                m_bBaseSeen = true;
            }
        }
    }

    if (kind == TK_LINK) {
        if (tok.m_bIsOpen) {
            std::string_view href;
            if (!FindTokenAttribute(tok, "href", href))
                kind = TK_ANCHOR_NAME;
            else if (!href.empty() && href[0] == '#')
                kind = TK_ANCHOR_LOCAL;
            else if (StartsWithNoCase(href, "javascript"))
                kind = TK_ANCHOR_SCRIPT;
        } else if (m_nOpenMask & kAnchorKinds) {
            // A closing "a" closes the innermost open anchor of any kind.
            kind = static_cast<HtmlTokenKind>(m_elements[static_cast<std::size_t>(InnermostOf(kAnchorKinds))].m_nKind);
        }
    }
    tok.m_nKind = kind;
    tok.m_bStandalone = IsStandaloneKind(kind);
    if (kind == TK_FONT || kind == TK_CELL) TrackFont(tok);
}

SKIMBOLT_HOT_INLINE void CHtmlParser::TrackFont(const CHtmlToken& tok) {
    if (tok.m_nKind == TK_CELL) {
        // Each table cell starts with a fresh font stack of its own.
        if (tok.m_bIsOpen) {
            m_fontBases.push_back(m_fonts.size());
            m_fonts.push_back(CFontSize{});
        } else if (m_fontBases.size() > 1) {
            m_fonts.erase(m_fonts.begin() + static_cast<std::ptrdiff_t>(m_fontBases.back()), m_fonts.end());
            m_fontBases.pop_back();
        }
        return;
    }
    CFontSize& top = m_fonts.back();
    if (tok.m_bIsOpen) {
        std::string_view size;
        if (FindTokenAttribute(tok, "size", size)) {
            // Most sizes are one digit, signed or not.
            const std::size_t digit = size.size() == 2 && (size[0] == '-' || size[0] == '+') ? 1 : 0;
            const long long n = size.size() == digit + 1 && size[digit] >= '0' && size[digit] <= '9'
                                    ? (size[0] == '-' ? -1 : 1) * (size[digit] - '0')
                                    : ReadDecimal(size);
            CFontSize f;
            f.m_nSize = static_cast<int>(n < 0 ? -n : n);
            f.m_nMinus = !size.empty() && size[0] == '-';
            f.m_nPlus = !size.empty() && size[0] == '+';
            f.m_nNesting = 0;
            m_fonts.push_back(f);
        } else {
            ++top.m_nNesting;
        }
    } else if (top.m_nNesting > 0) {
        --top.m_nNesting;
    } else if (m_fonts.size() - m_fontBases.back() > 1) {
        m_fonts.pop_back();
    }
}

void CHtmlParser::StoreImpliedClose(HtmlTokenKind kind, std::string_view name) {
    // The token reading "</name>" would give.
    CHtmlToken tok;
    tok.m_bIsOpen = false;
    tok.m_nAttrBegin = static_cast<std::uint32_t>(m_attrs.size());
    tok.m_nLength = static_cast<int>(name.size()) + 3;
    tok.m_strText = name;
    // A closing "a" closes the innermost open anchor of any kind.
    if (kind == TK_LINK && (m_nOpenMask & kAnchorKinds))
        kind = static_cast<HtmlTokenKind>(m_elements[static_cast<std::size_t>(InnermostOf(kAnchorKinds))].m_nKind);
    tok.m_nKind = kind;
    tok.m_bStandalone = IsStandaloneKind(kind);
    tok.m_nRow = m_nRowCount;
    tok.m_nCell = m_nCellCount;
    Store(tok, true);
}

void CHtmlParser::StoreLink(CHtmlToken& link) {
    // Read ahead to the link's closing tag and store the link's text right
    // after it: opening tags first, then the link, its text, its closing
    // tag, and the closing tags met on the way.
    UpdateStack(link);
    m_groupA.clear();
    m_groupT.clear();
    m_groupZ.clear();
    CHtmlToken tok;
    bool closed = false;
    while (NextToken(tok)) {
        if (!tok.m_bIsOpen && tok.m_nKind == TK_LINK) {
            closed = true;
            break;
        }
        if (tok.m_nKind == TK_TEXT)
            m_groupT.push_back(tok);
        else if (tok.m_bIsOpen && tok.m_nKind != TK_LINK)
            m_groupA.push_back(tok);
        else
            m_groupZ.push_back(tok);
    }
    for (CHtmlToken& t : m_groupA) Store(t, true);
    Store(link, false);
    for (CHtmlToken& t : m_groupT) Store(t, true);
    if (closed) Store(tok, true);
    for (CHtmlToken& t : m_groupZ) Store(t, true);
}

SKIMBOLT_HOT_INLINE void CHtmlParser::Store(CHtmlToken& tok, bool updateStack) {
    constexpr std::uint64_t kFieldKinds = Bit(TK_INPUT) | Bit(TK_OPTION);
    // Most tokens neither enter nor leave the stack, with no field open.
    if (updateStack && !(tok.m_bStandalone && !((m_nOpenMask | Bit(tok.m_nKind)) & kFieldKinds))) UpdateStack(tok);
    tok.m_nContext = m_nOpenMask;
    try {
        m_tokens.push_back(tok);
    } catch (const std::bad_alloc&) {
        // The token is dropped; parsing goes on.
    }
}

// ---------------------------------------------------------------------------
// The open-element stack

int CHtmlParser::InnermostOf(std::uint64_t kinds) const {
    // Pool order is stack order: the innermost is the one pushed last.
    int best = -1;
    for (std::uint64_t open = kinds & m_nOpenMask; open; open &= open - 1) {
        const int i = m_innermost[std::countr_zero(open)];
        if (i > best) best = i;
    }
    return best;
}

SKIMBOLT_HOT_INLINE void CHtmlParser::PushElement(int kind, int table, int rowOrList) {
    const int index = m_nElementCount;
    // The pool grows in steps outside the hot path; most pushes only write.
    if (index == m_nElementRoom) {
        m_elements.resize(m_elements.size() * 2 + 64);
        m_nElementRoom = static_cast<int>(m_elements.size());
    }
    const int outer = m_innermost[kind];
    m_elements[static_cast<std::size_t>(index)] = Element{kind, table, rowOrList, outer, -1};
    ++m_nElementCount;
    if (outer >= 0) m_elements[static_cast<std::size_t>(outer)].m_nInner = index;
    m_innermost[kind] = index;
    if (m_openCount[kind]++ == 0) m_nOpenMask |= Bit(kind);
}

SKIMBOLT_HOT_INLINE void CHtmlParser::RemoveElement(int index) {
    Element& e = m_elements[static_cast<std::size_t>(index)];
    if (e.m_nInner >= 0)
        m_elements[static_cast<std::size_t>(e.m_nInner)].m_nOuter = e.m_nOuter;
    else
        m_innermost[e.m_nKind] = e.m_nOuter;
    if (e.m_nOuter >= 0) m_elements[static_cast<std::size_t>(e.m_nOuter)].m_nInner = e.m_nInner;
    if (--m_openCount[e.m_nKind] == 0) m_nOpenMask &= ~Bit(e.m_nKind);
}

void CHtmlParser::RemoveInnermost(int kind) {
    const int i = m_innermost[kind];
    if (i >= 0) RemoveElement(i);
}

void CHtmlParser::RemoveLinked(int anchor, int kind, bool byTable) {
    // An element links only elements pushed before it, so the ones linked
    // to anchor are all further in than it.
    for (int i = m_innermost[kind]; i > anchor;) {
        const Element& e = m_elements[static_cast<std::size_t>(i)];
        const int outer = e.m_nOuter;
        if ((byTable ? e.m_nTable : e.m_nRowOrList) == anchor) RemoveElement(i);
        i = outer;
    }
}

bool CHtmlParser::IsHiddenInput(const CHtmlToken& tok) const {
    std::string_view type;
    if (!FindTokenAttribute(tok, "type", type)) return false;
    while (!type.empty() && IsSpace(type.front())) type.remove_prefix(1);
    while (!type.empty() && IsSpace(type.back())) type.remove_suffix(1);
    return type.size() == 6 && StartsWithNoCase(type, "hidden");
}

bool CHtmlParser::EndsInputText(const CHtmlToken& tok) {
    switch (tok.m_nKind) {
    case TK_CELL: case TK_LIST_ITEM: case TK_PARAGRAPH: case TK_LIST:
        return true;
    case TK_TABLE:
        return tok.m_bIsOpen;
    case TK_OTHER: {
        // An opening heading, h1 to h6.
        const std::string_view name = tok.m_strText;
        return tok.m_bIsOpen && name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
    }
    default:
        return false;
    }
}

void CHtmlParser::UpdateFields(const CHtmlToken& tok) {
    const int kind = tok.m_nKind;
    const bool open = tok.m_bIsOpen;

    // Text after an input or option is the field's text, not page text. Such
    // a field ends at a closing table or row, at the next input or option, and
    // at a form's end or the start of another form. An input's text also ends
    // with the block or cell that holds it: at a closing td, li, p, div, ul
    // or ol, and at an opening p, div, li, td, table, ul, ol or h1 to h6. A
    // hidden input shows nothing, so it neither opens a field nor ends one.
    // An option's text also ends at a closing select.
    if (!open && (kind == TK_TABLE || kind == TK_ROW)) {
        RemoveInnermost(TK_INPUT);
        RemoveInnermost(TK_OPTION);
    }
    if (m_nOpenMask & (Bit(TK_INPUT) | Bit(TK_OPTION))) {
        if (m_openCount[TK_INPUT] > 0 && EndsInputText(tok)) RemoveInnermost(TK_INPUT);
        if (!open && kind == TK_OTHER && tok.m_strText == "select") RemoveInnermost(TK_OPTION);
    }
    if (kind == TK_INPUT && open && IsHiddenInput(tok)) return;
    if (kind == TK_INPUT || kind == TK_OPTION || (kind == TK_FORM && m_openCount[TK_FORM] > 0)) {
        if (kind == TK_FORM) RemoveInnermost(TK_FORM);
        RemoveInnermost(TK_INPUT);
        RemoveInnermost(TK_OPTION);
        if (open) PushElement(kind, -1, -1);
    }
}

SKIMBOLT_HOT_INLINE void CHtmlParser::UpdateStack(const CHtmlToken& tok) {
    const int kind = tok.m_nKind;
    const bool open = tok.m_bIsOpen;
    constexpr std::uint64_t kFieldKinds = Bit(TK_INPUT) | Bit(TK_OPTION);
    // Most tokens: no field open, and no field or form tag.
    if ((m_nOpenMask | Bit(kind)) & (kFieldKinds | Bit(TK_FORM))) UpdateFields(tok);
    if (tok.m_bStandalone) return;

    if (open) {
        int table = -1;
        int rowOrList = -1;
        if (kind == TK_ROW) {
            table = Innermost(TK_TABLE);
            ++m_nRowCount;
        } else if (kind == TK_CELL) {
            table = Innermost(TK_TABLE);
            rowOrList = Innermost(TK_ROW);
            ++m_nCellCount;
        } else if (kind == TK_LIST_ITEM) {
            rowOrList = Innermost(TK_LIST);
        }
        if (IsNestingKind(kind) || m_openCount[kind] == 0) PushElement(kind, table, rowOrList);
        return;
    }

    const int index = Innermost(kind);
    if (index < 0) return;
    switch (kind) {
    case TK_BOLD: case TK_ITALIC: case TK_HTML: case TK_HEAD: case TK_BODY: case TK_TITLE:
    case TK_SCRIPT: case TK_STYLE: case TK_LINK: case TK_ANCHOR_NAME: case TK_ANCHOR_LOCAL:
    case TK_ANCHOR_SCRIPT: case TK_CELL: case TK_LIST_ITEM:
        RemoveElement(index);
        break;
    case TK_TABLE:
        RemoveElement(index);
        RemoveLinked(index, TK_ROW, true);
        RemoveLinked(index, TK_CELL, true);
        break;
    case TK_ROW:
        RemoveElement(index);
        RemoveLinked(index, TK_CELL, false);
        break;
    case TK_LIST:
        RemoveElement(index);
        RemoveLinked(index, TK_LIST_ITEM, false);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// The cursor

bool CHtmlParser::Search(int kindA, int kindB, int step, const CHtmlToken*& out) {
    out = nullptr;
    const std::int64_t count = static_cast<std::int64_t>(m_tokens.size());
    if (count == 0) return false;
    std::int64_t i;
    if (m_nCursor < 0) {
        if (step < 0) return false;
        i = 0;
    } else {
        i = m_nCursor + step;
    }
    const bool any = kindA == TK_ANY || kindB == TK_ANY;
    for (; i >= 0 && i < count; i += step) {
        const int k = m_tokens[static_cast<std::size_t>(i)].m_nKind;
        if (any || k == kindA || k == kindB) {
            m_nCursor = i;
            out = &m_tokens[static_cast<std::size_t>(i)];
            return true;
        }
    }
    // Like a list cursor that cannot move past its end.
    m_nCursor = step > 0 ? count - 1 : 0;
    return false;
}

bool CHtmlParser::FindNext(int kind, const CHtmlToken*& out) { return Search(kind, kind, 1, out); }

bool CHtmlParser::FindNext(int kindA, int kindB, const CHtmlToken*& out) { return Search(kindA, kindB, 1, out); }

bool CHtmlParser::FindPrev(int kind, const CHtmlToken*& out) { return Search(kind, kind, -1, out); }

bool CHtmlParser::FindPrev(int kindA, int kindB, const CHtmlToken*& out) { return Search(kindA, kindB, -1, out); }

bool CHtmlParser::GetCurrent(const CHtmlToken*& out) const {
    if (m_nCursor < 0 || m_nCursor >= static_cast<std::int64_t>(m_tokens.size())) {
        out = nullptr;
        return false;
    }
    out = &m_tokens[static_cast<std::size_t>(m_nCursor)];
    return true;
}

bool CHtmlParser::RestoreCursor(const CHtmlCursorPos& pos) {
    if (pos.m_nGeneration != m_nGeneration || pos.m_nIndex < 0 ||
        pos.m_nIndex >= static_cast<std::int64_t>(m_tokens.size()))
        return false;
    m_nCursor = pos.m_nIndex;
    return true;
}
