#include "cli/Commands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "cli/CommandRunners.h"
#include "app/HomeFolder.h"

#ifndef SKIMBOLT_VERSION
#define SKIMBOLT_VERSION "0.0.0"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: skimbolt [OPTION]...\n"
    "Watches news pages and web pages for stories that match your keywords.\n"
    "Without a command the desktop program starts in the system tray.\n"
    "\n"
    "  --help                 show this help and exit\n"
    "  --version              show the version and exit\n"
    "  --home DIR             use DIR as the application folder (its Data folder holds\n"
    "                         config.txt, sources.txt and the story files); default\n"
    "                         $SKIMBOLT_HOME, else the InstallDir of\n"
    "                         ~/.config/skimbolt/registry.ini, which the first start\n"
    "                         writes pointing to ~/.local/share/skimbolt\n"
    "  --no-splash            start the desktop program without its splash picture\n"
    "                         (/Embedding and /Automation do the same)\n"
    "\n"
    "Commands that need no window:\n"
    "  --scan-once            scan every configured page once, record the stories as\n"
    "                         the scanning thread does, print each new matching story\n"
    "                         (headline, URL, source, keywords; tab-separated)\n"
    "  --headless             run the scanning thread on its poll period without a\n"
    "                         window and print its notifications; stop with Ctrl+C\n"
    "                         or SIGTERM\n"
    "  --status               print every configured page with its last read and its\n"
    "                         outcome (story links found and new ones, or why the\n"
    "                         read failed); tab-separated\n"
    "  --links PAGE           print the story links found on one page, a URL or a\n"
    "                         local file (headline, URL, description; tab-separated)\n"
    "    --page-url URL       the address a local PAGE was read from (required for a\n"
    "                         file; relative links are resolved against it)\n"
    "    --unfiltered         print every link the link rules take, also those the\n"
    "                         story filter drops, with a fourth field naming the\n"
    "                         filter's rule that drops it\n"
    "  --article PAGE         print the article text cut out of one page (URL or file)\n"
    "    --headline TEXT      the story's headline (required)\n"
    "\n"
    "Exit status: 0 done, 1 failed (unusable folder, unreadable page, nothing to\n"
    "scan), 2 bad arguments.\n";

enum class Command { None, ScanOnce, Headless, Status, Links, Article };

struct CommandLine {
    Command command = Command::None;
    std::string home;
    std::string page;
    std::string pageUrl;
    std::string headline;
    bool bPageUrl = false;
    bool bUnfiltered = false;
    bool bHeadline = false;
};

int UsageError(const std::string& message) {
    std::fprintf(stderr, "skimbolt: %s\nTry 'skimbolt --help'.\n", message.c_str());
    return EXIT_USAGE;
}

// Parses the options; returns an exit status when the command line is wrong.
std::optional<int> Parse(int argc, char** argv, CommandLine& line) {
    std::string positional;  // the desktop program may take one; the commands take none
    auto setCommand = [&](Command c, std::string_view name) -> std::optional<int> {
        if (line.command != Command::None) return UsageError("only one command at a time (" + std::string(name) + ")");
        line.command = c;
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        // Options that take a value accept "--opt VALUE" and "--opt=VALUE".
        std::string_view name = arg;
        std::string value;
        bool bInlineValue = false;
        if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            const std::size_t eq = arg.find('=');
            if (eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                value = std::string(arg.substr(eq + 1));
                bInlineValue = true;
            }
        }
        auto takeValue = [&](std::string& out) -> std::optional<int> {
            if (bInlineValue) {
                out = value;
            } else if (i + 1 < argc) {
                out = argv[++i];
            } else {
                return UsageError(std::string(name) + " needs a value");
            }
            if (out.empty()) return UsageError(std::string(name) + " needs a non-empty value");
            return std::nullopt;
        };
        std::optional<int> error;
        if (name == "--home") {
            error = takeValue(line.home);
        } else if (name == "--no-splash" && !bInlineValue) {
            // the desktop program's; the commands show no splash anyway
        } else if (name == "--scan-once" && !bInlineValue) {
            error = setCommand(Command::ScanOnce, name);
        } else if (name == "--headless" && !bInlineValue) {
            error = setCommand(Command::Headless, name);
        } else if (name == "--status" && !bInlineValue) {
            error = setCommand(Command::Status, name);
        } else if (name == "--links") {
            error = setCommand(Command::Links, name);
            if (!error) error = takeValue(line.page);
        } else if (name == "--article") {
            error = setCommand(Command::Article, name);
            if (!error) error = takeValue(line.page);
        } else if (name == "--page-url") {
            line.bPageUrl = true;
            error = takeValue(line.pageUrl);
        } else if (name == "--unfiltered" && !bInlineValue) {
            line.bUnfiltered = true;
        } else if (name == "--headline") {
            line.bHeadline = true;
            error = takeValue(line.headline);
        } else if (arg[0] == '-') {
            error = UsageError("unknown option '" + std::string(arg) + "'");
        } else if (positional.empty()) {
            positional = std::string(arg);
        }
        if (error) return error;
    }
    if (line.command != Command::None && !positional.empty())
        return UsageError("unexpected argument '" + positional + "'");
    if (line.bPageUrl && line.command != Command::Links) return UsageError("--page-url goes with --links");
    if (line.bUnfiltered && line.command != Command::Links) return UsageError("--unfiltered goes with --links");
    if (line.bHeadline && line.command != Command::Article) return UsageError("--headline goes with --article");
    if (line.command == Command::Article && !line.bHeadline) return UsageError("--article needs --headline TEXT");
    return std::nullopt;
}

}  // namespace

std::optional<int> RunHeadlessCommand(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return EXIT_OK;
        }
        if (arg == "--version") {
            std::printf("Skimbolt %s\n", SKIMBOLT_VERSION);
            return EXIT_OK;
        }
    }
    CommandLine line;
    if (std::optional<int> error = Parse(argc, argv, line)) return error;

    switch (line.command) {
    case Command::None:
        return std::nullopt;  // the desktop program (which reads --home itself)
    case Command::ScanOnce:
        return RunScanOnce(line.home);
    case Command::Headless:
        return RunHeadless(line.home);
    case Command::Status:
        return RunStatus(line.home);
    case Command::Links:
        return RunLinks(ResolveHomeFolder(line.home), line.page, line.pageUrl, !line.bUnfiltered);
    case Command::Article:
        return RunArticle(ResolveHomeFolder(line.home), line.page, line.headline);
    }
    return std::nullopt;
}
