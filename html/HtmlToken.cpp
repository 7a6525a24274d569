#include "html/HtmlToken.h"

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + ('a' - 'A'));
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + ('a' - 'A'));
        if (x != y) return false;
    }
    return true;
}

}  // namespace

const CHtmlAttribute* CHtmlToken::FindAttribute(std::string_view name) const {
    // Attributes are kept in the order written; lookups see the last one first.
    for (std::uint32_t i = m_nAttrCount; i-- > 0;)
        if (EqualNoCase(m_pAttrs[i].m_strName, name)) return &m_pAttrs[i];
    return nullptr;
}

bool CHtmlToken::GetAttribute(std::string_view name, std::string_view& value) const {
    const CHtmlAttribute* attr = FindAttribute(name);
    if (!attr) return false;
    value = attr->m_strValue;
    return true;
}

bool CHtmlToken::GetAttribute(std::string_view name, std::string& value) const {
    const CHtmlAttribute* attr = FindAttribute(name);
    if (!attr) return false;
    value.assign(attr->m_strValue);
    return true;
}
