#include "engine/TextTally.h"

#include <algorithm>

void CTextTally::Add(std::string_view text) {
    for (CTextCount& entry : m_entries) {
        if (entry.m_strText == text) {
            ++entry.m_nCount;
            return;
        }
    }
    m_entries.push_back(CTextCount{0, CWordString(text)});
}

void CTextTally::Prune() {
    std::erase_if(m_entries, [](const CTextCount& e) { return e.m_nCount == 1; });
}

bool CTextTally::IsFrequent(std::string_view text) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [&](const CTextCount& e) { return e.m_strText == text && e.m_nCount > 1; });
}
