#include "html/MetaCharsetPrescan.h"

#include <cstddef>
#include <string>

namespace {

constexpr std::size_t kPrescanBytes = 1024;

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsWithNoCase(std::string_view s, std::size_t at, std::string_view lowerWord) {
    if (s.size() - at < lowerWord.size()) return false;
    for (std::size_t i = 0; i < lowerWord.size(); ++i)
        if (LowerAscii(s[at + i]) != lowerWord[i]) return false;
    return true;
}

// Reads attributes of a tag the way the prescan does: names and values are
// lower-cased, quotes are honoured, and running off the end of the scanned
// bytes ends everything.
class CAttributeReader {
public:
    CAttributeReader(std::string_view bytes, std::size_t& pos) : m_bytes(bytes), m_pos(pos) {}

    // False when the tag has no further attribute (or the bytes ran out).
    bool Next(std::string& name, std::string& value) {
        name.clear();
        value.clear();
        while (More() && (IsBlank(Cur()) || Cur() == '/')) ++m_pos;
        if (!More() || Cur() == '>') return false;
        for (;; ++m_pos) {  // the name
            if (!More()) return false;
            const char c = Cur();
            if (c == '=' && !name.empty()) {
                ++m_pos;
                return Value(value);
            }
            if (IsBlank(c)) break;
            if (c == '/' || c == '>') return true;
            name += LowerAscii(c);
        }
        while (More() && IsBlank(Cur())) ++m_pos;
        if (!More()) return false;
        if (Cur() != '=') return true;  // a name without a value
        ++m_pos;
        return Value(value);
    }

    bool Exhausted() const { return !More(); }

private:
    bool More() const { return m_pos < m_bytes.size(); }
    char Cur() const { return m_bytes[m_pos]; }

    bool Value(std::string& value) {
        while (More() && IsBlank(Cur())) ++m_pos;
        if (!More()) return false;
        const char first = Cur();
        if (first == '"' || first == '\'') {
            for (++m_pos; More(); ++m_pos) {
                if (Cur() == first) {
                    ++m_pos;
                    return true;
                }
                value += LowerAscii(Cur());
            }
            return false;
        }
        if (first == '>') return true;
        for (; More(); ++m_pos) {
            if (IsBlank(Cur()) || Cur() == '>') return true;
            value += LowerAscii(Cur());
        }
        return false;
    }

    std::string_view m_bytes;
    std::size_t& m_pos;
};

// The label that follows "charset=" in a meta content value or a
// Content-Type header; "" when there is none.
std::string_view CharsetParameter(std::string_view s) {
    for (std::size_t pos = 0; pos < s.size();) {
        std::size_t at = std::string_view::npos;
        for (std::size_t i = pos; i + 7 <= s.size(); ++i)
            if (StartsWithNoCase(s, i, "charset")) {
                at = i;
                break;
            }
        if (at == std::string_view::npos) return {};
        std::size_t p = at + 7;
        while (p < s.size() && IsBlank(s[p])) ++p;
        if (p >= s.size() || s[p] != '=') {
            pos = p;  // look again from here
            continue;
        }
        ++p;
        while (p < s.size() && IsBlank(s[p])) ++p;
        if (p >= s.size()) return {};
        if (s[p] == '"' || s[p] == '\'') {
            const std::size_t close = s.find(s[p], p + 1);
            if (close == std::string_view::npos) return {};
            return s.substr(p + 1, close - p - 1);
        }
        std::size_t e = p;
        while (e < s.size() && !IsBlank(s[e]) && s[e] != ';') ++e;
        return s.substr(p, e - p);
    }
    return {};
}

// The attributes of one <meta> element decide: charset="x", or
// http-equiv="content-type" together with content="...charset=x".
const EncodingInfo* ReadMeta(CAttributeReader& reader) {
    bool gotPragma = false;
    int needPragma = -1;  // -1: nothing seen yet
    const EncodingInfo* charset = nullptr;
    bool seenHttpEquiv = false, seenContent = false, seenCharset = false;
    std::string name, value;
    while (reader.Next(name, value)) {
        if (name == "http-equiv") {
            if (seenHttpEquiv) continue;
            seenHttpEquiv = true;
            gotPragma = value == "content-type";
        } else if (name == "content") {
            if (seenContent) continue;
            seenContent = true;
            const EncodingInfo* e = FindEncoding(CharsetParameter(value));
            if (e && !charset) {
                charset = e;
                needPragma = 1;
            }
        } else if (name == "charset") {
            if (seenCharset) continue;
            seenCharset = true;
            charset = FindEncoding(value);
            needPragma = 0;
        }
    }
    if (needPragma < 0 || (needPragma == 1 && !gotPragma) || !charset) return nullptr;
    if (charset->name == "utf-16be" || charset->name == "utf-16le") return &Utf8Encoding();
    if (charset->name == "x-user-defined") return &Windows1252Encoding();
    return charset;
}

}  // namespace

const EncodingInfo* EncodingFromContentType(std::string_view contentType) {
    return FindEncoding(CharsetParameter(contentType));
}

const EncodingInfo* PrescanMetaCharset(std::string_view page) {
    const std::string_view s = page.substr(0, kPrescanBytes);
    std::string name, value;
    for (std::size_t pos = 0; pos < s.size(); ++pos) {
        if (s[pos] != '<') continue;
        if (s.compare(pos, 4, "<!--") == 0) {
            // To the first "-->", whose dashes may be those of "<!--".
            const std::size_t close = s.find("-->", pos + 2);
            if (close == std::string_view::npos) return nullptr;
            pos = close + 2;
        } else if (StartsWithNoCase(s, pos, "<meta") && pos + 5 < s.size() &&
                   (IsBlank(s[pos + 5]) || s[pos + 5] == '/')) {
            std::size_t p = pos + 6;
            CAttributeReader reader(s, p);
            if (const EncodingInfo* e = ReadMeta(reader)) return e;
            if (reader.Exhausted()) return nullptr;
            pos = p;
        } else if (pos + 1 < s.size() &&
                   (IsAsciiLetter(s[pos + 1]) ||
                    (s[pos + 1] == '/' && pos + 2 < s.size() && IsAsciiLetter(s[pos + 2])))) {
            // Another tag: skip its name and attributes, which may hide a '>' in quotes.
            std::size_t p = pos + 1;
            while (p < s.size() && !IsBlank(s[p]) && s[p] != '>') ++p;
            CAttributeReader reader(s, p);
            while (reader.Next(name, value)) {}
            if (reader.Exhausted()) return nullptr;
            pos = p;
        } else if (pos + 1 < s.size() && (s[pos + 1] == '!' || s[pos + 1] == '/' || s[pos + 1] == '?')) {
            const std::size_t close = s.find('>', pos + 1);
            if (close == std::string_view::npos) return nullptr;
            pos = close;
        }
    }
    return nullptr;
}
