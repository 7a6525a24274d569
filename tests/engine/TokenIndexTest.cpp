// The token index against the cursor walks it stands for, at every position
// of pages made to trip it: unclosed and nested links, stray closing tags,
// blank and separator texts, rows, and same-font runs reaching the page end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/StoryLinkWalk.h"
#include "engine/TokenIndex.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

// Pieces of pages, joined at random into larger ones.
const char* const kPieces[] = {
    "<a href=\"s/1.html\">Storm hits the coast</a>", "<a href=\"s/2.html\">Open link ", "</a>", "</a></a>",
    "<a href=\"#top\">top</a>", "<a name=x>here</a>", "<a href=\"javascript:go()\">Go</a>", " | ", "&nbsp;",
    "Plain words here", "x", "<b>", "</b>", "<font size=-1>", "<font size=+2>", "</font>", "<br>", "<p>",
    "<table>", "</table>", "<tr>", "<td>", "</td>", "<ul><li>", "</ul>", "<script>var a = 1;</script>",
    "<!-- note -->", "<img src=x.gif>", "12", "$3.50", "<a href=\"n\">7</a>",
};

std::vector<std::string> Pages() {
    std::vector<std::string> pages = {
        "",
        "just text",
        "<a href=a>One</a>",
        "</a><a href=a>After a stray close</a> tail",
        "<a href=a>Never closed <b>bold</b> <font size=-1>small</font> words",
        "<a href=a>A<a href=b>B</a>C</a></a>D",
        "<p>| <font size=-1><a href=a>Quake aftermath</a></font>",
        "<table><tr><td>1<td><a href=a>Item</a><td>$2.00</tr><tr><td><a href=b>9</a><a href=c>Next</a></table>",
    };
    unsigned seed = 7;
    for (int p = 0; p < 40; ++p) {
        std::string page;
        for (int i = 0; i < 60; ++i) {
            seed = seed * 1103515245u + 12345u;
            page += kPieces[(seed >> 16) % std::size(kPieces)];
        }
        pages.push_back(page);
    }
    return pages;
}

// The parser's cursor on position c (-1: no cursor).
void PutCursor(CHtmlParser& parser, int c) {
    if (c < 0) parser.ClearCursor(); else ASSERT_TRUE(parser.RestoreCursor(parser.PositionAt(c)));
}

int Pos(const CHtmlParser& parser, const CHtmlToken* t) {
    return t ? static_cast<int>(t - parser.Tokens().data()) : -1;
}

// The walks the link rules made before the index answered for them.
int WalkPlainTextBefore(CHtmlParser& parser) {
    const CHtmlToken* p = nullptr;
    if (!parser.FindPrev(TK_TEXT, p)) return 0;  // the link's own text
    while (parser.FindPrev(TK_TEXT, p)) {
        CWordString s(p->Text());
        s.Trim();
        if (p->IsInside(TK_LINK) || s.empty()) continue;
        const unsigned char c = static_cast<unsigned char>(s[0]);
        return s.size() == 1 && c >= 0x20 && c <= 0x7F ? 0 : 1;
    }
    return 0;
}

int WalkOpenLinkBefore(CHtmlParser& parser) {
    const CHtmlToken* a = nullptr;
    while (parser.FindPrev(TK_LINK, a))
        if (a->m_bIsOpen) return Pos(parser, a);
    return -1;
}

int WalkAnchorBefore(CHtmlParser& parser) {
    const CHtmlToken* a = nullptr;
    if (parser.FindPrev(TK_LINK, a) && !a->m_bIsOpen && !parser.FindPrev(TK_LINK, a)) a = nullptr;
    return Pos(parser, a);
}

TEST(TokenIndex, AnswersAsTheWalksDoAtEveryPosition) {
    CHtmlParser parser;
    CTokenIndex index;
    for (const std::string& page : Pages()) {
        SCOPED_TRACE(page);
        parser.SetPage(page);
        parser.ParsePage();
        index.Build(parser.Tokens(), parser.GetGeneration());
        const auto toks = parser.Tokens();
        const int n = static_cast<int>(toks.size());
        auto isText = [&](int i) { return toks[i].m_nKind == TK_TEXT; };
        auto isLinkText = [&](int i) { return isText(i) && toks[i].IsInside(TK_LINK); };
        auto isTextOrRow = [&](int i) { return isText(i) || toks[i].m_nKind == TK_ROW; };
        for (int c = -1; c <= n; ++c) {
            SCOPED_TRACE(c);
            if (c < n) {
                PutCursor(parser, c);
                EXPECT_EQ(index.PlainTextBefore(c), WalkPlainTextBefore(parser));
                PutCursor(parser, c);
                EXPECT_EQ(index.OpenLinkBefore(c), WalkOpenLinkBefore(parser));
                PutCursor(parser, c);
                EXPECT_EQ(index.AnchorBefore(c), WalkAnchorBefore(parser));
            }
            if (c < 0) continue;
            int before = c - 1, from = c, past = c, linkText = c;
            while (before >= 0 && !isTextOrRow(before)) --before;
            while (from < n && !isTextOrRow(from)) ++from;
            while (past < n && isLinkText(past)) ++past;
            while (linkText < n && !isLinkText(linkText)) ++linkText;
            EXPECT_EQ(index.TextOrRowBefore(c), before);
            EXPECT_EQ(index.TextOrRowFrom(c), from);
            EXPECT_EQ(index.PastLinkText(c), past);
            const int k = index.LinkTextFrom(c);
            EXPECT_EQ(k < index.LinkTextCount() ? index.LinkTextAt(k) : n, linkText);
        }
        for (int k = 0; k < index.LinkTextCount(); ++k) {
            // The texts AppendSameFont joins to the link text.
            const int first = index.LinkTextAt(k);
            int last = first;
            const CFontSize font = *toks[first].GetFont();
            while (last + 1 < n && isText(last + 1) && toks[last + 1].GetFont()->SameSize(font)) ++last;
            EXPECT_EQ(index.RunLastOf(k), last) << "link text " << first;
        }
    }
}

// A listing item ends at the next link text, after the cursor, that is not a
// number; the search steps from one link text past the token that ends its
// same-font run, so a word in another font right after a number in one link
// is passed over. Every link is offered in order, as the walk does, so that
// answers kept for one link are used for the next.
TEST(ListingRows, ItemsEndAtTheNextLinkThatIsNoNumber) {
    const std::string page =
        "<table>"
        "<tr><td><a href=\"v?x=1\">Oak desk a</a><td>12345<td><a href=n1>7</a><a href=n2>8</a>"
        "<td><a href=w>Watch</a><td>$12.50</tr>"
        "<tr><td><a href=\"v?x=2\">Oak desk b</a><td>12345<td><a href=n3>7<font size=-1>Watch</font></a>"
        "<td>$12.50</tr>"
        "</table>";
    CHtmlParser parser;
    ParseInto(parser, page);
    std::string lastTarget;
    CStoryLinkWalk walk(parser, "http://shop.test/list.html", lastTarget);
    Strings accepted;
    while (const CHtmlToken* t = walk.NextLinkText(1)) {
        CWordString text(t->Text());
        walk.AppendSameFont(text, *t->GetFont());
        text.Trim();
        StoryCandidate item;
        if (walk.DetectListingRow(t, text, item) == 1) accepted.push_back(text + " " + item.description);
    }
    EXPECT_EQ(accepted, Strings{"12345: Oak desk b $12.50"})
        << "row a ends at 'Watch', before its price; row b's 'Watch' is passed over";
}

}  // namespace
