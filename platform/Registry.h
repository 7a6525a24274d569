// CRegistry: the program's registry keys kept in an INI-style file,
// $XDG_CONFIG_HOME/skimbolt/registry.ini (default ~/.config/skimbolt/). A key
// path is a section name ("[SOFTWARE\Vantrel Group\Skimbolt\0.01k]"), its
// values are "name=value" lines below it. Only string values exist.
#pragma once

#include <map>
#include <string>

class CRegistry {
public:
    // The file of the current user: under $XDG_CONFIG_HOME, else ~/.config.
    // "" when neither can be formed.
    static std::string DefaultFile();

    explicit CRegistry(std::string file) : m_strFile(std::move(file)) {}

    // Reads the file; false when it does not exist or cannot be read (the
    // registry is then empty). A file that is read but is not a registry
    // file (empty, binary, not UTF-8, a cut-off key line, a line that is
    // neither a key nor a value) loads what it can and is marked damaged.
    bool Load();
    bool IsDamaged() const { return m_bDamaged; }
    // Copies the file as it stands next to itself, as
    // "registry.ini.damaged-<seconds since 1970>[-n]"; the copy's path, or ""
    // when no copy could be made.
    std::string KeepDamagedCopy() const;
    // Writes the file atomically, owner-only, creating its folder.
    bool Save() const;

    const std::string& GetFile() const { return m_strFile; }
    bool HasKey(const std::string& key) const { return m_keys.count(key) != 0; }
    // The value, or false when the key or the value is missing.
    bool QueryValue(const std::string& key, const std::string& name, std::string& value) const;
    void SetValue(const std::string& key, const std::string& name, const std::string& value);

private:
    std::string m_strFile;
    bool m_bDamaged = false;
    std::map<std::string, std::map<std::string, std::string>> m_keys;
};
