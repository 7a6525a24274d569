// The files of Data/ and of the story pages folder on the desktop program's
// way through the core: a symbolic link planted at any of their names is
// left alone and reported once, and what holds the user's data is private.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/AppCore.h"
#include "common/Messages.h"
#include "present/CompanionFiles.h"
#include "support/NewsSite.h"
#include "support/RecordingTarget.h"
#include "support/SymlinkTable.h"
#include "support/TestHttpServer.h"

namespace {

// Starts the core as the desktop program does, runs one pass of the
// scanning thread, views a story in the story pages, lets the maintenance
// timer rewrite the story files, calls beforeStop and stops.
void RunDesktopStart(const std::string& home, const std::string& registry,
                     const std::function<void()>& beforeStop = [] {}) {
    CRecordingMessageBoxes boxes;
    CAppCore core(boxes);
    core.FindApplicationFolder(home, registry);
    std::string error;
    ASSERT_TRUE(core.PrepareFolder(error) && core.LockFolder(error)) << error;
    core.LoadData();
    ASSERT_TRUE(core.StartNetwork());
    CRecordingTarget window;
    core.CreateScanner(window);
    ASSERT_TRUE(core.StartScanningThread());
    core.ScanNow();
    auto passEnded = [&window] {
        for (const RecordedMessage& m : window.Messages())
            if (m.message == WM_SCAN_FINISHED && m.lParam == 0) return true;
        return false;
    };
    for (int i = 0; i < 3000 && !passEnded(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(passEnded());
    StoryItem story;
    story.key.headline = "Viewed story";
    story.url = "http://news.example/viewed";
    std::string frameUrl;
    EXPECT_TRUE(core.Stories().WritePages(story, frameUrl));
    core.OnArchiveMaintenance();
    beforeStop();
    core.Stop();
    core.Stories().CleanUpPages();
}

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 01000;
}

TEST(PrivateFiles, SymlinksInDataAndThePagesFolderAreLeftAloneOnTheDesktopPath) {
    CTestHttpServer server;
    CNewsSite site;
    site.Serve(server);
    for (const SymlinkCase& c : SymlinkCases()) {
        SCOPED_TRACE(c.kind);
        CSymlinkBed bed(c, server.Url(CNewsSite::FRONT_PAGE), "+inflation");
        RunDesktopStart(bed.Home(), bed.Registry());
        bed.ExpectLeftAlone(bed.RecordedReports(), site.Stories()[0].headline);
    }
}

// Data/, the story pages folder and every file of ours in them are the
// user's alone: made so, and made so again where an earlier version left
// them readable to others. A companion page the user changed keeps its mode.
TEST(PrivateFiles, DataAndStoryPagesArePrivateToTheUser) {
    CTestHttpServer server;
    CNewsSite site;
    site.Serve(server);
    const std::string page = server.Url(CNewsSite::FRONT_PAGE);
    CSymlinkBed bed({"no link", false, nullptr, false}, page, "+inflation");
    const std::string data = bed.Data(), pages = bed.Pages();
    const std::string storyFile = data + StoryFileStem("Custom: " + page) + ".dat";
    std::filesystem::create_directories(data + "damaged");
    ASSERT_TRUE(WriteFileAtomically(data + "damaged/old.1.dat", "copy", 0644));
    ASSERT_TRUE(WriteFileAtomically(pages + "btm_left.html", FileBytes(CompanionSourceFolder() + "btm_left.html"), 0644));
    ASSERT_TRUE(WriteFileAtomically(pages + "line.html", "changed by the user", 0644));
    for (const std::string& path : {data, data + "damaged", pages}) ::chmod(path.c_str(), 0755);
    for (const std::string& path : {data + "config.txt", storyFile}) ::chmod(path.c_str(), 0644);

    RunDesktopStart(bed.Home(), bed.Registry(), [&] {
        for (const char* name : {"temp_0001.html", "temp_0001_s.html"}) EXPECT_EQ(ModeOf(pages + name), 0600u) << name;
    });
    for (const std::string& folder : {data, data + "damaged/", pages}) EXPECT_EQ(ModeOf(folder), 0700u) << folder;
    for (const char* name : {"config.txt", "sources.txt", "health.txt", "damaged/old.1.dat"})
        EXPECT_EQ(ModeOf(data + name), 0600u) << name;
    EXPECT_EQ(ModeOf(storyFile), 0600u);
    for (const char* name : {"btm_left.html", "top_left.html", "noframes.gif"})
        EXPECT_EQ(ModeOf(pages + name), 0600u) << name;
    EXPECT_EQ(ModeOf(pages + "line.html"), 0644u) << "the user's own copy";

    // A new folder is private from the start.
    CRecordingMessageBoxes boxes;
    CAppCore fresh(boxes);
    fresh.FindApplicationFolder(bed.Home() + "fresh", "");
    std::string error;
    ASSERT_TRUE(fresh.PrepareFolder(error)) << error;
    EXPECT_EQ(ModeOf(fresh.GetDataPath()), 0700u);
}

}  // namespace
