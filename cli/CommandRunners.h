// The headless commands themselves, behind the command-line parser of
// Commands.cpp. Each prints its results on standard output and its messages
// on standard error, and returns the process exit status.
#pragma once

#include <string>

// Exit statuses of the headless commands.
constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;  // unusable home, unreadable page, nothing to scan
constexpr int EXIT_USAGE = 2;   // bad arguments

// One forced scan of every configured page of the application folder (named
// by homeOption, else $SKIMBOLT_HOME, else the registry stand-in's); prints
// each story that became new.
int RunScanOnce(const std::string& homeOption);
// The scanning thread on its real schedule until SIGINT or SIGTERM.
int RunHeadless(const std::string& homeOption);
// Every configured page with its last read and outcome.
int RunStatus(const std::string& homeOption);
// The story links the rules find on one page (a URL, or a file read as the
// page at pageUrl).
// bFiltered: false prints the link rules' output before the story filter.
int RunLinks(const std::string& home, const std::string& page, const std::string& pageUrl, bool bFiltered);
// The article text cut out of one page for the given headline.
int RunArticle(const std::string& home, const std::string& page, const std::string& headline);
