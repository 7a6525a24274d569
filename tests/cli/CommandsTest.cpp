// The headless commands, run in-process with their standard output and error
// captured, on temporary application folders and the generated news site.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "cli/Commands.h"
#include "common/FileUtil.h"
#include "config/NewsSettings.h"
#include "net/ConnectedState.h"
#include "support/NewsSite.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"

namespace fs = std::filesystem;

namespace {

struct CommandResult {
    std::optional<int> status;
    std::string out;
    std::string err;
};

// Runs the command line with file descriptors 1 and 2 sent to files.
class CCapture {
public:
    explicit CCapture(const CTempDir& dir) : m_outPath(dir.File("stdout.txt")), m_errPath(dir.File("stderr.txt")) {
        std::fflush(stdout);
        std::fflush(stderr);
        m_savedOut = ::dup(1);
        m_savedErr = ::dup(2);
        std::FILE* out = std::fopen(m_outPath.c_str(), "w");
        std::FILE* err = std::fopen(m_errPath.c_str(), "w");
        ::dup2(::fileno(out), 1);
        ::dup2(::fileno(err), 2);
        std::fclose(out);
        std::fclose(err);
    }
    ~CCapture() { Restore(); }
    void Restore() {
        if (m_savedOut < 0) return;
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(m_savedOut, 1);
        ::dup2(m_savedErr, 2);
        ::close(m_savedOut);
        ::close(m_savedErr);
        m_savedOut = m_savedErr = -1;
    }
    std::string Out() const { return Read(m_outPath); }
    std::string Err() const { return Read(m_errPath); }

private:
    static std::string Read(const std::string& path) {
        std::string text;
        ReadWholeFile(path, text);
        return text;
    }
    std::string m_outPath, m_errPath;
    int m_savedOut = -1, m_savedErr = -1;
};

std::optional<int> Invoke(const std::vector<std::string>& args) {
    std::vector<std::string> storage = {"skimbolt"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : storage) argv.push_back(s.data());
    argv.push_back(nullptr);
    return RunHeadlessCommand(static_cast<int>(storage.size()), argv.data());
}

CommandResult RunCommand(const std::vector<std::string>& args) {
    CTempDir captureDir;
    CommandResult r;
    {
        CCapture capture(captureDir);
        r.status = Invoke(args);
        capture.Restore();
        r.out = capture.Out();
        r.err = capture.Err();
    }
    return r;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

// Every file and folder under root with the contents of the files.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    if (!fs::is_directory(root, ec)) {
        std::string text;
        ReadWholeFile(root, text);
        out[root] = text;
        return out;
    }
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::string text;
        if (it->is_regular_file()) ReadWholeFile(it->path().string(), text);
        out[it->path().string()] = it->is_directory() ? std::string("<dir>") : text;
    }
    return out;
}

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override { site.Serve(server); }

    std::string Base() const {
        const std::string url = server.Url("");
        return url.substr(0, url.size() - 1);
    }

    // An application folder whose config.txt holds these groups and URLs.
    std::string MakeHome(const std::vector<std::string>& groups, const std::vector<std::string>& urls) {
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

TEST_F(CommandsTest, ScanOncePrintsEachNewStoryOnce) {
    const std::string front = server.Url(CNewsSite::FRONT_PAGE);
    const std::string home = MakeHome({"+stock market-football", "+inflation"}, {front});

    CommandResult r = RunCommand({"--home", home, "--scan-once"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    const std::vector<std::vector<std::string>> expected = {
        {"Central bank warns inflation may stay high", server.Url("/story/1.html"), "Custom: " + front, "+inflation"},
        {"Stock market climbs as tech shares rebound", server.Url("/story/2.html"), "Custom: " + front,
         "+stock_market-football"}};
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(Fields(lines[i]), expected[i]);
    EXPECT_TRUE(FileExists(home + "Data/config.txt"));

    // The stories are known now: a second scan prints nothing.
    r = RunCommand({"--home=" + home, "--scan-once"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(server.RequestCount(CNewsSite::FRONT_PAGE), 2);
}

TEST_F(CommandsTest, ScanOnceOnAFreshFolderWritesTheDefaultsAndSaysWhatIsMissing) {
    const std::string home = dir.File("fresh/");
    CommandResult r = RunCommand({"--home", home, "--scan-once"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("no keyword groups and no news source or custom URL"), std::string::npos) << r.err;
    std::string config;
    ASSERT_TRUE(ReadWholeFile(home + "Data/config.txt", config));
    EXPECT_NE(config.find("Poll_Period 600 600"), std::string::npos);

    MakeHome({"+inflation"}, {});
    r = RunCommand({"--home", dir.File("home/"), "--scan-once"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no news source or custom URL"), std::string::npos) << r.err;
}

TEST_F(CommandsTest, LinksOfALocalFileAreResolvedAgainstItsPageUrl) {
    const std::string page = WriteFile("front.html", site.FrontPage("http://news.example"));
    const std::string tmp = dir.File("tmp/");
    fs::create_directories(tmp);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", tmp.c_str(), 1);
    CommandResult r = RunCommand({"--links", page, "--page-url", "http://news.example/index.html"});
    oldTmp ? ::setenv("TMPDIR", savedTmp.c_str(), 1) : ::unsetenv("TMPDIR");

    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), site.Stories().size()) << r.out;
    for (const std::string& line : lines) {
        const std::vector<std::string> f = Fields(line);
        ASSERT_EQ(f.size(), 3u) << line;
        const SiteStory* s = site.FindStory(f[0]);
        ASSERT_NE(s, nullptr) << line;
        EXPECT_EQ(f[1], "http://news.example" + s->path);
        EXPECT_EQ(f[2], s->description);
    }
    EXPECT_TRUE(fs::is_empty(tmp)) << "the temporary story archive is removed";
}

TEST_F(CommandsTest, LinksOfAWebPageIncludingPriceListings) {
    CommandResult r = RunCommand({"--links", server.Url(CNewsSite::MARKET_PAGE)});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), site.Listings().size());
    const SiteListing& first = site.Listings().front();
    EXPECT_EQ(Fields(lines[0]),
              (std::vector<std::string>{first.code + ": " + first.title, server.Url(first.path), first.price}));

    r = RunCommand({"--links", server.Url(CNewsSite::FRONT_PAGE)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out).size(), site.Stories().size());
    EXPECT_EQ(server.RequestCount("/story/1.html"), 0) << "no article is read";
}

TEST_F(CommandsTest, ArticleTextOfAPageForItsHeadline) {
    const SiteStory& river = site.Stories()[3];
    const std::string page = WriteFile("river.html", site.ArticlePage(river));
    CommandResult r = RunCommand({"--article", page, "--headline", river.headline});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(river.paragraphs[0]), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(river.paragraphs[1]), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);

    r = RunCommand({"--article", server.Url(river.path), "--headline", river.headline});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(river.paragraphs[0]), std::string::npos) << r.out;
}

TEST_F(CommandsTest, BadArgumentsAreRefusedWithAMessage) {
    const std::string page = WriteFile("front.html", site.FrontPage("http://news.example"));
    const std::vector<std::vector<std::string>> cases = {
        {"--links"},
        {"--links", page},  // a file needs --page-url
        {"--article", page},
        {"--article", page, "--headline"},
        {"--scan-once", "--headless"},
        {"--links", page, "--page-url", "http://x/", "--scan-once"},
        {"--bogus"},
        {"--page-url", "http://x/"},
        {"--headline", "x"},
        {"--scan-once", "--headline", "x"},
        {"--scan-once", "extra"},
        {"--home"},
        {"--home=", "--scan-once"},
    };
    for (const auto& args : cases) {
        std::string joined;
        for (const std::string& a : args) joined += a + " ";
        CommandResult r = RunCommand(args);
        EXPECT_EQ(r.status, 2) << joined;
        EXPECT_NE(r.err, "") << joined;
        EXPECT_EQ(r.out, "") << joined;
    }
}

TEST_F(CommandsTest, HelpListsTheCommandsAndHomeAloneStartsTheDesktopProgram) {
    CommandResult r = RunCommand({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* option : {"--home", "--scan-once", "--headless", "--links", "--page-url", "--article", "--headline"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    EXPECT_FALSE(Invoke({"--home", dir.Path()}).has_value());
    EXPECT_FALSE(Invoke({}).has_value());
}

TEST_F(CommandsTest, UnreadablePagesFail) {
    std::string closed;
    {
        CTestHttpServer gone;
        closed = gone.Url("/index.html");
    }
    const std::string oversize = WriteFile("big.html", std::string(130000, 'x'));
    const std::vector<std::vector<std::string>> cases = {
        {"--links", dir.File("missing.html"), "--page-url", "http://x/"},
        {"--links", dir.Path(), "--page-url", "http://x/"},  // a folder
        {"--links", oversize, "--page-url", "http://x/"},
        {"--article", closed, "--headline", "Anything"},
        {"--article", dir.File("missing.html"), "--headline", "Anything"},
    };
    for (const auto& args : cases) {
        CommandResult r = RunCommand(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_NE(r.err, "") << args[1];
        EXPECT_EQ(r.out, "") << args[1];
    }
}

// A folder the program cannot use safely is refused before anything in it
// is read, written or created.
TEST_F(CommandsTest, UnusableHomeFolderIsRefusedAndLeftAlone) {
    const std::string front = server.Url(CNewsSite::FRONT_PAGE);
    struct Case {
        const char* name;
        std::string home;
    };
    // The home is a file.
    const std::string fileHome = WriteFile("plain-file", "not a folder\n");
    // Data is a file.
    const std::string dataFileHome = dir.File("datafile/");
    fs::create_directories(dataFileHome);
    WriteFileAtomically(dataFileHome + "Data", "not a folder either\n");
    // config.txt is a folder, beside a sources.txt and a story file.
    const std::string configDirHome = dir.File("configdir/");
    fs::create_directories(configDirHome + "Data/config.txt");
    WriteFileAtomically(configDirHome + "Data/sources.txt", "Riverside Courier 1\r\n");
    WriteFileAtomically(configDirHome + "Data/old.dat", std::string(64, '\0'));

    for (const Case& c : {Case{"home is a file", fileHome}, Case{"Data is a file", dataFileHome},
                          Case{"config.txt is a folder", configDirHome}}) {
        for (const char* command : {"--scan-once", "--headless"}) {
            const auto before = Snapshot(c.home);
            CommandResult r = RunCommand({"--home", c.home, command});
            EXPECT_EQ(r.status, 1) << c.name << " " << command;
            EXPECT_NE(r.err.find("cannot use the application folder"), std::string::npos) << r.err;
            EXPECT_EQ(Snapshot(c.home), before) << c.name << " " << command;
        }
    }
    EXPECT_EQ(server.RequestCount(), 0);
}

NetworkProbeResult Online() { return NetworkProbeResult::Connected; }

TEST_F(CommandsTest, HeadlessPrintsTheNotificationsAndStopsOnSigterm) {
    const std::string home = MakeHome({"+inflation"}, {server.Url(CNewsSite::FRONT_PAGE)});
    const NetworkProbeFunction oldProbe = SetNetworkProbe(&Online);
    CTempDir captureDir;
    std::optional<int> status;
    std::string out, err;
    {
        CCapture capture(captureDir);
        std::thread command([&] { status = Invoke({"--home", home, "--headless"}); });
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (capture.Out().find("scan finished") == std::string::npos && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::kill(::getpid(), SIGTERM);
        command.join();
        capture.Restore();
        out = capture.Out();
        err = capture.Err();
    }
    SetNetworkProbe(oldProbe);

    ASSERT_EQ(status, 0) << err;
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), 6u) << out;
    EXPECT_EQ(lines[0], "watching (poll period 600 s); stop with Ctrl+C");
    EXPECT_EQ(lines[1], "scan started");
    EXPECT_EQ(lines[2], "scan finished");
    EXPECT_EQ(lines[3], "new stories: 1");
    EXPECT_EQ(Fields(lines[4]), (std::vector<std::string>{"  Central bank warns inflation may stay high",
                                                           server.Url("/story/1.html"),
                                                           "Custom: " + server.Url(CNewsSite::FRONT_PAGE),
                                                           "+inflation"}));
    EXPECT_EQ(lines[5], "stopped");
}

}  // namespace
