// The story pages: both pages byte for byte, what web text and web links
// become in them, the banner frame, the page numbers and the clean-up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/FileUtil.h"
#include "config/SourceCatalogue.h"
#include "present/StoryPages.h"
#include "store/Story.h"
#include "support/TempDir.h"

namespace {

// "PID@HOST" of this process, as a page names its writer.
std::string WriterId() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return std::to_string(::getpid()) + "@" + host;
}

// Expected pages are written with '\n' line ends, '~' for the nine blanks
// at a line's end, '@' for the data folder and '^' for the writer.
std::string Expand(const std::string& text, const std::string& folder) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\r\n";
        else if (c == '~') out += "         ";
        else if (c == '@') out += folder;
        else if (c == '^') out += WriterId();
        else out += c;
    }
    return out;
}

std::string Read(const std::string& path) {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(path, text)) << path;
    return text;
}

class StoryPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        CNewsSource* source = catalogue.AddSource("Daily & Nightly", 1);
        source->AddCategory("http://news.example/world?a=1&b=2", 1, 1, "World");
        pages.SetDataFolder(dir.Path());
    }
    static CStory MakeStory(const std::string& url, const std::string& source, const std::string& description) {
        CStory story;
        story.SetHeadline("Z\xC3\xBCrich's <b> \"\xC3\x96l\" & more");
        story.SetUrl(url);
        story.SetSource(source);
        story.SetKeywords("Z\xC3\xBCrich");
        story.SetDescription(description);
        return story;
    }

    CTempDir dir;
    CSourceCatalogue catalogue;
    CStoryPages pages{catalogue};
};

TEST_F(StoryPagesTest, WritesBothPagesByteForByte) {
    const CStory story = MakeStory("https://news.example/story?id=7&p=2", "Daily & Nightly (World)",
                                   "Caf\xC3\xA9 prices rise > 5%");
    std::string framePath;
    ASSERT_TRUE(pages.WritePages(story, framePath));
    EXPECT_EQ(framePath, dir.File("temp_0001.html"));

    const std::string summary = R"(<html>
<head><meta charset="utf-8"><meta name="generator" content="Skimbolt story page"><meta name="skimbolt-writer" content="^"></head>
<body bgcolor=#ffffff TEXT=#000000>~

<table border=0 cellspacing=6 cellpadding=0 width="100%">~
  <tr><td width="50%" align="right"><img SRC="skimbolt_small.gif" width="130" height="21" ALT="Skimbolt"></td>~
    <td width="50%" align="right">~
      <a href="https://news.example/story?id=7&amp;p=2" target="_top"><img src="@noframes.gif" width="60" height="16" border="0"></a>~
    </td></tr>~
</table>~
<table border=0 cellspacing=0 cellpadding=0>~
  <tr><td vAlign="middle"><font face="verdana, arial, helvetica" color=#004080 size=-1><b>Title: &nbsp; </b></font></td>~
    <td vAlign="top"><font face="verdana, arial, helvetica" size=-1><b>Zürich&#39;s &lt;b&gt; &quot;Öl&quot; &amp; more</b></font></td></tr>~
</table>~
<table width="100%" border=0 cellspacing=0 cellpadding=0>~
  <tr><td width="50%" valign="top">~
      <table border=0 cellspacing=0 cellpadding=0>~
         <tr><td vAlign="top"><font face="verdana, arial, helvetica" color=#004080 size=-1><b>Source: &nbsp; </b></font></td>~
          <td vAlign="top"><font face="tahoma, verdana, arial, helvetica" size=-1>~
            <a href="http://news.example/world?a=1&amp;b=2" target="_top">Daily &amp; Nightly (World)</a></font>~
          </td></tr>~
      </table>~
    </td><td width="50%" valign="top">~
      <table border=0 cellspacing=0 cellpadding=0>~
        <tr><td vAlign="top"><font face="verdana, arial, helvetica" color=#004080 size=-1><b>Keywords: &nbsp; </b></font></td>~
        <td vAlign="top"><font face="tahoma, verdana, arial, helvetica" size=-1>Zürich</font></td></tr>~
      </table>~
    </td></tr>~
</table>

<table border=0 cellspacing=0 cellpadding=0>~
  <tr><td vAlign="top"><font face="verdana, arial, helvetica" size=-1 color=#004080><b>Description: &nbsp; </b></font></td>~
    <td vAlign="top"><font face="verdana, arial, helvetica" size=-1>Café prices rise &gt; 5%</font></td></tr>~
</table>
</body>
</html>)";
    EXPECT_EQ(Read(dir.File("temp_0001_s.html")), Expand(summary, dir.Path()));

    const std::string frame = R"(<html>
<head><meta charset="utf-8"><meta name="generator" content="Skimbolt story page"><meta name="skimbolt-writer" content="^">
  <title>Zürich&#39;s &lt;b&gt; &quot;Öl&quot; &amp; more</title>
</head>~

<FRAMESET ROWS="90,1,*,1,70" FRAMEBORDER="0" BORDER=NO framespacing="0">~
<FRAMESET COLS="100, *" FRAMEBORDER="0" BORDER=NO framespacing="0">~
    <FRAME SRC="file://@top_left.html" MARGINHEIGHT="0" NAME="top_left" noresize scrolling="no">~
    <FRAME SRC="file://@temp_0001_s.html" MARGINHEIGHT="0" NAME="summary" noresize>~
  </FRAMESET>~
  <FRAME SRC="file://@line.html" name="top_line" noresize scrolling="no">~
  <FRAME SRC="https://news.example/story?id=7&amp;p=2" NAME="story" noresize>~
  <FRAME SRC="file://@line.html" name="btm_line" noresize scrolling="no">~
  <FRAMESET COLS="100, *, 100" FRAMEBORDER="0" BORDER=NO framespacing="0">~
    <FRAME SRC="file://@btm_left.html" MARGINHEIGHT="0" NAME="btm_left" noresize scrolling="no">~
    <FRAME SRC="file://@banner.html" MARGINWIDTH="0" MARGINHEIGHT="0" NAME="ad" noresize scrolling="no">~
    <FRAME SRC="file://@btm_right.html" MARGINWIDTH="0" MARGINHEIGHT="0" NAME="btm_right" noresize scrolling="no">~
  </FRAMESET>~
</FRAMESET>~
</html>)";
    EXPECT_EQ(Read(framePath), Expand(frame, dir.Path()));
    EXPECT_EQ(CStoryPages::PageUrl(framePath), "file://" + framePath);
}

TEST_F(StoryPagesTest, LinksOtherThanHttpBecomeEmptyAndNoDescriptionLeavesItsBlockOut) {
    std::string framePath;
    ASSERT_TRUE(pages.WritePages(MakeStory("javascript:alert(1)", "Custom: file:///etc/passwd", ""), framePath));
    const std::string summary = Read(dir.File("temp_0001_s.html"));
    EXPECT_NE(summary.find("<a href=\"\" target=\"_top\"><img src="), std::string::npos);
    EXPECT_NE(summary.find("<a href=\"\" target=\"_top\">Custom: file:///etc/passwd</a>"), std::string::npos);
    EXPECT_EQ(summary.find("Description:"), std::string::npos);
    EXPECT_TRUE(summary.ends_with("</tr>         \r\n</table>\r\n</body>\r\n</html>"));
    EXPECT_NE(Read(framePath).find("  <FRAME SRC=\"\" NAME=\"story\" noresize>"), std::string::npos);

    // The scheme is matched in any letter case; a custom page's own URL is the source link.
    ASSERT_TRUE(pages.WritePages(MakeStory("HTTPS://news.example/x", "Custom: HTTP://news.example/", ""), framePath));
    const std::string second = Read(dir.File("temp_0002_s.html"));
    EXPECT_NE(second.find("<a href=\"HTTPS://news.example/x\" target=\"_top\">"), std::string::npos);
    EXPECT_NE(second.find("<a href=\"HTTP://news.example/\" target=\"_top\">Custom: HTTP://news.example/</a>"),
              std::string::npos);
}

TEST_F(StoryPagesTest, BannerFrameLoadsTheBannerHostOrOurEmptyPage) {
    const std::string ours = "file://" + dir.Path() + "banner.html";
    EXPECT_EQ(pages.BannerUrl(), ours);
    pages.SetBannerHost("ads.example:8080");
    EXPECT_EQ(pages.BannerUrl(), "http://ads.example:8080/products/banner/");
    std::string framePath;
    ASSERT_TRUE(pages.WritePages(MakeStory("http://a.example/", "Custom: http://a.example/", ""), framePath));
    EXPECT_NE(Read(framePath).find("<FRAME SRC=\"http://ads.example:8080/products/banner/\" MARGINWIDTH"),
              std::string::npos);

    for (const char* bad : {"a.example/\" onload=\"x", "a example", ""}) {
        pages.SetBannerHost(bad);
        EXPECT_EQ(pages.BannerUrl(), ours) << bad;
    }
}

TEST_F(StoryPagesTest, NumbersPagesPerRunAndCleanUpDeletesThem) {
    std::string framePath;
    for (int n = 1; n <= 3; ++n) {
        ASSERT_TRUE(pages.WritePages(MakeStory("http://a.example/", "Custom: http://a.example/", ""), framePath));
        EXPECT_EQ(framePath, pages.FramePagePath(n));
        EXPECT_TRUE(FileExists(pages.SummaryPagePath(n)));
    }
    EXPECT_EQ(pages.GetPageCounter(), 4);
    EXPECT_EQ(pages.SummaryPagePath(12345), dir.File("temp_12345_s.html"));

    // Page 2's summary is gone already: its frame page is then left, the
    // other numbers are still deleted; a page of an earlier run stays.
    std::filesystem::remove(pages.SummaryPagePath(2));
    WriteFileAtomically(dir.File("temp_0004.html"), "earlier run");
    pages.CleanUpPages();
    for (int n : {1, 3}) {
        EXPECT_FALSE(FileExists(pages.SummaryPagePath(n)));
        EXPECT_FALSE(FileExists(pages.FramePagePath(n)));
    }
    EXPECT_TRUE(FileExists(pages.FramePagePath(2)));
    EXPECT_TRUE(FileExists(dir.File("temp_0004.html")));

    EXPECT_EQ(pages.GetPageCounter(), 1);
    pages.CleanUpPages();  // a second clean-up finds nothing to do
    EXPECT_TRUE(FileExists(pages.FramePagePath(2)));
}

// The pages folder is made when the first page is written and gets the
// companion files; a file of a page's name that is not ours is passed over
// and outlives the clean-up, while a page of ours from an earlier run is
// reused. A folder that cannot be made, or none, keeps the number.
TEST_F(StoryPagesTest, FilesNotOursAreNeitherReplacedNorDeleted) {
    const CStory story = MakeStory("http://a.example/", "Custom: http://a.example/", "");
    pages.SetDataFolder(dir.File("pages/"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("pages-file"), "x"));
    std::filesystem::create_directories(dir.File("pages"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("pages/temp_0001.html"), "my notes"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("pages/temp_0002_s.html"), "<html>"));
    ASSERT_TRUE(WriteFileAtomically(dir.File("pages/temp_0003_s.html"),
                                    std::string("<head>") + CStoryPages::PAGE_MARK + "earlier run"));
    std::string framePath;
    ASSERT_TRUE(pages.WritePages(story, framePath));
    EXPECT_EQ(framePath, dir.File("pages/temp_0003.html"));
    EXPECT_TRUE(FileExists(dir.File("pages/top_left.html")));

    pages.CleanUpPages();
    EXPECT_FALSE(FileExists(dir.File("pages/temp_0003.html")));
    EXPECT_FALSE(FileExists(dir.File("pages/temp_0003_s.html")));
    EXPECT_EQ(Read(dir.File("pages/temp_0001.html")), "my notes");
    EXPECT_EQ(Read(dir.File("pages/temp_0002_s.html")), "<html>");

    for (const std::string& folder : {dir.File("pages-file/sub/"), std::string()}) {
        pages.SetDataFolder(folder);
        framePath = "unchanged";
        EXPECT_FALSE(pages.WritePages(story, framePath)) << folder;
        EXPECT_EQ(framePath, "unchanged");
        EXPECT_EQ(pages.GetPageCounter(), 1);
    }
}

// Pages a killed run left go at the next start: only marked pages whose
// writer has ended (a process of this host that is gone, or an earlier
// version that named none).
TEST_F(StoryPagesTest, PagesOfARunThatEndedAreRemovedAtTheNextStart) {
    std::string pidMax;  // never a process's number: numbers stay below it
    ASSERT_TRUE(ReadWholeFile("/proc/sys/kernel/pid_max", pidMax));
    const std::string child = std::to_string(std::stol(pidMax));
    auto page = [](const std::string& writer) {
        return std::string("<html>\r\n<head>") + CStoryPages::PAGE_MARK +
               (writer.empty() ? "" : CStoryPages::WRITER_MARK + ("\"" + writer + "\">")) + "</head>";
    };
    const std::string dead = child + WriterId().substr(WriterId().find('@'));
    const struct { const char* name; std::string text; bool bRemoved; } files[] = {
        {"temp_0001_s.html", page(dead), true},
        {"temp_0001.html", page(dead), true},
        {"temp_0002.html", page(""), true},
        {"temp_0003.html", page(std::to_string(::getppid()) + dead.substr(dead.find('@'))), false},
        {"temp_0004.html", page(child + "@another-host"), false},
        {"temp_0005.html", "<html>my own notes", false},
    };
    for (const auto& f : files) ASSERT_TRUE(WriteFileAtomically(dir.File(f.name), f.text));
    EXPECT_EQ(CStoryPages::RemoveLeftoverPages(dir.Path()), 3);
    for (const auto& f : files) EXPECT_EQ(FileExists(dir.File(f.name)), !f.bRemoved) << f.name;
}

}  // namespace
