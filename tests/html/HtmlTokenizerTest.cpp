// Tokenizer behaviour: text decoding, token order (link rearrangement and
// implied closings), the open-element stack, fonts, attributes, and the
// points where a broken page stops the parse.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "html/HtmlParser.h"
#include "tests/html/HtmlTestUtil.h"

namespace {

TEST(HtmlTokenizer, DecodesTextRuns) {
    struct Case { const char *why, *page, *text; } cases[] = {  // text: the one token's expected text
        {"entity output is not whitespace, so it does not join the space before it", "AT&amp;T &nbsp;x", "AT&T  x"},
        {"an entity without ';' swallows the rest of the run", "Q&A tonight", "Q"},
        {"&#151; is the one numeric entity that gives a dash", "a &#151; b", "a - b"},
        {"other numeric entities vanish", "a &#8212; b", "a  b"},
        {"'&' before whitespace stays and takes that one whitespace byte", "A & B", "A &B"},
        {"whitespace runs collapse, also at both ends", "  lead\r\n\ttrail  ", " lead trail "},
        {"entity names are compared ignoring case", "&NBSP;x&AMP;y", " x&y"},
        {"unknown entities vanish", "a&lt;b&unknown;c", "abc"},
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

TEST(HtmlTokenizer, TokenSequences) {
    struct Case { const char *why, *page, *tokens; } cases[] = {  // tokens in DescribePage form
        // Link rearrangement.
        {"link text after the link, open tags before, closing after", "<a href=\"x\"><b>Head</b> line</a>",
         "<b>|<a>|'Head'|' line'|</a>|</b>"},
        {"no </a>: read ahead to the end, nothing implied", "<td><a href=x>One<td>Two", "<td>|<td>|<a>|'One'|'Two'"},
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
        // Implied closings, comments, declarations, raw text kinds.
        {"a second list item closes the first", "<ul><li>a<li>b</ul>x", "<ul>|<li>|'a'|</li>|<li>|'b'|</ul>|'x'"},
        {"a comment in script is script", "<script><!-- x = 1; --></script>", "<script>|script' x = 1; '|</script>"},
        {"declarations are comments holding the bytes from '!'", "<!DOCTYPE html><p>", "!!DOCTYPE html|<p>"},
        {"the end of a comment is searched after its opening", "<!-->x-->y", "!>x|'y'"},
        {"title text is kept raw", "<title>A &amp;  B</title>", "<title>|title'A &amp;  B'|</title>"},
        {"fields after input/option; </form> ends them", "<form><input>abc<option>o1</form>t",
         "<form>|<input>|field'abc'|<option>|field'o1'|</form>|'t'"},
        {"</tr> closes an open input", "<table><tr><td><input>v</tr>w", "<table>|<tr>|<td>|<input>|field'v'|</tr>|'w'"},
        // Names and where a text run ends.
        {"unknown names are lower-cased and kept", "<BLINK>x</BLINK>", "<blink>|'x'|</blink>"},
        {"the run ends at the last '<' before the first '>'", "a<<b>c", "'a<'|<b>|'c'"},
        {"a '<' in text starts a tag when a '>' follows", "5 < 6 and 7 > 3", "'5 '|<6>|' 3'"},
        {"a quoted value cannot hold '>'", "<a href=\"a>b\">x</a>", "<a>|'b\">x'|</a>"},
        // Failure stops: tokens before the broken tag stay.
        {"an empty tag name stops the parse", "a<>b", "'a'"},
        {"an unterminated comment stops the parse", "<p><!-- open", "<p>"},
        {"a '<' with no '>' after it never starts a tag", "a<!-- open", "'a<!-- open'"},
        {"a declaration without '>' stops the parse", "<p><!DOCTYPE", "<p>"},
        {"a last tag without '>' stops the parse", "<p><b x", "<p>"},
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
        {"closing a row closes its cells", "<table><tr><td>a</tr>b", "'b'", {TK_TABLE}, {TK_ROW, TK_CELL}},
        {"a nested item implies the outer one's end", "<ol><li><ul><li>x</ul>y", "'y'", {TK_LIST}, {TK_LIST_ITEM}},
        {"an implied </li> is outside its item", "<ul><li>a<li>b</ul>", "</li>", {TK_LIST}, {TK_LIST_ITEM}},
        {"a closing tag of a kind not open changes nothing", "<i>x</b>y", "'y'", {TK_ITALIC}, {}},
        {"a closed link does not enclose what follows", "<a href=x>t</a>u", "'u'", {}, {TK_LINK}},
        {"a link left open encloses the rest", "<td><a href=x>One<td>Two", "'Two'", {TK_LINK, TK_CELL}, {}},
        {"a script anchor encloses its text", "<a href=\"javascript:x()\">go</a>after", "'go'", {TK_ANCHOR_SCRIPT}, {}},
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
        {"font without size nests on the top record", nested, "'x'", {1, 1, 0, 1}},
        {"its closing tag only takes the nesting off", nested, "'y'", {1, 1, 0, 0}},
        {"the next closing tag pops the sized record", nested, "'z'", {3, 0, 0, 0}},
        {"the last record and the last stack are never popped", "</font></td></font>x", "'x'", {3, 0, 0, 0}},
        {"a font opened in a cell ends with the cell", "<td><font size=5>a</td>b", "'b'", {3, 0, 0, 0}},
        {"text read ahead in a link gets its own font", "<a href=x><font size=2>t</font></a>", "'t'", {2, 0, 0, 0}},
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
    struct Case { const char *why, *page, *name, *value; } cases[] = {  // page: one tag
        {"a valueless attribute swallows the next name", "<td nowrap width=5>", "nowrap width", "5"},
        {"'size = 3' makes the name 'size ' with a space", "<font size = 3>", "size ", "3"},
        {"a stray '=' where a name should start is skipped", "<img =src=a.gif>", "src", "a.gif"},
        {"an unterminated quote runs to the end of the tag", "<img alt=\"abc>", "alt", "abc"},
        {"names compare ignoring case", "<IMG SRC=x Alt='y z'>", "src", "x"},
        {"single quotes keep spaces", "<IMG SRC=x Alt='y z'>", "ALT", "y z"},
        {"the last written of two wins", "<img src=a src=b>", "src", "b"},
        {"closing tags keep their attributes too", "</td class=c>", "class", "c"},
    };
    for (const auto& c : cases) {
        CHtmlParser parser;
        auto tokens = ParseTokens(parser, c.page);
        ASSERT_EQ(tokens.size(), 1u) << c.why;
        std::string value;
        EXPECT_TRUE(tokens[0]->GetAttribute(c.name, value)) << c.why;
        EXPECT_EQ(value, c.value) << c.why;
    }
    CHtmlParser parser;
    std::string value;
    EXPECT_FALSE(ParseTokens(parser, "<td nowrap width=5>")[0]->GetAttribute("width", value))
        << "the name swallowed by a valueless attribute is not found alone";
}

TEST(HtmlTagTable, EveryNameFindsItsKindAndNothingElseDoes) {
    for (const HtmlTagEntry& e : g_htmlTagTable) EXPECT_EQ(ClassifyTagName(e.name), e.kind) << e.name;
    for (const char* name : {"", "tdx", "t", "frames", "bold", "A", "framese"})
        EXPECT_EQ(ClassifyTagName(name), TK_OTHER) << name;
}

}  // namespace
