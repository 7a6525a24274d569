#include "app/HomeFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

#include "common/FileUtil.h"
#include "common/SafeFiles.h"
#include "config/NewsSettings.h"
#include "platform/Registry.h"

std::string RegistryFile() { return CRegistry::DefaultFile(); }

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// A folder that exists, or that could be created (with its parents).
bool EnsureFolder(const std::string& path, std::string& error) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status)) {
        if (fs::is_directory(status)) return true;
        error = path + " exists and is not a folder";
        return false;
    }
    if (!fs::create_directories(path, ec) || ec) {
        error = "cannot create " + path + ": " + ec.message();
        return false;
    }
    return true;
}

// A file that may be absent; when present it must be a file we can read.
bool CheckReadableFile(const std::string& path, std::string& error) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) return true;
    if (!fs::is_regular_file(status)) {
        error = path + " is not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

}  // namespace

std::string ExplicitHomeFolder(const std::string& homeOption) {
    if (!homeOption.empty()) return WithTrailingSeparator(homeOption);
    const std::string home = Env("SKIMBOLT_HOME");
    if (!home.empty()) return WithTrailingSeparator(home);
    return std::string();
}

std::string ResolveHomeFolder(const std::string& homeOption) {
    const std::string home = ExplicitHomeFolder(homeOption);
    return home.empty() ? DefaultHomeFolder() : home;
}

std::string DefaultHomeFolder() {
    const std::string xdg = Env("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/') return JoinPath(xdg, "skimbolt/");
    const std::string user = Env("HOME");
    if (!user.empty()) return JoinPath(user, ".local/share/skimbolt/");
    return std::string();
}

CHomeFolder::CHomeFolder(std::string path) : m_strPath(WithTrailingSeparator(path)) {}

std::string CHomeFolder::GetDataPath() const { return JoinPath(m_strPath, "Data"); }

bool CHomeFolder::Prepare(std::string& error) const {
    // Everything is checked before anything is created, so that a refused
    // folder is left exactly as it was.
    std::error_code ec;
    const std::string data = GetDataPath();
    std::string home = m_strPath;
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    const fs::file_status homeStatus = fs::status(home, ec);
    if (fs::exists(homeStatus) && !fs::is_directory(homeStatus)) {
        error = home + " exists and is not a folder";
        return false;
    }
    const fs::file_status dataStatus = fs::status(data, ec);
    if (fs::exists(dataStatus)) {
        if (!fs::is_directory(dataStatus)) {
            error = data + " exists and is not a folder";
            return false;
        }
        if (::access(data.c_str(), W_OK | X_OK) != 0) {
            error = "cannot write to " + data;
            return false;
        }
        if (!CheckReadableFile(JoinPath(data, "config.txt"), error)) return false;
        if (!CheckReadableFile(JoinPath(data, "sources.txt"), error)) return false;
    }
    if (!EnsureFolder(home, error)) return false;
    // Data/ holds the user's settings and stories: private from the start.
    if (!fs::exists(dataStatus) && !MakePrivateFolder(data)) {
        error = "cannot create " + data + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CHomeFolder::ReadProxySettings(ProxySettings& proxy, std::string& error) const {
    proxy = ProxySettings();
    const std::string config = JoinPath(GetDataPath(), "config.txt");
    if (!FileExists(config)) return true;
    if (!CheckReadableFile(config, error)) return false;
    // The file exists, so Load only reads it; auto-save stays off.
    CNewsSettings settings;
    settings.SetFileName(m_strPath);
    settings.Load();
    proxy = ::ReadProxySettings(settings);
    return true;
}
