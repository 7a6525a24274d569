// The application core: how it finds its folder through the registry
// stand-in, its window-free start-up and stop, and its timed duties run on
// its clock seam.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "app/AppCore.h"
#include "app/SourceHealth.h"
#include "common/FileUtil.h"
#include "common/Messages.h"
#include "config/NewsSettings.h"
#include "engine/NewsWatch.h"
#include "net/HttpFetcher.h"
#include "net/UrlParts.h"
#include "platform/DesktopSystem.h"
#include "platform/Registry.h"
#include "platform/UserFolders.h"
#include "store/StoreTestUtil.h"
#include "support/AppCoreInside.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

// What the registry file holds before the start (nullptr: no file); the
// notice shown ("" none; else a part of it); the folder's last element ("" =
// the default folder); whether a copy of the old file is kept beside it.
struct RegistryCase { const char* name; const char* text; const char* notice; const char* installed; bool bCopy; };

TEST(AppCore, FindsItsFolderThroughTheRegistryStandIn) {
    const std::string current = std::string("[") + REGISTRY_KEY_CURRENT + "]\nInstallDir=@k\n";
    const std::string olderJ = std::string("[") + REGISTRY_KEY_OLDER_J + "]\nInstallDir=@j\n";
    const std::string olderI = std::string("[") + REGISTRY_KEY_OLDER_I + "]\nInstallDir=@i\n";
    const std::string other = "[SOFTWARE\\Other]\nName=kept\n";
    const std::string bothOlder = olderJ + olderI, currentAndJ = current + olderJ, withoutOurs = other;
    const std::string cutKey = current + "[SOFTWARE\\Vantrel Gr";
    const std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    const RegistryCase cases[] = {
        {"first start writes the current key", nullptr, "", "", false},
        {"current key", currentAndJ.c_str(), "", "k", false},
        {"only 0.01j: its folder", olderJ.c_str(), "", "j", false},
        {"only 0.01i: its folder", olderI.c_str(), "", "i", false},
        {"both older keys: 0.01i's folder", bothOlder.c_str(), "", "i", false},
        {"a file without our key", withoutOurs.c_str(), "", "", false},
        {"empty file", "", "was damaged", "", true},
        {"cut-off key line", cutKey.c_str(), "was damaged", "", true},
        {"binary file", binary.c_str(), "was damaged", "", true},
    };
    for (const RegistryCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        const std::string file = dir.File("config/skimbolt/registry.ini");
        std::string before;
        if (c.text) {
            before = c.text == binary.c_str() ? binary : std::string(c.text);
            for (std::size_t at; (at = before.find('@')) != std::string::npos;) before.replace(at, 1, dir.Path());
            std::filesystem::create_directories(dir.File("config/skimbolt"));
            ASSERT_TRUE(WriteFileAtomically(file, before, 0600));
        }
        setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
        CRecordingMessageBoxes boxes;
        CAppCore core(boxes);
        core.FindApplicationFolder("", file);
        if (*c.notice) {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_NE(boxes.shown[0].second.find(c.notice), std::string::npos) << boxes.shown[0].second;
        } else {
            EXPECT_TRUE(boxes.shown.empty());
        }
        const std::string want = *c.installed ? dir.Path() + c.installed + "/" : dir.File("data/skimbolt/");
        EXPECT_EQ(core.GetAppDir(), want);
        // The key is in the file now, and what the file held besides is kept:
        // in the file, or, for a damaged file, in its copy.
        CRegistry after(file);
        ASSERT_TRUE(after.Load());
        EXPECT_FALSE(after.IsDamaged());
        std::string dirAfter;
        EXPECT_TRUE(after.QueryValue(REGISTRY_KEY_CURRENT, "InstallDir", dirAfter));
        EXPECT_EQ(WithTrailingSeparator(dirAfter), want);
        if (c.text == withoutOurs.c_str()) {
            EXPECT_TRUE(after.HasKey("SOFTWARE\\Other"));
        }
        std::vector<std::string> copies;
        for (const auto& entry : std::filesystem::directory_iterator(dir.File("config/skimbolt")))
            if (entry.path().filename().string().rfind("registry.ini.damaged-", 0) == 0) copies.push_back(entry.path());
        ASSERT_EQ(copies.size(), c.bCopy ? 1u : 0u);
        if (c.bCopy) {
            std::string kept;
            ASSERT_TRUE(ReadWholeFile(copies[0], kept));
            EXPECT_EQ(kept, before);
            // Said once: the next start finds a sound file.
            CRecordingMessageBoxes again;
            CAppCore next(again);
            next.FindApplicationFolder("", file);
            EXPECT_TRUE(again.shown.empty());
            EXPECT_EQ(next.GetAppDir(), want);
        }
    }
    unsetenv("XDG_DATA_HOME");

    // A file that cannot be read is left as it is; the default folder is used.
    {
        CTempDir dir;
        std::filesystem::create_directories(dir.File("registry.ini"));  // a folder where the file should be
        setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
        CRecordingMessageBoxes boxes;
        CAppCore core(boxes);
        core.FindApplicationFolder("", dir.File("registry.ini"));
        EXPECT_EQ(core.GetAppDir(), dir.File("data/skimbolt/"));
        EXPECT_EQ(boxes.shown.size(), 1u);
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("registry.ini")));
        unsetenv("XDG_DATA_HOME");
    }

    // A folder named on the command line wins, and the registry is not touched.
    CTempDir dir;
    CRecordingMessageBoxes boxes;
    CAppCore core(boxes);
    core.FindApplicationFolder(dir.File("home"), dir.File("registry.ini"));
    EXPECT_EQ(core.GetAppDir(), dir.File("home/"));
    EXPECT_FALSE(FileExists(dir.File("registry.ini")));
}

class AppCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        core.FindApplicationFolder(dir.File("home"), "");
        std::string error;
        ASSERT_TRUE(core.PrepareFolder(error)) << error;
        core.LoadData();
        ASSERT_TRUE(core.StartNetwork());
        core.CreateScanner(window);
    }

    CTempDir dir;
    CRecordingMessageBoxes boxes;
    CAppCore core{boxes};
    CRecordingTarget window;
};

TEST_F(AppCoreTest, StartsOnAFreshFolderAndStopsItsThread) {
    EXPECT_TRUE(FileExists(core.GetDataPath() + "config.txt")) << "written with the defaults";
    // The starter catalogue is in place, nothing of it chosen; a catalogue
    // of the user's own is never replaced.
    std::string sources;
    ASSERT_TRUE(ReadWholeFile(core.GetDataPath() + "sources.txt", sources));
    EXPECT_GE(std::count(sources.begin(), sources.end(), '\n'), 20);
    EXPECT_EQ(sources.find("\n1"), std::string::npos);
    EXPECT_NE(sources[0], '1');
    EXPECT_GE(core.Config().Sources().size(), 3u);
    EXPECT_EQ(core.Config().ActivePageCount(false), 0);
    ASSERT_TRUE(WriteFileAtomically(core.GetDataPath() + "sources.txt", "1 Mine\n1 1 Front http://127.0.0.1/\n"));
    core.LoadData();
    ASSERT_TRUE(ReadWholeFile(core.GetDataPath() + "sources.txt", sources));
    EXPECT_EQ(sources, "1 Mine\n1 1 Front http://127.0.0.1/\n");

    ASSERT_TRUE(core.StartScanningThread());
    core.Stop();
    core.Stop();
    EXPECT_EQ(CAppCoreInside::Scanner(core)->IsActive(), 0) << "stopping switches scanning off";
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(AppCoreTest, WatchdogAbortsOnlyARequestOlderThanFiftySeconds) {
    CTestHttpServer server;
    server.SetResponse("/slow", {.stallBeforeHeaders = true});
    std::time_t now = 0;
    core.SetClock([&now] { return now; });

    EXPECT_FALSE(core.OnFetchWatchdog()) << "no request running";
    CHttpFetcher& fetcher = CAppCoreInside::Scanner(core)->Fetchers().FetcherAt(3);
    std::atomic<int> result{-1};
    std::thread fetch([&] {
        CUrlParts url;
        url.Set(server.Url("/slow"));
        FetchResult page;
        result = fetcher.FetchUrl(url, nullptr, nullptr, nullptr, page);
    });
    ASSERT_TRUE(server.WaitForStalls(1, 10000));
    const std::time_t start = fetcher.GetStartTime();
    ASSERT_NE(start, 0);
    now = start + 50;
    EXPECT_FALSE(core.OnFetchWatchdog()) << "50 s is still allowed";
    EXPECT_EQ(result.load(), -1);
    now = start + 51;
    EXPECT_TRUE(core.OnFetchWatchdog());
    fetch.join();
    EXPECT_EQ(result.load(), 0);
}

// A page whose server sent an ETag and a Last-Modified date is asked again
// with them; a 304 is a read with nothing new (the page is not scanned),
// shown as such; the validators are kept in the health file across a
// restart, and a changed page is read and scanned in full again.
TEST_F(AppCoreTest, AnUnchangedPageAnswers304AndCountsAsReadWithNothingNew) {
    CTestHttpServer server;
    std::atomic<int> version{1};
    const std::string modified = "Mon, 07 Dec 2026 10:00:00 GMT";
    server.SetHandler("/news.html", [&](const TestHttpRequest& r) {
        const std::string etag = "\"v" + std::to_string(version.load()) + "\"";
        if (r.Header("If-None-Match") == etag) return TestHttpResponse{.status = 304, .headers = {{"ETag", etag}}};
        std::string body = "<html><body><ul>";
        for (int i = 1; i <= version.load(); ++i)
            body += "<li><a href=\"/s" + std::to_string(i) + ".html\">Flood report number " + std::to_string(i) +
                    " from the valley</a>";
        return TestHttpResponse{.body = body + "</ul></body></html>",
                                .headers = {{"ETag", etag}, {"Last-Modified", modified}}};
    });
    server.SetPage("/plain.html", "<html><body><ul><li><a href=\"/story/plain-map-redrawn.html\">Flood plain map "
                                  "redrawn for the town</a></ul></body></html>");
    CNewsSettings& settings = CAppCoreInside::Settings(core);
    settings.AddKeyword("+flood");
    settings.AddUrl(server.Url("/news.html"));
    settings.AddUrl(server.Url("/plain.html"));
    CStoryArchive& archive = CAppCoreInside::Archive(core);
    auto stories = [&] { return ArchiveStories(archive); };

    core.RunForcedScan();
    ASSERT_EQ(stories().size(), 2u);
    core.TakeNews();
    server.ClearLog();
    core.RunForcedScan();
    ASSERT_EQ(server.RequestCount(), 2);
    for (const TestHttpRequest& r : server.Requests()) {
        const bool bNews = r.path == "/news.html";
        EXPECT_EQ(r.Header("If-None-Match"), bNews ? "\"v1\"" : "") << r.path;
        EXPECT_EQ(r.Header("If-Modified-Since"), bNews ? modified : "") << r.path;
    }
    EXPECT_EQ(stories().size(), 2u);
    EXPECT_TRUE(core.TakeNews().failedPages.empty()) << "a 304 is a successful read";
    const std::optional<PageHealth> health = core.Config().LastOutcome(server.Url("/news.html"));
    ASSERT_TRUE(health);
    EXPECT_EQ(health->Outcome(), "read, not changed (HTTP 304)");
    EXPECT_EQ(core.Config().LastOutcome(server.Url("/plain.html"))->Outcome(), "read, 1 story link, 0 new");

    CSourceHealth reloaded;
    reloaded.Load(core.GetDataPath());
    PageHealth kept;
    ASSERT_TRUE(reloaded.Find(server.Url("/news.html"), kept));
    EXPECT_EQ(kept.etag, "\"v1\"");
    EXPECT_EQ(kept.lastModified, modified);
    EXPECT_TRUE(kept.bNotModified);

    version = 2;  // the page changes: read and scanned in full
    core.RunForcedScan();
    EXPECT_EQ(stories().size(), 3u);
    EXPECT_EQ(core.Config().LastOutcome(server.Url("/news.html"))->Outcome(), "read, 2 story links, 1 new");
}

TEST_F(AppCoreTest, MaintenanceExpiresOldStoriesAndTellsTheStoryList) {
    std::int64_t now = 1700000000;
    CStoryArchive& archive = CAppCoreInside::Archive(core);
    archive.SetClock([&now] { return now; });
    auto visible = [&archive] {
        CStoryArchiveGuard lock(archive);
        int n = 0;
        for (archive.Open("rb"); archive.FindNextVisible() == 1;) ++n;
        return n;
    };
    {
        CStoryArchiveGuard lock(archive);
        archive.Open("r+b");
        const CStory old = MakeStory("Custom: http://example.com/", "Old story", static_cast<std::int32_t>(now), STORY_READ);
        ASSERT_EQ(archive.Add(old, false), 1);
        archive.Close();
    }
    CRecordingTarget storyList;
    core.SetStoryListTarget(&storyList);
    now += 47 * 3600;
    core.OnArchiveMaintenance();
    EXPECT_EQ(visible(), 1);
    now += 2 * 3600;
    core.OnArchiveMaintenance();
    EXPECT_EQ(visible(), 0) << "older than 48 hours";
    EXPECT_EQ(storyList.Count(WM_STORIES_CHANGED), 2);
}

}  // namespace

namespace {

TEST(AppCoreFolder, OneWriterPerFolderAndOnlyOurTemporaryFilesAreCleared) {
    CTempDir dir;
    CRecordingMessageBoxes boxes;
    auto first = std::make_unique<CAppCore>(boxes);
    first->FindApplicationFolder(dir.File("home"), "");
    std::string error;
    ASSERT_TRUE(first->PrepareFolder(error));
    ASSERT_TRUE(first->LockFolder(error)) << error;

    CAppCore second(boxes);
    second.FindApplicationFolder(dir.File("home"), "");
    EXPECT_FALSE(second.LockFolder(error));
    EXPECT_NE(error.find("another Skimbolt"), std::string::npos) << error;
    first.reset();
    EXPECT_TRUE(second.LockFolder(error)) << "released with its holder";

    const std::string data = second.GetDataPath();
    const char* ours[] = {"config.txt.Ab12Cd", "sources.txt.x9Y8z7", "daily_ne1a2b3c4d.tmp",
                          "news.exa1a2b3c4d-0123456789abcdef.tmp"};
    const char* theirs[] = {"notes.tmp", "config.txt.bak", "config.txt.Ab12Cd9", "photo.XXXXXX",
                            "notes-0123456789abcdef.tmp"};
    for (const char* name : ours) ASSERT_TRUE(WriteFileAtomically(data + name, "x"));
    for (const char* name : theirs) ASSERT_TRUE(WriteFileAtomically(data + name, "x"));
    second.LoadData();
    for (const char* name : ours) EXPECT_FALSE(FileExists(data + name)) << name;
    for (const char* name : theirs) EXPECT_TRUE(FileExists(data + name)) << name;
}

// With a banner host (from the registry) the story pages go to a folder a
// confined browser can read (the download folder's Skimbolt/), which
// start-up makes and gives the companion files, without replacing one the
// user changed.
TEST(AppCoreFolder, StoryPagesWithABannerHostGoOutsideHiddenFolders) {
    CTempDir dir;
    CRecordingMessageBoxes boxes;
    const std::string user = dir.File("user"), pages = dir.File("user/Fetched/Skimbolt/");
    std::filesystem::create_directories(dir.File("user/.config"));
    std::filesystem::create_directories(pages);
    auto downloadDir = [&](const std::string& named) {
        return WriteFileAtomically(user + "/.config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"" + named + "\"\n");
    };
    ASSERT_TRUE(downloadDir("$HOME/Fetched"));
    const std::string savedHome = getenv("HOME") ? getenv("HOME") : "/";
    setenv("HOME", user.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DOWNLOAD_DIR");

    CRegistry registry(dir.File("registry.ini"));
    registry.SetValue(REGISTRY_KEY_CURRENT, "BannerHost", "ads.example");
    ASSERT_TRUE(registry.Save());
    ASSERT_TRUE(WriteFileAtomically(pages + "line.html", "mine"));
    CAppCore core(boxes);
    core.FindApplicationFolder(dir.File("home"), dir.File("registry.ini"));
    std::string error, text;
    ASSERT_TRUE(core.PrepareFolder(error)) << error;
    core.LoadData();
    EXPECT_EQ(core.Stories().PagesFolder(), pages);
    for (const char* name : {"top_left.html", "btm_left.html", "btm_right.html", "banner.html", "noframes.gif",
                             "skimbolt_small.gif"})
        EXPECT_TRUE(FileExists(pages + name)) << name;
    EXPECT_TRUE(ReadWholeFile(pages + "line.html", text) && text == "mine") << "a changed copy is kept";
    EXPECT_EQ(CAppCoreInside::StoryPages(core).BannerUrl(), "http://ads.example/products/banner/");

    // A download folder that is hidden, missing or the home folder itself:
    // Skimbolt/ in the home folder.
    std::filesystem::create_directories(user + "/.cache/dl");
    for (const char* named : {"$HOME/.cache/dl", "$HOME/Gone", "$HOME"}) {
        ASSERT_TRUE(downloadDir(named));
        EXPECT_EQ(StoryPagesFolder(CDesktopSystem()), user + "/Skimbolt/") << named;
    }
    setenv("HOME", savedHome.c_str(), 1);
}

TEST(SourceHealth, LastOutcomePerPageSurvivesARestartAndDamage) {
    CTempDir dir;
    CSourceHealth health;
    health.Load(dir.Path());
    int writes = 0;
    health.SetWriter([&](const std::string& path, const std::string& text) {
        ++writes;
        return WriteFileAtomically(path, text, 0600);
    });
    health.Record({"http://a.example/news", 1700000000, true, 12, 3, ""});
    health.Record({"http://b.example/", 1700000100, false, 0, 0, "HTTP status 503"});
    health.Record({"http://a.example/news", 1700000200, false, 0, 0, "time-out"});  // replaces the first
    health.Record({"http://e.example/", 1700000250, true, 9, 4, "", 2});
    EXPECT_EQ(writes, 0) << "recording only keeps the outcome";
    ASSERT_TRUE(health.Save());
    ASSERT_TRUE(health.Save());
    EXPECT_EQ(writes, 1) << "nothing new: nothing written";

    const std::string file = dir.File(CSourceHealth::FILE_NAME);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    std::string text;
    ASSERT_TRUE(ReadWholeFile(file, text));
    ASSERT_TRUE(WriteFileAtomically(file, text + "garbage line\r\nhttp://c/\tx\t1\t2\t1\t\r\n" +
                                              "http://d.example/\t1700000300\t1\t5\t2\t\r\n" +
                                              "http://f.example/\t1700000300\t1\t5\t2\t\t9\r\n"));
    CSourceHealth again;
    again.Load(dir.Path());
    const std::vector<PageHealth> pages = again.Snapshot();
    ASSERT_EQ(pages.size(), 4u) << "a count of failed articles above the story links is damage";
    EXPECT_EQ(pages[0].url, "http://a.example/news");
    EXPECT_EQ(pages[0].Outcome(), "time-out");
    EXPECT_EQ(pages[0].tRead, 1700000200);
    EXPECT_EQ(pages[1].Outcome(), "HTTP status 503");
    EXPECT_EQ(pages[2].Outcome(), "read, 9 story links, 4 new, 2 article pages not read");
    EXPECT_EQ(pages[3].Outcome(), "read, 5 story links, 2 new") << "a line of an older version";
    PageHealth missing;
    EXPECT_FALSE(again.Find("http://c/", missing));
}

// A scan writes the pages' outcomes (and the article retries) once, when its
// last page has been read, however many pages it reads; a stop writes only
// what is new.
TEST_F(AppCoreTest, AScanWritesTheSourceHealthOnceAtItsEnd) {
    CTestHttpServer server;
    server.SetPage("/a.html", "<html><body><ul><li><a href='/s1.html'>Council approves the new harbour wall</a>"
                              "<li><a href='/s2.html'>Ferry timetable changes for the winter</a>"
                              "</ul></body></html>");
    server.SetResponse("/busy.html", {.status = 503, .body = "<html>busy</html>"});
    server.SetResponse("/s2.html", {.status = 503, .body = "<html>busy</html>"});
    server.SetPage("/quiet.html", "<html><body><p>Nothing to see here today.</p></body></html>");
    CNewsSettings& settings = CAppCoreInside::Settings(core);
    settings.AddKeyword("+harbour");
    settings.SetFlag(SETTING_CHECK_ONLY_TITLE, 0);  // Extensive: every article is read
    settings.SetFlag(SETTING_TITLE_CONTAINS_KEYWORD, 0);
    for (const char* page : {"/a.html", "/busy.html", "/quiet.html", "/a.html?again"}) settings.AddUrl(server.Url(page));

    CSourceHealth& health = CAppCoreInside::Health(core);
    // Pages in the file at each write; shared with the writer, which the
    // core keeps after the test's end.
    auto pWritten = std::make_shared<std::vector<std::size_t>>();
    std::vector<std::size_t>& written = *pWritten;
    health.SetWriter([pWritten](const std::string& path, const std::string& text) {
        pWritten->push_back(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
        return WriteFileAtomically(path, text, 0600);
    });
    core.RunForcedScan();
    EXPECT_EQ(written, std::vector<std::size_t>{4});
    PageHealth busy;
    ASSERT_TRUE(health.Find(server.Url("/busy.html"), busy));
    EXPECT_EQ(busy.Outcome(), "HTTP status 503");
    core.Stop();
    EXPECT_EQ(written.size(), 1u) << "nothing new since the scan";

    core.SetEnabled(true);
    core.RunForcedScan();
    EXPECT_EQ(written.size(), 2u);
    CSourceHealth fromFile;
    fromFile.Load(core.GetDataPath());
    EXPECT_EQ(fromFile.Snapshot().size(), 4u);

    // The stories whose article answered 503 wait in the retry file, which a
    // new scanner (as after a restart) reads and counts on from.
    std::string retries;
    ASSERT_TRUE(ReadWholeFile(core.GetDataPath() + CArticleRetries::FILE_NAME, retries));
    EXPECT_EQ(retries.rfind(std::string(CArticleRetries::FILE_HEADER) + "\n2\n", 0), 0u) << retries;
    EXPECT_GE(std::count(retries.begin(), retries.end(), '\n'), 3) << retries;
    core.CreateScanner(window);
    core.RunForcedScan();
    ASSERT_TRUE(ReadWholeFile(core.GetDataPath() + CArticleRetries::FILE_NAME, retries));
    EXPECT_EQ(retries.rfind(std::string(CArticleRetries::FILE_HEADER) + "\n3\n", 0), 0u) << retries;
}

}  // namespace
