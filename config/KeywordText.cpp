#include "config/KeywordText.h"

#include <algorithm>

namespace {

constexpr char kEscape = '\\';

bool IsSign(char c) { return c == '+' || c == '-'; }

std::vector<KeywordWord> SplitPlain(std::string_view text, std::size_t maxWords) {
    std::vector<KeywordWord> words;
    std::size_t start = 0;
    while (start < text.size() && words.size() < maxWords) {
        std::size_t cut = text.find_first_of("+-", start + 1);
        if (cut == std::string_view::npos) cut = text.size();
        const std::string_view piece = text.substr(start, cut - start);
        KeywordWord w;
        w.bExclude = piece[0] == '-';
        w.word.assign(piece.substr(1));
        std::replace(w.word.begin(), w.word.end(), '_', ' ');
        words.push_back(std::move(w));
        start = cut;
    }
    return words;
}

std::vector<KeywordWord> SplitEscaped(std::string_view text, std::size_t maxWords) {
    std::vector<KeywordWord> words;
    for (std::size_t i = 0; i < text.size();) {
        if (!IsSign(text[i])) {
            ++i;  // stray text before a sign: never written, left out
            continue;
        }
        if (words.size() == maxWords) break;
        KeywordWord w;
        w.bExclude = text[i++] == '-';
        for (; i < text.size() && !IsSign(text[i]); ++i) {
            if (text[i] == kEscape && i + 1 < text.size())
                w.word += text[++i];
            else
                w.word += text[i] == '_' ? ' ' : text[i];
        }
        words.push_back(std::move(w));
    }
    return words;
}

}  // namespace

std::vector<KeywordWord> SplitKeywordText(std::string_view stored, std::size_t maxWords) {
    if (!stored.empty() && stored[0] == kEscape) return SplitEscaped(stored.substr(1), maxWords);
    return SplitPlain(stored, maxWords);
}

std::string BuildKeywordText(const std::vector<KeywordWord>& words) {
    std::vector<KeywordWord> kept;
    bool bEscape = false;
    for (const KeywordWord& w : words) {
        const std::size_t first = w.word.find_first_not_of("+- \t\r\n");
        if (first == std::string::npos) continue;
        KeywordWord k{w.word.substr(first, w.word.find_last_not_of(" \t\r\n") + 1 - first), w.bExclude};
        bEscape = bEscape || k.word.find_first_of("+-") != std::string::npos;
        kept.push_back(std::move(k));
    }
    std::string text = bEscape ? std::string(1, kEscape) : std::string();
    for (const KeywordWord& w : kept) {
        text += w.bExclude ? '-' : '+';
        for (char c : w.word) {
            if (bEscape && (IsSign(c) || c == kEscape)) text += kEscape;
            text += c;
        }
    }
    return text;
}
