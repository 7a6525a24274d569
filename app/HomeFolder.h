// CHomeFolder: where the application folder is (--home, $SKIMBOLT_HOME, the
// XDG data folder) and whether it can be used without harm.
#pragma once

#include <string>

#include "config/ProxySettings.h"

// The application folder named explicitly (with a trailing '/'): homeOption
// when it is not empty, else $SKIMBOLT_HOME; "" when neither is set.
std::string ExplicitHomeFolder(const std::string& homeOption);
// The default application folder: $XDG_DATA_HOME/skimbolt/, else
// $HOME/.local/share/skimbolt/; "" when neither can be formed.
std::string DefaultHomeFolder();
// ExplicitHomeFolder, else DefaultHomeFolder.
std::string ResolveHomeFolder(const std::string& homeOption);
// The registry stand-in's file of this user; "" when it cannot be formed.
std::string RegistryFile();

class CHomeFolder {
public:
    explicit CHomeFolder(std::string path);

    const std::string& GetPath() const { return m_strPath; }
    std::string GetDataPath() const;

    // Makes sure the folder and its Data folder exist (creating what is
    // missing, Data/ with mode 0700) and that the files the program will read and write can be
    // used: a home or Data that is not a folder, a Data folder that cannot be
    // written, or a config.txt or sources.txt that cannot be read are
    // refused (error says why) and nothing is touched.
    bool Prepare(std::string& error) const;

    // The proxy settings of the folder's config.txt without changing
    // anything there; direct connection when there is no config.txt. False
    // (error says why) when config.txt exists but cannot be read.
    bool ReadProxySettings(ProxySettings& proxy, std::string& error) const;

private:
    std::string m_strPath;
};
