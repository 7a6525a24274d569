#include "bench/NewsPage.h"

#include <cstdio>
#include <string_view>

namespace {

// A section adds at most about 7 KB, so a page that stops adding sections at
// 120000 bytes stays below 127000 bytes.
constexpr std::size_t kPageLimit = 127000;
constexpr std::size_t kMaxTarget = 120000;

constexpr std::string_view kWords[] = {
    "Senate",   "votes",    "on",        "budget",   "plan",      "after",     "long",     "debate",
    "storm",    "hits",     "coast",     "thousands", "without",  "power",     "markets",  "rally",
    "as",       "tech",     "shares",    "rebound",  "president", "meets",     "leaders",  "in",
    "summit",   "talks",    "stall",     "over",     "trade",     "rules",     "court",    "rejects",
    "appeal",   "city",     "council",   "approves", "new",       "stadium",   "team",     "wins",
    "title",    "final",    "minutes",   "scientists", "find",    "water",     "Mars",     "study",
    "says",     "coffee",   "may",       "help",     "heart",     "police",    "arrest",   "suspect",
    "fire",     "downtown", "schools",   "face",     "cuts",      "election",  "results",  "delayed",
};
constexpr std::string_view kSections[] = {"Headlines", "World", "National", "Business", "Technology",
                                          "Sports",    "Health", "Science", "Politics", "Entertainment"};
constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view kEntities[] = {"&amp;", "&nbsp;", "&#151;", "&quot;", "&copy;", "&#8212;", "& "};

class CPageWriter {
public:
    explicit CPageWriter(std::uint32_t seed) : m_nState(seed ? seed : 1) {}

    std::uint32_t Next(std::uint32_t bound) {
        m_nState = m_nState * 1664525u + 1013904223u;
        return (m_nState >> 8) % bound;
    }
    std::string_view Word() { return kWords[Next(std::size(kWords))]; }

    void Put(std::string_view s) { m_strPage.append(s); }
    void Num(std::uint32_t n) { m_strPage += std::to_string(n); }
    std::size_t Size() const { return m_strPage.size(); }
    std::string Take() { return std::move(m_strPage); }

    void Headline(int words) {
        for (int i = 0; i < words; ++i) {
            if (i) Put(" ");
            std::string_view w = Word();
            if (i == 0 || Next(4) == 0) {
                Put(std::string(1, static_cast<char>(w[0] >= 'a' ? w[0] - 32 : w[0])));
                Put(w.substr(1));
            } else {
                Put(w);
            }
        }
    }
    void Sentence(int words) {
        for (int i = 0; i < words; ++i) {
            Put(i ? " " : "");
            Put(Word());
            if (Next(9) == 0) {
                Put(" ");
                Put(kEntities[Next(std::size(kEntities))]);
            }
        }
        Put(".");
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
    void StoryUrl(std::string_view section) {
        Put("/2001/");
        Num(1 + Next(12));
        Put("/");
        Num(1 + Next(28));
        Put("/");
        for (char c : section) m_strPage += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        Put("/story");
        Num(Next(100000));
        Put(".html");
    }

private:
    std::uint32_t m_nState;
    std::string m_strPage;
};

void Head(CPageWriter& w) {
    w.Put("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n<HTML>\r\n<HEAD>\r\n");
    w.Put("<TITLE>Daily Courier &#151; News, Weather &amp; Sports</TITLE>\r\n");
    w.Put("<META http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n");
    w.Put("<META name=\"keywords\" content=\"news, world, business, sports\">\r\n");
    w.Put("<STYLE type=\"text/css\"><!--\r\n  .hl { font-family: verdana, arial; font-weight: bold }\r\n"
          "  A:hover { color: #cc0000 }\r\n--></STYLE>\r\n");
    w.Put("<SCRIPT language=\"JavaScript\"><!--\r\nfunction pop(u) { if (u.length < 3) return; "
          "window.open(u, 'pop', 'width=400,height=300'); }\r\nvar now = new Date();\r\n// --></SCRIPT>\r\n");
    w.Put("</HEAD>\r\n<BODY bgcolor=\"#ffffff\" text=\"#000000\" link=\"#003366\" vlink=\"#666666\" "
          "leftmargin=0 topmargin=0>\r\n");
}

void Masthead(CPageWriter& w) {
    w.Put("<TABLE width=\"100%\" border=0 cellpadding=0 cellspacing=0>\r\n<TR><TD><A HREF=\"/\"><IMG "
          "SRC=\"/images/masthead.gif\" width=468 height=60 border=0 alt=\"Daily Courier\"></A></TD>\r\n"
          "<TD align=right valign=bottom><FONT face=\"verdana, arial\" size=-2>");
    w.Date();
    w.Put("</FONT></TD></TR>\r\n<TR><TD colspan=2 bgcolor=\"#003366\"><FONT color=\"#ffffff\" size=-1>");
    for (std::string_view s : kSections) {
        w.Put("&nbsp;<A HREF=\"/");
        w.Put(s);
        w.Put("/\"><FONT color=\"#ffffff\">");
        w.Put(s);
        w.Put("</FONT></A>&nbsp;|");
    }
    w.Put("</FONT></TD></TR>\r\n</TABLE>\r\n");
    w.Put("<FORM action=\"/search\" method=get>Search: <INPUT type=text name=q size=20> <SELECT name=s>"
          "<OPTION value=all selected>All sections<OPTION value=news>News<OPTION value=web>The Web</SELECT> "
          "<INPUT type=submit value=\"Go\"></FORM>\r\n");
}

void StoryBlock(CPageWriter& w, std::string_view section) {
    w.Put("<!-- story -->\r\n<TR><TD valign=top width=\"70%\"><FONT face=\"verdana, arial, helvetica\" size=");
    w.Put(w.Next(3) == 0 ? "+1" : "2");
    w.Put("><A HREF=\"");
    w.StoryUrl(section);
    w.Put("\"><B>");
    w.Headline(4 + static_cast<int>(w.Next(6)));
    w.Put("</B></A></FONT><BR>\r\n<FONT size=-1>");
    w.Sentence(10 + static_cast<int>(w.Next(20)));
    w.Put(" <I>(");
    w.Date();
    w.Put(")</I></FONT>");
    if (w.Next(3) == 0) {
        w.Put(" <A HREF=\"javascript:pop('/video/");
        w.Num(w.Next(1000));
        w.Put(".html')\"><FONT size=-2>Video</FONT></A>");
    }
    w.Put("</TD>\r\n<TD valign=top align=center>");
    if (w.Next(2)) {
        w.Put("<IMG SRC=\"/images/thumb");
        w.Num(w.Next(500));
        w.Put(".jpg\" width=76 height=57 alt=\"\" border=0><BR><FONT size=-2 color=\"#666666\">AP Photo</FONT>");
    } else {
        w.Put("&nbsp;");
    }
    w.Put("</TD></TR>\r\n");
}

void Section(CPageWriter& w, std::string_view section) {
    w.Put("<A NAME=\"");
    w.Put(section);
    w.Put("\"></A>\r\n<TABLE width=\"100%\" border=0 cellpadding=2 cellspacing=0>\r\n<TR><TD colspan=2 "
          "bgcolor=\"#e0e0e0\"><FONT face=\"arial\" size=\"+1\"><B><A HREF=\"/");
    w.Put(section);
    w.Put("/\">");
    w.Put(section);
    w.Put("</A></B></FONT> <FONT size=-2><A HREF=\"#top\">top</A></FONT></TD></TR>\r\n");
    const int stories = 3 + static_cast<int>(w.Next(4));
    for (int i = 0; i < stories && w.Size() < kPageLimit - 8000; ++i) StoryBlock(w, section);
    w.Put("<TR><TD colspan=2><FONT size=-1><B>More ");
    w.Put(section);
    w.Put(":</B></FONT>\r\n<UL>\r\n");
    const int more = 4 + static_cast<int>(w.Next(5));
    for (int i = 0; i < more; ++i) {
        w.Put("<LI><FONT size=-1><A HREF=\"");
        w.StoryUrl(section);
        w.Put("\">");
        w.Headline(3 + static_cast<int>(w.Next(6)));
        w.Put("</A></FONT>\r\n");
    }
    w.Put("</UL></TD></TR>\r\n</TABLE>\r\n");
    if (w.Next(2)) {
        w.Put("<CENTER><A HREF=\"http://ads.bench.local/click?zone=");
        w.Num(w.Next(90));
        w.Put("&amp;id=");
        w.Num(w.Next(100000));
        w.Put("\" target=\"_blank\"><IMG SRC=\"http://ads.bench.local/banner.gif\" width=468 height=60 "
              "border=0 alt=\"Advertisement\"></A></CENTER>\r\n<HR noshade size=1>\r\n");
    }
}

void Footer(CPageWriter& w) {
    w.Put("<P><CENTER><FONT size=-2>&copy; 2001 Daily Courier. All rights reserved. "
          "<A HREF=\"/terms.html\">Terms of use</A> | <A HREF=\"/privacy.html\">Privacy</A> | "
          "<A HREF=\"mailto:news@bench.local\">Contact us</A></FONT></CENTER>\r\n"
          "<SCRIPT><!--\r\ndocument.write('<img src=\"/count.gif?' + now.getTime() + '\">');\r\n//--></SCRIPT>\r\n"
          "</BODY>\r\n</HTML>\r\n");
}

}  // namespace

std::string GenerateNewsPage(std::uint32_t seed, std::size_t targetBytes) {
    if (targetBytes > kMaxTarget) targetBytes = kMaxTarget;
    CPageWriter w(seed);
    Head(w);
    Masthead(w);
    w.Put("<TABLE width=\"100%\" border=0 cellpadding=4 cellspacing=0><TR>\r\n<TD valign=top width=150 "
          "bgcolor=\"#f0f0f0\"><FONT size=-1>\r\n");
    for (std::string_view s : kSections) {
        w.Put("<A HREF=\"/");
        w.Put(s);
        w.Put("/\">");
        w.Put(s);
        w.Put("</A><BR>\r\n");
    }
    w.Put("</FONT></TD>\r\n<TD valign=top>\r\n");
    const std::size_t footerRoom = 1200;
    for (std::size_t i = 0; w.Size() + footerRoom < targetBytes; ++i)
        Section(w, kSections[i % std::size(kSections)]);
    w.Put("</TD></TR></TABLE>\r\n");
    Footer(w);
    return w.Take();
}
