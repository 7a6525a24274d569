// The HTML parser: taking a page, text decoding, token order (link
// rearrangement and implied closings), the font, row and cell context of
// text, and where a broken page stops the parse.
#include <gtest/gtest.h>

#include <string>

#include "html/HtmlParser.h"

namespace {

// Parses page with parser (which keeps the tokens).
void Parse(CHtmlParser& parser, const std::string& page) {
    parser.SetPage(page);
    parser.ParsePage();
}

// One token in short form: <name> and </name> for tags, 'text' for plain
// text, kind-prefixed text for the other text kinds, !body for comments;
// anchors other than links carry their kind (<a:name>, </a:script>).
std::string Describe(const CHtmlToken& t) {
    const std::string text(t.Text()), open = t.m_bIsOpen ? "<" : "</";
    switch (t.m_nKind) {
    case TK_TEXT: return "'" + text + "'";
    case TK_TITLE_TEXT: return "title'" + text + "'";
    case TK_SCRIPT_TEXT: return "script'" + text + "'";
    case TK_FIELD_TEXT: return "field'" + text + "'";
    case TK_COMMENT: return "!" + text;
    case TK_ANCHOR_NAME: return open + text + ":name>";
    case TK_ANCHOR_LOCAL: return open + text + ":local>";
    case TK_ANCHOR_SCRIPT: return open + text + ":script>";
    default: return open + text + ">";
    }
}

// All tokens of a page in short form, joined by '|'.
std::string DescribePage(const std::string& page) {
    CHtmlParser parser;
    Parse(parser, page);
    std::string out;
    for (const CHtmlToken& t : parser.Tokens()) out += (out.empty() ? "" : "|") + Describe(t);
    return out;
}

TEST(HtmlParserPage, SizeLimitAndNulBytes) {
    constexpr int kMax = CHtmlParser::MAX_PAGE_SIZE;
    struct Case {
        const char* why;
        std::string page;
        int length;            // 0: refused
        std::size_t lastText;  // length of the second token's text
        PageRefusal refusal;
    } cases[] = {
        {"the largest page accepted", "<p>" + std::string(kMax - 4, 'x'), kMax - 1, kMax - 4, PageRefusal::None},
        {"a page of exactly the limit is refused", "<p>" + std::string(kMax - 3, 'x'), 0, 0, PageRefusal::TooLarge},
        {"an empty page is refused", "", 0, 0, PageRefusal::Empty},
        {"the page ends at the first NUL", std::string("<b>ab\0<i>cd", 11), 5, 2, PageRefusal::None},
        {"...so a leading NUL leaves nothing", std::string("\0<b>", 4), 0, 0, PageRefusal::Empty},
    };
    for (const Case& c : cases) {
        CHtmlParser parser;
        EXPECT_EQ(parser.SetPage(c.page), c.length > 0) << c.why;
        EXPECT_EQ(parser.GetPageLength(), c.length) << c.why;
        EXPECT_EQ(parser.GetRefusal(), c.refusal) << c.why;
        parser.ParsePage();
        ASSERT_EQ(parser.GetTokenCount(), c.length > 0 ? 2 : 0) << c.why;
        if (c.length > 0) {
            EXPECT_EQ(parser.Tokens()[1].Text().size(), c.lastText) << c.why;
        }
    }
}

TEST(HtmlParserText, DecodesTextRuns) {
    struct Case { const char *why, *page, *text; } cases[] = {  // text: the one token's expected text
        {"a no-break space is a blank of its own, in every spelling", "AT&amp;T &nbsp;x&#160;y&#xA0;z",
         "AT&T  x y z"},
        {"an '&' that starts no reference stays", "Q&A tonight: AT&T & B&amp", "Q&A tonight: AT&T & B&"},
        {"unknown names, wrong case and empty numbers stay", "&NBSP; &unknown; &#; &#x; &", "&NBSP; &unknown; &#; &#x; &"},
        {"numeric references, decimal and hex", "&#8212;&#x2014;&#X2014 &#233;", "——— é"},
        {"128 to 159 are read as windows-1252", "a &#151; b &#128;&#x99;&#129;", "a — b €™\xC2\x81"},
        {"impossible code points become U+FFFD", "&#0;&#xD800;&#x110000;&#99999999999;", "\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"references longer in UTF-8 than in the page", "&#x1F600;&Afr;&nLt;", "😀𝔄≪"},
        {"legacy names work without ';', also as a prefix", "&copy 2001 &notit; &ampx", "© 2001 ¬it; &x"},
        {"whitespace runs collapse, also at both ends", "  lead\r\n\ttrail  ", " lead trail "},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribePage(c.page), "'" + std::string(c.text) + "'") << c.why;
}

// Long runs are read several bytes at a time: what needs decoding is found
// wherever it stands in the run, and what follows it is kept.
TEST(HtmlParserText, DecodesAtEveryOffsetOfALongRun) {
    struct Case { const char *piece, *decoded; } cases[] = {
        {"a  b", "a b"}, {"a\nb", "a b"}, {"a \r\n\t b", "a b"}, {"a&amp;b", "a&b"},
        {"a \x0C b", "a \x0C b"}, {"a&b c", "a&b c"}, {"&nbsp; a  &#233;  ", "  a é "}, {"a b", "a b"},
    };
    for (const Case& c : cases) {
        for (int offset = 0; offset <= 33; ++offset) {
            const std::string lead(static_cast<std::size_t>(offset), 'x'), tail(19, 'y');
            EXPECT_EQ(DescribePage(lead + c.piece + "z" + c.piece + tail),
                      "'" + lead + c.decoded + "z" + c.decoded + tail + "'")
                << c.piece << " at " << offset;
        }
    }
}

TEST(HtmlParserText, DecodesAttributeValues) {
    struct Case { const char *why, *tag, *value; } cases[] = {  // value of the tag's one attribute
        {"query strings keep names that only look like references", "<a href=\"?a=1&section=2&reg=3&amp;x=4\">",
         "?a=1&section=2&reg=3&x=4"},
        {"a legacy name at the end of the value is decoded", "<a href='x?a&copy'>", "x?a\xC2\xA9"},
        {"unquoted values and numeric references", "<img alt=&lt;b&gt;&#32;&#x2014;>", "<b> —"},
        {"a no-break space stays one in attributes", "<img alt=\"a&nbsp;b\">", "a\xC2\xA0" "b"},
    };
    for (const auto& c : cases) {
        CHtmlParser parser;
        Parse(parser, c.tag);
        ASSERT_EQ(parser.GetTokenCount(), 1) << c.why;
        ASSERT_EQ(parser.Tokens()[0].GetAttributeCount(), 1) << c.why;
        EXPECT_EQ(parser.Tokens()[0].GetAttributeAt(0).m_strValue, c.value) << c.why;
    }
    // Values read near the tag's end, and long ones, in tags with more page after them.
    const std::string longName(40, 'x');
    struct After { const char *why; std::string page, value; } const after[] = {
        {"an unquoted value ends at the tag's '>' with no blank after it", "<img alt=abc>defghijklmnop", "abc"},
        {"an unclosed quote ends at the tag's '>'", "<img alt=\"abc>defghijklmnop\">", "abc"},
        {"a long quoted value with a reference", "<a href=\"" + longName + "&amp;y\">z", longName + "&y"},
        {"a long unquoted value with a reference", "<a href=" + longName + "&lt;>z", longName + "<"},
    };
    for (const auto& c : after) {
        CHtmlParser parser;
        Parse(parser, c.page);
        ASSERT_GE(parser.GetTokenCount(), 1) << c.why;
        ASSERT_EQ(parser.Tokens()[0].GetAttributeCount(), 1) << c.why;
        EXPECT_EQ(parser.Tokens()[0].GetAttributeAt(0).m_strValue, c.value) << c.why;
    }
    // Names, values and the tag's end are found wherever they stand among the
    // bytes read together, also where the page ends right after them.
    for (int offset = 0; offset <= 33; ++offset) {
        const std::string pad(static_cast<std::size_t>(offset), 'v');
        const std::string name = "n" + pad;
        struct Sweep { std::string page, tag, name, value; } const sweep[] = {
            {"<p " + name + "=\"" + pad + "&amp;\" x>z", "p", name, pad + "&"},
            {"<p " + name + "='" + pad + "'>", "p", name, pad},
            {"<p " + name + "=" + pad + "&lt; x>z", "p", name, pad + "<"},
            {"<p " + name + "=" + pad + ">", "p", name, pad},
            {"<p " + name + "=\"" + pad + ">z\">", "p", name, pad},
            {"<p x=1 " + name + ">", "p", name, ""},
            {"<" + name + " x=" + pad + "\t>", name, "x", pad},
        };
        for (const Sweep& c : sweep) {
            CHtmlParser parser;
            Parse(parser, c.page);
            ASSERT_GE(parser.GetTokenCount(), 1) << c.page;
            const CHtmlToken& tag = parser.Tokens()[0];
            EXPECT_EQ(tag.Text(), c.tag) << c.page;
            std::string_view value;
            EXPECT_TRUE(tag.GetAttribute(c.name, value) && value == c.value) << c.page;
        }
    }
    // Decoded before the anchor's kind is decided, as a browser would follow it.
    EXPECT_EQ(DescribePage("<a href=\"&#106;avascript:go()\">"), "<a:script>");
}

TEST(HtmlParserText, TokenSequences) {
    struct Case { const char *why, *page, *tokens; } cases[] = {  // tokens in DescribePage form
        // Link rearrangement.
        {"link text after the link, open tags before, closing after", "<a href=\"x\"><b>Head</b> line</a>",
         "<b>|<a>|'Head'|' line'|</a>|</b>"},
        {"no </a>: read ahead to the end, nothing implied", "<td><a href=x>One<td>Two", "<td>|<td>|<a>|'One'|'Two'"},
        {"a nested link is not moved; table implies </a>", "<a href=1>One<a href=2>Two</a><table>",
         "<a>|'One'|'Two'|</a>|<a>|</a>|<table>"},
        {"other text kinds go with the opening group", "<script><a href=x>s</a></script>",
         "<script>|script's'|<a>|</a>|</script>"},
        {"non-links are not moved", "<a href='JavaScript:go()'><b>x</b></a>", "<a:script>|<b>|'x'|</b>|</a:script>"},
        {"tag names in any case, known or not, short or long", "<BLOCKQUOTE><TaBlE><SPAN>abcdefgh<FRAMESET>",
         "<blockquote>|<table>|<span>|'abcdefgh'|<frameset>"},
        // Anchor kinds.
        {"href beginning with '#' is local, in any case of tag and name", "<A HREF=\"#top\">", "<a:local>"},
        {"no href: an anchor name", "<a name=x>", "<a:name>"},
        {"the last written href decides", "<a href=x href=#y>t</a>", "<a:local>|'t'|</a:local>"},
        // Implied closings, comments, declarations, raw text kinds.
        {"a second list item closes the first", "<ul><li>a<li>b</ul>x", "<ul>|<li>|'a'|</li>|<li>|'b'|</ul>|'x'"},
        {"a comment in script is script", "<script><!-- x = 1; --></script>", "<script>|script' x = 1; '|</script>"},
        {"title text is kept raw", "<title>A &amp;  B</title>", "<title>|title'A &amp;  B'|</title>"},
        {"fields after input/option; </form> ends them", "<form><input>abc<option>o1</form>t",
         "<form>|<input>|field'abc'|<option>|field'o1'|</form>|'t'"},
        {"a '<' in text starts a tag when a '>' follows", "5 < 6 and 7 > 3", "'5 '|<6>|' 3'"},
        {"a quoted value cannot hold '>'", "<a href=\"a>b\">x</a>", "<a>|'b\">x'|</a>"},
        // Failure stops: tokens before the broken tag stay.
        {"an empty tag name stops the parse", "a<>b", "'a'"},
        {"but inside a script it is script text up to the next '<'",
         "<script>s = \"<>\" + t;</script><p>t", "<script>|script's = \"'|script'<>\" + t;'|</script>|<p>|'t'"},
        {"an unterminated comment stops the parse", "<p><!-- open", "<p>"},
        {"a '<' with no '>' after it never starts a tag", "a<!-- open", "'a<!-- open'"},
        {"a last tag without '>' stops the parse", "<p><b x", "<p>"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribePage(c.page), c.tokens) << c.why;
}

// Where the text of a form field ends and page text begins again.
TEST(HtmlParserText, FieldTextEnds) {
    struct Case { const char *why, *page, *tokens; } cases[] = {  // tokens in DescribePage form
        {"a hidden input opens no field, in any case and spacing", "<input type=\" HIDDEN \"><ul><li>Story</ul>",
         "<input>|<ul>|<li>|'Story'|</ul>"},
        {"...nor ends one", "<input>a<input type=hidden>b", "<input>|field'a'|<input>|field'b'"},
        {"an input's text ends at the end of its cell", "<table><tr><td><input type=text>Go</td><td>News",
         "<table>|<tr>|<td>|<input>|field'Go'|</td>|<td>|'News'"},
        {"...and of its div", "<div><input type=text>City</div>News", "<div>|<input>|field'City'|</div>|'News'"},
        {"...and at the next block that opens", "<input>City<h2>News", "<input>|field'City'|<h2>|'News'"},
        {"...but not at an inline tag", "<input>City<b>More", "<input>|field'City'|<b>|field'More'"},
        {"option text stays field text past a div", "<select><option>One<div>Two</div></select>News",
         "<select>|<option>|field'One'|<div>|field'Two'|</div>|</select>|'News'"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribePage(c.page), c.tokens) << c.why;
}

// Only text has a font: tags, implied closing tags and comments read after
// text have none.
TEST(HtmlParserContext, OnlyTextHasAFont) {
    CHtmlParser parser;
    Parse(parser, "<font size=2><a href=x.html>a<li>b</a><!--c--><li>d</li><br>");
    int texts = 0;
    for (const CHtmlToken& t : parser.Tokens()) {
        const bool text = t.m_nKind == TK_TEXT;
        texts += text;
        EXPECT_EQ(t.GetFont() != nullptr, text) << t.m_nKind << " " << t.Text();
    }
    EXPECT_EQ(texts, 3);
    // Script text has one too, also where a '<' starts no tag.
    Parse(parser, "<script>if (a<>b) go();</script>");
    for (const CHtmlToken& t : parser.Tokens())
        EXPECT_EQ(t.GetFont() != nullptr, t.m_nKind == TK_SCRIPT_TEXT) << t.m_nKind << " " << t.Text();
}

// What the tokenizer gives every text token: the font in force where it
// stands (one font stack per table cell), the elements around it, and the
// row and cell counts when it was read.
TEST(HtmlParserContext, FontRowAndCellOfText) {
    struct Case {
        const char *why, *page, *text;
        int size, minus, plus;
        bool bold, inCell;
        int row, cell;
    } const cases[] = {
        {"the default font", "<p>plain", "plain", 3, 0, 0, false, false, 0, 0},
        {"a size with '+'", "<font size=\"+2\">big", "big", 2, 0, 1, false, false, 0, 0},
        {"a size with '-'", "<font size=-1>small</font> after", "small", 1, 1, 0, false, false, 0, 0},
        {"</font> pops the size", "<font size=-1>small</font> after", " after", 3, 0, 0, false, false, 0, 0},
        {"a font without size only nests", "<font size=2><font>inner</font> still</font> out", " still", 2, 0, 0,
         false, false, 0, 0},
        {"...and the outer close pops", "<font size=2><font>inner</font> still</font> out", " out", 3, 0, 0, false,
         false, 0, 0},
        {"b and strong are bold", "<b>bold <strong>both</strong></b> plain", "both", 3, 0, 0, true, false, 0, 0},
        {"bold ends with </b>", "<b>bold <strong>both</strong></b> plain", " plain", 3, 0, 0, false, false, 0, 0},
        {"a cell starts at the default font", "<font size=5><table><tr><td>cell text</td></tr></table>after",
         "cell text", 3, 0, 0, false, true, 1, 1},
        {"closing the cell brings the outer font back",
         "<font size=5><table><tr><td>cell text</td></tr></table>after", "after", 5, 0, 0, false, false, 1, 1},
        {"a font set in one cell is gone in the next", "<table><tr><td><font size=1>first<td>second</table>",
         "second", 3, 0, 0, false, true, 1, 2},
        {"rows and cells are counted in reading order", "<table><tr><td>a<td>b<tr><td>c</table>", "c", 3, 0, 0,
         false, true, 2, 3},
        {"counts stay after the table", "<table><tr><td>a</table>tail", "tail", 3, 0, 0, false, false, 1, 1},
        {"a sign without digits is size 0", "<font size=->x", "x", 0, 1, 0, false, false, 0, 0},
        {"a signed size of two digits", "<font size=-12>x", "x", 12, 1, 0, false, false, 0, 0},
        {"space before the size", "<font size=\" 4\">x", "x", 4, 0, 0, false, false, 0, 0},
        {"a digit with letters after it", "<font size=2px>x", "x", 2, 0, 0, false, false, 0, 0},
        {"link text has the font where it stands", "<font size=+1><a href=x.html>Head</a></font>", "Head", 1, 0, 1,
         false, false, 0, 0},
    };
    for (const Case& c : cases) {
        CHtmlParser parser;
        Parse(parser, c.page);
        const CHtmlToken* found = nullptr;
        for (const CHtmlToken& t : parser.Tokens())
            if (t.m_nKind == TK_TEXT && t.Text() == c.text) found = &t;
        ASSERT_NE(found, nullptr) << c.why << ": " << DescribePage(c.page);
        ASSERT_NE(found->GetFont(), nullptr) << c.why;
        const CFontSize& f = *found->GetFont();
        EXPECT_EQ((std::vector<int>{f.m_nSize, f.m_nMinus, f.m_nPlus}), (std::vector<int>{c.size, c.minus, c.plus}))
            << c.why;
        EXPECT_EQ(found->IsInside(TK_BOLD), c.bold) << c.why;
        EXPECT_EQ(found->IsInside(TK_CELL), c.inCell) << c.why;
        EXPECT_EQ(found->m_nRow, c.row) << c.why;
        EXPECT_EQ(found->m_nCell, c.cell) << c.why;
    }

    // The counts are the parser's: a second page goes on counting.
    CHtmlParser parser;
    Parse(parser, "<table><tr><td>one</table>");
    Parse(parser, "<table><tr><td>two</table>");
    EXPECT_EQ(parser.Tokens()[3].m_nRow, 2);
    EXPECT_EQ(parser.Tokens()[3].m_nCell, 2);
}

// A fetched page is read as its server declares it (or its meta element
// does), loses its NUL bytes, and is refused when it is no text.
TEST(HtmlParserPage, FetchedPagesComeOutInUtf8) {
    // "Новости: Москва" in windows-1251, labelled by the header; "東京の駅" in
    // Shift_JIS, labelled by a meta element.
    struct Case { const char* why; std::string body; const char *contentType, *tokens; } const cases[] = {
        {"NUL bytes", std::string("<p>fetched\0 pages lose their NUL bytes", 38), "text/html",
         "<p>|'fetched pages lose their NUL bytes'"},
        {"meta", "<meta http-equiv=Content-Type content='text/html;charset=Shift_JIS'><p>\x93\x8C\x8B\x9E\x82\xCC\x89\x77", "",
         "<meta>|<p>|'東京の駅'"},
        {"header", "<p>\xCD\xEE\xE2\xEE\xF1\xF2\xE8: <a href=\"/\xCC\">\xCC\xEE\xF1\xEA\xE2\xE0</a>",
         "text/html; charset=windows-1251", "<p>|'Новости: '|<a>|'Москва'|</a>"},
    };
    CHtmlParser parser;
    for (const Case& c : cases) {
        ASSERT_TRUE(parser.TakeFetchedPage(c.body, c.contentType)) << c.why;
        parser.ParsePage();
        std::string out;
        for (const CHtmlToken& t : parser.Tokens()) out += (out.empty() ? "" : "|") + Describe(t);
        EXPECT_EQ(out, c.tokens) << c.why;
    }
    std::string href;  // attribute values too
    ASSERT_TRUE(parser.Tokens()[2].GetAttribute("href", href));
    EXPECT_EQ(href, "/М");

    EXPECT_FALSE(parser.TakeFetchedPage("\x89PNG", "image/png"));
    EXPECT_EQ(parser.GetRefusal(), PageRefusal::NotHtml);
    EXPECT_FALSE(parser.HasPage());
    EXPECT_TRUE(parser.SetPage("<p>a file is read whatever it holds"));
}

}  // namespace
