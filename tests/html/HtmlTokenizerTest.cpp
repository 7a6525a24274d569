// Tokenizer behaviour: text decoding, token order (link rearrangement and
// implied closings), the open-element stack, fonts, attributes, row and cell
// numbers, and the points where a broken page stops the parse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/HtmlParser.h"
#include "tests/html/HtmlTestUtil.h"

namespace {

// The first TK_TEXT token whose text equals text, or null.
const CHtmlToken* FindText(CHtmlParser& parser, const std::string& text) {
    for (const CHtmlToken& t : parser.Tokens())
        if (t.m_nKind == TK_TEXT && t.Text() == text) return &t;
    return nullptr;
}

struct DecodeCase {
    const char* why;
    const char* page;
    const char* text;  // the one token's expected text
};

TEST(HtmlTokenizer, DecodesTextRuns) {
    const DecodeCase cases[] = {
        {"entity output is not whitespace, so it does not join the space before it",
         "AT&amp;T &nbsp;x", "AT&T  x"},
        {"an entity without ';' swallows the rest of the run", "Q&A tonight", "Q"},
        {"&#151; is the one numeric entity that gives a dash", "a &#151; b", "a - b"},
        {"other numeric entities vanish", "a &#8212; b", "a  b"},
        {"'&' before whitespace stays and takes that one whitespace byte", "A & B", "A &B"},
        {"only one whitespace byte is taken after '&'", "A &  B", "A & B"},
        {"whitespace runs collapse, also at both ends", "  lead\r\n\ttrail  ", " lead trail "},
        {"copy gives byte 169", "&copy; 2001", "\xA9 2001"},
        {"entity names are compared ignoring case", "&NBSP;x&AMP;y", " x&y"},
        {"names are matched by their beginning", "x &ampy; y", "x & y"},
        {"unknown entities vanish", "a&lt;b&unknown;c", "abc"},
        {"a lone '&' at the end of the run vanishes", "tail &", "tail "},
        {"&#0151; is still 151", "1&#0151;2", "1-2"},
        {"a stray '<' without a later '>' stays in the text", "a < b", "a < b"},
    };
    for (const DecodeCase& c : cases) {
        CHtmlParser parser;
        std::vector<const CHtmlToken*> tokens = ParseTokens(parser, c.page);
        ASSERT_EQ(tokens.size(), 1u) << c.why;
        EXPECT_EQ(tokens[0]->m_nKind, TK_TEXT) << c.why;
        EXPECT_EQ(tokens[0]->Text(), c.text) << c.why;
        EXPECT_EQ(tokens[0]->m_nLength, static_cast<int>(std::string(c.page).size())) << c.why;
    }
}

struct SequenceCase {
    const char* why;
    const char* page;
    const char* tokens;  // DescribePage form
};

TEST(HtmlTokenizer, TokenSequences) {
    const SequenceCase cases[] = {
        // Link rearrangement.
        {"link text follows the link; opening tags before it, closing tags after",
         "<a href=\"x.html\"><b>Head</b> line</a>", "<b>|<a>|'Head'|' line'|</a>|</b>"},
        {"no closing anchor: the read-ahead runs to the page end and ignores implied closings",
         "<td><a href=x>One<td>Two", "<td>|<td>|<a>|'One'|'Two'"},
        {"comments read ahead go after the closing link", "<a href=x>A<!-- c -->B</a>",
         "<a>|'A'|'B'|</a>|! c "},
        {"a nested link is not rearranged; a table tag then closes it with an implied </a>",
         "<a href=1>One<a href=2>Two</a><table>", "<a>|'One'|'Two'|</a>|<a>|</a>|<table>"},
        {"an opening link while a link is open gets an implied </a> first",
         "<a href=1>One<a href=2>Two</a><a href=3>Three</a>",
         "<a>|'One'|'Two'|</a>|<a>|</a>|<a>|'Three'|</a>"},
        {"other text kinds read ahead belong to the opening group",
         "<script><a href=x>s</a></script>", "<script>|script's'|<a>|</a>|</script>"},
        {"anchors read ahead are classified against the stack as it was", 
         "<a href=x><img src=i><a name=n>Cap</a>", "<img>|<a:name>|<a>|'Cap'|</a>"},
        {"non-links are not rearranged", "<a href='JavaScript:go()'><b>x</b></a>",
         "<a:script>|<b>|'x'|</b>|</a:script>"},
        // Anchor kinds.
        {"href beginning with '#' is local, in any case of tag and name", "<A HREF=\"#top\">",
         "<a:local>"},
        {"no href: an anchor name", "<a name=x>", "<a:name>"},
        {"the last written href decides", "<a href=x href=#y>t</a>", "<a:local>|'t'|</a:local>"},
        {"a valueless href still makes a link", "<a href>x</a>", "<a>|'x'|</a>"},
        {"a closing a with no anchor open is a link kind", "</a>", "</a>"},
        // Implied closings and lists.
        {"a second list item closes the first", "<ul><li>a<li>b</ul>x",
         "<ul>|<li>|'a'|</li>|<li>|'b'|</ul>|'x'"},
        // Comments, declarations, script and style.
        {"a comment inside script is script text", "<script><!-- var x = 1; --></script>",
         "<script>|script' var x = 1; '|</script>"},
        {"a comment inside style is style text", "<style><!-- p {} --></style>",
         "<style>|style' p {} '|</style>"},
        {"declarations are comments holding the bytes from '!'", "<!DOCTYPE html><p>",
         "!!DOCTYPE html|<p>"},
        {"an empty comment", "<!---->x", "!|'x'"},
        {"whitespace between '<' and '!--' is part of the comment token, not of the next text",
         "< !-- c -->x", "! c |'x'"},
        {"the end of a comment is searched after its opening", "<!-->x-->y", "!>x|'y'"},
        {"title text is kept raw", "<title>A &amp;  B</title>", "<title>|title'A &amp;  B'|</title>"},
        {"form fields: text after input and option; the form's end closes them",
         "<form><input type=text>abc<option>o1</form>t",
         "<form>|<input>|field'abc'|<option>|field'o1'|</form>|'t'"},
        {"the end of a row closes an open input", "<table><tr><td><input>v</tr>w",
         "<table>|<tr>|<td>|<input>|field'v'|</tr>|'w'"},
        // Names.
        {"unknown names are lower-cased and kept", "<BLINK>x</BLINK>", "<blink>|'x'|</blink>"},
        {"known names in any case", "<STRONG>x</Strong>", "<strong>|'x'|</strong>"},
        {"'/' is part of the name: br/ is not br", "<br/>", "<br/>"},
        {"whitespace after '<' and after '/' is skipped", "< p>< / b>", "<p>|</b>"},
        // Where a text run ends.
        {"the run ends at the last '<' before the first '>'", "a<<b>c", "'a<'|<b>|'c'"},
        {"a '<' in text starts a tag when a '>' follows", "5 < 6 and 7 > 3", "'5 '|<6>|' 3'"},
        {"a quoted value cannot hold '>'", "<a href=\"a>b\">x</a>", "<a>|'b\">x'|</a>"},
        // Failure stops: tokens before the broken tag stay.
        {"an empty tag name stops the parse", "a<>b", "'a'"},
        {"an empty closing tag name stops the parse", "a</>b", "'a'"},
        {"an unterminated comment stops the parse", "<p><!-- open", "<p>"},
        {"...also after text", "a<!-- x > y", "'a'"},
        {"a '<' with no '>' after it never starts a tag", "a<!-- open", "'a<!-- open'"},
        {"a declaration without '>' stops the parse", "<p><!DOCTYPE", "<p>"},
        {"a last tag without '>' stops the parse", "<p><b x", "<p>"},
        {"a name running into the page end stops the parse", "<p><b", "<p>"},
        {"'<' followed by nothing but whitespace stops the parse", "<p><  ", "<p>"},
        {"trailing whitespace is no token", "<p>  \r\n", "<p>"},
        {"a stray '<' at the end stays in the text", "<p>x<b class=y", "<p>|'x<b class=y'"},
    };
    for (const SequenceCase& c : cases) EXPECT_EQ(DescribePage(c.page), c.tokens) << c.why;
}

TEST(HtmlTokenizer, LinkLeftOpenEnclosesTheRest) {
    CHtmlParser parser;
    ParseTokens(parser, "<td><a href=x>One<td>Two");
    const CHtmlToken* two = FindText(parser, "Two");
    ASSERT_NE(two, nullptr);
    EXPECT_TRUE(two->IsInside(TK_LINK));
    EXPECT_TRUE(two->IsInside(TK_CELL));
}

TEST(HtmlTokenizer, ClosingScriptAnchorTakesItsKind) {
    CHtmlParser parser;
    auto tokens = ParseTokens(parser, "<a href=\"javascript:x()\">go</a>after");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[2]->m_nKind, TK_ANCHOR_SCRIPT);
    EXPECT_FALSE(tokens[2]->m_bIsOpen);
    EXPECT_TRUE(tokens[1]->IsInside(TK_ANCHOR_SCRIPT));
    EXPECT_FALSE(tokens[3]->IsInside(TK_ANCHOR_SCRIPT));
}

struct ContextCase {
    const char* why;
    const char* page;
    const char* text;                // the TK_TEXT token to look at
    std::vector<int> inside;
    std::vector<int> outside;
};

TEST(HtmlTokenizer, OpenElementStack) {
    const std::vector<ContextCase> cases = {
        {"every open element is in the context", "<html><body><center><b>x", "x",
         {TK_HTML, TK_BODY, TK_CENTER, TK_BOLD}, {TK_ITALIC, TK_TEXT, TK_ANY}},
        {"a second bold is not pushed, so one closing ends bold", "<b><b>x</b>y", "y", {}, {TK_BOLD}},
        {"closing a table closes its rows and cells, not the bold inside",
         "<table><tr><td><b>x</table>y", "y", {TK_BOLD}, {TK_TABLE, TK_ROW, TK_CELL}},
        {"closing an inner table leaves the outer row and cell open",
         "<table><tr><td><table><tr><td>in</table>out", "out", {TK_TABLE, TK_ROW, TK_CELL}, {}},
        {"closing a row closes its cells", "<table><tr><td>a</tr>b", "b", {TK_TABLE}, {TK_ROW, TK_CELL}},
        {"closing a list closes its items", "<ul><li>a</ul>b", "b", {}, {TK_LIST, TK_LIST_ITEM}},
        {"a nested item implies the end of the outer one; the outer list stays open",
         "<ol><li><ul><li>x</ul>y", "y", {TK_LIST}, {TK_LIST_ITEM}},
        {"a closing tag of a kind not open changes nothing", "<i>x</b>y", "y", {TK_ITALIC}, {}},
        {"center is never closed", "<center>x</center>y", "y", {TK_CENTER}, {}},
        {"a closed link does not enclose what follows", "<a href=x>t</a>u", "u", {}, {TK_LINK}},
        {"a form opened while one is open replaces it", "<form><form>x</form>y", "y", {}, {TK_FORM}},
    };
    for (const ContextCase& c : cases) {
        CHtmlParser parser;
        ParseTokens(parser, c.page);
        const CHtmlToken* t = FindText(parser, c.text);
        ASSERT_NE(t, nullptr) << c.why;
        for (int k : c.inside) EXPECT_TRUE(t->IsInside(k)) << c.why << " kind " << k;
        for (int k : c.outside) EXPECT_FALSE(t->IsInside(k)) << c.why << " kind " << k;
    }
}

struct FontCase {
    const char* why;
    const char* page;
    const char* text;
    CFontSize font;
};

TEST(HtmlTokenizer, FontStacks) {
    const FontCase cases[] = {
        {"a relative size pushes its number and sign", "<font size=\"+2\">A<td>B</td>C", "A", {2, 0, 1, 0}},
        {"a cell starts with the default font", "<font size=\"+2\">A<td>B</td>C", "B", {3, 0, 0, 0}},
        {"closing the cell brings the outer font back", "<font size=\"+2\">A<td>B</td>C", "C", {2, 0, 1, 0}},
        {"font without size nests on the top record", "<font size=-1><font color=red>x</font>y</font>z", "x",
         {1, 1, 0, 1}},
        {"its closing tag only takes the nesting off", "<font size=-1><font color=red>x</font>y</font>z", "y",
         {1, 1, 0, 0}},
        {"the next closing tag pops the sized record", "<font size=-1><font color=red>x</font>y</font>z", "z",
         {3, 0, 0, 0}},
        {"the last record and the last stack are never popped", "</font></td></font>x", "x", {3, 0, 0, 0}},
        {"'size ' with a space is not a size attribute", "<font size = 3>x", "x", {3, 0, 0, 1}},
        {"a font opened in a cell ends with the cell", "<td><font size=5>a</td>b", "b", {3, 0, 0, 0}},
        {"text read ahead in a link gets its own font", "<a href=x><font size=2>t</font></a>", "t", {2, 0, 0, 0}},
        {"a valueless size gives size 0", "<font size>x", "x", {0, 0, 0, 0}},
        {"a huge size saturates instead of overflowing", "<font size=-99999999999999>x", "x",
         {2147483647, 1, 0, 0}},
    };
    for (const FontCase& c : cases) {
        CHtmlParser parser;
        ParseTokens(parser, c.page);
        const CHtmlToken* t = FindText(parser, c.text);
        ASSERT_NE(t, nullptr) << c.why;
        const CFontSize* f = t->GetFont();
        ASSERT_NE(f, nullptr) << c.why;
        EXPECT_EQ(f->m_nSize, c.font.m_nSize) << c.why;
        EXPECT_EQ(f->m_nMinus, c.font.m_nMinus) << c.why;
        EXPECT_EQ(f->m_nPlus, c.font.m_nPlus) << c.why;
        EXPECT_EQ(f->m_nNesting, c.font.m_nNesting) << c.why;
    }
}

struct AttributeCase {
    const char* why;
    const char* page;  // one tag
    const char* name;
    bool found;
    const char* value;
};

TEST(HtmlTokenizer, Attributes) {
    const AttributeCase cases[] = {
        {"a valueless attribute swallows the next name", "<td nowrap width=5>", "nowrap width", true, "5"},
        {"...so the second name alone is not found", "<td nowrap width=5>", "width", false, ""},
        {"'size = 3' makes the name 'size ' with a space", "<font size = 3>", "size ", true, "3"},
        {"...and no plain 'size'", "<font size = 3>", "size", false, ""},
        {"a stray '=' where a name should start is skipped", "<img =src=a.gif>", "src", true, "a.gif"},
        {"an unterminated quote runs to the end of the tag", "<img alt=\"abc>", "alt", true, "abc"},
        {"an empty value reads as \"\"", "<img alt=\"\">", "alt", true, ""},
        {"a valueless attribute reads as \"\"", "<input checked>", "checked", true, ""},
        {"names compare ignoring case", "<IMG SRC=x Alt='y z'>", "src", true, "x"},
        {"single quotes keep spaces", "<IMG SRC=x Alt='y z'>", "ALT", true, "y z"},
        {"the last written of two wins", "<img src=a src=b>", "src", true, "b"},
        {"whitespace around '=' before the value", "<img src=  \"q r\" >", "src", true, "q r"},
        {"a missing name is not found", "<img src=x>", "nope", false, ""},
        {"closing tags keep their attributes too", "</td class=c>", "class", true, "c"},
    };
    for (const AttributeCase& c : cases) {
        CHtmlParser parser;
        auto tokens = ParseTokens(parser, c.page);
        ASSERT_EQ(tokens.size(), 1u) << c.why;
        std::string value = "unchanged";
        EXPECT_EQ(tokens[0]->GetAttribute(c.name, value), c.found) << c.why;
        if (c.found) {
            EXPECT_EQ(value, c.value) << c.why;
        }
    }
}

TEST(HtmlTokenizer, AttributeListOrderAndCount) {
    CHtmlParser parser;
    auto tokens = ParseTokens(parser, "<td nowrap width=5><img src=a alt=b>text");
    ASSERT_EQ(tokens.size(), 3u);
    ASSERT_EQ(tokens[0]->GetAttributeCount(), 1);
    EXPECT_EQ(tokens[0]->GetAttributeAt(0).m_strName, "nowrap width");
    ASSERT_EQ(tokens[1]->GetAttributeCount(), 2);
    EXPECT_EQ(tokens[1]->GetAttributeAt(0).m_strName, "alt");  // the last written comes first
    EXPECT_EQ(tokens[1]->GetAttributeAt(1).m_strName, "src");
    std::string value;
    EXPECT_FALSE(tokens[2]->GetAttribute("src", value));
}

TEST(HtmlTokenizer, RowsAndCellsCountOverTheParsersLife) {
    const std::string page = "<table><tr><td>a<td>b<tr><td>c</table>";
    CHtmlParser parser;
    auto tokens = ParseTokens(parser, page);
    const CHtmlToken* a = FindText(parser, "a");
    const CHtmlToken* b = FindText(parser, "b");
    const CHtmlToken* c = FindText(parser, "c");
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->m_nRow, 1);
    EXPECT_EQ(a->m_nCell, 1);
    EXPECT_EQ(b->m_nRow, 1);
    EXPECT_EQ(b->m_nCell, 2);
    EXPECT_EQ(c->m_nRow, 2);
    EXPECT_EQ(c->m_nCell, 3);
    // A row or cell tag carries the counts from before it opened.
    EXPECT_EQ(tokens[1]->m_nRow, 0);
    EXPECT_EQ(tokens[2]->m_nCell, 0);
    EXPECT_EQ(parser.GetRowCount(), 2);
    EXPECT_EQ(parser.GetCellCount(), 3);

    // The next page goes on counting.
    ParseTokens(parser, page);
    a = FindText(parser, "a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->m_nRow, 3);
    EXPECT_EQ(a->m_nCell, 4);
}

TEST(HtmlTokenizer, LengthsCoverThePage) {
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
    EXPECT_EQ(tokens[1]->m_nLength, 7);  // " <body>"
    EXPECT_EQ(tokens[2]->m_nLength, 14); // "\n<p class=\"x\">"
}

TEST(HtmlTokenizer, ImpliedClosingsAreMarkedAsClosingTags) {
    CHtmlParser parser;
    auto tokens = ParseTokens(parser, "<ul><li>a<li>b</ul>");
    ASSERT_EQ(tokens.size(), 7u);
    EXPECT_EQ(tokens[3]->m_nKind, TK_LIST_ITEM);
    EXPECT_FALSE(tokens[3]->m_bIsOpen);
    EXPECT_TRUE(tokens[3]->IsInside(TK_LIST));
    EXPECT_FALSE(tokens[3]->IsInside(TK_LIST_ITEM));
    EXPECT_TRUE(tokens[5]->IsInside(TK_LIST_ITEM));
}

TEST(HtmlTokenizer, StandaloneAndOpenFlags) {
    CHtmlParser parser;
    auto tokens = ParseTokens(parser, "<p>x<b></b><!--c--><input><td>");
    ASSERT_EQ(tokens.size(), 7u);
    const bool standalone[] = {true, true, false, false, true, true, false};
    const bool open[] = {true, true, true, false, false, true, true};
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        EXPECT_EQ(tokens[i]->m_bStandalone, standalone[i]) << Describe(*tokens[i]);
        EXPECT_EQ(tokens[i]->m_bIsOpen, open[i]) << Describe(*tokens[i]);
    }
}

}  // namespace

namespace {

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
