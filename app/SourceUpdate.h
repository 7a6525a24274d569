// CSourceUpdate: brings a new news source catalogue into the program. With
// an update host set it reads the host's update index, follows the address
// the index names after its "sourceupdate" marker and stores that file as
// Data/sourceupdate.txt; without one it takes the starter catalogue that is
// installed with the program. Either way the catalogue then merges the file.
#pragma once

#include <string>

#include "config/ProxySettings.h"
#include "net/HttpFetcher.h"

class CSourceCatalogue;

class CSourceUpdate {
public:
    // Where the index lies on the update host, and the word in the index
    // after which the address of the update file follows.
    static constexpr const char* INDEX_PATH = "/products/update001/";
    static constexpr const char* MARKER = "sourceupdate";
    // The registry stand-in's value (under the current key) naming the host.
    static constexpr const char* REGISTRY_VALUE = "UpdateHost";

    explicit CSourceUpdate(CSourceCatalogue& catalogue) : m_catalogue(catalogue) {}

    // "host" or "host:port" (a value that begins with "http://" or
    // "https://" is taken as the whole address of the host); "" for none.
    void SetHost(const std::string& host) { m_strHost = host; }
    const std::string& GetHost() const { return m_strHost; }
    // The starter catalogue used without a host.
    void SetStarterFile(const std::string& path) { m_strStarterFile = path; }
    void SetProxy(const ProxySettings& proxy) { m_proxy = proxy; }

    // The index's address on the host ("" without a host).
    std::string IndexUrl() const;

    // Puts the update file in place: downloaded from the host, or copied
    // from the starter catalogue without one. False with why set (in a few
    // words) when it could not. May run on any thread; Abort ends it.
    bool Fetch(std::string& why);
    // Merges the file Fetch put in place into the catalogue (which deletes
    // it). False when the file held no source: the catalogue is unchanged.
    bool Merge();

    void Abort() { m_fetcher.AbortRequest(); }
    CHttpFetcher& Fetcher() { return m_fetcher; }

    // The address the index names: the text one character after the marker
    // up to the line end, resolved against the index's address; "" when the
    // index has no marker or nothing follows it.
    static std::string FindUpdateAddress(const std::string& index, const std::string& indexUrl);

private:
    bool Download(std::string& why);
    bool FetchText(const std::string& url, std::string& text, std::string& why);
    bool WriteUpdateFile(const std::string& text, std::string& why);

    CSourceCatalogue& m_catalogue;
    CHttpFetcher m_fetcher;
    std::string m_strHost;
    std::string m_strStarterFile;
    ProxySettings m_proxy;
};

// The starter catalogue installed with the program.
std::string StarterCatalogueFile();
// On a first start (no sources.txt): the starter catalogue becomes the
// catalogue file, every source and category in it unselected. False when
// there is no starter catalogue or the file could not be written.
bool InstallStarterCatalogue(const std::string& cataloguePath);

// The update host named in the registry stand-in's file ("" when none).
std::string ReadUpdateHost(const std::string& registryFile);
