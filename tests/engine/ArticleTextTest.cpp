// Cutting the article body out of a story's page.
#include <gtest/gtest.h>

#include "engine/PageScanner.h"

namespace {

std::string Extract(const std::string& html, const std::string& headline, const std::string& title = "") {
    CHtmlParser parser;
    const std::string head = title.empty() ? "" : "<head><title>" + title + "</title></head>";
    EXPECT_TRUE(parser.SetPage("<html>" + head + "<body>" + html + "</body></html>"));
    parser.ParsePage();
    return CPageScanner::ExtractArticleFromTokens(parser, headline);
}

const std::string kLong =
    "First paragraph has quite a lot of words in it, written so that it passes the long block rule of "
    "the scan, which wants well over thirty five words before it starts collecting text from a page "
    "like this one here today.";

TEST(ArticleText, CollectsTheBodyWithLineBreaksAndStopsAtTheLayout) {
    // The navigation table before the body is passed over; the byline after
    // the headline belongs to the body (only running-text tags between it and
    // the long paragraph); the related table inside is skipped whole; a stray
    // cell tag ends the body.
    const std::string html = "<table><tr><td><a href=\"/\">Home</a> | <a href=\"/w\">World</a></td></tr></table>"
                             "<h1>Bridge opens</h1><p>Staff report<p>" + kLong +
                             "<br>Second line after a break.<p>Third paragraph after a paragraph tag."
                             "<table><tr><td>Related: other stories</td></tr></table>"
                             "<p>Fourth paragraph goes on after the table.</td><p>Footer text that must not appear.";
    EXPECT_EQ(Extract(html, "Bridge opens", "Bridge opens"), "Staff report\r\n\r\n" + kLong +
                                                 "\r\nSecond line after a break.\r\n\r\nThird paragraph after a "
                                                 "paragraph tag.\r\n\r\nFourth paragraph goes on after the table.");
}

TEST(ArticleText, EndsAtBracesOrBarsAndCutsAfterTheLastSentence) {
    // Without the headline a block of more than 35 words starts the body at
    // once; the block with braces ends it; the unfinished sentence is cut.
    EXPECT_EQ(Extract("<h2>Other</h2><p>" + kLong + "<p>A closing part without an end<p>Links { here } | there",
                      "Bridge opens"),
              kLong);
}

TEST(ArticleText, ShortOrTableOnlyPagesGiveNothing) {
    EXPECT_EQ(Extract("<p>Too short to be an article.", "X"), "");
    EXPECT_EQ(Extract("<table><tr><td>" + kLong + "</td></tr></table>", "X"), "")
        << "a table is passed over until collecting has started";
    EXPECT_EQ(Extract("<img src=x.gif>", "X"), "");
}

TEST(ArticleText, HeadlineThenMeanOfSixBlocksStartsTheBody) {
    // After the headline, blocks of 9 to 35 words start the body only once the
    // last six blocks average ten words or more (here at the fifth paragraph);
    // walking back, the paragraphs and the byline belong to the body, the
    // headline block does not.
    const std::string para = "This sentence has exactly twelve words in it for the mean test.";
    std::string html = "<p>Quiet start<p>Harbour plan approved<p>By a reporter";
    for (int i = 0; i < 6; ++i) html += "<p>" + para;
    const std::string text = Extract(html, "harbour PLAN approved");
    EXPECT_EQ(text.find("Harbour"), std::string::npos);
    EXPECT_EQ(text.rfind("By a reporter", 0), 0u) << text;
    std::size_t count = 0;
    for (std::size_t p = text.find(para); p != std::string::npos; p = text.find(para, p + 1)) ++count;
    EXPECT_EQ(count, 6u) << text;
}

}  // namespace
