// CTextLineReader: splits the text of a data file into lines the way the
// files are read back: CR LF or LF line ends, at most 599 characters a line
// (the rest of an overlong line is dropped, never read as a line of its own),
// a line ends at a NUL byte.
#pragma once

#include <string>
#include <string_view>

class CTextLineReader {
public:
    explicit CTextLineReader(std::string_view text) : m_text(text) {}
    // The next line without its line end; false at the end of the text.
    bool ReadLine(std::string& line);

private:
    std::string_view m_text;
    size_t m_nPos = 0;
};
