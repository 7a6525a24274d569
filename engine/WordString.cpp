#include "engine/WordString.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/ByteWords.h"
#include "engine/UnicodeText.h"

std::string ToLowerAscii(std::string_view s) {
    std::string out;
    AppendLowerAscii(out, s);
    return out;
}

using byte_words::BytesInRange;
using byte_words::LoadWord;

namespace {

// Whether s holds a byte from lo to hi, both ASCII. A text of eight bytes or
// more is read in whole blocks, its last bytes as the last block's worth
// overlapping the block before (a byte looked at twice changes nothing).
template <char lo, char hi>
bool HasByteInRange(std::string_view s) {
    static_assert(lo > 0 && lo <= hi);
    const char* const p = s.data();
    const std::size_t n = s.size();
#if defined(__SSE2__)
    if (n >= 16) {
        // Sixteen bytes at a time. The comparisons are signed: bytes from
        // 0x80 on are negative, below any ASCII lo.
        const auto any = [](const char* q) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
            const __m128i in = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(lo - 1))),
                                             _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(hi + 1))));
            return _mm_movemask_epi8(in) != 0;
        };
        for (std::size_t i = 0; i + 16 <= n; i += 16)
            if (any(p + i)) return true;
        return any(p + n - 16);
    }
#endif
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 <= n; i += 8)
            if (BytesInRange(LoadWord(p + i), lo, hi)) return true;
        return BytesInRange(LoadWord(p + n - 8), lo, hi) != 0;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] >= lo && p[i] <= hi) return true;
    return false;
}

}  // namespace

bool HasAsciiDigit(std::string_view s) { return HasByteInRange<'0', '9'>(s); }

bool HasAsciiUpper(std::string_view s) { return HasByteInRange<'A', 'Z'>(s); }

void AppendLowerAscii(std::string& out, std::string_view s) {
    const std::size_t at = out.size();
    out.resize(at + s.size());
    char* const dst = out.data() + at;
    const auto lowerEight = [&](std::size_t i) {
        std::uint64_t w = LoadWord(s.data() + i);
        w |= BytesInRange(w, 'A', 'Z') >> 2;  // 0x80 >> 2 is the bit between upper and lower case
        std::memcpy(dst + i, &w, sizeof w);
    };
    if (s.size() < 8) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            const char c = s[i];
            dst[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return;
    }
    for (std::size_t i = 0; i + 8 <= s.size(); i += 8) lowerEight(i);
    // The last eight bytes, overlapping bytes already done (read from s,
    // they come out the same).
    lowerEight(s.size() - 8);
}

namespace {

constexpr char kSeparatorBytes[] = {' ', '\r', '\n', '\t', '-', '@', '(', ')'};

struct SeparatorTable {
    bool is[256] = {};
    constexpr SeparatorTable() {
        for (char c : kSeparatorBytes) is[static_cast<unsigned char>(c)] = true;
    }
};
constexpr SeparatorTable kSeparators;

}  // namespace

bool CWordString::IsSeparator(char c) {
    return kSeparators.is[static_cast<unsigned char>(c)];
}

namespace {

// Walks the words of s and calls visit(start, length) for every word that
// counts; with skipShort the third and later one-character words are left
// out. visit returns false to stop the walk.
template <typename Visit>
void ForEachWord(const std::string& s, int skipShort, Visit visit) {
    int nSingles = 0;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        while (i < n && CWordString::IsSeparator(s[i])) ++i;
        if (i >= n) break;
        std::size_t start = i;
        while (i < n && !CWordString::IsSeparator(s[i])) ++i;
        std::size_t len = i - start;
        if (skipShort && len == 1 && ++nSingles >= 3) continue;
        if (!visit(start, len)) return;
    }
}

// The words a run of text between separators counts for. Scripts written
// without blanks (Chinese, Japanese, Thai, ...) put a whole headline in one
// such run, so there every two characters count as a word; the other
// characters of the run count as one word per stretch between them.
int WordsInRun(std::string_view run) {
    bool bPlain = true;
    for (char c : run)
        if (static_cast<unsigned char>(c) >= 0x80) bPlain = false;
    if (bPlain || !MayHoldUnspacedScript(run)) return 1;
    int words = 0;
    int unspaced = 0;     // characters of the current unspaced stretch
    bool bOther = false;  // inside a stretch of other characters
    for (std::size_t i = 0, length = 0; i < run.size(); i += length) {
        if (IsUnspacedScriptCodePoint(CodePointAt(run, i, length))) {
            if (bOther) ++words;
            bOther = false;
            ++unspaced;
        } else {
            words += (unspaced + 1) / 2;
            unspaced = 0;
            bOther = true;
        }
    }
    return words + (unspaced + 1) / 2 + (bOther ? 1 : 0);
}

}  // namespace

namespace {

#if defined(__SSE2__)
// CountWordsIn(text, 0, limit) for a text without a character of the
// scripts written without blanks, sixteen bytes at a time: there every run
// between separators is one word, whatever its script, so the words are the
// bytes that are no separator and follow one (or begin the text). False as
// soon as a byte shows up that may begin such a character. The last bytes
// are looked at as a block of their own, filled up with blanks.
bool CountSpacedWords(std::string_view text, int limit, int& words) {
    const char* const s = text.data();
    const std::size_t n = text.size();
    words = 0;
    if (limit <= 0) return true;
    unsigned afterSeparator = 1;  // for the first byte of the next block
    // Counts the words that begin in one block; true once the limit is reached.
    const auto block = [&](const char* p) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto is = [&v](std::size_t k) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(kSeparatorBytes[k])); };
        static_assert(std::size(kSeparatorBytes) == 8);
        const __m128i sep = _mm_or_si128(_mm_or_si128(_mm_or_si128(is(0), is(1)), _mm_or_si128(is(2), is(3))),
                                         _mm_or_si128(_mm_or_si128(is(4), is(5)), _mm_or_si128(is(6), is(7))));
        const unsigned separators = static_cast<unsigned>(_mm_movemask_epi8(sep));
        for (unsigned starts = ~separators & ((separators << 1) | afterSeparator) & 0xFFFFu; starts; starts &= starts - 1)
            if (++words >= limit) return true;
        afterSeparator = separators >> 15;
        return false;
    };
    // Whether the block at p is free of bytes that may begin a character of
    // an unspaced script: the scripts MayHoldUnspacedScript looks for take
    // three bytes or more (lead byte 0xE0 and up), but for the punctuation
    // from U+2000 to U+2E7F (0xE2 and a second byte below 0xBA). next: the
    // byte after the block, -1 at the end of the text.
    const auto spaced = [](const char* p, int next) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (_mm_movemask_epi8(v) == 0) return true;  // ASCII
        const __m128i leads = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(static_cast<char>(0xE0))), v);
        for (unsigned m = static_cast<unsigned>(_mm_movemask_epi8(leads)); m; m &= m - 1) {
            const int k = std::countr_zero(m);
            const int second = k < 15 ? static_cast<unsigned char>(p[k + 1]) : next;
            if (static_cast<unsigned char>(p[k]) != 0xE2 || second < 0 || second >= 0xBA) return false;
        }
        return true;
    };
    std::size_t i = 0;
    for (; n - i >= 16; i += 16) {
        if (!spaced(s + i, i + 16 < n ? static_cast<unsigned char>(s[i + 16]) : -1)) return false;
        if (block(s + i)) return true;
    }
    if (i < n) {
        char last[16];
        std::memset(last, ' ', sizeof last);
        std::memcpy(last, s + i, n - i);
        if (!spaced(last, -1)) return false;
        block(last);
    }
    return true;
}
#endif

}  // namespace

int CWordString::CountWordsIn(std::string_view text, int skipShort, int limit) {
#if defined(__SSE2__)
    int words = 0;
    if (!skipShort && CountSpacedWords(text, limit, words)) return words;
#endif
    // ForEachWord and WordsInRun in one pass: a run of ASCII is one word.
    int count = 0;
    int nSingles = 0;
    const char* const s = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && count < limit) {
        while (i < n && kSeparators.is[static_cast<unsigned char>(s[i])]) ++i;
        if (i >= n) break;
        const std::size_t start = i;
        unsigned char bits = 0;
        while (i < n && !kSeparators.is[static_cast<unsigned char>(s[i])]) bits |= static_cast<unsigned char>(s[i++]);
        const std::size_t len = i - start;
        if (skipShort && len == 1 && ++nSingles >= 3) continue;
        count += (bits & 0x80) ? WordsInRun(std::string_view(s + start, len)) : 1;
    }
    return count;
}

std::string CWordString::WordAt(int k) const {
    std::string word;
    if (k < 0) return word;
    int index = 0;
    ForEachWord(*this, 1, [&](std::size_t start, std::size_t len) {
        if (index++ == k) {
            word.assign(*this, start, len);
            return false;
        }
        return true;
    });
    return word;
}

int CWordString::CountLetters() const {
    int count = 0;
    for (std::size_t i = 0, length = 0; i < size(); i += length)
        if (IsLetterCodePoint(CodePointAt(*this, i, length))) ++count;
    return count;
}

int CWordString::CountCharacters() const {
    int count = 0;
    for (char c : *this)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

void CWordString::Trim() {
    const std::string_view kept = Trimmed(*this);
    const std::size_t start = static_cast<std::size_t>(kept.data() - data());
    const std::size_t end = start + kept.size();
    if (end < size()) erase(end);
    if (start > 0) erase(0, start);
}

int CWordString::RemoveChar(char c) {
    std::size_t before = size();
    std::erase(static_cast<std::string&>(*this), c);
    return static_cast<int>(before - size());
}

int CWordString::FindNoCase(std::string_view s) const {
    std::size_t pos = ToLowerAscii(*this).find(ToLowerAscii(s));
    return pos == npos ? -1 : static_cast<int>(pos);
}

std::string CWordString::Lower() const {
    return ToLowerAscii(*this);
}
