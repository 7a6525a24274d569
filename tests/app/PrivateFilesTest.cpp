// The files of Data/ and of the story pages folder on the desktop program's
// way through the core: links at their names left alone, modes private.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/AppCore.h"
#include "app/HomeFolder.h"
#include "common/Messages.h"
#include "present/CompanionFiles.h"
#include "support/DiagnosticCapture.h"
#include "support/NewsSite.h"
#include "support/RecordingTarget.h"
#include "support/SymlinkTable.h"
#include "support/TestHttpServer.h"

namespace {

// Starts the core as the desktop program does, runs one pass of the
// scanning thread, views a story in the story pages, lets the maintenance
// timer rewrite the story files and stops (the pages stay).
void RunDesktopStart(const std::string& home, const std::string& registry) {
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
    for (int i = 0; i < 3000 && window.Count(WM_SCAN_FINISHED) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));  // a bound, not a timing check
    std::string frameUrl;
    EXPECT_TRUE(core.Stories().WritePages(StoryItem{}, frameUrl));
    core.OnArchiveMaintenance();
    core.Stop();
}

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 01000;
}

// The symbolic-link table; then, without a link, Data/, the pages folder and
// our files in them are made private, also where an earlier version left
// them readable to others (a companion page the user changed keeps its mode).
TEST(PrivateFiles, SymlinksAreLeftAloneAndFilesArePrivateOnTheDesktopPath) {
    CTestHttpServer server;
    CNewsSite site;
    site.Serve(server);
    const std::string page = server.Url(CNewsSite::FRONT_PAGE);
    for (const SymlinkCase& c : kSymlinkCases) {
        SCOPED_TRACE(c.kind);
        CSymlinkBed bed(c, page, "+inflation");
        const std::string reports = DiagnosticsOf([&] { RunDesktopStart(bed.Home(), bed.Registry()); });
        bed.ExpectLeftAlone(reports, site.Stories()[0].headline);
    }

    CSymlinkBed bed({"no link", false, nullptr, false}, page, "+inflation");
    const std::string data = bed.Data(), pages = bed.Pages(), story = StoryFileStem("Custom: " + page) + ".dat";
    std::filesystem::create_directories(data + "damaged");
    ASSERT_TRUE(WriteFileAtomically(data + "damaged/old.1.dat", "copy", 0644));
    ASSERT_TRUE(WriteFileAtomically(pages + "btm_left.html", FileBytes(CompanionSourceFolder() + "btm_left.html"), 0644));
    ASSERT_TRUE(WriteFileAtomically(pages + "line.html", "changed by the user", 0644));
    for (const std::string& path : {data, data + "damaged", pages}) ::chmod(path.c_str(), 0755);
    for (const std::string& path : {data + "config.txt", data + story}) ::chmod(path.c_str(), 0644);

    RunDesktopStart(bed.Home(), bed.Registry());
    for (const std::string& folder : {data, data + "damaged/", pages}) EXPECT_EQ(ModeOf(folder), 0700u) << folder;
    for (const char* name : {"config.txt", "sources.txt", "health.txt", "damaged/old.1.dat", story.c_str()})
        EXPECT_EQ(ModeOf(data + name), 0600u) << name;
    for (const char* name : {"btm_left.html", "top_left.html", "noframes.gif", "temp_0001.html", "temp_0001_s.html"})
        EXPECT_EQ(ModeOf(pages + name), 0600u) << name;
    EXPECT_EQ(ModeOf(pages + "line.html"), 0644u) << "the user's own copy";

    std::string error;  // a new folder is private from the start
    ASSERT_TRUE(CHomeFolder(bed.Home() + "fresh").Prepare(error)) << error;
    EXPECT_EQ(ModeOf(bed.Home() + "fresh/Data"), 0700u);
}

}  // namespace
