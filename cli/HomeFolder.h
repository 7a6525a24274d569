// CHomeFolder: the application directory as the headless commands use it:
// where it is (--home, $SKIMBOLT_HOME, the XDG data folder), whether it can
// be used without harm, and the settings, catalogue and story archive loaded
// from its Data folder the way the desktop program loads them at start-up.
#pragma once

#include <string>

#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"
#include "store/StoryArchive.h"

// The proxy settings every page fetch uses.
struct ProxySettings {
    int useProxy = 0;
    std::string server;
    int port = 80;
    std::string user;
    std::string password;
};

// The application directory (with a trailing '/'): homeOption when it is not
// empty, else $SKIMBOLT_HOME, else $XDG_DATA_HOME/skimbolt/, else
// $HOME/.local/share/skimbolt/. "" when none of these can be formed.
std::string ResolveHomeFolder(const std::string& homeOption);

class CHomeFolder {
public:
    explicit CHomeFolder(std::string path);
    CHomeFolder(const CHomeFolder&) = delete;
    CHomeFolder& operator=(const CHomeFolder&) = delete;

    const std::string& GetPath() const { return m_strPath; }
    std::string GetDataPath() const;

    // Makes sure the folder and its Data folder exist (creating what is
    // missing) and that the files the program will read and write can be
    // used: a home or Data that is not a folder, a Data folder that cannot be
    // written, or a config.txt or sources.txt that cannot be read are
    // refused (error says why) and nothing is touched.
    bool Prepare(std::string& error);

    // Start-up loading: settings (written with the defaults when config.txt
    // is missing, saved after every change from then on), the catalogue and
    // every story file. Call after Prepare.
    void Load();

    // The proxy settings of the folder's config.txt without changing
    // anything there; direct connection when there is no config.txt. False
    // (error says why) when config.txt exists but cannot be read.
    static bool ReadProxySettings(const std::string& homePath, ProxySettings& proxy, std::string& error);

    CNewsSettings& Settings() { return m_settings; }
    CSourceCatalogue& Catalogue() { return m_catalogue; }
    CStoryArchive& Archive() { return m_archive; }

private:
    std::string m_strPath;
    CNewsSettings m_settings;
    CSourceCatalogue m_catalogue;
    CStoryArchive m_archive;
};
