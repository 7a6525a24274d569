// CSettingsDesk: the core's door for the configuration. Front ends read the
// settings, the news source catalogue, the custom URLs and the configured
// pages' last outcomes as values, and change them through its commands;
// every refusal a change can meet is decided here. The settings' and the
// catalogue's locks are taken only inside, and every command holds the
// scanning thread while it reads or changes what a scan cycle reads.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CustomUrlCheck.h"
#include "app/KeywordPreview.h"
#include "app/SettingsTypes.h"
#include "app/SourceHealth.h"
#include "config/ProxySettings.h"

class CAppCore;
class CNewsSource;
class CSourceUpdate;

enum class ConnectionState { Connected, Disconnected, Unknown };

class CSettingsDesk {
public:
    static constexpr int MIN_POLL_MINUTES = 5;
    static constexpr int MAX_POLL_MINUTES = 240;
    static constexpr int MAX_CUSTOM_URL_ROWS = 50;

    explicit CSettingsDesk(CAppCore& core) : m_core(core) {}
    CSettingsDesk(const CSettingsDesk&) = delete;
    CSettingsDesk& operator=(const CSettingsDesk&) = delete;

    // ---- Settings.
    SettingsSnapshot Snapshot();
    // Only the delivery settings: cheap, and without holding the scanning
    // thread.
    DeliverySettings Delivery();
    // The refusal a change would meet, without storing anything.
    SettingsVerdict Check(const SettingsChange& change);
    // Checks the change and, when nothing is refused, stores each field
    // that differs from what is stored; on a refusal nothing is stored.
    SettingsVerdict Apply(const SettingsChange& change);
    // A whole snapshot: its settings, keyword groups and custom URLs.
    SettingsVerdict Apply(const SettingsSnapshot& wanted);
    // The defaults of every setting but the lists.
    void RestoreDefaults();
    // The proxy as a page fetch uses it.
    ProxySettings Proxy();

    // ---- Keyword groups (stored form "+word-word...", blanks allowed).
    // Refused when its record would not read back, or by the settings
    // (limit, duplicate: they have told the user already).
    SettingsVerdict AddKeywordGroup(const std::string& group);
    // Replaces every group (a changed or removed one).
    void SetKeywordGroups(const std::vector<std::string>& groups);
    // Which stories of the last 48 hours a group would have matched, worked
    // out on a worker thread of its own; deliver runs there.
    std::unique_ptr<CKeywordPreview> NewKeywordPreview(CKeywordPreview::Deliver deliver);
    // The same at once, on the caller's thread (it may wait for the archive).
    KeywordPreviewResult PreviewKeywordGroup(const std::string& group);

    // ---- Custom URLs.
    std::vector<CustomUrlRow> CustomUrls();
    // An address about to be added to the rows: made storable into url, or
    // refused (row limit, too long, a row already, not a web address).
    SettingsVerdict PrepareCustomUrl(const std::string& typed, const std::vector<std::string>& rows,
                                     std::string& url);
    // After the page check: the address to add (a chosen frame's), or a
    // refusal; an unreadable page is added with a notice.
    SettingsVerdict AcceptCheckedCustomUrl(const CCustomUrlCheck::Result& result,
                                           const std::vector<std::string>& rows, std::string& url);
    // Stores the rows; the archive forgets the stories of every page that
    // was scanned before and is not now.
    void SetCustomUrls(const std::vector<CustomUrlRow>& rows);
    // One address at a time, without the page check: added first and
    // scanned (refused as PrepareCustomUrl refuses), removed, or switched.
    SettingsVerdict AddCustomUrl(const std::string& typed);
    void RemoveCustomUrl(const std::string& url);
    void EnableCustomUrl(const std::string& url, bool bEnabled);
    // A page's last read, when it has been read.
    std::optional<PageHealth> LastOutcome(const std::string& url);

    // ---- News source catalogue (sources by name; a repeated name once).
    std::vector<CatalogueSource> Sources();
    std::optional<CatalogueSource> Source(const std::string& name);
    // Switches a source on or off and saves the catalogue; false when there
    // is no such source.
    bool SetSourceActive(const std::string& name, bool bActive);
    // The source's categories selected as given (ids); a source left without
    // any is switched off, the first one switches it on. Saved; the source
    // as it is then, none when there is no such source.
    std::optional<CatalogueSource> SelectCategories(const std::string& name, const std::vector<int>& selectedIds);
    // Every category selected or none, the source switched to match; saved.
    std::optional<CatalogueSource> SelectAllCategories(const std::string& name, bool bSelected);
    // The pages a scan reads: selected categories of active sources, plus
    // the enabled custom URLs when bWithCustomUrls.
    int ActivePageCount(bool bWithCustomUrls);
    // A source update for this catalogue: update host, proxy and starter
    // catalogue set.
    std::unique_ptr<CSourceUpdate> NewSourceUpdate(const std::string& starterFile);
    // After an update: scanning goes on unless the user switched it off.
    void SourceUpdateFinished();

    // ---- Pages and files.
    // The configured pages with their last outcome, failing ones first.
    std::vector<SourceStatusRow> PageStatus();
    std::vector<FileProblem> FileProblems();

    // ---- The desktop.
    // Whether the machine has a usable network: the connected-state probe,
    // or the stand-in tests put in its place (null: the probe again).
    using ConnectionStandIn = std::function<ConnectionState()>;
    ConnectionState Connection();
    void SetConnectionStandIn(ConnectionStandIn standIn) { m_connectionStandIn = std::move(standIn); }
    AutostartSetting Autostart();
    // The entry starts programPath without its splash, on this folder when
    // it was named explicitly.
    bool SetAutostart(bool bOn, const std::string& programPath, std::string& error);
    // At start: our entry, when there is one, is written anew for this
    // program and folder.
    void RefreshAutostart(const std::string& programPath);
    // Plays the file; the refusal text when it could not.
    SettingsVerdict PlaySound(const std::string& path);
    // The address the browser shows, "" when it tells none.
    std::string CurrentBrowserUrl();

private:
    // Holds the scanning thread for a command; nested holds release at the
    // outermost one.
    class CHold {
    public:
        explicit CHold(CSettingsDesk& desk);
        ~CHold();
        CHold(const CHold&) = delete;
        CHold& operator=(const CHold&) = delete;

    private:
        CSettingsDesk& m_desk;
    };

    SettingsVerdict Store(const SettingsChange& change);
    // Changes one news source under the catalogue's lock and saves the
    // catalogue; the source's row afterwards, none when there is no such source.
    std::optional<CatalogueSource> EditSource(const std::string& name,
                                              const std::function<void(CNewsSource&)>& edit);

    CAppCore& m_core;
    std::mutex m_holdMutex;
    int m_nHoldDepth = 0;
    ConnectionStandIn m_connectionStandIn;
};

// Whether config.txt can hold a string setting so that it reads back the
// same: its record line must not be longer than a line of the file is read.
bool StringRecordFits(const std::string& name, const std::string& value);
// The same for a keyword group (blanks are stored as '_').
bool KeywordGroupFitsRecord(const std::string& group);
