// Source health end to end: a scan records how each page went, --scan-once
// reports the failures, and --status lists every configured page with its
// outcome, also after a restart.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/FileUtil.h"
#include "config/NewsSettings.h"
#include "support/NewsSite.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"

namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
};

CliRun RunCli(const CTempDir& dir, std::vector<std::string> args) {
    const std::string outPath = dir.File("out.txt"), errPath = dir.File("err.txt");
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr)) ::_exit(126);
        std::string program = SKIMBOLT_CLI;
        std::vector<char*> argv{program.data()};
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    CliRun run;
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ReadWholeFile(outPath, run.out);
    ReadWholeFile(errPath, run.err);
    return run;
}

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
    {
        CNewsSettings settings;
        settings.SetFileName(home);
        settings.SetAutoSave();
        settings.Load();
        settings.AddKeyword("+inflation");
        for (const std::string& page : pages) settings.AddUrl(page);
    }

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
    std::size_t pos = 0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(pages[i]);
        const std::size_t line = status.out.find(pages[i] + "\t", pos);
        ASSERT_NE(line, std::string::npos) << status.out;
        const std::string text = status.out.substr(line, status.out.find('\n', line) - line);
        EXPECT_NE(text.find(expected[i]), std::string::npos) << text;
        pos = line + 1;
    }
}

}  // namespace
