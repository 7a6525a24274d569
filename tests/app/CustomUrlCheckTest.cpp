// The check of a custom URL: the stored form of an address and the frame
// choice. (Its reads are tested through the Custom URL dialog.)
#include <gtest/gtest.h>

#include "app/CustomUrlCheck.h"
#include "html/HtmlParser.h"

namespace {

TEST(CustomUrlForm, SchemeBlanksAndLength) {
    EXPECT_EQ(NormaliseCustomUrl("www.example.com/news"), "http://www.example.com/news");
    EXPECT_EQ(NormaliseCustomUrl("https://host/"), "https://host/");
    EXPECT_EQ(NormaliseCustomUrl("  HTTP://Host/a b\n"), "HTTP://Host/a%20b");
    EXPECT_EQ(NormaliseCustomUrl("localhost:8080/x"), "http://localhost:8080/x");
    EXPECT_EQ(NormaliseCustomUrl(" \t"), "");
    // Its config.txt line, written with the longer record name, still fits a 599-character line.
    EXPECT_EQ(MaxCustomUrlLength(), 599u - std::string("B F000000D Disabled_Web_Address  ").size() -
                                        std::string("http://www.newsportal.example.com/news/topstories.html").size());
}

struct FrameCase { const char* name; const char* page; bool bStories; const char* expected; };

TEST(CustomUrlFrame, ChoosesTheNewsFrameAmongFramesOnly) {
    const FrameCase cases[] = {
        {"menu and main", R"(<frameset><frame name="menu" src="menu_of_the_whole_site.html"><frame name="main" src="m.html"><frame src="after_the_main_frame_longer.html"></frameset>)",
         false, "http://site.example/dir/m.html"},
        {"long left and body", R"(<frameset><frame name="left" src="a_very_long_left_frame.html"><frame name="body" src="b.html"></frameset>)",
         false, "http://site.example/dir/b.html"},
        {"navigation by address", R"(<frame src="/nav/bar.html"><frame src="/c.html">)", false,
         "http://site.example/c.html"},
        {"images and scripts are no frames", R"(<img src="a_long_picture_of_the_day.jpg"><script src="s.js"></script>)",
         false, ""},
        {"base href and https kept", R"(<base href="http://other.example/b/"><frame src="news.html"><frame src="https://x.example/very/long/news.html">)",
         false, "https://x.example/very/long/news.html"},
        {"relative to base", R"(<base href="http://other.example/b/"><frame src="news.html">)", false,
         "http://other.example/b/news.html"},
        {"an iframe on a page without stories", R"(<p>Hello<iframe src="/feed/list.html"></iframe>)", false,
         "http://site.example/feed/list.html"},
        {"an iframe on a page with stories", R"(<p>Hello<iframe src="/feed/list.html"></iframe>)", true, ""},
    };
    for (const FrameCase& c : cases) {
        CHtmlParser parser;
        ASSERT_TRUE(parser.SetPage(c.page)) << c.name;
        parser.ParsePage();
        EXPECT_EQ(ChooseFrameUrl(parser, "http://site.example/dir/page.html", c.bStories), c.expected) << c.name;
    }
}

}  // namespace
