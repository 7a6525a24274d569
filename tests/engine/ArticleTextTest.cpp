// Cutting the article body out of a story's page.
#include <gtest/gtest.h>

#include "engine/PageScanner.h"

namespace {

std::string Extract(const std::string& html, const std::string& headline) {
    CHtmlParser parser;
    EXPECT_TRUE(parser.SetPage(html));
    parser.ParsePage();
    return CPageScanner::ExtractArticleFromTokens(parser, headline);
}

const char* const kLongParagraph =
    "First paragraph has quite a lot of words in it, written so that it passes the long block rule of "
    "the scan, which wants well over thirty five words before it starts collecting text from a page "
    "like this one here today.";

TEST(ArticleText, CollectsTheBodyWithLineBreaksAndStopsAtTheLayout) {
    std::string html = std::string("<html><head><title>Bridge opens</title></head><body>") +
                       "<table><tr><td><a href=\"/\">Home</a> | <a href=\"/w\">World</a></td></tr></table>" +
                       "<h1>Bridge opens</h1><p>Staff report<p>" + kLongParagraph +
                       "<br>Second line after a break.<p>Third paragraph after a paragraph tag." +
                       "<table><tr><td>Related: other stories</td></tr></table>" +
                       "<p>Fourth paragraph goes on after the table.</td>" +
                       "<p>Footer text that must not appear." + "</body></html>";
    std::string want = std::string("Staff report\r\n\r\n") + kLongParagraph +
                       "\r\nSecond line after a break.\r\n\r\nThird paragraph after a paragraph tag." +
                       "\r\n\r\nFourth paragraph goes on after the table.";
    // The navigation table comes before the body and is passed over; the line
    // after the headline (the byline) belongs to the body because only tags
    // of running text stand between it and the long paragraph; the related
    // table inside the body is passed over whole; a stray cell tag ends it.
    EXPECT_EQ(Extract(html, "Bridge opens"), want);
}

TEST(ArticleText, EndsAtBracesOrBarsAndCutsAfterTheLastSentence) {
    std::string html = std::string("<html><body><h2>Other headline</h2><p>") + kLongParagraph +
                       "<p>A closing part without an end<p>Links { here } | there</body></html>";
    // Without the headline on the page a block of more than 35 words starts
    // the body at once; the block with braces ends it, and the unfinished
    // sentence before it is cut off.
    EXPECT_EQ(Extract(html, "Bridge opens"), kLongParagraph);
}

TEST(ArticleText, ShortOrTableOnlyPagesGiveNothing) {
    EXPECT_EQ(Extract("<html><body><p>Too short to be an article.</body></html>", "X"), "");
    std::string tableOnly = std::string("<html><body><table><tr><td>") + kLongParagraph + "</td></tr></table></body></html>";
    EXPECT_EQ(Extract(tableOnly, "X"), "") << "a table is passed over until collecting has started";
    EXPECT_EQ(Extract("<html><body><img src=x.gif></body></html>", "X"), "") << "no text at all";
}

TEST(ArticleText, HeadlineThenMeanOfSixBlocksStartsTheBody) {
    // After the headline, blocks of nine to thirty-five words start the body
    // only once the last six blocks average ten words or more.
    std::string para = "This sentence has exactly twelve words in it for the mean test.";
    std::string html = "<html><body><p>Quiet start<p>Harbour plan approved<p>By a reporter";
    for (int i = 0; i < 6; ++i) html += "<p>" + para;
    html += "</body></html>";
    std::string text = Extract(html, "harbour PLAN approved");
    // Blocks counted: headline (3), then paragraphs of 12: the mean passes 10
    // at the fifth paragraph; walking back, every paragraph and the byline
    // belong to the body, the headline block does not.
    EXPECT_EQ(text.find("Harbour"), std::string::npos);
    EXPECT_EQ(text.rfind("By a reporter", 0), 0u) << text;
    std::size_t count = 0;
    for (std::size_t p = text.find(para); p != std::string::npos; p = text.find(para, p + 1)) ++count;
    EXPECT_EQ(count, 6u) << text;
}

}  // namespace
