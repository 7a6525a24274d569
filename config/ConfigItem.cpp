#include "config/ConfigItem.h"

bool CConfigItem::SameFirstValue(const CConfigItem& other) const {
    if (m_nId != other.m_nId || m_nType != other.m_nType) return false;
    switch (m_nType) {
    case CONFIG_STRING:
    case CONFIG_PLAIN_STRING:
        return m_strValue1 == other.m_strValue1;
    case CONFIG_INTEGER:
        return m_nValue1 == other.m_nValue1;
    case CONFIG_FLOAT:
        return m_fValue1 == other.m_fValue1;
    case CONFIG_DOUBLE:
        return m_dValue1 == other.m_dValue1;
    default:
        return false;
    }
}
