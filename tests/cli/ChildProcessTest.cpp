// The headless program run as a child process: runs of --scan-once, and of
// the desktop program's way through the core (desktop_path_child), killed at
// random moments (SIGKILL) on a loopback site with many stories lose no
// story, record none twice, leave none untested and announce every new one
// exactly once, over the killed run and the next (the seed is printed so
// that a failure can be replayed with SKIMBOLT_KILL_SEED); and the source
// health a scan records and --status lists.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/AppCore.h"
#include "common/FileUtil.h"
#include "config/NewsSettings.h"
#include "store/StoryArchive.h"
#include "support/AppCoreInside.h"
#include "support/NewsSite.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"

namespace {

// Starts program (skimbolt-cli unless named) with its output in outPath and
// errors in errPath; returns its pid.
pid_t Spawn(std::vector<std::string> args, const std::string& outPath, const std::string& errPath = "/dev/null",
            std::string program = SKIMBOLT_CLI) {
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr)) ::_exit(126);
    std::vector<char*> argv{program.data()};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

struct CliRun { int status = -1; std::string out, err; };

CliRun RunCli(const CTempDir& dir, std::vector<std::string> args) {
    const std::string outPath = dir.File("out.txt"), errPath = dir.File("err.txt");
    CliRun run;
    int status = 0;
    ::waitpid(Spawn(std::move(args), outPath, errPath), &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ReadWholeFile(outPath, run.out);
    ReadWholeFile(errPath, run.err);
    return run;
}

// An application folder whose config.txt holds one keyword group and the
// pages, in the mode given (Extensive: every article is read).
void MakeHome(const std::string& home, const char* group, const std::vector<std::string>& pages, bool bExtensive) {
    CNewsSettings settings;
    settings.SetFileName(home);
    settings.SetAutoSave();
    settings.Load();
    if (bExtensive) {
        settings.SetFlag(SETTING_TITLE_CONTAINS_KEYWORD, 0);
        settings.SetFlag(SETTING_CHECK_ONLY_TITLE, 0);
    }
    settings.AddKeyword(group);
    for (const std::string& page : pages) settings.AddUrl(page);
}

// A site of 40 stories; the keyword is only in the article of every other
// one, so each story's test reads its article.
CNewsSite ManyStories() {
    const char* places[] = {"Ashford", "Bramley", "Colby", "Dunmore", "Elmstead", "Farley", "Glenwood", "Hartfield"};
    const char* events[] = {"opens a new library for families", "plans wider roads near the old mill",
                            "celebrates a century of its market", "welcomes a new fire station crew",
                            "debates the future of its bus routes"};
    CNewsSite site;
    site.SetStories({});
    int n = 0;
    for (const char* place : places) {
        for (const char* event : events) {
            SiteStory s;
            s.path = "/story/k" + std::to_string(n) + ".html";
            s.headline = std::string("Council of ") + place + " " + event;
            s.description = "Residents gave their views at a long meeting on Tuesday night.";
            s.article = std::string("The council of ") + place +
                            " met on Tuesday evening to hear from residents, and after a long debate the members "
                            "agreed on a plan that will shape the town for many years to come" +
                            (n % 2 ? ", with the harbour as its centre," : ",") +
                            " officials said after the meeting ended late.";
            site.AddStory(s);
            ++n;
        }
    }
    return site;
}

TEST(KillTest, KilledScansLoseNothingAndAnnounceNothingTwice) {
    unsigned seed = std::random_device{}();
    if (const char* fixed = std::getenv("SKIMBOLT_KILL_SEED")) seed = static_cast<unsigned>(std::strtoul(fixed, nullptr, 10));
    std::printf("kill test seed: %u (replay with SKIMBOLT_KILL_SEED=%u)\n", seed, seed);
    std::mt19937 random(seed);

    CTestHttpServer server;
    const CNewsSite site = ManyStories();
    site.Serve(server);
    // Articles answer a little late, so that kills fall between a story's
    // test and its recording as often as anywhere else.
    for (const SiteStory& s : site.Stories()) {
        const std::string page = site.ArticlePage(s);
        server.SetHandler(s.path, [page](const TestHttpRequest&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(4));
            return TestHttpResponse{.body = page};
        });
    }
    // The folder every round starts from.
    CTempDir dir;
    const std::string start = dir.File("start/");
    MakeHome(start, "+harbour", {server.Url(CNewsSite::FRONT_PAGE)}, true);
    auto freshHome = [&](const std::string& name) {
        const std::string home = dir.File(name + "/");
        std::filesystem::copy(start, home, std::filesystem::copy_options::recursive);
        return home;
    };
    // The commands, and the desktop program's way (scanning thread, news
    // taken at wake-ups, the last run's unannounced stories brought by the
    // wake-up of the problems collected at start).
    bool bDesktopPath = false;
    auto run = [&](const std::string& home, const std::string& outPath) {
        if (bDesktopPath) return Spawn({home}, outPath, "/dev/null", DESKTOP_PATH_CHILD);
        return Spawn({"--home", home, "--scan-once"}, outPath);
    };

    auto announced = [&](const std::string& outPath, std::map<std::string, int>& count) {
        std::string text;
        ReadWholeFile(outPath, text);
        for (std::size_t pos = 0, end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1)
            ++count[text.substr(pos, text.find('\t', pos) - pos)];
    };
    auto recorded = [&](const std::string& home) {
        std::map<std::string, std::vector<int>> states;
        CRecordingMessageBoxes boxes;  // loaded as the program loads it at start-up
        CAppCore core(boxes);
        core.FindApplicationFolder(home, "");
        core.LoadData();
        CStoryArchive& archive = CAppCoreInside::Archive(core);
        CStoryArchiveGuard lock(archive);
        if (archive.Open("rb") != 0) return states;
        for (int state : {STORY_PENDING, STORY_NEW})
            while (archive.FindNextWithState(state) == 1)
                states[archive.GetCurrentStory()->GetHeadline()].push_back(state);
        archive.Close();
        return states;
    };

    // Each round: a run killed at a random moment, then a run left to finish.
    int status = 0;
    long maxDelayUs = 0;
    for (int round = 0; round < 28; ++round) {
        if (round == 0 || round == 20) {
            // How long a whole run takes, so that the kills fall inside one.
            bDesktopPath = round == 20;
            const auto t0 = std::chrono::steady_clock::now();
            ::waitpid(run(freshHome(bDesktopPath ? "probe-desktop" : "probe"), dir.File("probe.txt")), &status, 0);
            const auto fullRun = std::chrono::steady_clock::now() - t0;
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            maxDelayUs = std::chrono::duration_cast<std::chrono::microseconds>(fullRun).count() * 6 / 5;
        }
        const long delayUs = std::uniform_int_distribution<long>(0, maxDelayUs)(random);
        SCOPED_TRACE(std::string(bDesktopPath ? "desktop path" : "--scan-once") + " round " + std::to_string(round) +
                     ", kill after " + std::to_string(delayUs) + " us");
        const std::string home = freshHome("r" + std::to_string(round));
        // A child killed before it opened its output must not leave the last round's.
        std::filesystem::remove(dir.File("killed.txt"));
        const pid_t pid = run(home, dir.File("killed.txt"));
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        for (const auto& [headline, list] : recorded(home))
            EXPECT_EQ(list.size(), 1u) << headline << " recorded twice after the kill";

        ::waitpid(run(home, dir.File("finished.txt")), &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::map<std::string, int> count;
        announced(dir.File("killed.txt"), count);
        announced(dir.File("finished.txt"), count);
        std::map<std::string, std::vector<int>> states = recorded(home);
        int n = 0;
        for (const SiteStory& s : site.Stories()) {
            const bool bMatches = n++ % 2 == 1;
            ASSERT_EQ(states[s.headline].size(), 1u) << s.headline << " lost or recorded twice";
            EXPECT_EQ(states[s.headline][0], bMatches ? STORY_NEW : STORY_PENDING) << s.headline << " left untested";
            EXPECT_EQ(count[s.headline], bMatches ? 1 : 0) << s.headline << " announced " << count[s.headline]
                                                            << " times";
        }
    }
}

// Source health end to end: a scan records how each page went, --scan-once
// reports the failures, and --status lists every configured page with its
// outcome, also after a restart.
TEST(SourceStatus, EachPageKeepsTheOutcomeOfItsLastRead) {
    CTestHttpServer server;
    CNewsSite site;
    site.Serve(server);
    server.SetResponse("/busy.html", {.status = 503, .body = "<html>busy</html>"});
    server.SetResponse("/logo.png", {.body = "\x89PNG....", .headers = {{"Content-Type", "image/png"}}});
    server.SetPage("/quiet.html", "<html><body><p>Nothing to see here today.</p></body></html>");
    CTempDir dir;
    const std::string home = dir.File("home/");
    const std::vector<std::string> pages = {server.Url(CNewsSite::FRONT_PAGE), server.Url("/busy.html"),
                                            server.Url("/logo.png"), server.Url("/quiet.html")};
    MakeHome(home, "+inflation", pages, false);

    CliRun status = RunCli(dir, {"--home", home, "--status"});
    EXPECT_EQ(status.status, 0) << status.err;
    EXPECT_NE(status.out.find("never\tnot read yet"), std::string::npos) << status.out;

    const CliRun scan = RunCli(dir, {"--home", home, "--scan-once"});
    EXPECT_EQ(scan.status, 0) << scan.err;
    EXPECT_NE(scan.err.find("page failed: " + pages[1] + ": HTTP status 503"), std::string::npos) << scan.err;

    status = RunCli(dir, {"--home", home, "--status"});
    EXPECT_EQ(status.status, 0) << status.err;
    const std::string n = std::to_string(site.Stories().size());
    const std::string expected[] = {"read, " + n + " story links, " + n + " new", "HTTP status 503",
                                    "not HTML", "no story links found"};
    for (std::size_t i = 0, line = 0; i < pages.size(); ++i) {  // one line per page, in order
        ASSERT_NE(line = status.out.find(pages[i] + "\t", line), std::string::npos) << status.out;
        EXPECT_NE(status.out.substr(line, status.out.find('\n', line) - line).find(expected[i]), std::string::npos)
            << pages[i];
    }
}

}  // namespace
