// CWordString: a string with the word operations the link rules, the keyword
// test and the listing rows use. Words are separated by space, CR, LF, tab,
// '-', '@', '(' and ')'; a word is a maximal run of any other characters.
#pragma once

#include <climits>
#include <string>
#include <string_view>

class CWordString : public std::string {
public:
    CWordString() = default;
    CWordString(const std::string& s) : std::string(s) {}
    CWordString(std::string&& s) : std::string(std::move(s)) {}
    CWordString(const char* s) : std::string(s ? s : "") {}
    CWordString(std::string_view s) : std::string(s) {}

    // True for the eight word separators.
    static bool IsSeparator(char c);
    // True for the four white-space characters that Trim removes (inline:
    // the rules ask it of every byte of a link text).
    static bool IsBlank(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

    // Number of words. With skipShort 1 the third and every later
    // one-character word is not counted; with 0 every word counts. In
    // scripts written without blanks every two characters count as a word.
    // The count stops once it reaches limit (it may pass it by a little),
    // for callers that only compare it with a number up to limit.
    int CountWords(int skipShort, int limit = INT_MAX) const { return CountWordsIn(*this, skipShort, limit); }
    // The same for any text, without making a CWordString of it.
    static int CountWordsIn(std::string_view text, int skipShort, int limit = INT_MAX);
    // The k-th word (from 0), counted as CountWords(1) counts; empty when
    // there is none.
    std::string WordAt(int k) const;
    // Number of letters, of any script.
    int CountLetters() const;
    // Number of characters (UTF-8 code points).
    int CountCharacters() const;
    // Removes leading and trailing space, CR, LF and tab.
    void Trim();
    // The part of text that Trim would leave.
    static std::string_view Trimmed(std::string_view text) {
        while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
        while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
        return text;
    }
    // Removes every occurrence of c; returns how many were removed.
    int RemoveChar(char c);
    // Position of s in the string, both compared in lower case; -1 when absent.
    int FindNoCase(std::string_view s) const;
    // A lower-case (ASCII) copy.
    std::string Lower() const;
    // Whether the literal occurs in the string (case-sensitive).
    bool Contains(std::string_view s) const { return find(s) != npos; }
};

// ASCII helpers shared by the engine's rules; they never depend on the locale.
inline bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiAlnum(char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }
// Whether s holds a digit 0-9 (eight bytes at a time: a cell's or a link's
// whole text is searched).
bool HasAsciiDigit(std::string_view s);
// Whether s holds a capital A-Z (eight bytes at a time, as above).
bool HasAsciiUpper(std::string_view s);
std::string ToLowerAscii(std::string_view s);
// Appends the ASCII lower-case form of s to out (eight bytes at a time: the
// rules lower-case every link's text and target).
void AppendLowerAscii(std::string& out, std::string_view s);
