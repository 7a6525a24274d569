// Tokenizer behaviour: text decoding, token order (link rearrangement and
// implied closings), the open-element stack, fonts, attributes, row and cell
// numbers, and the points where a broken page stops the parse.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "html/HtmlParser.h"
#include "tests/html/HtmlTestUtil.h"

namespace {

TEST(HtmlTokenizer, DecodesTextRuns) {
    struct Case { const char *why, *page, *text; } cases[] = {  // text: the one token's expected text
        {"whitespace runs collapse, also at both ends", "  lead\r\n\ttrail  ", " lead trail "},
        {"a no-break space is a blank of its own, in every spelling", "AT&amp;T &nbsp;x&#160;y&#xA0;z",
         "AT&T  x y z"},
        {"an '&' that starts no reference stays", "Q&A tonight: AT&T & B&amp", "Q&A tonight: AT&T & B&"},
        {"unknown names, wrong case and empty numbers stay", "&NBSP; &unknown; &#; &#x; &", "&NBSP; &unknown; &#; &#x; &"},
        {"numeric references, decimal and hex", "&#8212;&#x2014;&#X2014 &#233;", "——— é"},
        {"128 to 159 are read as windows-1252", "a &#151; b &#128;&#x99;&#129;", "a — b €™\xC2\x81"},
        {"impossible code points become U+FFFD", "&#0;&#xD800;&#x110000;&#99999999999;", "\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"references longer in UTF-8 than in the page", "&#x1F600;&Afr;&nLt;", "😀𝔄≪"},
        {"legacy names work without ';', also as a prefix", "&copy 2001 &notit; &ampx", "© 2001 ¬it; &x"},
        {"a lone '&' at the end of the run stays", "tail &", "tail &"},
        {"a stray '<' without a later '>' stays in the text", "a < b", "a < b"},
    };
    for (const auto& c : cases) {
        CHtmlParser parser;
        std::vector<const CHtmlToken*> tokens = ParseTokens(parser, c.page);
        ASSERT_EQ(tokens.size(), 1u) << c.why;
        EXPECT_EQ(tokens[0]->m_nKind, TK_TEXT) << c.why;
        EXPECT_EQ(tokens[0]->Text(), c.text) << c.why;
        EXPECT_EQ(tokens[0]->m_nLength, static_cast<int>(std::string(c.page).size())) << c.why;
    }
}

TEST(HtmlTokenizer, DecodesAttributeValues) {
    struct Case { const char *why, *tag, *value; } cases[] = {  // value of the tag's one attribute
        {"query strings keep names that only look like references", "<a href=\"?a=1&section=2&reg=3&amp;x=4\">",
         "?a=1&section=2&reg=3&x=4"},
        {"a legacy name at the end of the value is decoded", "<a href='x?a&copy'>", "x?a\xC2\xA9"},
        {"unquoted values and numeric references", "<img alt=&lt;b&gt;&#32;&#x2014;>", "<b> —"},
        {"a no-break space stays one in attributes", "<img alt=\"a&nbsp;b\">", "a\xC2\xA0" "b"},
    };
    for (const auto& c : cases) {
        CHtmlParser parser;
        std::vector<const CHtmlToken*> tokens = ParseTokens(parser, c.tag);
        ASSERT_EQ(tokens.size(), 1u) << c.why;
        ASSERT_EQ(tokens[0]->GetAttributeCount(), 1) << c.why;
        EXPECT_EQ(tokens[0]->GetAttributeAt(0).m_strValue, c.value) << c.why;
    }
    // Decoded before the anchor's kind is decided, as a browser would follow it.
    EXPECT_EQ(DescribePage("<a href=\"&#106;avascript:go()\">"), "<a:script>");
}

TEST(HtmlTokenizer, TokenSequences) {
    struct Case { const char *why, *page, *tokens; } cases[] = {  // tokens in DescribePage form
        // Link rearrangement.
        {"link text after the link, open tags before, closing after", "<a href=\"x\"><b>Head</b> line</a>",
         "<b>|<a>|'Head'|' line'|</a>|</b>"},
        {"no </a>: read ahead to the end, nothing implied", "<td><a href=x>One<td>Two", "<td>|<td>|<a>|'One'|'Two'"},
        {"comments read ahead go after the closing link", "<a href=x>A<!-- c -->B</a>", "<a>|'A'|'B'|</a>|! c "},
        {"a nested link is not moved; table implies </a>", "<a href=1>One<a href=2>Two</a><table>",
         "<a>|'One'|'Two'|</a>|<a>|</a>|<table>"},
        {"an opening link while a link is open gets an implied </a> first",
         "<a href=1>One<a href=2>Two</a><a href=3>Three</a>", "<a>|'One'|'Two'|</a>|<a>|</a>|<a>|'Three'|</a>"},
        {"other text kinds go with the opening group", "<script><a href=x>s</a></script>",
         "<script>|script's'|<a>|</a>|</script>"},
        {"anchors read ahead: kind by the old stack", "<a href=x><img src=i><a name=n>Cap</a>",
         "<img>|<a:name>|<a>|'Cap'|</a>"},
        {"non-links are not moved", "<a href='JavaScript:go()'><b>x</b></a>", "<a:script>|<b>|'x'|</b>|</a:script>"},
        // Anchor kinds.
        {"href beginning with '#' is local, in any case of tag and name", "<A HREF=\"#top\">", "<a:local>"},
        {"no href: an anchor name", "<a name=x>", "<a:name>"},
        {"the last written href decides", "<a href=x href=#y>t</a>", "<a:local>|'t'|</a:local>"},
        {"a valueless href still makes a link", "<a href>x</a>", "<a>|'x'|</a>"},
        {"a closing a with no anchor open is a link kind", "</a>", "</a>"},
        // Implied closings, comments, declarations, raw text kinds.
        {"a second list item closes the first", "<ul><li>a<li>b</ul>x", "<ul>|<li>|'a'|</li>|<li>|'b'|</ul>|'x'"},
        {"a comment in script is script", "<script><!-- x = 1; --></script>", "<script>|script' x = 1; '|</script>"},
        {"a comment inside style is style text", "<style><!-- p {} --></style>", "<style>|style' p {} '|</style>"},
        {"declarations are comments holding the bytes from '!'", "<!DOCTYPE html><p>", "!!DOCTYPE html|<p>"},
        {"an empty comment", "<!---->x", "!|'x'"},
        {"whitespace between '<' and '!--' belongs to the comment token", "< !-- c -->x", "! c |'x'"},
        {"the end of a comment is searched after its opening", "<!-->x-->y", "!>x|'y'"},
        {"title text is kept raw", "<title>A &amp;  B</title>", "<title>|title'A &amp;  B'|</title>"},
        {"fields after input/option; </form> ends them", "<form><input>abc<option>o1</form>t",
         "<form>|<input>|field'abc'|<option>|field'o1'|</form>|'t'"},
        {"</tr> closes an open input", "<table><tr><td><input>v</tr>w", "<table>|<tr>|<td>|<input>|field'v'|</tr>|'w'"},
        // Names and where a text run ends.
        {"unknown names are lower-cased and kept", "<BLINK>x</BLINK>", "<blink>|'x'|</blink>"},
        {"'/' is part of the name: br/ is not br", "<br/>", "<br/>"},
        {"whitespace after '<' and after '/' is skipped", "< p>< / b>", "<p>|</b>"},
        {"the run ends at the last '<' before the first '>'", "a<<b>c", "'a<'|<b>|'c'"},
        {"a '<' in text starts a tag when a '>' follows", "5 < 6 and 7 > 3", "'5 '|<6>|' 3'"},
        {"a quoted value cannot hold '>'", "<a href=\"a>b\">x</a>", "<a>|'b\">x'|</a>"},
        // Failure stops: tokens before the broken tag stay.
        {"an empty tag name stops the parse", "a<>b", "'a'"},
        {"an empty closing tag name stops the parse", "a</>b", "'a'"},
        {"an unterminated comment stops the parse", "<p><!-- open", "<p>"},
        {"...also with a '>' inside it", "a<!-- x > y", "'a'"},
        {"a '<' with no '>' after it never starts a tag", "a<!-- open", "'a<!-- open'"},
        {"a declaration without '>' stops the parse", "<p><!DOCTYPE", "<p>"},
        {"a last tag without '>' stops the parse", "<p><b x", "<p>"},
        {"a name running into the page end stops the parse", "<p><b", "<p>"},
        {"'<' followed by nothing but whitespace stops the parse", "<p><  ", "<p>"},
        {"trailing whitespace is no token", "<p>  \r\n", "<p>"},
        {"a stray '<' at the end stays in the text", "<p>x<b class=y", "<p>|'x<b class=y'"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribePage(c.page), c.tokens) << c.why;
}

TEST(HtmlTokenizer, OpenElementStack) {
    struct Case {
        const char *why, *page, *token;  // token: the Describe form of the token to look at
        std::vector<int> inside, outside;
    };
    const std::vector<Case> cases = {
        {"every open element", "<html><body><center><b>x", "'x'", {TK_HTML, TK_BODY, TK_CENTER, TK_BOLD},
         {TK_ITALIC, TK_TEXT, TK_ANY}},
        {"a second bold is not pushed, so one closing ends bold", "<b><b>x</b>y", "'y'", {}, {TK_BOLD}},
        {"</table> closes rows, cells, not bold", "<table><tr><td><b>x</table>y", "'y'", {TK_BOLD},
         {TK_TABLE, TK_ROW, TK_CELL}},
        {"an inner </table> leaves the outer open", "<table><tr><td><table><tr><td>in</table>out", "'out'",
         {TK_TABLE, TK_ROW, TK_CELL}, {}},
        {"closing a row closes its cells", "<table><tr><td>a</tr>b", "'b'", {TK_TABLE}, {TK_ROW, TK_CELL}},
        {"closing a list closes its items", "<ul><li>a</ul>b", "'b'", {}, {TK_LIST, TK_LIST_ITEM}},
        {"a nested item implies the outer one's end", "<ol><li><ul><li>x</ul>y", "'y'", {TK_LIST}, {TK_LIST_ITEM}},
        {"an implied </li> is outside its item", "<ul><li>a<li>b</ul>", "</li>", {TK_LIST}, {TK_LIST_ITEM}},
        {"...and the next item encloses its text", "<ul><li>a<li>b</ul>", "'b'", {TK_LIST_ITEM}, {}},
        {"a closing tag of a kind not open changes nothing", "<i>x</b>y", "'y'", {TK_ITALIC}, {}},
        {"center is never closed", "<center>x</center>y", "'y'", {TK_CENTER}, {}},
        {"a closed link does not enclose what follows", "<a href=x>t</a>u", "'u'", {}, {TK_LINK}},
        {"a link left open encloses the rest", "<td><a href=x>One<td>Two", "'Two'", {TK_LINK, TK_CELL}, {}},
        {"a script anchor encloses its text", "<a href=\"javascript:x()\">go</a>after", "'go'", {TK_ANCHOR_SCRIPT}, {}},
        {"...and its closing tag ends it", "<a href=\"javascript:x()\">go</a>after", "'after'", {}, {TK_ANCHOR_SCRIPT}},
        {"a form opened while one is open replaces it", "<form><form>x</form>y", "'y'", {}, {TK_FORM}},
    };
    for (const Case& c : cases) {
        CHtmlParser parser;
        ParseTokens(parser, c.page);
        const CHtmlToken* t = FindToken(parser, c.token);
        ASSERT_NE(t, nullptr) << c.why;
        for (int k : c.inside) EXPECT_TRUE(t->IsInside(k)) << c.why << " kind " << k;
        for (int k : c.outside) EXPECT_FALSE(t->IsInside(k)) << c.why << " kind " << k;
    }
}

TEST(HtmlTokenizer, FontStacks) {
    const char* const cell = "<font size=\"+2\">A<td>B</td>C";
    const char* const nested = "<font size=-1><font color=red>x</font>y</font>z";
    struct Case {
        const char *why, *page, *text;
        CFontSize font;  // size, minus, plus, nesting
    } cases[] = {
        {"a relative size pushes its number and sign", cell, "'A'", {2, 0, 1, 0}},
        {"a cell starts with the default font", cell, "'B'", {3, 0, 0, 0}},
        {"closing the cell brings the outer font back", cell, "'C'", {2, 0, 1, 0}},
        {"font without size nests on the top record", nested, "'x'", {1, 1, 0, 1}},
        {"its closing tag only takes the nesting off", nested, "'y'", {1, 1, 0, 0}},
        {"the next closing tag pops the sized record", nested, "'z'", {3, 0, 0, 0}},
        {"the last record and the last stack are never popped", "</font></td></font>x", "'x'", {3, 0, 0, 0}},
        {"'size ' with a space is not a size attribute", "<font size = 3>x", "'x'", {3, 0, 0, 1}},
        {"a font opened in a cell ends with the cell", "<td><font size=5>a</td>b", "'b'", {3, 0, 0, 0}},
        {"text read ahead in a link gets its own font", "<a href=x><font size=2>t</font></a>", "'t'", {2, 0, 0, 0}},
        {"a valueless size gives size 0", "<font size>x", "'x'", {0, 0, 0, 0}},
        {"a huge size saturates instead of overflowing", "<font size=-99999999999999>x", "'x'", {2147483647, 1, 0, 0}},
    };
    for (const auto& c : cases) {
        CHtmlParser parser;
        ParseTokens(parser, c.page);
        const CHtmlToken* t = FindToken(parser, c.text);
        ASSERT_NE(t, nullptr) << c.why;
        const CFontSize* f = t->GetFont();
        ASSERT_NE(f, nullptr) << c.why;
        EXPECT_EQ(std::tie(f->m_nSize, f->m_nMinus, f->m_nPlus, f->m_nNesting),
                  std::tie(c.font.m_nSize, c.font.m_nMinus, c.font.m_nPlus, c.font.m_nNesting)) << c.why;
    }
}

TEST(HtmlTokenizer, Attributes) {
    struct Case { const char *why, *page, *name, *value; } cases[] = {  // page: one tag; value null: not found
        {"a valueless attribute swallows the next name", "<td nowrap width=5>", "nowrap width", "5"},
        {"...so the second name alone is not found", "<td nowrap width=5>", "width", nullptr},
        {"'size = 3' makes the name 'size ' with a space", "<font size = 3>", "size ", "3"},
        {"...and no plain 'size'", "<font size = 3>", "size", nullptr},
        {"a stray '=' where a name should start is skipped", "<img =src=a.gif>", "src", "a.gif"},
        {"an unterminated quote runs to the end of the tag", "<img alt=\"abc>", "alt", "abc"},
        {"an empty value reads as \"\"", "<img alt=\"\">", "alt", ""},
        {"a valueless attribute reads as \"\"", "<input checked>", "checked", ""},
        {"names compare ignoring case", "<IMG SRC=x Alt='y z'>", "src", "x"},
        {"single quotes keep spaces", "<IMG SRC=x Alt='y z'>", "ALT", "y z"},
        {"the last written of two wins", "<img src=a src=b>", "src", "b"},
        {"whitespace around '=' before the value", "<img src=  \"q r\" >", "src", "q r"},
        {"a missing name is not found", "<img src=x>", "nope", nullptr},
        {"closing tags keep their attributes too", "</td class=c>", "class", "c"},
    };
    for (const auto& c : cases) {
        CHtmlParser parser;
        auto tokens = ParseTokens(parser, c.page);
        ASSERT_EQ(tokens.size(), 1u) << c.why;
        std::string value = "unchanged";
        EXPECT_EQ(tokens[0]->GetAttribute(c.name, value), c.value != nullptr) << c.why;
        if (c.value) {
            EXPECT_EQ(value, c.value) << c.why;
        }
    }

    // The attribute list: the last written comes first.
    CHtmlParser parser;
    auto tokens = ParseTokens(parser, "<td nowrap width=5><img src=a alt=b>text");
    ASSERT_EQ(tokens.size(), 3u);
    ASSERT_EQ(tokens[0]->GetAttributeCount(), 1);
    EXPECT_EQ(tokens[0]->GetAttributeAt(0).m_strName, "nowrap width");
    ASSERT_EQ(tokens[1]->GetAttributeCount(), 2);
    EXPECT_EQ(tokens[1]->GetAttributeAt(0).m_strName, "alt");
    EXPECT_EQ(tokens[1]->GetAttributeAt(1).m_strName, "src");
    EXPECT_EQ(tokens[2]->GetAttributeCount(), 0);
}

TEST(HtmlTokenizer, RowsAndCellsCountOverTheParsersLife) {
    const std::string page = "<table><tr><td>a<td>b<tr><td>c</table>";
    CHtmlParser parser;
    auto tokens = ParseTokens(parser, page);
    auto expectAt = [&](const char* text, int row, int cell) {
        const CHtmlToken* t = FindToken(parser, text);
        ASSERT_NE(t, nullptr) << text;
        EXPECT_EQ(t->m_nRow, row) << text;
        EXPECT_EQ(t->m_nCell, cell) << text;
    };
    expectAt("'a'", 1, 1);
    expectAt("'b'", 1, 2);
    expectAt("'c'", 2, 3);
    // A row or cell tag carries the counts from before it opened.
    EXPECT_EQ(tokens[1]->m_nRow, 0);
    EXPECT_EQ(tokens[2]->m_nCell, 0);
    EXPECT_EQ(parser.GetRowCount(), 2);
    EXPECT_EQ(parser.GetCellCount(), 3);

    ParseTokens(parser, page);  // the next page goes on counting
    expectAt("'a'", 3, 4);
}

TEST(HtmlTokenizer, LengthsCoverThePageAndFlagsAreSet) {
    // Without implied closings every byte belongs to exactly one token,
    // whitespace before a tag included.
    const std::string page =
        "<html> <body>\n<p class=\"x\">Text &amp; more</p>\r\n<!-- note -->"
        "<!DOCTYPE x>  <table><tr><td>1</td></tr></table></body></html>";
    CHtmlParser parser;
    auto tokens = ParseTokens(parser, page);
    int total = 0;
    for (const CHtmlToken* t : tokens) total += t->m_nLength;
    EXPECT_EQ(total, static_cast<int>(page.size()));
    EXPECT_EQ(tokens[1]->m_nLength, 7);   // " <body>"
    EXPECT_EQ(tokens[2]->m_nLength, 14);  // "\n<p class=\"x\">"

    tokens = ParseTokens(parser, "<p>x<b></b><!--c--><input><td>");
    ASSERT_EQ(tokens.size(), 7u);
    const bool standalone[] = {true, true, false, false, true, true, false};
    const bool open[] = {true, true, true, false, false, true, true};
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        EXPECT_EQ(tokens[i]->m_bStandalone, standalone[i]) << Describe(*tokens[i]);
        EXPECT_EQ(tokens[i]->m_bIsOpen, open[i]) << Describe(*tokens[i]);
    }
}

TEST(HtmlTagTable, EveryNameFindsItsKindAndNothingElseDoes) {
    for (const HtmlTagEntry& e : g_htmlTagTable) EXPECT_EQ(ClassifyTagName(e.name), e.kind) << e.name;
    // Prefixes, extensions and near misses of known names are not known.
    for (const char* name : {"", "abbr", "tdx", "t", "frames", "framesetx", "bold", "h1", "span", "li ", "A",
                             "framese", "sty1e", "brr", "stronger"})
        EXPECT_EQ(ClassifyTagName(name), TK_OTHER) << name;
    EXPECT_EQ(ClassifyTagName("ul"), TK_LIST);
    EXPECT_EQ(ClassifyTagName("ol"), TK_LIST);
    EXPECT_EQ(ClassifyTagName("div"), TK_PARAGRAPH);
}

}  // namespace
