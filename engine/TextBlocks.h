// CTextBlocks: a page's visible text cut into blocks at block-level tags,
// each with its words and linked words and what encloses it, and the
// elements that mark where a page keeps its article (<article>, itemprop
// "articleBody") as ranges of those blocks. Worked out in one pass over the
// tokens and one over the blocks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "html/HtmlToken.h"

struct CTextBlock {
    std::string m_strText;       // blanks collapsed; a <br> inside stays as "\r\n"
    int m_nWords = 0;            // as CWordString::CountWords(0) counts them
    int m_nLinkWords = 0;        // words inside links
    bool m_bLeftOut = false;     // inside page furniture: nav, aside, footer, figure, buttons, ...
    bool m_bInForm = false;      // inside a form (some pages wrap everything in one)
    bool m_bHeading = false;     // inside h1-h6
    bool m_bBoilerplate = false; // inside an element whose class or id names comments, sharing, captions,
                                 // ... and that holds at most 40% of the page's words
};

// An element that marks article text: its blocks are [m_nFirst, m_nEnd).
struct CMarkedRange {
    int m_nFirst = 0;
    int m_nEnd = 0;
};

class CTextBlocks {
public:
    void Build(std::span<const CHtmlToken> tokens);

    const std::vector<CTextBlock>& Blocks() const { return m_blocks; }
    const std::vector<CMarkedRange>& Articles() const { return m_articles; }
    const std::vector<CMarkedRange>& BodyMarks() const { return m_bodyMarks; }
    // The raw texts of the page's application/ld+json scripts.
    const std::vector<std::string>& JsonLdScripts() const { return m_jsonLd; }

private:
    struct Open {
        std::string_view m_strName;
        std::uint16_t m_traits;
        std::uint8_t m_flags;
        int m_nMark;    // index into m_marks of the mark this element opened, or -1
        int m_nBoiler;  // index into m_boilerFirst when its class or id names boilerplate, or -1
    };
    struct Mark {
        bool m_bArticle;
        int m_nFirst;
    };

    void OpenElement(const CHtmlToken& tag);
    void CloseElement(std::string_view name);
    void Pop();
    void EndBlock();
    void MarkBoilerplate();
    void AddText(std::string_view text, bool bLinked);
    std::uint8_t Flags() const { return m_stack.empty() ? 0 : m_stack.back().m_flags; }

    std::vector<CTextBlock> m_blocks;
    std::vector<CMarkedRange> m_articles;
    std::vector<CMarkedRange> m_bodyMarks;
    std::vector<std::string> m_jsonLd;
    std::vector<Open> m_stack;
    std::vector<Mark> m_marks;
    std::vector<int> m_boilerFirst;            // the first block of each boilerplate element
    std::vector<CMarkedRange> m_boilerplate;  // the boilerplate elements' blocks
    CTextBlock m_current;
    bool m_bPendingSpace = false;
};
