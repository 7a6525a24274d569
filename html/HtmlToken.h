// CHtmlToken: one token of a parsed page (a tag, a closing tag, a text run or
// a comment) with the kinds of the elements that enclose it, its attributes,
// the font in force for text, and the table row and cell it was read in.
// Tokens belong to the CHtmlParser that made them; their texts and attributes
// stay valid until that parser parses its next page or is destroyed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "html/HtmlTokenKind.h"

// The font size in force at a point of the page: the number of a "font"
// tag's size attribute (3 by default), whether it was relative, and how many
// "font" tags without size opened on top of it and are not yet closed.
struct CFontSize {
    int m_nSize = 3;     // absolute value of the size number
    int m_nMinus = 0;    // 1 when the size began with '-'
    int m_nPlus = 0;     // 1 when the size began with '+'
    int m_nNesting = 0;  // "font" tags without size opened on this record

    // Size, minus and plus flag equal (the nesting count is bookkeeping only).
    bool SameSize(const CFontSize& other) const {
        return m_nSize == other.m_nSize && m_nMinus == other.m_nMinus && m_nPlus == other.m_nPlus;
    }
};

// One attribute as written in the tag: the name keeps its case (and any
// spaces it swallowed), the value is empty when the attribute had none.
struct CHtmlAttribute {
    std::string_view m_strName;
    std::string_view m_strValue;
};

class CHtmlToken {
public:
    bool m_bIsOpen = true;          // opening tag or text; false for closing tags, comments, declarations
    bool m_bStandalone = false;     // never entered the open-element stack
    HtmlTokenKind m_nKind = TK_OTHER;
    int m_nLength = 0;              // bytes of page this token consumed
    int m_nRow = 0;                 // the parser's row count when the token was read
    int m_nCell = 0;                // the parser's cell count when the token was read
    std::string_view m_strText;     // lower-case tag name, decoded text or comment body
    std::uint64_t m_nContext = 0;   // bit k set: an element of kind k enclosed the token

    std::string_view Text() const { return m_strText; }

    // True when an element of that kind was open where the token stands.
    bool IsInside(int kind) const {
        return kind >= 0 && kind < 64 && ((m_nContext >> kind) & 1u) != 0;
    }

    // The first attribute (the last one written in the tag) whose name equals
    // name ignoring case. The value is "" for an attribute written without
    // one. False when there is no such attribute.
    bool GetAttribute(std::string_view name, std::string& value) const;
    bool GetAttribute(std::string_view name, std::string_view& value) const;
    const CHtmlAttribute* FindAttribute(std::string_view name) const;

    // Attributes in lookup order: index 0 is the last one written.
    int GetAttributeCount() const { return static_cast<int>(m_nAttrCount); }
    const CHtmlAttribute& GetAttributeAt(int index) const {
        return m_pAttrs[m_nAttrCount - 1 - static_cast<std::uint32_t>(index)];
    }

    // The font in force where a text token stands; null for other tokens.
    const CFontSize* GetFont() const { return m_font.m_nSize >= 0 ? &m_font : nullptr; }

private:
    friend class CHtmlParser;

    const CHtmlAttribute* m_pAttrs = nullptr;  // in the order written
    std::uint32_t m_nAttrBegin = 0;            // index in the parser's attribute store (with a count above 0)
    std::uint32_t m_nAttrCount = 0;
    // A size below zero (never read from a page) marks a token without a font.
    CFontSize m_font{-1, 0, 0, 0};
};
