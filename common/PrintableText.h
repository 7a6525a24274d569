// Text taken from web pages made safe to store and to print: control
// characters (which can set a terminal's title or clear its screen) are
// removed, and tab, CR and LF become blanks.
#pragma once

#include <string>
#include <string_view>

// Removes the C0 controls, DEL and the C1 controls (U+0080 to U+009F in
// UTF-8); tab, CR and LF become a space, or stay when keepLineEnds is set
// and they are LF.
std::string StripControlCharacters(std::string_view text, bool keepLineEnds = false);

// The same over text itself; text without any control character is left
// as it is, without a copy. Returns whether text changed.
bool StripControlCharactersInPlace(std::string& text, bool keepLineEnds = false);
