#include "cli/HeadlessCore.h"

#include <cstdio>

#include "app/HomeFolder.h"

int CStderrMessages::ShowMessage(int, const char* text) {
    std::fprintf(stderr, "skimbolt: %s\n", text);
    return IDOK;
}

void CStderrDiagnostics::OnDiagnostic(const Diagnostic& d) {
    std::fprintf(stderr, "skimbolt: %s\n", FormatDiagnostic(d).c_str());
}

bool StartHeadlessCore(CAppCore& core, const std::string& homeOption, bool bLock) {
    const std::string explicitHome = ExplicitHomeFolder(homeOption);
    const std::string registry = RegistryFile();
    if (explicitHome.empty() && (registry.empty() || DefaultHomeFolder().empty())) {
        std::fputs("skimbolt: no application folder: give --home DIR or set SKIMBOLT_HOME\n", stderr);
        return false;
    }
    core.FindApplicationFolder(explicitHome, registry);
    std::string error;
    if (!core.PrepareFolder(error)) {
        std::fprintf(stderr, "skimbolt: cannot use the application folder %s: %s\n", core.GetAppDir().c_str(),
                     error.c_str());
        return false;
    }
    if (bLock && !core.LockFolder(error)) {
        std::fprintf(stderr, "skimbolt: %s\n", error.c_str());
        return false;
    }
    core.LoadData();
    return core.StartNetwork();
}
