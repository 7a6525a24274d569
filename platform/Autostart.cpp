#include "platform/Autostart.h"

#include <cstdlib>
#include <filesystem>

#include "common/FileUtil.h"

namespace {

constexpr const char* kMarker = "X-Skimbolt-Autostart=true";

// An argument of an Exec line: quoted, with the characters the desktop entry
// format reserves inside quotes escaped, and '%' doubled.
std::string QuoteExecArgument(const std::string& arg) {
    std::string quoted = "\"";
    for (char c : arg) {
        // Two levels of escaping: the quoting rule, then the string rule
        // that doubles every backslash.
        if (c == '\\') {
            quoted += "\\\\\\\\";
            continue;
        }
        if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string AutostartEntryPath() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = JoinPath(home, ".config");
    } else {
        return std::string();
    }
    return JoinPath(JoinPath(base, "autostart"), "skimbolt.desktop");
}

AutostartState GetAutostartState() {
    const std::string path = AutostartEntryPath();
    if (path.empty() || !FileExists(path)) return AutostartState::Off;
    std::string text;
    if (!ReadWholeFile(path, text)) return AutostartState::Foreign;
    return text.find(kMarker) != std::string::npos ? AutostartState::Ours : AutostartState::Foreign;
}

bool SetAutostart(bool bEnable, const std::string& programPath, const std::vector<std::string>& arguments,
                  std::string& error) {
    const std::string path = AutostartEntryPath();
    if (path.empty()) {
        error = "The home folder is not known.";
        return false;
    }
    const AutostartState state = GetAutostartState();
    if (state == AutostartState::Foreign) {
        error = path + " was not written by Skimbolt; it is left as it is.";
        return false;
    }
    if (!bEnable) {
        if (state == AutostartState::Off) return true;
        std::error_code ec;
        if (!std::filesystem::remove(path, ec) || ec) {
            error = "Cannot remove " + path + ": " + ec.message();
            return false;
        }
        return true;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::string exec = QuoteExecArgument(programPath);
    for (const std::string& argument : arguments) exec += " " + QuoteExecArgument(argument);
    const std::string entry = std::string("[Desktop Entry]\n") +
                              "Type=Application\n"
                              "Name=Skimbolt\n"
                              "Comment=Watches news pages for your keywords\n"
                              "Exec=" + exec + "\n"
                              "Icon=skimbolt\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n" +
                              kMarker + "\n";
    if (!WriteFileAtomically(path, entry, 0644)) {
        error = "Cannot write " + path + ".";
        return false;
    }
    return true;
}
