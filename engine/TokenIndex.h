// CTokenIndex: where the tokens the link rules look for stand on a parsed
// page. The rules ask, for a link at any point of the page, for the nearest
// text or anchor before it or the next row cell after it; walking the token
// list for each of those reaches far back (or far ahead) on pages whose links
// have no plain text between them or are never closed, and then the walk
// over all links costs the square of the page. The index is worked out in
// one pass over the tokens and answers each question with a binary search
// over the positions of one kind of token.
//
// Positions are indexes into the token list in document order. A cursor
// position c of -1 means "no cursor": nothing stands before it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "html/HtmlToken.h"

class CTokenIndex {
public:
    // Works out the index for tokens, the token list named generation.
    void Build(std::span<const CHtmlToken> tokens, std::uint64_t generation);
    bool IsFor(std::uint64_t generation) const { return m_bBuilt && m_nGeneration == generation; }
    int TokenCount() const { return m_nTokens; }

    // Plain text before a link whose text run ends before c: the nearest text
    // token before c is the link's own and is passed over; before it, the
    // nearest text outside any link whose trimmed text is not empty gives 1,
    // or 0 when it is a single printable ASCII character (a separator such as
    // '|'). 0 when there is no such text.
    int PlainTextBefore(int c) const;
    // The nearest opening TK_LINK before c; -1 when there is none.
    int OpenLinkBefore(int c) const;
    // The nearest TK_LINK before c or, when that is a closing tag, the
    // nearest TK_LINK before that one; -1 when there is none.
    int AnchorBefore(int c) const;

    // The nearest TK_TEXT or TK_ROW token before i; -1 when there is none.
    int TextOrRowBefore(int i) const;
    // The first TK_TEXT or TK_ROW token at i or after; TokenCount() when none.
    int TextOrRowFrom(int i) const;
    // The same tokens numbered from 0 in document order, for a walk from one
    // to the next without a search each: how many there are, the number of
    // the first at i or after (TextOrRowCount() when none) and the position
    // of number k.
    int TextOrRowCount() const { return static_cast<int>(m_textsAndRows.size()); }
    int TextOrRowNumberFrom(int i) const;
    int TextOrRowAt(int k) const { return m_textsAndRows[static_cast<std::size_t>(k)]; }
    // The first token at i or after that is not a text inside a link;
    // TokenCount() when there is none.
    int PastLinkText(int i) const;

    // Link texts (TK_TEXT tokens inside a TK_LINK), numbered from 0 in
    // document order.
    int LinkTextCount() const { return static_cast<int>(m_linkTexts.size()); }
    int LinkTextAt(int k) const { return m_linkTexts[static_cast<std::size_t>(k)].m_nPos; }
    // The number of the first link text at i or after; LinkTextCount() when none.
    int LinkTextFrom(int i) const;
    // The last token of the run that begins at link text k: the text tokens
    // that follow it directly with the same font size (what AppendSameFont
    // joins to it).
    int RunLastOf(int k) const { return m_linkTexts[static_cast<std::size_t>(k)].m_nRunLast; }

private:
    struct LinkText {
        int m_nPos;
        int m_nBlockEnd;  // first position after the unbroken block of link texts holding it
        int m_nRunLast;
    };

    bool m_bBuilt = false;
    std::uint64_t m_nGeneration = 0;
    int m_nTokens = 0;
    std::vector<int> m_texts;              // TK_TEXT
    std::vector<int> m_plainTexts;         // TK_TEXT outside links with non-blank text
    std::vector<std::uint8_t> m_plainCounts;  // for each plain text: 0 for a lone printable character, else 1
    std::vector<int> m_links;              // TK_LINK, opening and closing
    std::vector<std::uint8_t> m_linkOpen;  // for each of them: 1 when opening
    std::vector<int> m_openLinks;          // opening TK_LINK
    std::vector<int> m_textsAndRows;       // TK_TEXT and TK_ROW
    std::vector<LinkText> m_linkTexts;
};
