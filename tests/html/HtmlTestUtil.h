// Helpers for the tokenizer tests: parse a page from memory and describe its
// tokens in a compact form that table-driven cases can compare.
#pragma once

#include <string>
#include <vector>

#include "html/HtmlParser.h"

// Parses page with parser (which keeps the tokens) and returns the tokens.
inline std::vector<const CHtmlToken*> ParseTokens(CHtmlParser& parser, const std::string& page) {
    parser.SetPage(page);
    parser.ParsePage();
    std::vector<const CHtmlToken*> tokens;
    for (const CHtmlToken& t : parser.Tokens()) tokens.push_back(&t);
    return tokens;
}

// One token in short form: <name> and </name> for tags, 'text' for plain
// text, kind-prefixed text for the other text kinds, !body for comments;
// anchors other than links carry their kind (<a:name>, </a:script>).
inline std::string Describe(const CHtmlToken& t) {
    const std::string text(t.Text()), open = t.m_bIsOpen ? "<" : "</";
    switch (t.m_nKind) {
    case TK_TEXT: return "'" + text + "'";
    case TK_TITLE_TEXT: return "title'" + text + "'";
    case TK_SCRIPT_TEXT: return "script'" + text + "'";
    case TK_STYLE_TEXT: return "style'" + text + "'";
    case TK_FIELD_TEXT: return "field'" + text + "'";
    case TK_COMMENT: return "!" + text;
    case TK_ANCHOR_NAME: return open + text + ":name>";
    case TK_ANCHOR_LOCAL: return open + text + ":local>";
    case TK_ANCHOR_SCRIPT: return open + text + ":script>";
    default: return open + text + ">";
    }
}

// The first token of the parser whose short form is description, or null.
inline const CHtmlToken* FindToken(const CHtmlParser& parser, const std::string& description) {
    for (const CHtmlToken& t : parser.Tokens())
        if (Describe(t) == description) return &t;
    return nullptr;
}

// All tokens of a page in short form, joined by '|'.
inline std::string DescribePage(const std::string& page) {
    CHtmlParser parser;
    std::string out;
    for (const CHtmlToken* t : ParseTokens(parser, page)) out += (out.empty() ? "" : "|") + Describe(*t);
    return out;
}
