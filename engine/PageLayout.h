// CPageLayout: where each text token of a parsed page stands in the page's
// layout, as far as the story filter needs it: inside the page's own chrome
// (navigation, banner, footer or search region) or not, inside which heading
// (h1-h6) and which block (the nearest enclosing paragraph, division, list
// item, cell, ...), and how much plain text (text outside links) its block
// holds before it. The tokenizer keeps no stack for these elements, so the
// layout keeps its own: a forgiving one that closes an element at its
// closing tag and everything left open inside it.
// Worked out in one pass over the tokens; the questions below take the
// position of a text token.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "html/HtmlToken.h"

class CPageLayout {
public:
    void Build(std::span<const CHtmlToken> tokens);

    // Inside a nav element, a page-level header or footer, or a region
    // whose role is navigation, banner, contentinfo or search.
    bool InChrome(int i) const { return (At(i).m_flags & kChrome) != 0; }
    // Inside a list (ul, ol, dl).
    bool InList(int i) const { return (At(i).m_flags & kList) != 0; }
    // The heading (numbered from 0 in page order) the token stands in; -1
    // outside headings.
    int HeadingOf(int i) const { return At(i).m_nHeading; }
    // The block the token stands in (numbered from 0).
    int BlockOf(int i) const { return At(i).m_nBlock; }
    // Words of plain text in the token's block before it, counted up to
    // kWordLimit in all (enough for any question of "at least n words" with
    // n up to that limit; a block's text is not counted further).
    static constexpr int kWordLimit = 10;
    int PlainWordsBefore(int i) const { return At(i).m_nPlainBefore; }
    // Words of plain text in a whole block, counted the same way.
    int BlockPlainWords(int block) const {
        return block >= 0 && block < static_cast<int>(m_blockWords.size()) ? m_blockWords[static_cast<std::size_t>(block)] : 0;
    }
    // The nearest heading that ends before token i and whose text is not a
    // link: its number, or -1.
    int UnlinkedHeadingBefore(int i) const;
    // The plain text of a heading, blanks collapsed.
    const std::string& HeadingText(int heading) const { return m_headings[static_cast<std::size_t>(heading)].m_strText; }

private:
    static constexpr std::uint8_t kChrome = 1;
    static constexpr std::uint8_t kList = 2;
    static constexpr std::uint8_t kSectioning = 4;  // inside article, aside, main, nav or section

    struct Heading {
        int m_nEnd = -1;         // the token that closed it (or the last one inside it)
        bool m_bLinked = false;  // part of its text is a link
        std::string m_strText;
    };
    struct Open {
        std::string_view m_strName;
        int m_nBlock;
        int m_nHeading;
        std::uint8_t m_flags;
    };

    // Where a text token stands (other tokens' places are left unset).
    struct Place {
        int m_nBlock;
        int m_nHeading;
        int m_nPlainBefore;
        std::uint8_t m_flags;
    };
    const Place& At(int i) const { return m_places[static_cast<std::size_t>(i)]; }
    // Opens the element of a tag whose traits (ElementTraitsOfTag) are not void.
    void OpenElement(const CHtmlToken& tag, std::uint16_t traits, int i);
    void CloseElement(std::string_view name, int i);
    void CloseHeading(int heading, int i);

    std::unique_ptr<Place[]> m_places;  // by token; written for text tokens only
    std::vector<int> m_blockWords;
    std::vector<Heading> m_headings;
    std::vector<int> m_headingEnds;  // the heading numbers in the order they ended
    std::vector<Open> m_stack;
};
