// CHtmlParser: a forgiving single-pass tokenizer for the HTML of news pages.
// It takes the text of one page (as fetched, or read from a file), turns it
// into UTF-8,
// turns that into a list of tokens in document order and lets its users
// walk them with one cursor. Character references in text and attribute
// values are decoded.
// Every token knows the elements that enclose it, the font of text, and the
// table row and cell it was read in; the tokens of a link are rearranged so
// that the link's text follows its anchor directly.
// One thread uses a parser at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "html/HtmlToken.h"
#include "html/HtmlTokenKind.h"
#include "common/PageLimits.h"
#include "html/PageDecoder.h"

// Why the tokenizer refused a page it was given.
enum class PageRefusal {
    None,
    Empty,     // no text (or nothing before its first NUL byte)
    TooLarge,  // MAX_PAGE_BYTES or more
    NotHtml,   // the server said the page is an image, a program, ...
};

// A saved cursor position; only RestoreCursor can make use of it.
class CHtmlCursorPos {
public:
    CHtmlCursorPos() = default;

private:
    friend class CHtmlParser;
    CHtmlCursorPos(std::uint64_t generation, std::int64_t index) : m_nGeneration(generation), m_nIndex(index) {}
    std::uint64_t m_nGeneration = 0;  // which token list it was taken from
    std::int64_t m_nIndex = -1;       // -1: no cursor
};

class CHtmlParser {
public:
    // Pages of this many bytes or more (as received) are refused.
    static constexpr int MAX_PAGE_SIZE = static_cast<int>(MAX_PAGE_BYTES);

    CHtmlParser();
    ~CHtmlParser();
    CHtmlParser(const CHtmlParser&) = delete;
    CHtmlParser& operator=(const CHtmlParser&) = delete;

    // Drops any held page and holds the body of a fetched page, served with
    // that Content-Type ("" when none was given). True when a page is held:
    // one of 1 to MAX_PAGE_SIZE - 1 bytes as received, of a type that can be
    // text, in UTF-8 now, NUL bytes removed.
    bool TakeFetchedPage(std::string body, std::string_view contentType);

    // Holds a page given from memory (a file) instead. The same size rule
    // applies; after its conversion to UTF-8 the page ends at its first NUL
    // byte, if any.
    bool SetPage(std::string page);

    // Why the last TakeFetchedPage or SetPage held no page (None when it did).
    PageRefusal GetRefusal() const { return m_nRefusal; }
    // How the last page held was turned into UTF-8.
    const CPageDecoder& GetDecoder() const { return m_decoder; }

    // Frees the held page, if any, without parsing it.
    void ReleasePage();
    bool HasPage() const { return m_bHasPage; }
    int GetPageLength() const { return static_cast<int>(m_nPageLength); }

    // Tokenizes the held page into a new token list and frees the page. With
    // no page held, the token list is only emptied. The cursor is cleared.
    void ParsePage();

    // Moves the cursor forward to the next token of that kind (TK_ANY: any
    // token). With no cursor the search starts at, and tests, the first token.
    // False when there is none; the cursor then rests on the last token and
    // out is null.
    bool FindNext(int kind, const CHtmlToken*& out);
    bool FindNext(int kindA, int kindB, const CHtmlToken*& out);

    // The same backward. False with no cursor; at the start the cursor rests on
    // the first token.
    bool FindPrev(int kind, const CHtmlToken*& out);
    bool FindPrev(int kindA, int kindB, const CHtmlToken*& out);

    // The token at the cursor; false with no cursor.
    bool GetCurrent(const CHtmlToken*& out) const;

    void ClearCursor() { m_nCursor = -1; }
    CHtmlCursorPos SaveCursor() const { return CHtmlCursorPos(m_nGeneration, m_nCursor); }
    // The position SaveCursor would give with the cursor on the token at
    // index (document order) of the current token list.
    CHtmlCursorPos PositionAt(int index) const { return CHtmlCursorPos(m_nGeneration, index); }
    // Puts the cursor back where SaveCursor found it. Succeeds only when that
    // token is still in the current token list (not after a new ParsePage).
    bool RestoreCursor(const CHtmlCursorPos& pos);

    // The tokens of the last parsed page, in document order.
    std::span<const CHtmlToken> Tokens() const { return m_tokens; }
    // Names the current token list; every ParsePage (of any parser) gives a
    // new value, so that what was worked out for one list is never taken
    // for another's.
    std::uint64_t GetGeneration() const { return m_nGeneration; }
    int GetTokenCount() const { return static_cast<int>(m_tokens.size()); }

    // The href of the page's first <base> element ("" when none).
    const std::string& GetBaseHref() const { return m_strBaseHref; }

    // "tr" and "td" elements opened over the parser's lifetime.
    int GetRowCount() const { return m_nRowCount; }
    int GetCellCount() const { return m_nCellCount; }

private:
    // One element ever pushed on the open-element stack. Elements live in a
    // pool in the order they were pushed, which is also their order on the
    // stack (removals never reorder), so the pool index is the element's id.
    // Open elements of one kind form a chain from the innermost outward.
    // Links to enclosing elements are pool indexes, -1 for none (a row links
    // its table; a cell its table and row; a list item its list).
    struct Element {
        int m_nKind;
        int m_nTable;
        int m_nRowOrList;
        int m_nOuter;   // next open element of the same kind further out
        int m_nInner;   // next open element of the same kind further in
    };

    bool TakePage(std::string page, std::string_view contentType, bool fetched);
    bool NextToken(CHtmlToken& tok);
    bool ReadToken(char* p, char* end, CHtmlToken& tok);
    bool ReadText(char* p, char* firstLt, char* end, CHtmlToken& tok);
    bool ReadTag(char* start, char* p, char* end, CHtmlToken& tok);
    void ParseAttributes(char* p, char* tagEnd);
    void ClassifyTag(char* name, std::size_t nameLen, CHtmlToken& tok);
    void TrackFont(const CHtmlToken& tok);
    // name: four lower-case letters.
    bool FindTokenAttribute(const CHtmlToken& tok, const char (&name)[5], std::string_view& value) const;
    // Stores the closing tag of that kind and name an opening tag implies.
    void StoreImpliedClose(HtmlTokenKind kind, std::string_view name);
    void StoreLink(CHtmlToken& link);
    void Store(CHtmlToken& tok, bool updateStack);

    void UpdateStack(const CHtmlToken& tok);
    // The part of UpdateStack for form fields and their text.
    void UpdateFields(const CHtmlToken& tok);
    bool IsHiddenInput(const CHtmlToken& tok) const;
    static bool EndsInputText(const CHtmlToken& tok);
    int Innermost(int kind) const { return m_innermost[kind]; }
    int InnermostOf(std::uint64_t kinds) const;
    void RemoveInnermost(int kind);
    void PushElement(int kind, int table, int rowOrList);
    void RemoveElement(int index);
    void RemoveLinked(int anchor, int kind, bool byTable);
    void ResetFonts();

    bool Search(int kindA, int kindB, int step, const CHtmlToken*& out);

    CPageDecoder m_decoder;
    PageRefusal m_nRefusal = PageRefusal::None;

    std::string m_strPage;     // the held page, NUL-terminated
    bool m_bHasPage = false;
    std::size_t m_nPageLength = 0;
    // The page being parsed: where the next token begins, and its end (where
    // a NUL stands). A token that cannot be read moves m_pRead to the end.
    char* m_pRead = nullptr;
    char* m_pReadEnd = nullptr;

    // Backing store of the current tokens: the parsed page (decoded in place)
    // and the attributes of every tag.
    std::string m_strStore;
    std::vector<CHtmlAttribute> m_attrs;
    std::string m_strBaseHref;
    bool m_bBaseSeen = false;
    std::vector<CHtmlToken> m_tokens;
    std::int64_t m_nCursor = -1;
    std::uint64_t m_nGeneration = 0;

    int m_nCellCount = 0;
    int m_nRowCount = 0;

    // The open-element stack: the element pool, the innermost open element
    // of each kind, a count per kind and the set of kinds open (the context
    // set of a token stored now).
    std::vector<Element> m_elements;  // the pool's first m_nElementCount entries are in use
    int m_nElementCount = 0;
    int m_nElementRoom = 0;  // the pool's size, kept here to spare a division
    int m_innermost[HTML_TOKEN_KIND_COUNT];
    int m_openCount[HTML_TOKEN_KIND_COUNT] = {};
    std::uint64_t m_nOpenMask = 0;

    // Font stacks, one per open table cell: all records in one vector, the
    // index where each stack begins in another (innermost last).
    std::vector<CFontSize> m_fonts;
    std::vector<std::size_t> m_fontBases;

    // Scratch groups of the link rearrangement.
    std::vector<CHtmlToken> m_groupA;
    std::vector<CHtmlToken> m_groupT;
    std::vector<CHtmlToken> m_groupZ;
};
