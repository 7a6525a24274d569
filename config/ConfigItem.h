// CConfigItem: one record of the configuration file: an identifier, a name
// and a pair of values of one of five types (string pairs, integer pair,
// single- or double-precision pair). Several records may share an identifier.
#pragma once

#include <cstdint>
#include <string>

enum ConfigItemType : std::int32_t {
    CONFIG_STRING = 1,        // string pair, written with the letter 'B'
    CONFIG_PLAIN_STRING = 2,  // string pair, written with the letter 'C'
    CONFIG_INTEGER = 3,       // signed 32-bit pair, 'D'
    CONFIG_FLOAT = 4,         // single-precision pair, 'E'
    CONFIG_DOUBLE = 5,        // double-precision pair, 'F'
};

class CConfigItem {
public:
    CConfigItem() = default;
    CConfigItem(std::uint32_t id, std::string name, std::int32_t type)
        : m_nId(id), m_strName(std::move(name)), m_nType(type) {}
    virtual ~CConfigItem() = default;

    // True when both records have the same identifier, type and first value
    // (strings compared exactly, numbers by value).
    bool SameFirstValue(const CConfigItem& other) const;

    std::uint32_t m_nId = 0;
    std::string m_strName;
    std::int32_t m_nType = CONFIG_STRING;
    std::string m_strValue1;
    std::int32_t m_nValue1 = 0;
    float m_fValue1 = 0.0f;
    double m_dValue1 = 0.0;
    std::string m_strValue2;
    std::int32_t m_nValue2 = 0;
    float m_fValue2 = 0.0f;
    double m_dValue2 = 0.0;
};
