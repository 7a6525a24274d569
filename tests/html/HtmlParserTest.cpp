// The parser around the tokenizer: taking a page (size limit, NUL bytes,
// fetching), the lifetime of the tokens, and the cursor.
#include <gtest/gtest.h>

#include <string>

#include "html/HtmlParser.h"
#include "support/TestHttpServer.h"
#include "tests/html/HtmlTestUtil.h"

namespace {

TEST(HtmlParserPage, SizeLimitAndNulBytes) {
    constexpr int kMax = CHtmlParser::MAX_PAGE_SIZE;
    struct Case {
        const char* why;
        std::string page;
        int length;  // 0: refused
        std::size_t lastText;  // length of the second token's text
    } cases[] = {
        {"the largest page accepted", "<p>" + std::string(kMax - 4, 'x'), kMax - 1, kMax - 4},
        {"a page of exactly the limit is refused", "<p>" + std::string(kMax - 3, 'x'), 0, 0},
        {"larger pages are refused", std::string(kMax + 72000, 'x'), 0, 0},
        {"an empty page is refused", "", 0, 0},
        {"the page ends at the first NUL", std::string("<b>ab\0<i>cd", 11), 5, 2},
        {"...so a leading NUL leaves nothing", std::string("\0<b>", 4), 0, 0},
    };
    for (const Case& c : cases) {
        CHtmlParser parser;
        EXPECT_EQ(parser.SetPage(c.page), c.length > 0) << c.why;
        EXPECT_EQ(parser.HasPage(), c.length > 0) << c.why;
        EXPECT_EQ(parser.GetPageLength(), c.length) << c.why;
        parser.ParsePage();
        ASSERT_EQ(parser.GetTokenCount(), c.length > 0 ? 2 : 0) << c.why;
        if (c.length > 0) {
            EXPECT_EQ(parser.Tokens()[1].Text().size(), c.lastText) << c.why;
        }
    }
}

TEST(HtmlParserPage, TokensLiveUntilTheNextParse) {
    CHtmlParser parser;
    ASSERT_TRUE(parser.SetPage("<BLINK href=\"u\">Old &amp; text"));
    parser.ParsePage();
    EXPECT_FALSE(parser.HasPage());  // parsing frees the page
    EXPECT_EQ(parser.GetPageLength(), 0);

    ASSERT_TRUE(parser.SetPage("<p>New page"));
    ASSERT_EQ(parser.GetTokenCount(), 2);
    EXPECT_EQ(parser.Tokens()[0].Text(), "blink");
    EXPECT_EQ(parser.Tokens()[1].Text(), "Old & text");
    std::string href;
    EXPECT_TRUE(parser.Tokens()[0].GetAttribute("HREF", href));
    EXPECT_EQ(href, "u");

    // A refused page drops the held one, and a parse without a page empties the list.
    EXPECT_FALSE(parser.SetPage(std::string(CHtmlParser::MAX_PAGE_SIZE, 'x')));
    EXPECT_FALSE(parser.HasPage());
    parser.ParsePage();
    EXPECT_EQ(parser.GetTokenCount(), 0);
}

// "<b>x</b><i>y</i>": 0 <b>, 1 'x', 2 </b>, 3 <i>, 4 'y', 5 </i>
class HtmlParserCursor : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ParseTokens(m_parser, "<b>x</b><i>y</i>").size(), 6u); }
    int Index(const CHtmlToken* t) const { return t ? static_cast<int>(t - m_parser.Tokens().data()) : -1; }
    int Current() const {
        const CHtmlToken* t = nullptr;
        return m_parser.GetCurrent(t) ? Index(t) : -1;
    }
    CHtmlParser m_parser;
    const CHtmlToken* m_tok = nullptr;
};

TEST_F(HtmlParserCursor, FindNextAndFindPrev) {
    constexpr int kNone = -1;
    // op: 'n' FindNext, 'p' FindPrev, 'c' ClearCursor; found: index, -1 when the search fails;
    // current: where the cursor is afterwards.
    struct Step { char op; int kindA, kindB, found, current; const char* why; } steps[] = {
        {'p', TK_ANY, kNone, -1, -1, "no cursor: FindPrev fails"},
        {'n', TK_BOLD, kNone, 0, 0, "no cursor: FindNext tests the first token"},
        {'c', 0, 0, -1, -1, ""},
        {'n', TK_ANY, kNone, 0, 0, "TK_ANY matches the first token"},
        {'n', TK_ANY, kNone, 1, 1, "then steps on"},
        {'n', TK_ITALIC, kNone, 3, 3, "opening tag of the kind"},
        {'n', TK_ITALIC, kNone, 5, 5, "closing tag of the kind"},
        {'p', TK_TEXT, kNone, 4, 4, ""},
        {'p', TK_TEXT, kNone, 1, 1, ""},
        {'p', TK_TABLE, kNone, -1, 0, "a failed FindPrev stays on the first token"},
        {'n', TK_TABLE, kNone, -1, 5, "a failed FindNext stays on the last token"},
        {'p', TK_ANY, kNone, 4, 4, "...from where a search goes on"},
        {'c', 0, 0, -1, -1, ""},
        {'n', TK_TABLE, kNone, -1, 5, "also without a cursor"},
        {'c', 0, 0, -1, -1, ""},
        {'n', TK_ITALIC, TK_TEXT, 1, 1, "two kinds: either matches"},
        {'n', TK_ITALIC, TK_TEXT, 3, 3, ""},
        {'n', TK_TABLE, TK_TEXT, 4, 4, ""},
        {'p', TK_BOLD, TK_TABLE, 2, 2, ""},
    };
    for (const Step& s : steps) {
        const bool next = s.op == 'n', two = s.kindB != kNone;
        bool found = false;
        if (s.op == 'c')
            m_parser.ClearCursor();
        else if (two)
            found = next ? m_parser.FindNext(s.kindA, s.kindB, m_tok) : m_parser.FindPrev(s.kindA, s.kindB, m_tok);
        else
            found = next ? m_parser.FindNext(s.kindA, m_tok) : m_parser.FindPrev(s.kindA, m_tok);
        if (s.op != 'c') {
            EXPECT_EQ(found, s.found >= 0) << s.why;
            EXPECT_EQ(Index(m_tok), s.found) << s.why;  // null on failure
        }
        EXPECT_EQ(Current(), s.current) << s.why;
    }

    CHtmlParser empty;
    EXPECT_FALSE(empty.FindNext(TK_ANY, m_tok));
    EXPECT_FALSE(empty.FindPrev(TK_ANY, m_tok));
    EXPECT_FALSE(empty.GetCurrent(m_tok));
}

TEST_F(HtmlParserCursor, SaveAndRestore) {
    const CHtmlCursorPos none = m_parser.SaveCursor();
    ASSERT_TRUE(m_parser.FindNext(TK_TEXT, m_tok));
    const CHtmlCursorPos saved = m_parser.SaveCursor();
    ASSERT_TRUE(m_parser.FindNext(TK_ANY, m_tok));
    EXPECT_TRUE(m_parser.RestoreCursor(saved));
    EXPECT_EQ(Current(), 1);
    EXPECT_FALSE(m_parser.RestoreCursor(none));  // no token to go back to
    EXPECT_EQ(Current(), 1);

    // A position of another parser, even at the same index, is not ours.
    CHtmlParser other;
    ParseTokens(other, "<b>x</b><i>y</i>");
    other.FindNext(TK_TEXT, m_tok);
    EXPECT_FALSE(m_parser.RestoreCursor(other.SaveCursor()));

    // After a new parse the old tokens are gone, even with the same page.
    ParseTokens(m_parser, "<b>x</b><i>y</i>");
    EXPECT_FALSE(m_parser.RestoreCursor(saved));
    EXPECT_EQ(Current(), -1);
}

TEST(HtmlParserFetch, FetchesAndParsesAPageDirectlyOrThroughTheProxy) {
    CTestHttpServer server;
    server.SetPage("/news.html", "<td><a href=story.html>Big <b>story</b></a>");
    server.SetPage("/big.html", std::string(CHtmlParser::MAX_PAGE_SIZE, 'x'));
    server.SetPage("/empty.html", "");
    CHtmlParser parser;
    ASSERT_TRUE(parser.FetchPage(server.Url("/news.html"), 0, "", 0, "", ""));
    parser.ParsePage();
    std::string out;
    for (const CHtmlToken& t : parser.Tokens()) out += Describe(t) + "|";
    EXPECT_EQ(out, "<td>|<b>|<a>|'Big '|'story'|</a>|</b>|");

    EXPECT_FALSE(parser.FetchPage(server.Url("/big.html"), 0, "", 0, "", ""));
    EXPECT_FALSE(parser.HasPage());
    EXPECT_FALSE(parser.FetchPage(server.Url("/empty.html"), 0, "", 0, "", ""));
    const int requests = server.RequestCount();
    EXPECT_FALSE(parser.FetchPage("", 0, "", 0, "", ""));
    EXPECT_EQ(server.RequestCount(), requests);  // no request for an empty URL
    EXPECT_EQ(parser.GetFetcher().GetStartTime(), 0);

    CTestHttpServer proxy;
    proxy.EnableProxy("user", "secret");
    proxy.SetPage("/via.html", "<p>via proxy");
    ASSERT_TRUE(parser.FetchPage("http://news.invalid/via.html", 1, "127.0.0.1", proxy.Port(), "user", "secret"));
    parser.ParsePage();
    ASSERT_EQ(parser.GetTokenCount(), 2);
    EXPECT_EQ(parser.Tokens()[1].Text(), "via proxy");
    EXPECT_FALSE(parser.FetchPage("http://news.invalid/via.html", 1, "127.0.0.1", proxy.Port(), "user", "wrong"));
}

}  // namespace
