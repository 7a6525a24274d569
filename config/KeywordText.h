// The stored text of a keyword group and its words. A group is stored as its
// words in editor order, each preceded by its sign, '+' for an INCLUDE word
// and '-' for an EXCLUDE word, with nothing between them:
// "+apple+pie-recipe" (blanks inside a word are stored as '_').
//
// That plain form cannot carry a word that holds a '+' or '-' of its own
// ("self-driving", "C++"): it is cut there. Such a group is stored in the
// escaped form instead: a leading '\' marks it, and inside it a '\' takes the
// next character into the word: "\+self\-driving+cars". Groups stored before
// the escaped form existed always begin with '+' or '-', so they read as
// they always did.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct KeywordWord {
    std::string word;  // as the user typed it, '_' of the stored text shown as a space
    bool bExclude = false;
};

// The words of a stored group, at most maxWords, in order. Plain form: the
// text is cut before every '+' or '-' from its second character on; each
// piece's first character is its sign ('-' EXCLUDE, anything else INCLUDE)
// and the rest its word, empty words included.
std::vector<KeywordWord> SplitKeywordText(std::string_view stored, std::size_t maxWords = 6);

// The stored text of words (blanks are left for the settings store to turn
// into '_'). A word is trimmed of blanks, and of leading '+' and '-' since a
// word is only ever found from a letter or digit and its sign is the
// toggle's; empty words are skipped. The plain form is used unless a word holds a '+' or '-'.
std::string BuildKeywordText(const std::vector<KeywordWord>& words);
