#include "platform/UserFolders.h"

#include <filesystem>
#include <fstream>

#include "common/FileUtil.h"
#include "platform/DesktopSystem.h"

namespace {

constexpr const char* kPagesFolderName = "Skimbolt/";

// A value of user-dirs.dirs: "$HOME/Downloads" or "/abs/path", quoted.
std::string UserDirValue(const std::string& line, const std::string& home) {
    const size_t open = line.find('"');
    const size_t close = line.rfind('"');
    if (open == std::string::npos || close <= open) return "";
    std::string value = line.substr(open + 1, close - open - 1);
    if (value.rfind("$HOME", 0) == 0) {
        if (home.empty()) return "";
        value = home + value.substr(5);
    }
    return value;
}

bool LiesInHiddenFolder(const std::string& folder) {
    for (const auto& part : std::filesystem::path(folder)) {
        const std::string name = part.string();
        if (name.size() > 1 && name[0] == '.' && name != "..") return true;
    }
    return false;
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

}  // namespace

std::string DownloadFolder(const CDesktopSystem& system) {
    std::string folder = system.GetEnv("XDG_DOWNLOAD_DIR");
    if (folder.empty()) {
        const std::string home = system.GetEnv("HOME");
        std::string config = system.GetEnv("XDG_CONFIG_HOME");
        if (config.empty() || config[0] != '/') config = home.empty() ? "" : JoinPath(home, ".config");
        if (!config.empty()) {
            std::ifstream in(JoinPath(config, "user-dirs.dirs"));
            std::string line;
            while (std::getline(in, line)) {
                if (line.rfind("XDG_DOWNLOAD_DIR=", 0) == 0) folder = UserDirValue(line, home);
            }
        }
    }
    if (folder.empty() || folder[0] != '/') return "";
    return WithTrailingSeparator(folder);
}

std::string StoryPagesFolder(const CDesktopSystem& system) {
    const std::string home = system.GetEnv("HOME");
    const std::string downloads = DownloadFolder(system);
    std::error_code ec;
    if (!downloads.empty() && std::filesystem::is_directory(downloads, ec) && !LiesInHiddenFolder(downloads) &&
        (home.empty() || !SameFolder(downloads, home)))
        return downloads + kPagesFolderName;
    if (home.empty() || home[0] != '/') return "";
    return WithTrailingSeparator(JoinPath(home, kPagesFolderName));
}
