// Character references of HTML ("&amp;", "&#8212;", "&#x20AC;"), decoded to
// UTF-8 the way browsers read them: the full list of named references,
// numeric references with 128-159 read as windows-1252 and impossible code
// points as U+FFFD, and an '&' that starts no known reference left as it is.
#pragma once

#include <cstddef>

// Where a reference stands. In an attribute value a name written without
// its ';' is left alone when a letter, a digit or '=' follows it, so that
// query strings such as "?a=1&reg=3" survive.
enum class CharRefPlace { Text, Attribute };

// Decodes the reference that begins at amp (an '&') and ends no later than
// end. Returns the number of bytes it takes, '&' included, and writes its
// UTF-8 to out; returns 0 and writes nothing when amp starts no reference.
// What is written is never longer than what is taken, so out may lie
// anywhere at or before amp: text can be decoded over itself.
std::size_t DecodeCharRef(const char* amp, const char* end, CharRefPlace place, char* out,
                          std::size_t& written);

// Decodes every reference in [begin, end) over the same bytes and returns
// the new end.
char* DecodeCharRefsInPlace(char* begin, char* end, CharRefPlace place);
