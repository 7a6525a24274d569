// The very large generated front page: sections of headline tables, lists
// and link bars between long runs of running text and scripts, sized to the
// byte and link counts asked for.
#include "bench/NewsPage.h"

#include <string_view>

namespace {

constexpr std::string_view kWords[] = {
    "Senate",   "votes",    "on",        "budget",     "plan",      "after",     "long",     "debate",
    "storm",    "hits",     "coast",     "thousands",  "without",   "power",     "markets",  "rally",
    "as",       "tech",     "shares",    "rebound",    "president", "meets",     "leaders",  "in",
    "summit",   "talks",    "stall",     "over",       "trade",     "rules",     "court",    "rejects",
    "appeal",   "city",     "council",   "approves",   "new",       "stadium",   "team",     "wins",
    "title",    "final",    "minutes",   "scientists", "find",      "water",     "Mars",     "study",
    "says",     "coffee",   "may",       "help",       "heart",     "police",    "arrest",   "suspect",
    "fire",     "downtown", "schools",   "face",       "cuts",      "election",  "results",  "delayed",
    "harbour",  "bridge",   "repairs",   "close",      "lanes",     "river",     "levels",   "climb",
    "farmers",  "expect",   "record",    "harvest",    "airline",   "adds",      "routes",   "winter",
};

// Section names; the ones with "News" or "Top Stories" are section links to
// the rules, the others plain headings.
constexpr std::string_view kSections[] = {
    "World News", "National",      "Business News", "Technology", "Top Stories", "Sports",
    "Health News", "Science",      "Politics",      "Entertainment", "Local News", "Weather",
};
constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view kEntities[] = {"&amp;", "&nbsp;", "&#151;", "&quot;", "&copy;", "&#8212;", "& "};
constexpr std::string_view kNames[] = {"Ana Lima", "John Harper", "Mei Chen", "Omar Haddad", "Sara Novak"};
constexpr std::string_view kItems[] = {
    "Oak writing desk with drawers",   "Pine bookcase with five shelves", "Walnut dining table for six",
    "Leather armchair in dark brown",  "Brass floor lamp with shade",     "Cherry wood chest of drawers",
    "Painted kitchen dresser in blue", "Set of four ladder back chairs",  "Folding garden bench in teak",
};

constexpr int kSectionStories = 25;  // 8 table rows, 2 inline links, 10 list items, 5 in the wire bar

class CLargeWriter {
public:
    explicit CLargeWriter(std::uint32_t seed) : m_nState(seed ? seed : 1) {}

    std::uint32_t Next(std::uint32_t bound) {
        m_nState = m_nState * 1664525u + 1013904223u;
        return (m_nState >> 8) % bound;
    }
    std::string_view Word() { return kWords[Next(std::size(kWords))]; }
    void Put(std::string_view s) { m_strPage.append(s); }
    void Num(std::uint32_t n) { m_strPage += std::to_string(n); }
    std::size_t Size() const { return m_strPage.size(); }
    std::string Take() { return std::move(m_strPage); }
    int Stories() const { return m_nStories; }

    void Headline(int words) {
        for (int i = 0; i < words; ++i) {
            if (i) Put(" ");
            std::string_view w = Word();
            if (i == 0 || Next(4) == 0) {
                m_strPage += static_cast<char>(w[0] >= 'a' ? w[0] - 32 : w[0]);
                Put(w.substr(1));
            } else {
                Put(w);
            }
        }
    }
    void Words(int words) {
        for (int i = 0; i < words; ++i) {
            if (i) Put(" ");
            Put(Word());
            if (Next(11) == 0) {
                Put(" ");
                Put(kEntities[Next(std::size(kEntities))]);
            }
        }
    }
    void Sentence(int words) {
        std::string_view w = Word();
        m_strPage += static_cast<char>(w[0] >= 'a' ? w[0] - 32 : w[0]);
        Put(w.substr(1));
        Put(" ");
        Words(words - 1);
        Put(Next(7) == 0 ? "?" : ".");
    }
    void Date() {
        Put(kMonths[Next(12)]);
        Put(" ");
        Num(1 + Next(28));
        Put(", 2001 ");
        Num(1 + Next(12));
        Put(":");
        const std::uint32_t m = Next(60);
        if (m < 10) Put("0");
        Num(m);
        Put(Next(2) ? " AM ET" : " PM ET");
    }
    void Lower(std::string_view s) {
        for (char c : s) {
            if (c == ' ') c = '_';
            m_strPage += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
    }
    // A story link: its href and its headline, counted.
    void StoryLink(std::string_view section, int words) {
        Put("<a href=\"");
        if (Next(5) == 0) Put("http://www.bench.local");
        Put("/2001/");
        Num(1 + Next(12));
        Put("/");
        Num(1 + Next(28));
        Put("/");
        Lower(section);
        Put("/story");
        Num(m_nStories);
        Put(Next(3) == 0 ? ".html?ref=front\">" : ".html\">");
        Headline(words);
        Put("</a>");
        ++m_nStories;
    }

private:
    std::uint32_t m_nState;
    std::string m_strPage;
    int m_nStories = 0;
};

void Head(CLargeWriter& w) {
    w.Put("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
          "<TITLE>The Daily Courier &#151; Complete Edition</TITLE>\r\n"
          "<META http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
          "<STYLE type=\"text/css\"><!--\r\n  .hl { font-family: verdana, arial; font-weight: bold }\r\n"
          "  A:hover { color: #cc0000 }\r\n--></STYLE>\r\n"
          "<SCRIPT language=\"JavaScript\"><!--\r\nfunction pop(u) { window.open(u, 'pop', "
          "'width=400,height=300'); }\r\nvar now = new Date();\r\n// --></SCRIPT>\r\n</HEAD>\r\n"
          "<BODY bgcolor=\"#ffffff\" text=\"#000000\" link=\"#003366\" vlink=\"#666666\">\r\n<A NAME=\"top\"></A>\r\n"
          "<TABLE width=\"100%\" border=0 cellpadding=0 cellspacing=0><TR><TD><A HREF=\"/\"><IMG "
          "SRC=\"/images/masthead.gif\" width=468 height=60 border=0 alt=\"Daily Courier\"></A></TD>\r\n"
          "<TD align=right valign=bottom><FONT face=\"verdana, arial\" size=-2>");
    w.Date();
    w.Put("</FONT></TD></TR>\r\n<TR><TD colspan=2 bgcolor=\"#003366\"><FONT color=\"#ffffff\" size=-1>");
    for (std::string_view s : kSections) {
        w.Put("&nbsp;<A HREF=\"/");
        w.Lower(s);
        w.Put("/\"><FONT color=\"#ffffff\">");
        w.Put(s);
        w.Put("</FONT></A>&nbsp;|");
    }
    w.Put("</FONT></TD></TR>\r\n</TABLE>\r\n<FORM action=\"/search\" method=get>Search: <INPUT type=text name=q "
          "size=20> <INPUT type=submit value=\"Go\"></FORM>\r\n");
}

// An inline advertising script, as ad servers hand them out.
void AdScript(CLargeWriter& w) {
    w.Put("<SCRIPT language=\"JavaScript\"><!--\r\nvar zone = ");
    w.Num(w.Next(900));
    w.Put(";\r\nvar slots = [");
    const int n = 8 + static_cast<int>(w.Next(24));
    for (int i = 0; i < n; ++i) {
        w.Put(i ? ", '" : "'");
        w.Put(w.Word());
        w.Put("-");
        w.Num(w.Next(10000));
        w.Put("'");
    }
    w.Put("];\r\nif (document.layers) { document.write('<layer src=\"http://ads.bench.local/ads/layer?zone=' + zone + "
          "'\"></layer>'); }\r\nelse { document.write('<a href=\"http://ads.bench.local/ads/click?zone=' + zone + "
          "'\"><img src=\"http://ads.bench.local/ads/banner?zone=' + zone + '\" width=468 height=60 border=0>"
          "</a>'); }\r\n// --></SCRIPT>\r\n");
}

// A long run of running text: paragraphs with bold and italic words, line
// breaks and entities, and now and then a script or a comment between them.
void RunningText(CLargeWriter& w, std::size_t bytes) {
    const std::size_t end = w.Size() + bytes;
    while (w.Size() < end) {
        w.Put("<P>");
        const int sentences = 3 + static_cast<int>(w.Next(8));
        for (int s = 0; s < sentences; ++s) {
            if (s) w.Put(w.Next(6) == 0 ? "<BR>\r\n" : " ");
            if (w.Next(9) == 0) {
                w.Put(w.Next(2) ? "<B>" : "<I>");
                w.Words(1 + static_cast<int>(w.Next(3)));
                w.Put(w.Next(2) ? "</B> " : "</I> ");
            }
            w.Sentence(8 + static_cast<int>(w.Next(22)));
        }
        w.Put("</P>\r\n");
        if (w.Next(5) == 0) AdScript(w);
        if (w.Next(7) == 0) w.Put("<!-- end of column text -->\r\n");
    }
}

void StoryRow(CLargeWriter& w, std::string_view section) {
    w.Put("<TR><TD valign=top width=\"70%\"><FONT face=\"verdana, arial, helvetica\" size=");
    w.Put(w.Next(3) == 0 ? "+1" : "2");
    w.Put("><B>");
    w.StoryLink(section, 4 + static_cast<int>(w.Next(6)));
    w.Put("</B></FONT><BR>\r\n<FONT size=-1>");
    w.Sentence(10 + static_cast<int>(w.Next(25)));
    w.Put(" <I>(");
    w.Date();
    w.Put(")</I></FONT>");
    if (w.Next(3) == 0) {
        w.Put(" <A HREF=\"javascript:pop('/video/");
        w.Num(w.Next(1000));
        w.Put(".html')\"><FONT size=-2>Video</FONT></A>");
    }
    if (w.Next(4) == 0) {
        w.Put(" <FONT size=-2><A HREF=\"/more/");
        w.Num(w.Next(100000));
        w.Put(".html\">More</A></FONT>");
    }
    w.Put("</TD>\r\n<TD valign=top align=center>");
    if (w.Next(2)) {
        w.Put("<IMG SRC=\"/images/thumb");
        w.Num(w.Next(500));
        w.Put(".jpg\" width=76 height=57 alt=\"\" border=0><BR><FONT size=-2 color=\"#666666\">");
        if (w.Next(3) == 0) {
            w.Put("<A HREF=\"/photos/");
            w.Num(w.Next(1000));
            w.Put(".html\">Photo: ");
            w.Put(kNames[w.Next(std::size(kNames))]);
            w.Put("</A>");
        } else {
            w.Put("AP Photo");
        }
        w.Put("</FONT>");
    } else {
        w.Put("&nbsp;");
    }
    w.Put("</TD></TR>\r\n");
}

void Section(CLargeWriter& w, int index) {
    const std::string_view section = kSections[static_cast<std::size_t>(index) % std::size(kSections)];
    w.Put("<!-- ===== section ");
    w.Num(static_cast<std::uint32_t>(index));
    w.Put(" ===== -->\r\n<A NAME=\"s");
    w.Num(static_cast<std::uint32_t>(index));
    w.Put("\"></A>\r\n<TABLE width=\"100%\" border=0 cellpadding=2 cellspacing=0>\r\n<TR><TD colspan=2 "
          "bgcolor=\"#e0e0e0\"><FONT face=\"arial\" size=2><B><A HREF=\"/");
    w.Lower(section);
    w.Put("/\">");
    w.Put(section);
    w.Put("</A></B></FONT> <FONT size=-2><A HREF=\"#top\">top</A> | <A HREF=\"/archive/");
    w.Num(w.Next(1000));
    w.Put(".html\">");
    w.Put(kMonths[w.Next(12)]);
    w.Put(" ");
    w.Num(1 + w.Next(28));
    w.Put("</A></FONT></TD></TR>\r\n");
    for (int i = 0; i < 8; ++i) StoryRow(w, section);
    w.Put("</TABLE>\r\n");
    AdScript(w);

    // Two stories linked from running text.
    for (int i = 0; i < 2; ++i) {
        w.Put("<P><FONT size=2><B>Analysis:</B></FONT> ");
        w.Sentence(12 + static_cast<int>(w.Next(20)));
        w.Put(" ");
        w.Words(3 + static_cast<int>(w.Next(6)));
        w.Put(" ");
        w.StoryLink(section, 4 + static_cast<int>(w.Next(5)));
        w.Put(" ");
        w.Words(5 + static_cast<int>(w.Next(15)));
        w.Put(". <B>");
        w.Put(kNames[w.Next(std::size(kNames))]);
        w.Put("</B></P>\r\n");
    }

    w.Put("<FONT size=-1><B>More ");
    w.Put(section);
    w.Put(":</B></FONT>\r\n<UL>\r\n");
    for (int i = 0; i < 10; ++i) {
        w.Put("<LI><FONT size=-1>");
        w.StoryLink(section, 3 + static_cast<int>(w.Next(6)));
        w.Put("</FONT> - ");
        w.Words(4 + static_cast<int>(w.Next(10)));
        w.Put("\r\n");
    }
    w.Put("</UL>\r\n<DIV><FONT size=-1><B>Wire:</B> ");
    for (int i = 0; i < 5; ++i) {
        if (i) w.Put(" | ");
        w.StoryLink(section, 4 + static_cast<int>(w.Next(5)));
    }
    w.Put("</FONT></DIV>\r\n<P><FONT size=-2>Updated <A HREF=\"/live/");
    w.Num(w.Next(2400));
    w.Put(".html\">");
    w.Num(1 + w.Next(12));
    w.Put(":");
    w.Num(10 + w.Next(50));
    w.Put(" AM</A> | <A HREF=\"/search/\">Search</A> | <A HREF=\"mailto:desk@bench.local\">Write to the ");
    w.Put(section);
    w.Put(" desk</A></FONT></P>\r\n");
    if (w.Next(2)) {
        w.Put("<CENTER><A HREF=\"http://ads.bench.local/ads/");
        w.Num(w.Next(90));
        w.Put(".html?id=");
        w.Num(w.Next(100000));
        w.Put("\" target=\"_blank\"><IMG SRC=\"http://ads.bench.local/banner.gif\" width=468 height=60 "
              "border=0 alt=\"Advertisement\"></A></CENTER>\r\n<HR noshade size=1>\r\n");
    }
}

// The same stories as a headline column: links under picture headings, one
// to a line, with no text between them, as aggregator pages list them.
void HeadlineColumns(CLargeWriter& w, int index) {
    const std::string_view section = kSections[static_cast<std::size_t>(index) % std::size(kSections)];
    w.Put("<!-- ===== section ");
    w.Num(static_cast<std::uint32_t>(index));
    w.Put(" ===== -->\r\n<TABLE width=\"100%\" border=0 cellpadding=1 cellspacing=0>\r\n<TR><TD colspan=2><IMG "
          "SRC=\"/images/head_");
    w.Lower(section);
    w.Put(".gif\" width=300 height=24 alt=\"");
    w.Put(section);
    w.Put("\"></TD></TR>\r\n<TR>");
    for (int column = 0; column < 2; ++column) {
        w.Put("<TD valign=top width=\"50%\"><FONT face=\"arial\" size=-1>\r\n");
        const int links = column == 0 ? kSectionStories / 2 : kSectionStories - kSectionStories / 2;
        for (int i = 0; i < links; ++i) {
            if (i % 4 == 0) w.Put("<IMG SRC=\"/images/bullet.gif\" width=5 height=5> ");
            w.StoryLink(section, 4 + static_cast<int>(w.Next(6)));
            w.Put("<BR>\r\n");
        }
        w.Put("</FONT></TD>");
    }
    w.Put("</TR></TABLE>\r\n");
    AdScript(w);
    w.Put("<TABLE border=0><TR><TD><A HREF=\"http://ads.bench.local/ads/");
    w.Num(w.Next(90));
    w.Put(".html?id=");
    w.Num(w.Next(100000));
    w.Put("\"><IMG SRC=\"http://ads.bench.local/banner.gif\" width=468 height=60 border=0></A></TD></TR></TABLE>\r\n");
}

// Script and markup without any text: counters, ad slots and tracking.
void ScriptOnly(CLargeWriter& w, std::size_t bytes) {
    const std::size_t end = w.Size() + bytes;
    while (w.Size() < end) {
        AdScript(w);
        if (w.Next(3) == 0) {
            w.Put("<TABLE border=0 cellpadding=0 cellspacing=0><TR>");
            for (int i = 0; i < 6; ++i) w.Put("<TD><IMG SRC=\"/images/dot.gif\" width=1 height=1></TD>");
            w.Put("</TR></TABLE>\r\n");
        }
        if (w.Next(4) == 0) w.Put("<!-- tracking: zone end -->\r\n");
    }
}

// A classified listing: item number, item link and price in one row.
void Classifieds(CLargeWriter& w) {
    w.Put("<P><FONT size=2><B>Classifieds</B></FONT></P>\r\n<TABLE border=0 cellpadding=2>\r\n"
          "<TR><TD>Number</TD><TD>Item</TD><TD>Price</TD></TR>\r\n");
    for (int i = 0; i < 30; ++i) {
        const std::uint32_t code = 480000 + w.Next(100000);
        w.Put("<TR><TD><FONT size=-1>");
        w.Num(code);
        w.Put("</FONT></TD><TD><A HREF=\"/market/item.html?id=");
        w.Num(code);
        w.Put("\">");
        w.Put(kItems[w.Next(std::size(kItems))]);
        w.Put("</A></TD><TD>$");
        w.Num(20 + w.Next(900));
        w.Put(".");
        w.Num(10 + w.Next(90));
        w.Put("</TD></TR>\r\n");
    }
    w.Put("</TABLE>\r\n");
}

}  // namespace

std::string GenerateLargeNewsPage(std::uint32_t seed, std::size_t targetBytes, int storyLinks,
                                  LargePageStyle style) {
    CLargeWriter w(seed);
    Head(w);
    const std::size_t headEnd = w.Size();
    const std::size_t footerRoom = 600;
    const int sections = (storyLinks + kSectionStories - 1) / kSectionStories;
    const std::size_t body = targetBytes > w.Size() + footerRoom ? targetBytes - w.Size() - footerRoom : 0;
    const std::size_t start = w.Size();
    for (int s = 0; s < sections; ++s) {
        const bool bHeadlines = style == LargePageStyle::Headlines;
        if (bHeadlines) HeadlineColumns(w, s); else Section(w, s);
        if (s == sections / 2 && !bHeadlines) Classifieds(w);
        // Running text (scripts only on a headline page) up to this
        // section's share of the page.
        const std::size_t due = start + body / static_cast<std::size_t>(sections) * static_cast<std::size_t>(s + 1);
        if (w.Size() < due) {
            if (bHeadlines) ScriptOnly(w, due - w.Size()); else RunningText(w, due - w.Size());
        }
    }
    w.Put("<P><CENTER><FONT size=-2>&copy; 2001 Daily Courier. All rights reserved. "
          "<A HREF=\"/terms.html\">Terms of use</A> | <A HREF=\"/privacy.html\">Privacy</A></FONT></CENTER>\r\n"
          "</BODY>\r\n</HTML>\r\n");
    std::string page = w.Take();
    if (style == LargePageStyle::Unclosed) {
        // Every link after the masthead left open, as in hand-written pages
        // that never close their anchors.
        std::size_t out = headEnd;
        for (std::size_t in = headEnd; in < page.size();) {
            if (page.compare(in, 4, "</A>") == 0 || page.compare(in, 4, "</a>") == 0) {
                in += 4;
            } else {
                page[out++] = page[in++];
            }
        }
        page.resize(out);
    }
    return page;
}

std::string PageExcerpt(const std::string& page, std::size_t begin, std::size_t size) {
    if (begin >= page.size()) return std::string();
    std::size_t from = page.find('<', begin);
    if (from == std::string::npos) return std::string();
    std::size_t to = from + size < page.size() ? page.find('<', from + size) : std::string::npos;
    return page.substr(from, to == std::string::npos ? std::string::npos : to - from);
}
