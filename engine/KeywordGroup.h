// CKeywordGroup and KeywordTerm: one keyword group of the user, parsed from
// its stored text ("+stock_market+crash-football", see config/KeywordText.h)
// into at most six signed terms, and the word-start matching of those terms
// against a text.
#pragma once

#include <array>
#include <string>
#include <string_view>

// Word-start search of word in a case-folded text, with the endings "s",
// "ing", "ed", "'s" and "es" accepted after it; a word in a script written
// without blanks (Chinese, Japanese, Thai, ...) is searched as a plain
// substring. Letters and digits of every script make up words. Position in
// bytes or -1.
int FindWord(std::string_view word, std::string_view text);

struct KeywordTerm {
    int m_nInclude = 1;   // 1: the word must occur; 0: it must not occur
    std::string m_strWord;  // case-folded; '_' of the stored text turned into spaces

    // 1 when the term is satisfied by the lower-case text.
    int Matches(std::string_view text) const;
};

class CKeywordGroup {
public:
    static constexpr unsigned MAX_TERMS = 6;

    CKeywordGroup() = default;
    explicit CKeywordGroup(std::string_view keywordText) { Parse(keywordText); }

    // Builds the terms from the stored text (SplitKeywordText); words past
    // the sixth are ignored.
    void Parse(std::string_view keywordText);

    // 1 when every term matches the case-folded text (a group without terms
    // matches everything).
    int Matches(std::string_view text) const;
    // The headline and description test of a story (both case-folded): a
    // group without exclude terms that matches the headline matches; else,
    // when there is a description, the description decides (so an exclude
    // word in it vetoes a headline match); else the headline.
    int MatchesStory(std::string_view headline, std::string_view description) const;
    // 1 when any term is an exclude term.
    int HasExclude() const;
    // 1 when any include term occurs in the case-folded text.
    int HasIncludeIn(std::string_view text) const;

    const std::string& GetKeywordText() const { return m_strKeywordText; }
    unsigned GetTermCount() const { return m_nTermCount; }
    const KeywordTerm& GetTerm(unsigned i) const { return m_terms[i]; }

private:
    std::string m_strKeywordText;
    std::array<KeywordTerm, MAX_TERMS> m_terms{};
    unsigned m_nTermCount = 0;
};
