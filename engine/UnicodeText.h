// The character classes the link, description and keyword rules use, for
// text in any script (UTF-8): letters and digits of every script count as
// such, lower case is Unicode case folding, and scripts written without
// blanks between words (Chinese, Japanese, Thai, ...) are recognised so that
// a keyword in them can match inside a run of text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The code point at text[i] and its length in bytes (a malformed byte reads
// as U+FFFD of length 1). i must be inside text.
char32_t CodePointAt(std::string_view text, std::size_t i, std::size_t& length);

// A letter, a digit, or a mark that belongs to the letter before it.
bool IsWordCodePoint(char32_t c);
bool IsUpperCodePoint(char32_t c);
bool IsLowerCodePoint(char32_t c);
bool IsLetterCodePoint(char32_t c);
// A character of a script that does not separate its words by blanks.
bool IsUnspacedScriptCodePoint(char32_t c);

// Whether the byte at text[i] begins a word character; length as above.
bool IsWordCharAt(std::string_view text, std::size_t i, std::size_t& length);
// Whether the character that ends just before text[end] is a word character.
bool IsWordCharBefore(std::string_view text, std::size_t end);

// Unicode case folding ("CAFÉ" and "café" fold alike); plain ASCII text takes
// a fast path.
std::string FoldCase(std::string_view text);

// Whether text holds a letter of running text: a lower-case letter, or a
// letter of a script without letter case (Arabic, Chinese, Hebrew, ...).
bool HasRunningTextLetter(std::string_view text);

// Whether any character of text belongs to an unspaced script.
bool HasUnspacedScript(std::string_view text);
// False when text surely holds no character of those scripts (a quick test
// of its bytes); true when it may.
bool MayHoldUnspacedScript(std::string_view text);
