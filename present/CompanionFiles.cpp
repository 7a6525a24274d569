#include "present/CompanionFiles.h"

#include <filesystem>
#include <system_error>

#include "common/Diagnostics.h"
#include "common/FileUtil.h"
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
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(target, ec))) continue;
        const std::string source = JoinPath(fromFolder, name);
        if (std::filesystem::copy_file(source, target, std::filesystem::copy_options::skip_existing, ec))
            ++nCopied;
        else if (ec)
            ReportDiagnostic(DiagnosticKind::SaveFailed, target, "not copied from " + source + ": " + ec.message());
    }
    return nCopied;
}
