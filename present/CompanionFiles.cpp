#include "present/CompanionFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/Diagnostics.h"
#include "common/FileUtil.h"
#include "common/SafeFiles.h"
#include "platform/ProgramFiles.h"

const std::vector<std::string>& CompanionFileNames() {
    static const std::vector<std::string> names = {
        "top_left.html", "line.html",    "btm_left.html",      "btm_right.html",
        "banner.html",   "noframes.gif", "skimbolt_small.gif",
    };
    return names;
}

std::string CompanionSourceFolder() { return ProgramFilesFolder() + "pages/"; }

int InstallCompanionFiles(const std::string& fromFolder, const std::string& dataFolder) {
    int nCopied = 0;
    for (const std::string& name : CompanionFileNames()) {
        const std::string target = JoinPath(dataFolder, name);
        const std::string source = JoinPath(fromFolder, name);
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(target, ec);
        if (std::filesystem::is_symlink(status)) {
            ReportSymbolicLink(target);
            continue;
        }
        if (std::filesystem::exists(status)) {
            // A copy of ours that an earlier version left readable to others
            // becomes private; one the user changed is left as it is.
            std::string mine, original;
            if (ReadWholeFile(target, mine) && ReadWholeFile(source, original) && mine == original) MakePrivate(target);
            continue;
        }
        if (CopyToNewFile(source, target)) {
            ++nCopied;
            continue;
        }
        const int err = errno;
        if (IsSymbolicLink(target))
            ReportSymbolicLink(target);  // planted meanwhile
        else if (err != EEXIST)
            ReportDiagnostic(DiagnosticKind::SaveFailed, target, "not copied from " + source + ": " + std::strerror(err));
    }
    return nCopied;
}
