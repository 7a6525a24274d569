// The parser around the tokenizer: taking a page (size limit, NUL bytes,
// fetching), the lifetime of the tokens, and the cursor.
#include <gtest/gtest.h>

#include <string>

#include "html/HtmlParser.h"
#include "support/TestHttpServer.h"
#include "tests/html/HtmlTestUtil.h"

namespace {

TEST(HtmlParserPage, SizeLimit) {
    struct Case {
        const char* why;
        std::size_t size;
        bool accepted;
    } cases[] = {
        {"the largest page accepted", 127999, true},
        {"a page of exactly the limit is refused", 128000, false},
        {"larger pages are refused", 200000, false},
        {"an empty page is refused", 0, false},
    };
    for (const Case& c : cases) {
        std::string page;
        if (c.size > 0) page = "<p>" + std::string(c.size - 3, 'x');
        CHtmlParser parser;
        EXPECT_EQ(parser.SetPage(page), c.accepted) << c.why;
        EXPECT_EQ(parser.HasPage(), c.accepted) << c.why;
        EXPECT_EQ(parser.GetPageLength(), c.accepted ? static_cast<int>(c.size) : 0) << c.why;
        parser.ParsePage();
        if (c.accepted) {
            ASSERT_EQ(parser.GetTokenCount(), 2) << c.why;
            EXPECT_EQ(parser.Tokens()[1].Text().size(), c.size - 3) << c.why;
        } else {
            EXPECT_EQ(parser.GetTokenCount(), 0) << c.why;
        }
    }
}

TEST(HtmlParserPage, PageEndsAtFirstNul) {
    CHtmlParser parser;
    ASSERT_TRUE(parser.SetPage(std::string("<b>ab\0<i>cd", 11)));
    EXPECT_EQ(parser.GetPageLength(), 5);
    parser.ParsePage();
    EXPECT_EQ(parser.GetTokenCount(), 2);
    EXPECT_FALSE(parser.SetPage(std::string("\0<b>", 4)));
}

TEST(HtmlParserPage, RefusedPageDropsTheHeldOne) {
    CHtmlParser parser;
    ASSERT_TRUE(parser.SetPage("<b>old"));
    EXPECT_FALSE(parser.SetPage(std::string(128000, 'x')));
    EXPECT_FALSE(parser.HasPage());
    parser.ParsePage();
    EXPECT_EQ(parser.GetTokenCount(), 0);
}

TEST(HtmlParserPage, ParseFreesThePageAndASecondParseEmptiesTheList) {
    CHtmlParser parser;
    ASSERT_TRUE(parser.SetPage("<b>x</b>"));
    parser.ParsePage();
    EXPECT_FALSE(parser.HasPage());
    EXPECT_EQ(parser.GetPageLength(), 0);
    EXPECT_EQ(parser.GetTokenCount(), 3);
    parser.ParsePage();
    EXPECT_EQ(parser.GetTokenCount(), 0);
}

TEST(HtmlParserPage, TokensOutliveTheNextPageUntilItIsParsed) {
    CHtmlParser parser;
    ASSERT_TRUE(parser.SetPage("<BLINK href=\"u\">Old &amp; text"));
    parser.ParsePage();
    ASSERT_TRUE(parser.SetPage("<p>New page"));
    ASSERT_EQ(parser.GetTokenCount(), 2);
    EXPECT_EQ(parser.Tokens()[0].Text(), "blink");
    EXPECT_EQ(parser.Tokens()[1].Text(), "Old & text");
    std::string href;
    EXPECT_TRUE(parser.Tokens()[0].GetAttribute("HREF", href));
    EXPECT_EQ(href, "u");
}

// "<b>x</b><i>y</i>": 0 <b>, 1 'x', 2 </b>, 3 <i>, 4 'y', 5 </i>
class HtmlParserCursor : public ::testing::Test {
protected:
    void SetUp() override {
        ParseTokens(m_parser, "<b>x</b><i>y</i>");
        ASSERT_EQ(m_parser.GetTokenCount(), 6);
    }
    int Index(const CHtmlToken* t) const { return t ? static_cast<int>(t - m_parser.Tokens().data()) : -1; }
    int Current() const {
        const CHtmlToken* t = nullptr;
        return m_parser.GetCurrent(t) ? Index(t) : -1;
    }

    CHtmlParser m_parser;
    const CHtmlToken* m_tok = nullptr;
};

TEST_F(HtmlParserCursor, FindNextWithoutCursorTestsTheFirstToken) {
    EXPECT_EQ(Current(), -1);
    ASSERT_TRUE(m_parser.FindNext(TK_BOLD, m_tok));
    EXPECT_EQ(Index(m_tok), 0);
    m_parser.ClearCursor();
    ASSERT_TRUE(m_parser.FindNext(TK_ANY, m_tok));
    EXPECT_EQ(Index(m_tok), 0);
    ASSERT_TRUE(m_parser.FindNext(TK_ANY, m_tok));
    EXPECT_EQ(Index(m_tok), 1);
}

TEST_F(HtmlParserCursor, FindNextMatchesOpeningAndClosingTagsOfTheKind) {
    ASSERT_TRUE(m_parser.FindNext(TK_ITALIC, m_tok));
    EXPECT_EQ(Index(m_tok), 3);
    ASSERT_TRUE(m_parser.FindNext(TK_ITALIC, m_tok));
    EXPECT_EQ(Index(m_tok), 5);
}

TEST_F(HtmlParserCursor, AtTheEndTheCursorStaysOnTheLastToken) {
    ASSERT_TRUE(m_parser.FindNext(TK_BOLD, m_tok));
    EXPECT_FALSE(m_parser.FindNext(TK_TABLE, m_tok));
    EXPECT_EQ(m_tok, nullptr);
    EXPECT_EQ(Current(), 5);
    ASSERT_TRUE(m_parser.FindPrev(TK_ANY, m_tok));
    EXPECT_EQ(Index(m_tok), 4);
    // A failed search without a cursor also leaves it on the last token.
    m_parser.ClearCursor();
    EXPECT_FALSE(m_parser.FindNext(TK_TABLE, m_tok));
    EXPECT_EQ(Current(), 5);
}

TEST_F(HtmlParserCursor, FindPrev) {
    EXPECT_FALSE(m_parser.FindPrev(TK_ANY, m_tok));  // no cursor
    EXPECT_EQ(Current(), -1);
    ASSERT_TRUE(m_parser.FindNext(TK_ITALIC, m_tok));
    ASSERT_TRUE(m_parser.FindPrev(TK_TEXT, m_tok));
    EXPECT_EQ(Index(m_tok), 1);
    EXPECT_FALSE(m_parser.FindPrev(TK_TABLE, m_tok));
    EXPECT_EQ(Current(), 0);  // stays on the first token
}

TEST_F(HtmlParserCursor, TwoKindSearches) {
    ASSERT_TRUE(m_parser.FindNext(TK_ITALIC, TK_TEXT, m_tok));
    EXPECT_EQ(Index(m_tok), 1);
    ASSERT_TRUE(m_parser.FindNext(TK_ITALIC, TK_TEXT, m_tok));
    EXPECT_EQ(Index(m_tok), 3);
    ASSERT_TRUE(m_parser.FindNext(TK_TABLE, TK_TEXT, m_tok));
    EXPECT_EQ(Index(m_tok), 4);
    ASSERT_TRUE(m_parser.FindPrev(TK_BOLD, TK_TABLE, m_tok));
    EXPECT_EQ(Index(m_tok), 2);
}

TEST_F(HtmlParserCursor, SaveAndRestore) {
    const CHtmlCursorPos none = m_parser.SaveCursor();
    ASSERT_TRUE(m_parser.FindNext(TK_TEXT, m_tok));
    const CHtmlCursorPos saved = m_parser.SaveCursor();
    ASSERT_TRUE(m_parser.FindNext(TK_ANY, m_tok));
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

TEST(HtmlParserCursorEmpty, SearchesOnAnEmptyListFail) {
    CHtmlParser parser;
    const CHtmlToken* tok = nullptr;
    EXPECT_FALSE(parser.FindNext(TK_ANY, tok));
    EXPECT_FALSE(parser.FindPrev(TK_ANY, tok));
    EXPECT_FALSE(parser.GetCurrent(tok));
}

TEST(HtmlParserFetch, FetchesAndParsesAPage) {
    CTestHttpServer server;
    server.SetPage("/news.html", "<td><a href=story.html>Big <b>story</b></a>");
    server.SetPage("/big.html", std::string(128000, 'x'));
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
}

TEST(HtmlParserFetch, GoesThroughTheProxyWithItsCredentials) {
    CTestHttpServer proxy;
    proxy.EnableProxy("user", "secret");
    proxy.SetPage("/via.html", "<p>via proxy");
    CHtmlParser parser;
    ASSERT_TRUE(parser.FetchPage("http://news.invalid/via.html", 1, "127.0.0.1", proxy.Port(), "user", "secret"));
    parser.ParsePage();
    ASSERT_EQ(parser.GetTokenCount(), 2);
    EXPECT_EQ(parser.Tokens()[1].Text(), "via proxy");
    EXPECT_FALSE(parser.FetchPage("http://news.invalid/via.html", 1, "127.0.0.1", proxy.Port(), "user", "wrong"));
}

}  // namespace
