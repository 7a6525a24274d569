// CTextTally: counts how often a text (an item code of a listing row) occurs
// on a page, so that codes repeated on every row, such as a seller's number,
// are not taken for item codes.
#pragma once

#include <string_view>
#include <vector>

#include "engine/WordString.h"

struct CTextCount {
    int m_nCount = 0;  // occurrences minus one
    CWordString m_strText;
};

class CTextTally {
public:
    // Raises the count of an equal text (exact comparison) or appends a new
    // entry with count 0.
    void Add(std::string_view text);
    // Removes every entry whose count is exactly 1.
    void Prune();
    // True when an equal text has a count above 1 (seen three times or more).
    bool IsFrequent(std::string_view text) const;
    void Clear() { m_entries.clear(); }

    std::size_t Size() const { return m_entries.size(); }
    const std::vector<CTextCount>& Entries() const { return m_entries; }

private:
    std::vector<CTextCount> m_entries;
};
