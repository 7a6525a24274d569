#include "app/StoryTypes.h"

#include <algorithm>
#include <vector>

#include "common/PrintableText.h"
#include "config/KeywordText.h"

std::string OutputField(const std::string& text) { return StripControlCharacters(text); }

namespace {

// The code point of UTF-8 text at pos and its length; stored text is valid UTF-8.
char32_t CodePointAt(const std::string& text, std::size_t pos, std::size_t& length) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (pos + length > text.size()) length = text.size() - pos;
    char32_t cp = length == 1 ? c : length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
    for (std::size_t i = 1; i < length; ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    return cp;
}

bool IsBidiControl(char32_t cp) {
    return cp == 0x061C || cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069);
}

constexpr const char* kFsi = "\u2068";
constexpr const char* kPdi = "\u2069";

}  // namespace

std::string ShownHeadline(const std::string& headline) {
    std::string shown;
    bool bBidi = false;
    int nOpenIsolates = 0;
    std::size_t nChars = 0;
    for (std::size_t pos = 0, length = 0; pos < headline.size(); pos += length) {
        if (nChars++ == SHOWN_HEADLINE_MAX) {
            shown += "\u2026";
            break;
        }
        const char32_t cp = CodePointAt(headline, pos, length);
        if (IsBidiControl(cp)) {
            bBidi = true;
            if (cp >= 0x2066 && cp <= 0x2068) ++nOpenIsolates;
            if (cp == 0x2069) {
                if (nOpenIsolates == 0) continue;  // it would close the isolate around the headline
                --nOpenIsolates;
            }
        }
        shown.append(headline, pos, length);
    }
    if (!bBidi) return shown;
    for (; nOpenIsolates > 0; --nOpenIsolates) shown += kPdi;
    return kFsi + shown + kPdi;
}

std::string FormatStoryLine(const StoryItem& story) {
    std::string line = OutputField(story.Headline());
    line += '\t';
    line += OutputField(story.url);
    line += '\t';
    line += OutputField(story.sourceName);
    line += '\t';
    line += OutputField(story.keywords);
    return line;
}

std::string KeywordsAsTyped(const std::string& stored) {
    // A stored group begins with a sign or the escaped form's mark; a text
    // without one is taken as one word to include.
    const bool bSigned = !stored.empty() && (stored[0] == '+' || stored[0] == '-' || stored[0] == '\\');
    std::vector<std::string> include, exclude;
    for (KeywordWord& word : SplitKeywordText(bSigned ? stored : "+" + stored, std::string::npos)) {
        std::replace(word.word.begin(), word.word.end(), '_', ' ');
        if (!word.word.empty()) (word.bExclude ? exclude : include).push_back(std::move(word.word));
    }
    std::string text;
    for (const std::string& word : include) text += (text.empty() ? "" : ", ") + word;
    for (std::size_t i = 0; i < exclude.size(); ++i) {
        if (!text.empty()) text += ", ";
        if (i == 0) text += "not ";
        text += exclude[i];
    }
    return text;
}
