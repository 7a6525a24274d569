#include "engine/JsonLdText.h"

#include <cctype>

#include "html/CharRefDecoder.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Four hex digits at json[p]; -1 when they are not there.
long Hex4(std::string_view json, std::size_t p) {
    if (p + 4 > json.size()) return -1;
    long v = 0;
    for (std::size_t k = p; k < p + 4; ++k) {
        const int d = HexValue(json[k]);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Reads the JSON string whose opening quote is at json[p]; gives its value
// and sets p past the closing quote (or to the end when it never closes).
std::string ReadString(std::string_view json, std::size_t& p) {
    std::string out;
    for (++p; p < json.size(); ++p) {
        const char c = json[p];
        if (c == '"') {
            ++p;
            break;
        }
        if (c != '\\' || p + 1 >= json.size()) {
            out += c;
            continue;
        }
        const char e = json[++p];
        switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'b': case 'f': out += ' '; break;
        case 'u': {
            long v = Hex4(json, p + 1);
            if (v < 0) {
                out += e;
                break;
            }
            p += 4;
            if (v >= 0xD800 && v < 0xDC00 && p + 2 < json.size() && json[p + 1] == '\\' && json[p + 2] == 'u') {
                const long low = Hex4(json, p + 3);
                if (low >= 0xDC00 && low < 0xE000) {
                    v = 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
                    p += 6;
                }
            }
            if (v >= 0xD800 && v < 0xE000) v = 0xFFFD;
            AppendUtf8(out, static_cast<char32_t>(v));
            break;
        }
        default: out += e; break;  // \" \\ \/ and anything unknown
        }
    }
    return out;
}

// Tags out (each leaves a space), references decoded.
std::string PlainText(std::string text) {
    if (text.find('<') != std::string::npos) {
        std::string plain;
        plain.reserve(text.size());
        std::size_t gt = text.find('>');  // the first '>' at or after p, kept so that the walk stays linear
        for (std::size_t p = 0; p < text.size(); ++p) {
            if (gt != std::string::npos && gt < p) gt = text.find('>', p);
            const std::size_t close = text[p] == '<' ? gt : std::string::npos;
            const bool bTag = close != std::string::npos && p + 1 < text.size() &&
                              (std::isalpha(static_cast<unsigned char>(text[p + 1])) || text[p + 1] == '/' ||
                               text[p + 1] == '!');
            if (!bTag) {
                plain += text[p];
                continue;
            }
            plain += ' ';
            p = close;
        }
        text = std::move(plain);
    }
    char* begin = text.data();
    text.resize(static_cast<std::size_t>(DecodeCharRefsInPlace(begin, begin + text.size(), CharRefPlace::Text) - begin));
    return text;
}

}  // namespace

std::string LongestJsonLdString(std::string_view json, std::string_view key) {
    std::string best;
    const std::string quoted = "\"" + std::string(key) + "\"";
    for (std::size_t p = json.find(quoted); p != std::string_view::npos; p = json.find(quoted, p)) {
        p += quoted.size();
        while (p < json.size() && (json[p] == ' ' || json[p] == '\t' || json[p] == '\r' || json[p] == '\n')) ++p;
        if (p >= json.size() || json[p] != ':') continue;
        ++p;
        while (p < json.size() && (json[p] == ' ' || json[p] == '\t' || json[p] == '\r' || json[p] == '\n')) ++p;
        if (p >= json.size() || json[p] != '"') continue;
        std::string value = ReadString(json, p);
        if (value.size() > best.size()) best = std::move(value);
    }
    return PlainText(std::move(best));
}
