// CDesktopEntry: an application's desktop entry (a freedesktop.org
// ".desktop" file): where it lies, its name, icon and Exec line. Finds the
// default web browser's entry and turns an Exec line and a URL into the
// argument vector the program is started with.
#pragma once

#include <string>
#include <vector>

class CDesktopSystem;

class CDesktopEntry {
public:
    // Reads the [Desktop Entry] group of a file; false when it cannot be
    // read, has no such group or no Exec key, or is marked Hidden.
    bool Load(const std::string& path);

    // The default web browser: the desktop's own answer (xdg-settings),
    // else the first installed handler of "x-scheme-handler/http" in the
    // mimeapps.list files, searched in their XDG order. False when none is
    // found.
    static bool FindDefaultBrowser(const CDesktopSystem& system, CDesktopEntry& entry);
    // The file of a desktop file id in the XDG application folders; "" when
    // it is in none of them.
    static std::string FindFile(const CDesktopSystem& system, const std::string& id);

    // The argument vector of an Exec line. The URL stands for %u %U %f %F,
    // or is the last argument when the line has none of them; %% is '%',
    // %i gives "--icon" and the icon, %c the name, %k the file; other field
    // codes are dropped. Quoted arguments are taken literally after their
    // backslash escapes. Empty when the line is empty or a quote is open.
    std::vector<std::string> BuildArgv(const std::string& execLine, const std::string& url) const;

    const std::string& GetId() const { return m_strId; }
    const std::string& GetPath() const { return m_strPath; }
    const std::string& GetName() const { return m_strName; }
    const std::string& GetIcon() const { return m_strIcon; }
    const std::string& GetExec() const { return m_strExec; }
    void SetId(std::string id) { m_strId = std::move(id); }
    void SetName(std::string name) { m_strName = std::move(name); }
    void SetIcon(std::string icon) { m_strIcon = std::move(icon); }

private:
    std::string m_strId;    // "firefox-esr.desktop"
    std::string m_strPath;  // the file it was read from
    std::string m_strName;
    std::string m_strIcon;
    std::string m_strExec;  // string escapes resolved, quoting kept
};
