#include "config/TextLineReader.h"

#include "config/ConfigStore.h"

bool CTextLineReader::ReadLine(std::string& line) {
    line.clear();
    if (m_nPos >= m_text.size()) return false;
    size_t end = m_text.find('\n', m_nPos);
    size_t next = end == std::string_view::npos ? m_text.size() : end + 1;
    if (end == std::string_view::npos) end = m_text.size();
    std::string_view raw = m_text.substr(m_nPos, end - m_nPos);
    m_nPos = next;

    // A C string ends at its first NUL.
    size_t nul = raw.find('\0');
    if (nul != std::string_view::npos) raw = raw.substr(0, nul);
    while (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    // Lines are read into fixed buffers; the rest of an overlong line is
    // dropped so that it can never pass for a record of its own.
    constexpr size_t kMax = CONFIG_LINE_BUFFER - 1;
    if (raw.size() > kMax) raw = raw.substr(0, kMax);
    line.assign(raw);
    return true;
}
