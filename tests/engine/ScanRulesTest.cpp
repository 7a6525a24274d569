// The rules tables of the page scan, on token lists alone: link texts and
// hrefs, listing rows, keyword matching, and cutting the article body out of
// a story's page.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "config/KeywordText.h"
#include "engine/ArticleText.h"
#include "engine/JsonLdText.h"
#include "engine/KeywordGroup.h"
#include "engine/LinkRules.h"
#include "engine/ListingRules.h"
#include "engine/StoryLinkWalk.h"
#include "engine/UnicodeText.h"
#include "engine/WordString.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

int Words(const std::string& text) { return CWordString(text).CountWords(0); }

// Word counts with a limit stop there; without one they count every word.
// The quick test for scripts written without blanks never misses one.
TEST(WordString, CountsUpToALimitAndSpotsUnspacedScripts) {
    struct { const char* text; int skipShort, limit, expected; } const counts[] = {
        {"one two (three) four-five six@seven", 0, INT_MAX, 7},
        {"one two (three) four-five six@seven", 0, 3, 3},
        {"a b c d word", 1, INT_MAX, 3},
        {"\xE2\x80\x9CQuoted\xE2\x80\x9D \xE2\x80\x93 caf\xC3\xA9", 0, INT_MAX, 3},
        {"\xE5\xA4\xAE\xE8\xA7\x86\xE6\x96\xB0\xE9\x97\xBB", 0, INT_MAX, 2},
    };
    for (const auto& c : counts) EXPECT_EQ(CWordString(c.text).CountWords(c.skipShort, c.limit), c.expected) << c.text;
    // Long texts are read sixteen bytes at a time: words and separators count
    // wherever they stand (the last, partial block too), a limit stops inside
    // a block, and a character of a script written without blanks anywhere
    // (from U+2E80 on, or Thai and its neighbours) sends the whole text the
    // slow way; other scripts and punctuation stay on the fast one.
    for (int offset = 0; offset <= 33; ++offset) {
        const std::string text = std::string(static_cast<std::size_t>(offset), 'x') + " ab-cd@e(f)g\th\r\ni  jk";
        const int words = (offset > 0 ? 1 : 0) + 8;
        EXPECT_EQ(Words(text), words) << offset;
        EXPECT_EQ(Words(text + " "), words) << offset;
        EXPECT_EQ(CWordString(text).CountWords(0, 5), 5) << offset;
        EXPECT_EQ(Words(text + " caf\xC3\xA9"), words + 1) << offset;
        EXPECT_EQ(Words(text + " \xE2\x80\x9Cq\xE2\x80\x9D"), words + 1) << offset;  // quotes: no unspaced script
        EXPECT_EQ(Words(text + " \xE2\xBA\x80\xE2\xBA\x81\xE2\xBA\x82\xE2\xBA\x83"), words + 2) << offset;
        EXPECT_EQ(Words(text + " \xE5\xA4\xAE\xE8\xA7\x86\xE6\x96\xB0\xE9\x97\xBB"), words + 2) << offset;
    }
    struct { const char* text; bool may; } const scripts[] = {
        {"plain caf\xC3\xA9", false},
        {"\xE2\x80\x9Cquotes\xE2\x80\x9D and \xE2\x86\x92 arrows", false},
        {"\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2", true},  // Thai
        {"\xE2\xBA\x80", true},                                  // U+2E80, the first CJK radical
        {"\xE6\x96\xB0", true},
    };
    for (const auto& c : scripts) {
        EXPECT_EQ(MayHoldUnspacedScript(c.text), c.may) << c.text;
        if (!c.may) {
            EXPECT_FALSE(HasUnspacedScript(c.text)) << c.text;
        }
    }
    // Capitals and digits are found in every block and in the last bytes
    // of texts of any length; the bytes just outside their ranges, and
    // those of other scripts, are neither.
    for (std::size_t n = 1; n <= 40; ++n) {
        const std::string none = std::string(n - 1, '@') + "[";
        EXPECT_FALSE(HasAsciiUpper(none) || HasAsciiDigit(std::string(n, ':')) || HasAsciiDigit(std::string(n, '/')) ||
                     HasAsciiUpper(std::string(n, '\xC3')))
            << n;
        for (std::size_t k = 0; k < n; ++k) {
            std::string text(n, 'a');
            text[k] = k % 2 ? 'A' : 'Z';
            EXPECT_TRUE(HasAsciiUpper(text) && !HasAsciiDigit(text)) << n << " " << k;
            text[k] = k % 2 ? '0' : '9';
            EXPECT_TRUE(HasAsciiDigit(text) && !HasAsciiUpper(text)) << n << " " << k;
        }
    }
}

TEST(LinkRules, TextRulesTable) {
    using Rule = int (*)(const std::string&);
    const Rule date = [](const std::string& t) { return IsDateText(t, Words(t)); };
    const Rule clock = [](const std::string& t) { return IsClockTime(t); };
    const Rule caps = [](const std::string& t) { return IsAllCaps(t); };
    const Rule nav = [](const std::string& t) { return IsNavigationText(t, Words(t)); };
    const Rule photo = [](const std::string& t) { return IsPhotoCaption(t); };
    const Rule headline = [](const std::string& t) { return IsHeadlineText(t, Words(t)); };
    const Rule generic = [](const std::string& t) { return IsGenericLinkText(t) ? 1 : 0; };
    struct { Rule rule; const char* text; int expected; const char* why; } const cases[] = {
        {date, "Monday", 1, "a weekday alone"},
        {date, "Sun sets record", 0, "no digit and more than one word"},
        {date, "Stocks slide Monday 2003", 1, "four words with a digit and a weekday"},
        {date, "Talks resume Monday 12 May", 0, "five words are never a date"},
        {date, "Polls shut Sun 9", 1, "a digit anywhere in the text"},
        {clock, "10:45 AM", 1, "hours, colon, two digits, then a blank"},
        {clock, "10:456", 0, "three digits after the colon"},
        {caps, "G8 SUMMIT 2003", 1, "no lower-case letter; digits do not matter"},
        {nav, "More", 0, "one word holding 'more'"},
        {nav, "More rain expected", 1, "three words may hold 'more'"},
        {nav, "Latest video", 0, "two words holding 'video'"},
        {nav, "Download the new app", 0, "up to five words holding 'download'"},
        {nav, "Why you should not download pirated films", 1, "six words are kept"},
        {photo, "PHOTOS: Smith", 1, "up to three words beginning with 'photo', any case"},
        {photo, "Photographers win top award", 0, "four words"},
        {headline, "Talks resume Monday 12 May", 1, "passes every rule"},
        {headline, "Photos: the storm", 0, "a photo caption"},
        {headline, "Latest video", 0, "navigation"},
        {headline, "12:30", 0, "a clock time"},
        {generic, "Read more \xC2\xBB", 1, "blanks and a trailing arrow are left out"},
        {generic, "阅读全文", 1, "Chinese 'read the full text'"},
        {generic, "LEER MÁS", 1, "capitals outside ASCII are folded"},
        {generic, "اقرأ المزيد", 1, "Arabic 'read more', the longest of them"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.rule(c.text), c.expected) << c.text << ": " << c.why;
}

TEST(LinkRules, IsSectionLink) {
    const CFontSize plain{3, 0, 0, 0};
    struct { const char* text; CFontSize font; int expected; const char* why; } const cases[] = {
        {"Top Stories", plain, 1, "'topstor' once spaces are removed"},
        {"Business", plain, 1, "a word of the section list"},
        {"AP", plain, 1, "agency name, case-sensitive"},
        {"Photo", plain, 0, "a one-word photo caption"},
        {"More Daily Business News today", plain, 1, "four or five words need two list words"},
        {"Business travel grows this summer", plain, 0, "only one list word in five words"},
        {"Top Stories", CFontSize{1, 0, 1, 0}, 0, "a plus font is never a section"},
        {"Top Stories", CFontSize{4, 0, 0, 0}, 0, "an absolute size of 4 or more is a headline"},
        {"Cross-Section", plain, 1, "'-' is removed before 'section' is looked for"},
        {"Salon.Com", plain, 1, "one word ending in '.com', in any case"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSectionLink(c.text, c.font, Words(c.text)), c.expected) << c.text << ": " << c.why;
}

TEST(LinkRules, IsAcceptableHref) {
    struct { const char* href; int expected; const char* why; } const cases[] = {
        {"http://news.test/story/1.html", 1, "an ordinary story"},
        {"mailto:desk@news.test", 0, "mail address"},
        {"/cgi-bin/search?q=x", 0, "cgi and search"},
        {"http://marketplace.test/", 0, "'marketpl'"},
        {"/ads/banner.html", 1, "'/ads' followed by '/'"},
        {"/ads.html", 0, "'/ads' followed by '.'"},
        {"/go?redir=http://x", 0, "'redir' followed by '='"},
        {"/ads/x/ads.html", 1, "only the first occurrence of a pattern is tested"},
        {"/ADVERTS/x.html", 0, "patterns are found in any case"},
        {"/a/bc/de/AD1", 0, "capitals only after the last whole eight bytes"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsAcceptableHref(c.href, "http://news.test/index.html"), c.expected)
            << c.href << ": " << c.why;
}

TEST(LinkRules, ResolveHref) {
    struct { const char *href, *page, *url, *why; } const cases[] = {
        {"b.html", "http://host/a/index.html", "http://host/a/b.html", "relative to the page's directory"},
        {"/c.html", "http://host/a/index.html", "http://host/c.html", "relative to the host"},
        {"b.html", "http://host", "http://host/b.html", "a page address without a path"},
        {"HTTP://other/x.html", "http://host/a/", "HTTP://other/x.html", "absolute hrefs are copied"},
        {"../up.html#top", "http://host/a/b/", "http://host/a/b/../up.html#top", "no normalisation"},
        {"//cdn.test/s.html", "https://host/a/", "https://cdn.test/s.html", "an https page gives https"},
        {"", "http://host/a/", "", "an empty href leads nowhere"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveHref(c.href, c.page), c.url) << c.href << " on " << c.page << ": " << c.why;
}

TEST(ListingRules, ParsePriceTable) {
    struct { const char* word; int rating; float price; const char* why; } const cases[] = {
        {"12.50", 2, 12.5f, "point with two fraction digits"},
        {"$1,250.00", 3, 1250.0f, "dollar wins over the point; commas ignored"},
        {"12a", 0, -1.0f, "a letter makes it no number"},
        {".50", 0, -1.0f, "no digit before the point"},
        {"-5", 0, -1.0f, "a minus sign is no number character"},
        {"0.00", 2, 0.0f, "zero is a number (the caller refuses it as price)"},
    };
    for (const auto& c : cases) {
        float price = 99.0f;
        EXPECT_EQ(ParsePrice(c.word, price), c.rating) << c.word << ": " << c.why;
        EXPECT_FLOAT_EQ(price, c.price) << c.word << ": " << c.why;
    }
}

// One table row at a time through DetectListingRow, as the real pass sees it.
TEST(ListingRules, ListingRowTable) {
    struct {
        const char* row;
        const char *headline, *description, *why;  // headline null: not a listing item
    } const cases[] = {
        {R"(<td><a href="v?x=1">Oak desk</a><td>12345<td>$12.50)", "12345: Oak desk", "$12.50", "code and price cells"},
        {R"(<td><a href="v?x=2">Desk</a><td>12345<td>$12.50)", nullptr, nullptr, "a one-word link text"},
        {R"(<td><a href="v?x=3">Oak 1234567</a><td>12345<td>$12.50)", nullptr, nullptr, "letters in a third or less"},
        {R"(<td><a href="v?x=4">Oak desk</a><td>1234<td>$12.50)", nullptr, nullptr,
         "a code of four characters, no marker in the URL"},
        {R"(<td><a href="v?id=77">Oak desk</a><td>1234<td>$12.50)", "77: Oak desk", "$12.50", "the URL's marker"},
        {R"(<td><a href="v?x=5">Oak desk</a><td>12345<td>$0.00)", nullptr, nullptr, "a price of 0"},
        {R"(<td>Oak desk <td><a href="v?x=6">bid open</a><td>12345<td>$12.50)", "12345: Oak desk bid open", "$12.50",
         "a status link takes the text before it"},
        {R"(<td>Oak desk <td><a href="v?x=9">Open</a><td>12345<td>$12.50)", "12345: Oak desk Open", "$12.50",
         "a one-word status link too"},
        {R"(<td><a href="v?x=7">Oak desk</a><td>12345 for 1,250<td>99.99)", "12345: Oak desk", "$99.99",
         "a better-rated price hands the first number on as code"},
        {R"(<td>$12.50 <td><a href="v?id=78">Oak desk</a><td>new)", "78: Oak desk", "$12.50",
         "the only number in the cell before the link"},
    };
    for (const auto& c : cases) {
        CHtmlParser parser;
        ParseInto(parser, std::string("<html><body><table><tr>") + c.row + "</table></body>");
        std::string lastTarget;
        CStoryLinkWalk walk(parser, "http://shop.test/list.html", lastTarget);
        const CHtmlToken* t = walk.NextLinkText(1);
        ASSERT_TRUE(t) << c.row;
        CWordString text(t->Text());
        walk.AppendSameFont(text, *t->GetFont());
        text.Trim();
        StoryCandidate item;
        const int accepted = walk.DetectListingRow(t, text, item);
        EXPECT_EQ(accepted, c.headline ? 1 : 0) << c.row << ": " << c.why;
        if (accepted && c.headline) {
            EXPECT_EQ(text, c.headline) << c.why;
            EXPECT_EQ(item.description, c.description) << c.why;
            EXPECT_EQ(item.price, c.description) << c.why;
            EXPECT_EQ(item.itemCode + ": " + item.itemText, c.headline) << c.why;
            EXPECT_EQ(item.url.rfind("http://shop.test/v?", 0), 0u) << item.url;
        }
    }
}

TEST(KeywordGroup, FindWordEndingsTable) {
    struct { const char *word, *text; int pos; const char* why; } const cases[] = {
        {"vote", "the vote is on", 4, "whole word followed by a space"},
        {"vote", "votes counted", 0, "ending -s after a final e"},
        {"vote", "voted down", 0, "ending -ed shares the final e"},
        {"vote", "voting today", -1, "-ing does not follow vote's letters"},
        {"vote", "vote's weight", 0, "ending 's"},
        {"car", "carson city", 0, "an ending needs no word end after it"},
        {"car", "caring", 0, "ending -ing"},
        {"car", "carbon", -1, "no ending, word goes on"},
        {"art", "start", -1, "only word starts are tried"},
        {"art", "re-art", 3, "'-' ends a word, so art starts a word"},
        {"stock market", "the stock market fell", 4, "a phrase matches across one space"},
        {"stock market", "stock  market", -1, "a phrase needs exactly one space"},
        {"#tag", "a #tag here", -1, "a term starting with a non-alphanumeric is never found"},
        {"2001", "in 2001.", 3, "digits are word characters"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindWord(c.word, c.text), c.pos) << c.word << " in '" << c.text << "': " << c.why;
}

TEST(KeywordGroup, ParseAndMatch) {
    // Each parsed term as sign and word: "+word" or "-word".
    auto terms = [](const char* text) {
        CKeywordGroup g(text);
        std::string out;
        for (std::size_t i = 0; i < g.GetTermCount(); ++i)
            out += (g.GetTerm(i).m_nInclude ? "+" : "-") + g.GetTerm(i).m_strWord + " ";
        return out;
    };
    EXPECT_EQ(terms("+Stock_Market+crash-football"), "+stock market +crash -football ")
        << "'_' becomes a space, text is lower-cased";
    EXPECT_EQ(terms("+a+b+c+d+e+f+g"), "+a +b +c +d +e +f ") << "pieces past the sixth are ignored";
    EXPECT_EQ(terms("word+other"), "+ord +other ") << "the first character is always taken as the sign";
    EXPECT_EQ(terms("+well-known"), "+well -known ") << "in the plain form a '-' inside a word starts an exclude term";
    EXPECT_EQ(CKeywordGroup("+Stock_Market-football").GetKeywordText(), "+Stock_Market-football");

    struct { const char *group, *text; int match; const char* why; } const cases[] = {
        {"", "anything at all", 1, "a group without terms matches everything"},
        {"+vote+tax", "senate votes today", 0, "every include must occur"},
        {"+vote+tax", "tax vote", 1, "order in the text does not matter; endings count"},
        {"+vote-senate", "senate votes", 0, "exclude word vetoes"},
        {"-senate", "house votes", 1, "exclude-only group matches texts without the word"},
        {"+wall_street", "wall street rallies", 1, "phrase"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CKeywordGroup(c.group).Matches(c.text), c.match) << c.group << " / " << c.text << ": " << c.why;
}

// Words typed into the editor, the text they are stored as, and what the
// group matches once read back: a '+' or '-' inside a word stays in the
// word; only the toggle makes a word EXCLUDE.
TEST(KeywordGroup, TypedWordsStoredAndMatched) {
    struct Case {
        std::vector<KeywordWord> typed;
        const char* stored;
        const char *hit, *miss;
    } const cases[] = {
        {{{"self-driving", false}}, "\\+self\\-driving", "Self-driving cars arrive", "Self-help books sell well"},
        {{{"COVID-19", false}}, "\\+COVID\\-19", "New COVID-19 rules", "Covid rules eased"},
        {{{"Wi-Fi", false}, {"e-mail", true}}, "\\+Wi\\-Fi-e\\-mail", "Free Wi-Fi on trains", "Wi-Fi and e-mail down"},
        {{{"C++", false}}, "\\+C\\+\\+", "C++ standard voted", "Vitamin C helps"},
        {{{"-storm", false}, {" +coast- ", false}}, "\\+storm+coast\\-", "Storm reaches the coast- line",
         "Storm reaches the coast"},
        {{{"back\\slash-x", false}}, "\\+back\\\\slash\\-x", "a back\\slash-x here", "back slash x"},
        {{{"-", true}, {"", false}}, "", "anything", nullptr},
    };
    for (const Case& c : cases) {
        const std::string stored = BuildKeywordText(c.typed);
        EXPECT_EQ(stored, c.stored);
        // The settings store keeps blanks as '_'.
        std::string record = stored;
        std::replace(record.begin(), record.end(), ' ', '_');
        const CKeywordGroup group(record);
        EXPECT_EQ(group.Matches(FoldCase(c.hit)), 1) << c.stored << " / " << c.hit;
        if (c.miss) {
            EXPECT_EQ(group.Matches(FoldCase(c.miss)), 0) << c.stored << " / " << c.miss;
        }
    }
}

// Groups stored before words could hold a sign keep their meaning: each
// '+' or '-' after the first character starts a new term.
TEST(KeywordGroup, GroupsStoredInThePlainFormReadAsBefore) {
    struct { const char* stored; std::vector<std::pair<std::string, bool>> words; } const cases[] = {
        {"+self-driving", {{"self", false}, {"driving", true}}},
        {"+e-mail", {{"e", false}, {"mail", true}}},
        {"+COVID-19", {{"COVID", false}, {"19", true}}},
        {"+wall_street-e-mail+a+b+c+d", {{"wall street", false}, {"e", true}, {"mail", true}, {"a", false},
                                         {"b", false}, {"c", false}}},
        {"-x+", {{"x", true}, {"", false}}},
        {"word+a\\-b", {{"ord", false}, {"a\\", false}, {"b", true}}},
    };
    for (const auto& c : cases) {
        const std::vector<KeywordWord> words = SplitKeywordText(c.stored);
        ASSERT_EQ(words.size(), c.words.size()) << c.stored;
        for (std::size_t i = 0; i < words.size(); ++i) {
            EXPECT_EQ(words[i].word, c.words[i].first) << c.stored;
            EXPECT_EQ(words[i].bExclude, c.words[i].second) << c.stored;
        }
    }
    const CKeywordGroup old("+self-driving");
    EXPECT_EQ(old.Matches("self-help books sell well"), 1);
    EXPECT_EQ(old.Matches("self-driving cars arrive"), 0);
}

std::string Extract(const std::string& html, const std::string& headline, const std::string& title = "") {
    CHtmlParser parser;
    const std::string head = title.empty() ? "" : "<head><title>" + title + "</title></head>";
    ParseInto(parser, "<html>" + head + "<body>" + html + "</body></html>");
    return ExtractArticleText(parser.Tokens(), headline);
}

// A paragraph of n words that names its number, so that a test can tell
// which paragraphs were kept.
std::string Para(int number, int words = 40) {
    std::string text = "Paragraph" + std::to_string(number);
    for (int i = 1; i < words; ++i) text += i % 9 == 0 ? ". The council" : " river";
    return "<p>" + text + ".</p>";
}

const std::string kMenu = "<ul><li><a href=\"/a\">Home</a><li><a href=\"/b\">World news</a><li><a href=\"/c\">Sport"
                          "</a><li><a href=\"/d\">Weather today</a></ul>";

TEST(ArticleText, FindsTheWholeBodyAndNothingAroundIt) {
    const std::string body = Para(1) + Para(2) + Para(3);
    std::string linkList;
    for (int i = 0; i < 12; ++i) linkList += "<li><a href=\"/s" + std::to_string(i) + "\">Another story about a town</a>";
    std::string zhPara;
    for (int i = 0; i < 30; ++i) zhPara += "市议会今天批准了新的河流计划";
    const std::string jsonLd = "<script type=\"application/ld+json\">{\"@type\":\"NewsArticle\",\"articleBody\":"
                               "\"Marked1 ";
    std::string marked;
    for (int i = 0; i < 60; ++i) marked += "word ";
    struct Case {
        const char* why;
        std::string html;
        std::vector<std::string> kept, left;
    } const cases[] = {
        {"the JSON-LD article body is the article",
         jsonLd + marked + "\\u00e9t\\u00e9 \\\"quoted\\\"\"}</script>" + kMenu + Para(7, 200),
         {"Marked1 word", "été \"quoted\""}, {"Paragraph7"}},
        {"the best run inside an itemprop articleBody element, its caption and form left out",
         Para(7, 100) + kMenu + "<div itemprop=\"articleBody\">" + Para(1) + "<figure><figcaption>" + Para(8).substr(3) +
             "</figure><form>" + Para(9) + "</form>" + Para(2) + "</div>",
         {"Paragraph1", "Paragraph2"}, {"Paragraph7", "Paragraph8", "Paragraph9"}},
        {"a marked teaser under fifty words gives way to the blocks",
         jsonLd + marked.substr(0, 5 * 40) + "\"}</script><article><p>Short teaser.</article>" + kMenu + body,
         {"Paragraph1", "Paragraph3"}, {"Marked1", "teaser"}},
        {"subheadings, figures, quotes, spans and inline scripts inside the body",
         Para(1) + "<h2>What happens next</h2><p><span>Paragraph2 goes</span> on <em>and</em> on with more words "
                   "about the river and the council and the plan.</p><figure><img src=a.jpg><figcaption>A caption"
                   "</figcaption></figure><script>var x = 1;</script><blockquote>" + Para(3) + "</blockquote>" +
             "<aside>" + Para(9) + "</aside>" + Para(4),
         {"Paragraph1", "What happens next", "Paragraph2 goes on and on", "Paragraph3", "Paragraph4"},
         {"caption", "Paragraph9", "var x"}},
        {"lists of links beside the body and inside it",
         kMenu + Para(1) + "<p><a href=\"/r1\">Related story about a town</a> and <a href=\"/r2\">another one "
                           "here</a></p>" + Para(2) + Para(3) + "<ul>" + linkList + "</ul>",
         {"Paragraph1", "Paragraph3"}, {"Another story", "World news", "Related story"}},
        {"a cookie notice before the headline; braces and bars in the body",
         Para(8) + "<h1>Harbour Plan Approved</h1><p>By a reporter | { 2 May }</p>" + Para(1) + Para(2),
         {"By a reporter | { 2 May }", "Paragraph1", "Paragraph2"}, {"Paragraph8", "Harbour"}},
        {"a Chinese body counts two characters as a word",
         kMenu + "<p>" + zhPara + "</p><p>" + zhPara + "</p>", {zhPara + "\r\n\r\n" + zhPara}, {"Home"}},
        {"stories of their own inside the article are left out",
         "<article>" + Para(1) + Para(2) + "<h3>Related</h3><article>" + Para(8) + "</article><article>" + Para(9) +
             "</article></article>",
         {"Paragraph1", "Paragraph2"}, {"Paragraph8", "Paragraph9"}},
        {"an article laid out in a table",
         "<table><tr><td>" + kMenu + "</td><td>" + Para(1) + Para(2) + "</td></tr></table>",
         {"Paragraph1", "Paragraph2"}, {"Weather"}},
    };
    for (const Case& c : cases) {
        const std::string text = Extract(c.html, "harbour plan approved");
        for (const std::string& k : c.kept) EXPECT_NE(text.find(k), std::string::npos) << c.why << ": " << k << "\n" << text;
        for (const std::string& l : c.left) EXPECT_EQ(text.find(l), std::string::npos) << c.why << ": " << l << "\n" << text;
    }
}

TEST(ArticleText, JoinsBlocksWithEmptyLinesAndKeepsLineBreaks) {
    const std::string first = Para(1, 20);
    EXPECT_EQ(Extract(first + "<p>A line of the second paragraph that is long enough<br>and its second line after a "
                              "break, still running.</p>",
                      "X"),
              first.substr(3, first.size() - 7) +
                  "\r\n\r\nA line of the second paragraph that is long enough\r\nand its second line after a break, "
                  "still running.");
}

TEST(ArticleText, PagesWithoutRunningTextGiveNothing) {
    for (const std::string& html : {std::string("<p>Too short to be an article."), kMenu, std::string("<img src=x.gif>"),
                                    "<nav>" + Para(1) + "</nav>"})
        EXPECT_EQ(Extract(html, "X"), "") << html;
}

TEST(JsonLdText, ReadsTheLongestValueOfTheKeyEvenFromInvalidJson) {
    const struct { const char* json; const char* text; } cases[] = {
        {R"({"articleBody": "Short", "x": {"articleBody" : "The longer one"}})", "The longer one"},
        {R"({"articleBody":"caf\u00e9 \"quoted\" \ud83d\ude00 a\/b"})", "caf\xc3\xa9 \"quoted\" \xf0\x9f\x98\x80 a/b"},
        {R"({"articleBody":"<p>One &amp; two</p><p>three</p> 1 < 2"})", " One & two  three  1 < 2"},
        {"{\"articleBody\":\"a raw\nline break, never closed", "a raw\nline break, never closed"},
        {R"({"headline":"articleBody", "articleBody": 42})", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(LongestJsonLdString(c.json, "articleBody"), c.text) << c.json;
}

TEST(UnicodeWords, KeywordsMatchInEveryScript) {
    const struct { const char* group; const char* text; bool matches; } cases[] = {
        {"+café", "Le CAFÉ du coin ferme", true},
        {"+CAFÉ", "un café noir", true},
        {"+москва", "Новости: Москва сегодня", true},
        {"+москва", "Подмосковье готовится", false},  // not at a word start
        {"+αθηνα", "ΑΘΗΝΑ: νέα μέτρα", true},
        {"+über", "ÜBERALL Regen", false},  // a letter follows
        {"+straße", "Die STRASSE ist zu", true},
        {"+東京", "今日の東京の天気は晴れ", true},
        {"+ไทย", "ข่าวประเทศไทยวันนี้", true},
        {"+서울", "서울 날씨", true},
        {"+rain-東京", "Rain in 東京 today", false},
        {"+rain", "Rainbow over Oslo", false},
        {"+rain", "Heavy rains in Oslo", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.group) + " in " + c.text);
        EXPECT_EQ(CKeywordGroup(c.group).Matches(FoldCase(c.text)), c.matches ? 1 : 0);
    }
}

TEST(UnicodeWords, LettersAndCapitalsOfEveryScript) {
    EXPECT_EQ(IsAllCaps("МОСКВА СЕГОДНЯ"), 1);
    EXPECT_EQ(IsAllCaps("Москва сегодня"), 0);
    EXPECT_EQ(IsAllCaps("ÉTÉ 2024"), 1);
    EXPECT_EQ(CWordString("Ключ 42").CountLetters(), 4);
    EXPECT_EQ(CWordString("東京タワー").CountLetters(), 5);
    EXPECT_EQ(CWordString("Ключ 42").CountCharacters(), 7);
}

// The target of the story link with that headline.
std::string TargetOf(const std::vector<StoryCandidate>& links, const std::string& headline) {
    for (const StoryCandidate& link : links)
        if (link.headline == headline) return link.url;
    return "(no such link)";
}

TEST(LinkTargets, RelativeLinksLeadFromTheFirstBaseElement) {
    const std::string links =
        "<ul><li><a href=\"world/flood.html?id=1&amp;ref=top\">Floods close the coastal road for a week</a>"
        "<li><a href=\"/sport/final.html\">City wins the cup final after extra time</a>"
        "<li><a href=\"//cdn.example.org/tech.html\">New phones arrive with longer battery life</a></ul>";
    const auto found = LinksOf("<html><head><base href=\"https://static.example.com/news/\"><base "
                               "href=\"http://ignored.example/\"></head><body>" + links + "</body></html>",
                               "http://www.example.com/index.html");
    EXPECT_EQ(TargetOf(found, "Floods close the coastal road for a week"),
              "https://static.example.com/news/world/flood.html?id=1&ref=top");
    EXPECT_EQ(TargetOf(found, "City wins the cup final after extra time"), "https://static.example.com/sport/final.html");
    EXPECT_EQ(TargetOf(found, "New phones arrive with longer battery life"), "https://cdn.example.org/tech.html");

    // A relative base is itself resolved against the page's address.
    const auto edition = LinksOf("<html><head><base href=\"/edition/\"></head><body><ul><li><a href=\"a.html\">"
                                 "Markets rally as the central bank holds rates</a></ul></body></html>",
                                 "http://www.example.com/index.html");
    EXPECT_EQ(TargetOf(edition, "Markets rally as the central bank holds rates"), "http://www.example.com/edition/a.html");
}

}  // namespace
