// The HTML parser: taking a page, text decoding, token order (link
// rearrangement and implied closings), and where a broken page stops the
// parse.
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
    struct Case {
        const char* why;
        std::string page;
        int length;            // 0: refused
        std::size_t lastText;  // length of the second token's text
    } cases[] = {
        {"the largest page accepted", "<p>" + std::string(127996, 'x'), 127999, 127996},
        {"a page of exactly the limit is refused", "<p>" + std::string(127997, 'x'), 0, 0},
        {"an empty page is refused", "", 0, 0},
        {"the page ends at the first NUL", std::string("<b>ab\0<i>cd", 11), 5, 2},
        {"...so a leading NUL leaves nothing", std::string("\0<b>", 4), 0, 0},
    };
    for (const Case& c : cases) {
        CHtmlParser parser;
        EXPECT_EQ(parser.SetPage(c.page), c.length > 0) << c.why;
        EXPECT_EQ(parser.GetPageLength(), c.length) << c.why;
        parser.ParsePage();
        ASSERT_EQ(parser.GetTokenCount(), c.length > 0 ? 2 : 0) << c.why;
        if (c.length > 0) {
            EXPECT_EQ(parser.Tokens()[1].Text().size(), c.lastText) << c.why;
        }
    }
}

TEST(HtmlParserText, DecodesTextRuns) {
    struct Case { const char *why, *page, *text; } cases[] = {  // text: the one token's expected text
        {"entity output is not whitespace, so it does not join the space before it", "AT&amp;T &nbsp;x", "AT&T  x"},
        {"an entity without ';' swallows the rest of the run", "Q&A tonight", "Q"},
        {"&#151; is the one numeric entity that gives a dash", "a &#151; b", "a - b"},
        {"'&' before whitespace stays and takes that one whitespace byte", "A & B", "A &B"},
        {"whitespace runs collapse, also at both ends", "  lead\r\n\ttrail  ", " lead trail "},
        {"entity names are compared ignoring case", "&NBSP;x&AMP;y", " x&y"},
        {"unknown entities vanish", "a&lt;b&unknown;c", "abc"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribePage(c.page), "'" + std::string(c.text) + "'") << c.why;
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
        {"an unterminated comment stops the parse", "<p><!-- open", "<p>"},
        {"a '<' with no '>' after it never starts a tag", "a<!-- open", "'a<!-- open'"},
        {"a last tag without '>' stops the parse", "<p><b x", "<p>"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribePage(c.page), c.tokens) << c.why;
}

}  // namespace
