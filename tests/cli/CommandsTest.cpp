// The headless commands, run in-process with their standard output and error
// captured, on temporary application folders and the generated news site.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "cli/Commands.h"
#include "common/FileUtil.h"
#include "config/NewsSettings.h"
#include "html/HtmlParser.h"
#include "net/ConnectedState.h"
#include "support/NewsSite.h"
#include "support/SymlinkTable.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

struct CommandResult { std::optional<int> status; std::string out, err; };

std::string ReadText(const std::string& path) {
    std::string text;
    return ReadWholeFile(path, text) ? text : "";
}

std::optional<int> Invoke(Strings args) {
    args.insert(args.begin(), "skimbolt");
    std::vector<char*> argv;
    for (std::string& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);
    return RunHeadlessCommand(static_cast<int>(args.size()), argv.data());
}

// Runs `body` with file descriptors 1 and 2 sent to files; body may read
// what has been written so far through the function it is given.
CommandResult Captured(const std::function<std::optional<int>(const std::function<std::string()>&)>& body) {
    CTempDir dir;
    const std::string paths[] = {dir.File("stdout.txt"), dir.File("stderr.txt")};
    int saved[2];
    for (int fd : {1, 2}) {
        std::fflush(fd == 1 ? stdout : stderr);
        saved[fd - 1] = ::dup(fd);
        const int file = ::open(paths[fd - 1].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, fd);
        ::close(file);
    }
    CommandResult r;
    r.status = body([&] { return ReadText(paths[0]); });
    for (int fd : {1, 2}) {
        std::fflush(fd == 1 ? stdout : stderr);
        ::dup2(saved[fd - 1], fd);
        ::close(saved[fd - 1]);
    }
    r.out = ReadText(paths[0]);
    r.err = ReadText(paths[1]);
    return r;
}

CommandResult RunCommand(const Strings& args) {
    return Captured([&](const auto&) { return Invoke(args); });
}

// Runs --headless on home, on line, until it has printed `until` (at most
// 30 s), then stops it with SIGTERM.
CommandResult RunHeadlessUntil(const std::string& home, const std::string& until) {
    const NetworkProbeFunction oldProbe = SetNetworkProbe([] { return NetworkProbeResult::Connected; });
    CommandResult r = Captured([&](const std::function<std::string()>& out) {
        std::optional<int> status;
        std::thread command([&] { status = Invoke({"--home", home, "--headless"}); });
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (out().find(until) == std::string::npos && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::kill(::getpid(), SIGTERM);
        command.join();
        return status;
    });
    SetNetworkProbe(oldProbe);
    return r;
}

Strings Split(const std::string& text, char separator) {
    Strings parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    return parts;
}
Strings Lines(const std::string& text) { return Split(text, '\n'); }
// A front page of n stories "Storm number I hits the town overnight".
std::string StormPage(int n) {
    std::string page = "<html><body><h1>News</h1>";
    for (int i = 0; i < n; ++i)
        page += "<div><h3><a href=\"/news/2026/12/story-" + std::to_string(i) + ".html\">Storm number " +
                std::to_string(i) + " hits the town overnight</a></h3></div>";
    return page + "</body></html>";
}
Strings Fields(const std::string& line) { return Split(line, '\t'); }

// Every path under root (or root itself) with the contents of the files.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> out;
    if (!fs::is_directory(root)) return {{root, ReadText(root)}};
    for (const auto& e : fs::recursive_directory_iterator(root))
        out[e.path().string()] = e.is_directory() ? "<dir>" : ReadText(e.path().string());
    return out;
}

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override { site.Serve(server); }

    // An application folder whose config.txt holds these groups and URLs.
    std::string MakeHome(const Strings& groups, const Strings& urls) {
        const std::string home = dir.File("home/");
        CNewsSettings settings;
        settings.SetFileName(home);
        settings.SetAutoSave();
        settings.Load();
        for (const std::string& g : groups) settings.AddKeyword(g);
        for (const std::string& u : urls) settings.AddUrl(u);
        return home;
    }

    std::string WriteFile(const std::string& name, const std::string& text) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteFileAtomically(path, text));
        return path;
    }

    CTempDir dir;
    CTestHttpServer server;
    CNewsSite site;
};

TEST_F(CommandsTest, ScanOnceSaysWhatIsMissingThenPrintsEachNewStoryOnce) {
    // A fresh folder gets the default settings and nothing to scan.
    CommandResult r = RunCommand({"--home", dir.File("fresh/"), "--scan-once"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no keyword groups and no news source or custom URL"), std::string::npos) << r.err;
    EXPECT_NE(ReadText(dir.File("fresh/Data/config.txt")).find("Poll_Period 600 600"), std::string::npos);
    r = RunCommand({"--home", MakeHome({"+inflation"}, {}), "--scan-once"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no news source or custom URL"), std::string::npos) << r.err;

    const std::string front = server.Url(CNewsSite::FRONT_PAGE);
    const std::string home = MakeHome({"+stock market-football"}, {front});
    r = RunCommand({"--home", home, "--scan-once"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Strings lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_EQ(Fields(lines[0]), (Strings{"Central bank warns inflation may stay high", server.Url("/story/1.html"),
                                         "Custom: " + front, "+inflation"}));
    EXPECT_EQ(Fields(lines[1]), (Strings{"Stock market climbs as tech shares rebound", server.Url("/story/2.html"),
                                         "Custom: " + front, "+stock_market-football"}));

    // The stories are known now: a second scan prints nothing.
    r = RunCommand({"--home=" + home, "--scan-once"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(server.RequestCount(CNewsSite::FRONT_PAGE), 2);

    // Stories are printed in batches as the scan finds them: those of a
    // page of more stories than a batch are out before the next page is read,
    // each once, in page order, and none is left waiting to be announced.
    server.SetResponse("/big.html", {.status = 200, .body = StormPage(300)});
    // What the command has printed so far, while it runs (the server's
    // handler may outlive the run when the read gives up on it).
    struct Watch {
        std::mutex mutex;
        std::function<std::string()> printed;
        std::atomic<bool> bPrintedBeforeNextPage{false};
    };
    auto watch = std::make_shared<Watch>();
    server.SetHandler("/later.html", [watch](const TestHttpRequest&) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        bool bPrinted = false;
        while (!bPrinted && std::chrono::steady_clock::now() < end) {
            {
                std::lock_guard<std::mutex> lock(watch->mutex);
                bPrinted = watch->printed && watch->printed().find("Storm number 255 ") != std::string::npos;
            }
            if (!bPrinted) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        watch->bPrintedBeforeNextPage = bPrinted;
        return TestHttpResponse{.status = 200, .body = "<html><body><h3><a href=\"/news/2026/12/calm.html\">"
                                                          "Calm weather expected across the region</a></h3></body></html>"};
    });
    const std::string bigHome = dir.File("big/");
    {
        CNewsSettings bigSettings;
        bigSettings.SetFileName(bigHome);
        bigSettings.SetAutoSave();
        bigSettings.Load();
        bigSettings.AddKeyword("+storm");
        bigSettings.AddUrl(server.Url("/big.html"));
        bigSettings.AddUrl(server.Url("/later.html"));
    }
    r = Captured([&](const std::function<std::string()>& out) {
        {
            std::lock_guard<std::mutex> lock(watch->mutex);
            watch->printed = [&out] { return out(); };
        }
        const std::optional<int> status = Invoke({"--home", bigHome, "--scan-once"});
        std::lock_guard<std::mutex> lock(watch->mutex);
        watch->printed = nullptr;
        return status;
    });
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(watch->bPrintedBeforeNextPage);
    const Strings bigLines = Lines(r.out);
    ASSERT_EQ(bigLines.size(), 300u);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(Fields(bigLines[i])[1], server.Url("/news/2026/12/story-" + std::to_string(i) + ".html"));
    const Strings waiting = Lines(ReadText(bigHome + "Data/unannounced.txt"));
    EXPECT_LE(waiting.size(), 1u) << "only a heading may stay";

    // A page that fails beside one read well is reported; when every page
    // fails, the scan learnt nothing and says so with status 1.
    server.SetResponse("/busy.html", {.status = 503, .body = "<html>busy</html>"});
    CNewsSettings settings;
    settings.SetFileName(home);
    settings.SetAutoSave();
    settings.Load();
    settings.AddUrl(server.Url("/busy.html"));
    r = RunCommand({"--home", home, "--scan-once"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("page failed: " + server.Url("/busy.html") + ": HTTP status 503"), std::string::npos) << r.err;
    server.SetResponse(CNewsSite::FRONT_PAGE, {.status = 404, .body = "gone"});
    r = RunCommand({"--home", home, "--scan-once"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("every page failed"), std::string::npos) << r.err;
}

TEST_F(CommandsTest, LinksAndArticleOfFilesAndWebPages) {
    // A local file's links are resolved against its page URL; the temporary
    // story archive is removed afterwards.
    const std::string page = WriteFile("front.html", site.FrontPage("http://news.example"));
    const std::string tmp = dir.File("tmp/");
    fs::create_directories(tmp);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", tmp.c_str(), 1);
    CommandResult r = RunCommand({"--links", page, "--page-url", "http://news.example/index.html"});
    oldTmp ? ::setenv("TMPDIR", savedTmp.c_str(), 1) : ::unsetenv("TMPDIR");
    ASSERT_EQ(r.status, 0) << r.err;
    Strings lines = Lines(r.out), expected;
    for (const SiteStory& s : site.Stories())
        expected.push_back(s.headline + "\thttp://news.example" + s.path + "\t" + s.description);
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(fs::is_empty(tmp));
    // A tab inside a field becomes a space, so that every line keeps its fields.
    const std::string tab = WriteFile("tab.html", "<ul><li><a href=\"/2024/a\tb.html\">Storm warning for the coast</a>");
    r = RunCommand({"--links", tab, "--page-url", "http://news.example/"});
    EXPECT_EQ(Fields(r.out), (Strings{"Storm warning for the coast", "http://news.example/2024/a b.html", "\n"}));

    // Price listing rows of a web page; no article is read.
    r = RunCommand({"--links", server.Url(CNewsSite::MARKET_PAGE)});
    ASSERT_EQ(r.status, 0) << r.err;
    lines = Lines(r.out);
    ASSERT_EQ(lines.size(), site.Listings().size());
    const SiteListing& first = site.Listings().front();
    EXPECT_EQ(Fields(lines[0]), (Strings{first.code + ": " + first.title, server.Url(first.path), first.price}));
    EXPECT_EQ(server.RequestCount("/story/1.html"), 0);

    // The article text of a page, local or served, for its headline.
    const SiteStory& river = site.Stories()[3];
    for (const std::string& article : {WriteFile("river.html", site.ArticlePage(river)), server.Url(river.path)}) {
        r = RunCommand({"--article", article, "--headline", river.headline});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find(river.article), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find('\r'), std::string::npos);
    }
}

TEST_F(CommandsTest, BadArgumentsAndUnreadablePagesAreRefusedWithAMessageButHelpIsNot) {
    const std::string page = WriteFile("front.html", site.FrontPage("http://news.example"));
    const std::string closed = CTestHttpServer().Url("/index.html");
    const std::string oversize = WriteFile("big.html", std::string(CHtmlParser::MAX_PAGE_SIZE, 'x'));
    const std::string missing = dir.File("missing.html");
    const std::pair<int, Strings> cases[] = {
        {2, {"--links"}}, {2, {"--links", page}} /* a file needs --page-url */, {2, {"--article", page, "--headline"}},
        {2, {"--scan-once", "--headless"}}, {2, {"--links", page, "--page-url", "http://x/", "--scan-once"}},
        {2, {"--bogus"}}, {2, {"--scan-once", "--headline", "x"}}, {2, {"--scan-once", "extra"}},
        {2, {"--home=", "--scan-once"}}, {1, {"--links", missing, "--page-url", "http://x/"}},
        {1, {"--links", dir.Path(), "--page-url", "http://x/"}} /* a folder */,
        {1, {"--links", oversize, "--page-url", "http://x/"}}, {1, {"--article", closed, "--headline", "Anything"}},
    };
    for (const auto& [status, args] : cases) {
        const CommandResult r = RunCommand(args);
        const std::string joined = ::testing::PrintToString(args);
        EXPECT_EQ(r.status, status) << joined;
        EXPECT_NE(r.err, "") << joined;
        EXPECT_EQ(r.out, "") << joined;
    }
    EXPECT_NE(RunCommand({"--help"}).out.find("--scan-once"), std::string::npos);
    // Without a headless command the desktop program starts.
    EXPECT_FALSE(Invoke({"--home", dir.Path()}).has_value());
    EXPECT_FALSE(Invoke({"--no-splash", "/Embedding"}).has_value());
    EXPECT_FALSE(Invoke({}).has_value());
}

// A folder the program cannot use safely is refused before anything in it
// is read, written or created.
TEST_F(CommandsTest, UnusableHomeFolderIsRefusedAndLeftAlone) {
    const std::string fileHome = WriteFile("plain-file", "not a folder\n");
    const std::string dataFileHome = dir.File("datafile/");
    fs::create_directories(dataFileHome);
    WriteFileAtomically(dataFileHome + "Data", "not a folder either\n");
    const std::string configDirHome = dir.File("configdir/");  // config.txt is a folder
    fs::create_directories(configDirHome + "Data/config.txt");
    WriteFileAtomically(configDirHome + "Data/sources.txt", "Riverside Courier 1\r\n");
    WriteFileAtomically(configDirHome + "Data/old.dat", std::string(64, '\0'));

    for (const std::string& home : {fileHome, dataFileHome, configDirHome}) {
        for (const char* command : {"--scan-once", "--headless"}) {
            const auto before = Snapshot(home);
            const CommandResult r = RunCommand({"--home", home, command});
            EXPECT_EQ(r.status, 1) << home << " " << command;
            EXPECT_NE(r.err.find("cannot use the application folder"), std::string::npos) << r.err;
            EXPECT_EQ(Snapshot(home), before) << home << " " << command;
        }
    }
    EXPECT_EQ(server.RequestCount(), 0);
}

TEST_F(CommandsTest, HeadlessPrintsTheNotificationsAndStopsOnSigterm) {
    const std::string front = server.Url(CNewsSite::FRONT_PAGE);
    const std::string home = MakeHome({"+inflation"}, {front});
    const CommandResult r = RunHeadlessUntil(home, "scan finished");

    ASSERT_EQ(r.status, 0) << r.err;
    const Strings lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 6u) << r.out;
    EXPECT_EQ(Strings(lines.begin(), lines.begin() + 4),
              (Strings{"watching (poll period 600 s); stop with Ctrl+C", "scan started", "scan finished",
                       "new stories: 1"}));
    EXPECT_EQ(Fields(lines[4]), (Strings{"  Central bank warns inflation may stay high", server.Url("/story/1.html"),
                                         "Custom: " + front, "+inflation"}));
    EXPECT_EQ(lines[5], "stopped");

    // A pass that finds more stories than a batch prints a batch as soon as
    // it is full, the rest when the cycle ends.
    server.SetResponse("/big.html", {.status = 200, .body = StormPage(300)});
    const std::string bigHome = dir.File("big/");
    {
        CNewsSettings settings;
        settings.SetFileName(bigHome);
        settings.SetAutoSave();
        settings.Load();
        settings.AddKeyword("+storm");
        settings.AddUrl(server.Url("/big.html"));
    }
    const CommandResult big = RunHeadlessUntil(bigHome, "scan finished");
    ASSERT_EQ(big.status, 0) << big.err;
    // A batch holds what the core has stored when its 256th story is
    // handled: at least 256, and more when the scan has run ahead.
    const Strings bigLines = Lines(big.out);
    ASSERT_GE(bigLines.size(), 4u) << big.out;
    EXPECT_EQ(bigLines[1], "scan started");
    EXPECT_EQ(bigLines[2].rfind("new stories: ", 0), 0u) << "a batch before the pass ended: " << bigLines[2];
    Strings urls;
    for (const std::string& line : bigLines) {
        const Strings fields = Fields(line);
        if (line.rfind("  ", 0) == 0 && fields.size() > 1) urls.push_back(fields[1]);
    }
    ASSERT_EQ(urls.size(), 300u) << big.out;
    for (int i = 0; i < 300; ++i) EXPECT_EQ(urls[i], server.Url("/news/2026/12/story-" + std::to_string(i) + ".html"));
}

// The symbolic-link table on the commands' way: a scan never writes through
// a link in Data/ or the story pages folder, and prints each link once.
TEST_F(CommandsTest, ScanOnceLeavesSymlinksAloneAndSaysSoOnce) {
    for (const SymlinkCase& c : kSymlinkCases) {
        SCOPED_TRACE(c.kind);
        CSymlinkBed bed(c, server.Url(CNewsSite::FRONT_PAGE), "+inflation");
        const CommandResult r = RunCommand({"--home", bed.Home(), "--scan-once"});
        bed.ExpectLeftAlone(r.err, site.Stories()[0].headline);
    }
}

}  // namespace
