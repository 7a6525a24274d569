#include "cli/Commands.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#ifndef SKIMBOLT_VERSION
#define SKIMBOLT_VERSION "0.0.0"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: skimbolt [OPTION]...\n"
    "Watches news pages and web pages for stories that match your keywords.\n"
    "Without options the desktop program starts in the system tray.\n"
    "\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n";

}  // namespace

std::optional<int> RunHeadlessCommand(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("Skimbolt %s\n", SKIMBOLT_VERSION);
            return 0;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') {
            std::fprintf(stderr, "skimbolt: unknown option '%s'\nTry 'skimbolt --help'.\n", argv[i]);
            return 2;
        }
    }
    return std::nullopt;
}
