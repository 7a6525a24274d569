// The outcome of every page's last read survives a restart, a damaged line
// costs only that page, and the file is the user's alone.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "app/SourceHealth.h"
#include "common/FileUtil.h"
#include "support/TempDir.h"

namespace {

TEST(SourceHealth, LastOutcomePerPageSurvivesARestartAndDamage) {
    CTempDir dir;
    CSourceHealth health;
    health.Load(dir.Path());
    health.Record({"http://a.example/news", 1700000000, true, 12, 3, ""});
    health.Record({"http://b.example/", 1700000100, false, 0, 0, "HTTP status 503"});
    health.Record({"http://a.example/news", 1700000200, false, 0, 0, "time-out"});  // replaces the first

    const std::string file = dir.File(CSourceHealth::FILE_NAME);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    std::string text;
    ASSERT_TRUE(ReadWholeFile(file, text));
    ASSERT_TRUE(WriteFileAtomically(file, text + "garbage line\r\nhttp://c/\tx\t1\t2\t1\t\r\n" +
                                              "http://d.example/\t1700000300\t1\t5\t2\t\r\n"));
    CSourceHealth again;
    again.Load(dir.Path());
    const std::vector<PageHealth> pages = again.Snapshot();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].url, "http://a.example/news");
    EXPECT_EQ(pages[0].Outcome(), "time-out");
    EXPECT_EQ(pages[0].tRead, 1700000200);
    EXPECT_EQ(pages[1].Outcome(), "HTTP status 503");
    EXPECT_EQ(pages[2].Outcome(), "read, 5 story links, 2 new");
    PageHealth missing;
    EXPECT_FALSE(again.Find("http://c/", missing));
}

}  // namespace
