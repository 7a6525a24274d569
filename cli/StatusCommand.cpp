// --status: every configured page with the outcome of its last read, from
// the source health the scans keep. Reads the application folder only.
#include <cstdio>
#include <optional>

#include "app/AppCore.h"
#include "app/HomeFolder.h"
#include "cli/CommandRunners.h"
#include "cli/HeadlessCore.h"

int RunStatus(const std::string& homeOption) {
    CStderrDiagnostics diagnostics;
    CStderrMessages messages;
    CAppCore core(messages);
    core.FindApplicationFolder(ExplicitHomeFolder(homeOption), RegistryFile());
    core.LoadForReading();
    const std::vector<std::string> pages = core.ConfiguredPages();
    if (pages.empty()) {
        std::fprintf(stderr, "skimbolt: no news source or custom URL in %s\n", core.GetAppDir().c_str());
        return EXIT_FAILED;
    }
    for (const std::string& page : pages) {
        const std::optional<PageHealth> health = core.Config().LastOutcome(page);
        std::printf("%s\t%s\t%s\n", OutputField(page).c_str(), FormatReadTime(health ? health->tRead : 0).c_str(),
                    OutputField(health ? health->Outcome() : "not read yet").c_str());
    }
    std::fflush(stdout);
    return EXIT_OK;
}
