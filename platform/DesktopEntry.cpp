#include "platform/DesktopEntry.h"

#include <fstream>

#include "common/FileUtil.h"
#include "platform/DesktopSystem.h"

namespace {

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Absolute folders of a colon-separated list; relative ones do not count.
void AddFolders(const std::string& list, std::vector<std::string>& folders) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        const std::string folder = list.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/') folders.push_back(WithTrailingSeparator(folder));
        start = end + 1;
    }
}

std::string Home(const CDesktopSystem& system, const char* variable, const char* fallback) {
    std::string folder = system.GetEnv(variable);
    if (!folder.empty() && folder[0] == '/') return WithTrailingSeparator(folder);
    const std::string home = system.GetEnv("HOME");
    return home.empty() ? "" : JoinPath(home, fallback) + "/";
}

// $XDG_DATA_HOME, then $XDG_DATA_DIRS, each with "applications/".
std::vector<std::string> ApplicationFolders(const CDesktopSystem& system) {
    std::vector<std::string> data;
    const std::string dataHome = Home(system, "XDG_DATA_HOME", ".local/share");
    if (!dataHome.empty()) data.push_back(dataHome);
    const std::string dirs = system.GetEnv("XDG_DATA_DIRS");
    AddFolders(dirs.empty() ? "/usr/local/share/:/usr/share/" : dirs, data);
    for (std::string& folder : data) folder += "applications/";
    return data;
}

// The lines of one group of a key file, as key and value.
template <typename Fn>
bool ForEachKey(const std::string& path, const std::string& group, Fn&& fn) {
    std::ifstream in(path);
    if (!in) return false;
    bool inGroup = false, found = false;
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inGroup = line == "[" + group + "]";
            found = found || inGroup;
            continue;
        }
        const size_t eq = line.find('=');
        if (inGroup && eq != std::string::npos) fn(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return found;
}

// A string value's escapes: \s \n \t \r \\.
std::string Unescape(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case '\\': out += '\\'; break;
        default: out += '\\'; out += value[i]; break;
        }
    }
    return out;
}

struct ExecArg {
    std::string text;
    bool quoted = false;
};

bool SplitExec(const std::string& line, std::vector<ExecArg>& args) {
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        ExecArg arg;
        if (line[i] == '"') {
            arg.quoted = true;
            for (++i;; ++i) {
                if (i >= line.size()) return false;
                if (line[i] == '"') break;
                if (line[i] == '\\' && i + 1 < line.size()) ++i;
                arg.text += line[i];
            }
            ++i;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') arg.text += line[i++];
        }
        args.push_back(std::move(arg));
    }
    return true;
}

}  // namespace

bool CDesktopEntry::Load(const std::string& path) {
    bool hidden = false;
    m_strExec.clear();
    const bool found = ForEachKey(path, "Desktop Entry", [&](const std::string& key, const std::string& value) {
        if (key == "Exec") m_strExec = Unescape(value);
        else if (key == "Name") m_strName = Unescape(value);
        else if (key == "Icon") m_strIcon = Unescape(value);
        else if (key == "Hidden") hidden = value == "true";
    });
    m_strPath = path;
    return found && !hidden && !m_strExec.empty();
}

std::string CDesktopEntry::FindFile(const CDesktopSystem& system, const std::string& id) {
    if (id.empty() || id.find('/') != std::string::npos) return "";
    for (const std::string& folder : ApplicationFolders(system)) {
        if (FileExists(folder + id)) return folder + id;
    }
    return "";
}

bool CDesktopEntry::FindDefaultBrowser(const CDesktopSystem& system, CDesktopEntry& entry) {
    auto tryId = [&](const std::string& id) {
        const std::string path = FindFile(system, id);
        if (path.empty() || !entry.Load(path)) return false;
        entry.m_strId = id;
        return true;
    };
    std::string id;
    if (system.QueryDefaultBrowser(id) && tryId(id)) return true;

    std::vector<std::string> lists;
    const std::string configHome = Home(system, "XDG_CONFIG_HOME", ".config");
    if (!configHome.empty()) lists.push_back(configHome);
    const std::string configDirs = system.GetEnv("XDG_CONFIG_DIRS");
    AddFolders(configDirs.empty() ? "/etc/xdg/" : configDirs, lists);
    for (const std::string& folder : ApplicationFolders(system)) lists.push_back(folder);
    for (const std::string& folder : lists) {
        std::vector<std::string> handlers;
        ForEachKey(folder + "mimeapps.list", "Default Applications",
                   [&](const std::string& key, const std::string& value) {
                       if (key != "x-scheme-handler/http") return;
                       size_t start = 0;
                       while (start < value.size()) {
                           size_t end = value.find(';', start);
                           if (end == std::string::npos) end = value.size();
                           handlers.push_back(Trim(value.substr(start, end - start)));
                           start = end + 1;
                       }
                   });
        for (const std::string& handler : handlers) {
            if (tryId(handler)) return true;
        }
    }
    return false;
}

std::vector<std::string> CDesktopEntry::BuildArgv(const std::string& execLine, const std::string& url) const {
    std::vector<ExecArg> args;
    if (!SplitExec(execLine, args)) return {};
    std::vector<std::string> argv;
    bool urlGiven = false;
    for (const ExecArg& arg : args) {
        if (arg.quoted) {
            argv.push_back(arg.text);
            continue;
        }
        if (arg.text == "%i") {
            if (!m_strIcon.empty()) {
                argv.push_back("--icon");
                argv.push_back(m_strIcon);
            }
            continue;
        }
        std::string out;
        for (size_t i = 0; i < arg.text.size(); ++i) {
            if (arg.text[i] != '%') {
                out += arg.text[i];
                continue;
            }
            if (++i == arg.text.size()) break;
            switch (arg.text[i]) {
            case '%': out += '%'; break;
            case 'u': case 'U': case 'f': case 'F': out += url; urlGiven = true; break;
            case 'c': out += m_strName; break;
            case 'k': out += m_strPath; break;
            default: break;  // %i inside an argument, deprecated and unknown codes
            }
        }
        if (!out.empty()) argv.push_back(std::move(out));
    }
    if (argv.empty()) return {};
    if (!urlGiven) argv.push_back(url);
    return argv;
}
