#include "engine/KeywordGroup.h"

#include "config/KeywordText.h"

#include "engine/UnicodeText.h"
#include "engine/WordString.h"

int FindWord(std::string_view word, std::string_view text) {
    if (word.size() > text.size()) return -1;
    // Scripts without blanks between words have no word starts to find.
    if (HasUnspacedScript(word)) {
        const std::size_t pos = text.find(word);
        return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
    }
    static constexpr std::string_view kEndings[] = {"s", "ing", "ed", "'s", "es"};
    std::size_t i = 0, length = 0;
    for (;;) {
        while (i < text.size() && !IsWordCharAt(text, i, length)) i += length;
        if (i + word.size() > text.size()) return -1;
        if (text.substr(i, word.size()) == word) {
            std::size_t after = i + word.size();
            if (after >= text.size() || !IsWordCharAt(text, after, length)) return static_cast<int>(i);
            // An ending may follow; a word ending in 'e' shares it ("vote" + "ed").
            std::size_t place = after;
            if (!word.empty() && word.back() == 'e') --place;
            std::string_view rest = text.substr(place);
            for (std::string_view ending : kEndings)
                if (rest.starts_with(ending)) return static_cast<int>(i);
        }
        // Skip the rest of this word; the next search starts at a word start.
        while (i < text.size() && IsWordCharAt(text, i, length)) i += length;
    }
}

int KeywordTerm::Matches(std::string_view text) const {
    int pos = FindWord(m_strWord, text);
    return m_nInclude ? (pos >= 0) : (pos < 0);
}

void CKeywordGroup::Parse(std::string_view keywordText) {
    m_strKeywordText.assign(keywordText);
    m_nTermCount = 0;
    m_terms.fill(KeywordTerm{});
    for (const KeywordWord& w : SplitKeywordText(keywordText, MAX_TERMS)) {
        KeywordTerm& term = m_terms[m_nTermCount++];
        term.m_nInclude = w.bExclude ? 0 : 1;
        term.m_strWord = FoldCase(w.word);
    }
}

int CKeywordGroup::Matches(std::string_view text) const {
    for (unsigned i = 0; i < m_nTermCount; ++i)
        if (!m_terms[i].Matches(text)) return 0;
    return 1;
}

int CKeywordGroup::HasExclude() const {
    for (unsigned i = 0; i < m_nTermCount; ++i)
        if (m_terms[i].m_nInclude == 0) return 1;
    return 0;
}

int CKeywordGroup::HasIncludeIn(std::string_view text) const {
    for (unsigned i = 0; i < m_nTermCount; ++i)
        if (m_terms[i].m_nInclude == 1 && FindWord(m_terms[i].m_strWord, text) >= 0) return 1;
    return 0;
}

int CKeywordGroup::MatchesStory(std::string_view headline, std::string_view description) const {
    const int match = Matches(headline);
    if (match && !HasExclude()) return 1;
    if (!description.empty()) return Matches(description);
    return match;
}
