#include "app/SettingsDesk.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "app/AppCore.h"
#include "app/SourceUpdate.h"
#include "common/Diagnostics.h"
#include "common/RecursiveLock.h"
#include "common/StringTable.h"
#include "config/ConfigItem.h"
#include "config/ConfigStore.h"
#include "config/NewsSource.h"
#include "engine/NewsWatch.h"
#include "net/ConnectedState.h"
#include "net/UrlParts.h"
#include "platform/Autostart.h"
#include "platform/DdeClient.h"
#include "platform/DesktopSystem.h"
#include "platform/Sound.h"
#include "present/BrowserLink.h"
#include "store/StoryFile.h"

namespace {

constexpr int kTextTooManyUrls = 135;
constexpr int kTextNotAWebAddress = 134;
constexpr int kTextPlayFailed = 137;
constexpr int kTextUrlListed = 139;
constexpr int kTextUrlUnreadable = 142;

struct ProxyTextField {
    std::optional<std::string> SettingsChange::*field;
    const char* recordName;
    const char* what;  // for the refusal
};

constexpr ProxyTextField kProxyTextFields[] = {
    {&SettingsChange::proxyServer, "Proxy_Server_Name", "The proxy server name"},
    {&SettingsChange::proxyUser, "Proxy_User_Name", "The proxy user name"},
    {&SettingsChange::proxyPassword, "Proxy_User_Password", "The proxy password"},
};

SettingsVerdict Refused(std::string text, bool bWarning = false) {
    SettingsVerdict verdict;
    verdict.bStored = false;
    verdict.message = std::move(text);
    verdict.bWarning = bWarning;
    return verdict;
}

// The poll minutes as typed: up to six digits. False when it is no number.
bool ParsePollMinutes(const std::string& text, long& minutes) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    minutes = std::stol(text);
    return true;
}

// A port as typed: digits with blanks around them and an optional sign.
// False when it is no integer at all.
bool ParsePort(const std::string& text, long& port) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const auto last = text.find_last_not_of(" \t");
    std::string digits = text.substr(first, last - first + 1);
    const bool negative = digits[0] == '-';
    if (negative || digits[0] == '+') digits.erase(0, 1);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stol(digits) * (negative ? -1 : 1);
    return true;
}

bool CanOpenForReading(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

ScanMode ReadScanMode(CNewsSettings& settings) {
    if (settings.GetFlag(SETTING_TITLE_CONTAINS_KEYWORD) == 0) return ScanMode::Extensive;
    return settings.GetFlag(SETTING_CHECK_ONLY_TITLE) ? ScanMode::QuickScan : ScanMode::Standard;
}

BrowserDisplay ReadDisplay(CNewsSettings& settings) {
    if (settings.GetFlag(SETTING_BROWSER_DISPLAY_ASK) == 1) return BrowserDisplay::Ask;
    return settings.GetFlag(SETTING_BROWSER_DISPLAY_NEW) != 1 ? BrowserDisplay::CurrentWindow
                                                              : BrowserDisplay::NewWindow;
}

CatalogueSource SourceRow(CNewsSource& source) {
    CatalogueSource row;
    row.name = source.GetName();
    row.bActive = source.GetEnabled() != 0;
    for (int id = 1; id <= MAX_CATEGORY_ID; ++id)
        if (const CNewsCategory* category = source.GetCategory(id))
            row.categories.push_back({id, category->m_strName, category->m_strUrl, category->m_nSelected != 0});
    return row;
}

bool Listed(const std::vector<std::string>& rows, const std::string& url) {
    return std::find(rows.begin(), rows.end(), url) != rows.end();
}

std::string TooLongUrlText() {
    return "The URL is too long to be stored: a custom URL may have at most " +
           std::to_string(MaxCustomUrlLength()) + " characters.";
}

}  // namespace

bool StringRecordFits(const std::string& name, const std::string& value) {
    CConfigItem item(0, name, CONFIG_STRING);
    item.m_strValue1 = item.m_strValue2 = value;
    std::string line = FormatConfigLine(item);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line.size() <= static_cast<std::size_t>(CONFIG_LINE_BUFFER - 1);
}

bool KeywordGroupFitsRecord(const std::string& group) {
    std::string value = group;
    std::replace(value.begin(), value.end(), ' ', '_');
    return StringRecordFits("Keyword", value);
}

CSettingsDesk::CHold::CHold(CSettingsDesk& desk) : m_desk(desk) {
    std::lock_guard<std::mutex> lock(m_desk.m_holdMutex);
    if (m_desk.m_nHoldDepth++ == 0)
        if (CNewsWatch* watch = m_desk.m_core.Scanner()) watch->Hold();
}

CSettingsDesk::CHold::~CHold() {
    std::lock_guard<std::mutex> lock(m_desk.m_holdMutex);
    if (--m_desk.m_nHoldDepth == 0)
        if (CNewsWatch* watch = m_desk.m_core.Scanner()) watch->Release();
}

// ---- Settings.

DeliverySettings CSettingsDesk::Delivery() {
    CNewsSettings& settings = m_core.Settings();
    CRecursiveLockGuard lock(settings);
    DeliverySettings d;
    d.autoPopup = settings.GetFlag(SETTING_AUTO_STORY_POPUP) != 0;
    d.playSound = settings.GetFlag(SETTING_STORIES_HAVE_SOUND) != 0;
    d.soundFile = settings.GetSoundFile();
    d.showNotifications = settings.GetShowNotifications();
    return d;
}

SettingsSnapshot CSettingsDesk::Snapshot() {
    CHold hold(*this);
    CNewsSettings& settings = m_core.Settings();
    CRecursiveLockGuard lock(settings);
    SettingsSnapshot s;
    s.pollSeconds = settings.GetPollPeriod();
    s.scanMode = ReadScanMode(settings);
    s.breakingNewsOnly = settings.GetFlag(SETTING_IGNORE_INITIAL_STORIES) != 0;
    s.autoPopup = settings.GetFlag(SETTING_AUTO_STORY_POPUP) != 0;
    s.playSound = settings.GetFlag(SETTING_STORIES_HAVE_SOUND) != 0;
    s.soundFile = settings.GetSoundFile();
    s.showNotifications = settings.GetShowNotifications();
    s.display = ReadDisplay(settings);
    s.useProxy = settings.GetFlag(SETTING_USE_PROXY) != 0;
    s.proxyServer = settings.GetProxyServerName();
    s.proxyPort = settings.GetProxyPort();
    s.proxyUser = settings.GetProxyUserName();
    s.proxyPassword = settings.GetProxyPassword();
    std::string text;
    settings.ResetEnumeration();
    for (bool bMore = true; bMore;) {
        bMore = settings.GetNextKeyword(text);
        if (!text.empty()) s.keywordGroups.push_back(text);
    }
    for (const CustomUrlRow& row : CustomUrls()) (row.bEnabled ? s.customUrls : s.disabledUrls).push_back(row.url);
    return s;
}

SettingsVerdict CSettingsDesk::Check(const SettingsChange& change) {
    if (change.pollMinutesText) {
        long minutes = 0;
        if (!ParsePollMinutes(*change.pollMinutesText, minutes) || minutes < MIN_POLL_MINUTES ||
            minutes > MAX_POLL_MINUTES)
            return Refused("Please enter an integer between " + std::to_string(MIN_POLL_MINUTES) + " and " +
                           std::to_string(MAX_POLL_MINUTES) + ".");
    }
    if (change.soundFile) {
        const bool bPlay = change.playSound ? *change.playSound
                                            : m_core.Settings().GetFlag(SETTING_STORIES_HAVE_SOUND) != 0;
        if (bPlay && !change.soundFile->empty() && !CanOpenForReading(*change.soundFile))
            return Refused("Wave file does not exist!");
    }
    for (const ProxyTextField& f : kProxyTextFields) {
        const std::optional<std::string>& value = change.*f.field;
        if (!value) continue;
        // A stored value ends at its first blank: refused rather than cut.
        if (value->find_first_of(" \t") != std::string::npos)
            return Refused(std::string(f.what) + " cannot contain spaces.");
        if (!StringRecordFits(f.recordName, *value)) return Refused(std::string(f.what) + " is too long.");
    }
    if (change.proxyPortText) {
        long port = 0;
        if (!ParsePort(*change.proxyPortText, port)) return Refused("Please enter an integer.");
        if (port < 1 || port > 65535) return Refused("Please enter a port number between 1 and 65535.");
    }
    return {};
}

SettingsVerdict CSettingsDesk::Apply(const SettingsChange& change) {
    SettingsVerdict verdict = Check(change);
    if (!verdict) return verdict;
    return Store(change);
}

SettingsVerdict CSettingsDesk::Store(const SettingsChange& change) {
    CHold hold(*this);
    CNewsSettings& settings = m_core.Settings();
    CRecursiveLockGuard lock(settings);
    auto flag = [&](const std::optional<bool>& value, std::uint32_t id) {
        if (value && (settings.GetFlag(id) != 0) != *value) settings.SetFlag(id, *value ? 1 : 0);
    };
    flag(change.breakingNewsOnly, SETTING_IGNORE_INITIAL_STORIES);
    flag(change.playSound, SETTING_STORIES_HAVE_SOUND);
    flag(change.autoPopup, SETTING_AUTO_STORY_POPUP);
    flag(change.useProxy, SETTING_USE_PROXY);
    if (change.showNotifications && settings.GetShowNotifications() != *change.showNotifications)
        settings.SetFlag(SETTING_SHOW_NOTIFICATIONS, *change.showNotifications ? 1 : 0);
    if (change.scanMode && ReadScanMode(settings) != *change.scanMode) {
        settings.SetFlag(SETTING_CHECK_ONLY_TITLE, *change.scanMode == ScanMode::QuickScan ? 1 : 0);
        settings.SetFlag(SETTING_TITLE_CONTAINS_KEYWORD, *change.scanMode == ScanMode::Extensive ? 0 : 1);
    }
    if (change.display && ReadDisplay(settings) != *change.display) {
        // Always ask keeps the window choice for when asking stops.
        if (*change.display == BrowserDisplay::Ask) {
            settings.SetFlag(SETTING_BROWSER_DISPLAY_ASK, 1);
        } else {
            settings.SetFlag(SETTING_BROWSER_DISPLAY_NEW, *change.display == BrowserDisplay::NewWindow ? 1 : 0);
            settings.SetFlag(SETTING_BROWSER_DISPLAY_ASK, 0);
        }
    }
    if (change.soundFile && settings.GetSoundFile() != *change.soundFile) settings.SetSoundFile(*change.soundFile);
    if (change.pollMinutesText) {
        const std::int32_t seconds = static_cast<std::int32_t>(std::stol(*change.pollMinutesText) * 60);
        if (settings.GetPollPeriod() != seconds) settings.SetPollPeriod(seconds);
    }
    if (change.proxyServer && settings.GetProxyServerName() != *change.proxyServer)
        settings.SetProxyServerName(*change.proxyServer);
    if (change.proxyPortText) {
        long port = 0;
        ParsePort(*change.proxyPortText, port);
        if (settings.GetProxyPort() != port) settings.SetProxyPort(static_cast<std::int32_t>(port));
    }
    if (change.proxyUser && settings.GetProxyUserName() != *change.proxyUser)
        settings.SetProxyUserName(*change.proxyUser);
    if (change.proxyPassword && settings.GetProxyPassword() != *change.proxyPassword)
        settings.SetProxyPassword(*change.proxyPassword);
    return {};
}

SettingsVerdict CSettingsDesk::Apply(const SettingsSnapshot& wanted) {
    CHold hold(*this);
    const SettingsSnapshot now = Snapshot();
    SettingsChange change;
    if (wanted.pollSeconds != now.pollSeconds) {
        // Only whole minutes can be asked for.
        change.pollMinutesText = wanted.pollSeconds % 60 == 0 ? std::to_string(wanted.pollSeconds / 60) : "";
    }
    change.scanMode = wanted.scanMode;
    change.breakingNewsOnly = wanted.breakingNewsOnly;
    change.autoPopup = wanted.autoPopup;
    change.playSound = wanted.playSound;
    if (wanted.soundFile != now.soundFile) change.soundFile = wanted.soundFile;
    change.showNotifications = wanted.showNotifications;
    change.display = wanted.display;
    change.useProxy = wanted.useProxy;
    if (wanted.proxyServer != now.proxyServer) change.proxyServer = wanted.proxyServer;
    if (wanted.proxyPort != now.proxyPort) change.proxyPortText = std::to_string(wanted.proxyPort);
    if (wanted.proxyUser != now.proxyUser) change.proxyUser = wanted.proxyUser;
    if (wanted.proxyPassword != now.proxyPassword) change.proxyPassword = wanted.proxyPassword;
    SettingsVerdict verdict = Check(change);
    if (!verdict) return verdict;
    for (const std::string& group : wanted.keywordGroups)
        if (!KeywordGroupFitsRecord(group))
            return Refused("This keyword group is too long to be stored. Use fewer or shorter words.");
    Store(change);
    if (wanted.keywordGroups != now.keywordGroups) SetKeywordGroups(wanted.keywordGroups);
    if (wanted.customUrls != now.customUrls || wanted.disabledUrls != now.disabledUrls) {
        std::vector<CustomUrlRow> rows;
        for (const std::string& url : wanted.customUrls) rows.push_back({url, true});
        for (const std::string& url : wanted.disabledUrls) rows.push_back({url, false});
        SetCustomUrls(rows);
    }
    return {};
}

void CSettingsDesk::RestoreDefaults() {
    CHold hold(*this);
    m_core.Settings().SetDefaults();
}

ProxySettings CSettingsDesk::Proxy() { return ReadProxySettings(m_core.Settings()); }

// ---- Keyword groups.

SettingsVerdict CSettingsDesk::AddKeywordGroup(const std::string& group) {
    // A group longer than a line of config.txt would come back cut short.
    if (!KeywordGroupFitsRecord(group))
        return Refused("This keyword group is too long to be stored. Use fewer or shorter words.", true);
    CHold hold(*this);
    // The settings tell the user themselves why they refuse one.
    if (!m_core.Settings().AddKeyword(group)) return Refused("");
    return {};
}

void CSettingsDesk::SetKeywordGroups(const std::vector<std::string>& groups) {
    CHold hold(*this);
    CNewsSettings& settings = m_core.Settings();
    CRecursiveLockGuard lock(settings);
    settings.ClearKeywords();
    for (const std::string& group : groups) settings.AddKeyword(group);
}

std::unique_ptr<CKeywordPreview> CSettingsDesk::NewKeywordPreview(CKeywordPreview::Deliver deliver) {
    return std::make_unique<CKeywordPreview>(m_core.Archive(), std::move(deliver));
}

KeywordPreviewResult CSettingsDesk::PreviewKeywordGroup(const std::string& group) {
    const std::time_t since = std::time(nullptr) - static_cast<std::time_t>(STORY_LIFETIME_SECONDS);
    return MatchRecentStories(CollectRecentStories(m_core.Archive(), since), group, CKeywordPreview::MAX_HEADLINES);
}

// ---- Custom URLs.

std::vector<CustomUrlRow> CSettingsDesk::CustomUrls() {
    CHold hold(*this);
    CNewsSettings& settings = m_core.Settings();
    CRecursiveLockGuard lock(settings);
    std::vector<CustomUrlRow> rows;
    std::string url;
    settings.ResetEnumeration();
    for (bool bMore = true; bMore;) {
        bMore = settings.GetNextUrl(url);
        if (url.empty()) break;
        rows.push_back({url, true});
    }
    settings.ResetEnumeration();
    for (bool bMore = true; bMore;) {
        bMore = settings.GetNextDisabledUrl(url);
        if (url.empty()) break;
        rows.push_back({url, false});
    }
    return rows;
}

SettingsVerdict CSettingsDesk::PrepareCustomUrl(const std::string& typed, const std::vector<std::string>& rows,
                                                std::string& url) {
    url.clear();
    if (rows.size() >= static_cast<std::size_t>(MAX_CUSTOM_URL_ROWS)) return Refused(LoadStringText(kTextTooManyUrls));
    url = NormaliseCustomUrl(typed);
    if (url.empty()) return {};
    if (url.size() > MaxCustomUrlLength()) return Refused(TooLongUrlText(), true);
    if (Listed(rows, url)) return Refused(LoadStringText(kTextUrlListed));
    CUrlParts parts;
    if (!parts.Set(url)) return Refused(LoadStringText(kTextNotAWebAddress), true);
    return {};
}

SettingsVerdict CSettingsDesk::AcceptCheckedCustomUrl(const CCustomUrlCheck::Result& result,
                                                      const std::vector<std::string>& rows, std::string& url) {
    SettingsVerdict verdict;
    if (!result.bRead) {
        // Added all the same: it is read at every scan.
        verdict.message = LoadStringText(kTextUrlUnreadable);
        return verdict;
    }
    if (!result.bFrameChosen) return verdict;
    if (result.url.size() > MaxCustomUrlLength()) return Refused(TooLongUrlText(), true);
    // The frame may be a page that is in the list already.
    if (Listed(rows, result.url)) return Refused(LoadStringText(kTextUrlListed));
    url = result.url;
    return verdict;
}

void CSettingsDesk::SetCustomUrls(const std::vector<CustomUrlRow>& rows) {
    CHold hold(*this);
    std::vector<std::string> removed;
    {
        CNewsSettings& settings = m_core.Settings();
        CRecursiveLockGuard lock(settings);
        std::vector<std::string> original = EnabledCustomUrls(settings);
        settings.ClearUrls();
        for (const CustomUrlRow& row : rows) {
            const auto found = std::find(original.begin(), original.end(), row.url);
            if (row.bEnabled) {
                settings.AddUrl(row.url);
            } else {
                settings.AddDisabledUrl(row.url);
                if (found != original.end()) removed.push_back(row.url);
            }
            if (found != original.end()) original.erase(found);
        }
        removed.insert(removed.end(), original.begin(), original.end());
    }
    // The archive's lock comes before the settings' lock, never after it.
    for (const std::string& url : removed) m_core.Archive().SourceRemoved(url);
}

SettingsVerdict CSettingsDesk::AddCustomUrl(const std::string& typed) {
    CHold hold(*this);
    std::vector<CustomUrlRow> rows = CustomUrls();
    std::vector<std::string> urls;
    for (const CustomUrlRow& row : rows) urls.push_back(row.url);
    std::string url;
    SettingsVerdict verdict = PrepareCustomUrl(typed, urls, url);
    if (!verdict || url.empty()) return verdict;
    rows.insert(rows.begin(), {url, true});
    SetCustomUrls(rows);
    return verdict;
}

void CSettingsDesk::RemoveCustomUrl(const std::string& url) {
    CHold hold(*this);
    std::vector<CustomUrlRow> rows = CustomUrls();
    std::erase_if(rows, [&](const CustomUrlRow& row) { return row.url == url; });
    SetCustomUrls(rows);
}

void CSettingsDesk::EnableCustomUrl(const std::string& url, bool bEnabled) {
    CHold hold(*this);
    std::vector<CustomUrlRow> rows = CustomUrls();
    for (CustomUrlRow& row : rows)
        if (row.url == url) row.bEnabled = bEnabled;
    SetCustomUrls(rows);
}

std::optional<PageHealth> CSettingsDesk::LastOutcome(const std::string& url) {
    PageHealth health;
    if (!m_core.Health().Find(url, health)) return std::nullopt;
    return health;
}

// ---- News source catalogue.

std::vector<CatalogueSource> CSettingsDesk::Sources() {
    CHold hold(*this);
    CSourceCatalogue& catalogue = m_core.Catalogue();
    CRecursiveLockGuard lock(catalogue);
    std::vector<CatalogueSource> rows;
    for (CNewsSource* source = catalogue.FirstSource(false); source; source = catalogue.NextSource(false)) {
        if (!rows.empty() && source->GetName() == rows.back().name) continue;
        rows.push_back(SourceRow(*source));
    }
    return rows;
}

std::optional<CatalogueSource> CSettingsDesk::Source(const std::string& name) {
    CHold hold(*this);
    CSourceCatalogue& catalogue = m_core.Catalogue();
    CRecursiveLockGuard lock(catalogue);
    CNewsSource* source = name.empty() ? nullptr : catalogue.FindSource(name);
    if (!source) return std::nullopt;
    return SourceRow(*source);
}

std::optional<CatalogueSource> CSettingsDesk::EditSource(const std::string& name,
                                                         const std::function<void(CNewsSource&)>& edit) {
    CHold hold(*this);
    CSourceCatalogue& catalogue = m_core.Catalogue();
    std::optional<CatalogueSource> row;
    {
        CRecursiveLockGuard lock(catalogue);
        CNewsSource* source = catalogue.FindSource(name);
        if (!source) return std::nullopt;
        edit(*source);
        row = SourceRow(*source);
    }
    catalogue.Save();
    return row;
}

bool CSettingsDesk::SetSourceActive(const std::string& name, bool bActive) {
    return EditSource(name, [bActive](CNewsSource& source) { source.SetEnabled(bActive ? 1 : 0); }).has_value();
}

std::optional<CatalogueSource> CSettingsDesk::SelectCategories(const std::string& name,
                                                               const std::vector<int>& selectedIds) {
    return EditSource(name, [&selectedIds](CNewsSource& source) {
        int selected = 0;
        for (int id = 1; id <= MAX_CATEGORY_ID; ++id) {
            if (!source.GetCategory(id)) continue;
            const bool bOn = std::find(selectedIds.begin(), selectedIds.end(), id) != selectedIds.end();
            source.SetSelected(id, bOn ? 1 : 0);
            selected += bOn;
        }
        if (selected == 0) source.SetEnabled(0);
        if (selected == 1) source.SetEnabled(1);
    });
}

std::optional<CatalogueSource> CSettingsDesk::SelectAllCategories(const std::string& name, bool bSelected) {
    return EditSource(name, [bSelected](CNewsSource& source) {
        for (int id = 1; id <= MAX_CATEGORY_ID; ++id)
            if (source.GetCategory(id)) source.SetSelected(id, bSelected ? 1 : 0);
        source.SetEnabled(bSelected ? 1 : 0);
    });
}

int CSettingsDesk::ActivePageCount(bool bWithCustomUrls) {
    CHold hold(*this);
    int count = m_core.Catalogue().CountSelected();
    if (bWithCustomUrls) count += m_core.Settings().CountUrls();
    return count;
}

std::unique_ptr<CSourceUpdate> CSettingsDesk::NewSourceUpdate(const std::string& starterFile) {
    auto update = std::make_unique<CSourceUpdate>(m_core.Catalogue());
    update->SetHost(ReadUpdateHost(m_core.GetRegistryFile()));
    update->SetStarterFile(starterFile);
    update->SetProxy(Proxy());
    return update;
}

void CSettingsDesk::SourceUpdateFinished() {
    // A user who stopped scanning keeps it stopped.
    if (CNewsWatch* watch = m_core.Scanner(); watch && m_core.IsEnabled()) watch->Activate();
}

// ---- Pages and files.

std::vector<SourceStatusRow> CSettingsDesk::PageStatus() {
    std::vector<std::string> pages;
    {
        CHold hold(*this);
        pages = m_core.ConfiguredPages();
    }
    return SourceStatusRows(pages, m_core.Health());
}

std::vector<FileProblem> CSettingsDesk::FileProblems() {
    std::vector<FileProblem> problems;
    for (const Diagnostic& d : RecordedDiagnostics())
        problems.push_back({DiagnosticKindText(d.kind), d.subject, d.detail});
    return problems;
}

// ---- The desktop.

ConnectionState CSettingsDesk::Connection() {
    if (m_connectionStandIn) return m_connectionStandIn();
    std::uint32_t flags = 0;
    const std::int32_t state = GetConnectedState(&flags);
    return state == 0 ? ConnectionState::Connected
                      : state == 1 ? ConnectionState::Disconnected : ConnectionState::Unknown;
}

AutostartSetting CSettingsDesk::Autostart() {
    switch (GetAutostartState()) {
    case AutostartState::Off:
        return AutostartSetting::Off;
    case AutostartState::Foreign:
        return AutostartSetting::Foreign;
    default:
        return AutostartSetting::Ours;
    }
}

bool CSettingsDesk::SetAutostart(bool bOn, const std::string& programPath, std::string& error) {
    // Started at log-in: no splash, and on the folder this program uses when
    // that was named explicitly (the registry names only the default one).
    std::vector<std::string> arguments = {"--no-splash"};
    if (m_core.IsHomeExplicit()) {
        std::string home = m_core.GetAppDir();
        if (home.size() > 1 && home.back() == '/') home.pop_back();
        arguments.insert(arguments.end(), {"--home", home});
    }
    return ::SetAutostart(bOn, programPath, arguments, error);
}

void CSettingsDesk::RefreshAutostart(const std::string& programPath) {
    std::string error;
    if (GetAutostartState() == AutostartState::Ours && !SetAutostart(true, programPath, error))
        ReportDiagnostic(DiagnosticKind::SaveFailed, AutostartEntryPath(), error);
}

SettingsVerdict CSettingsDesk::PlaySound(const std::string& path) {
    if (PlaySoundFile(path)) return {};
    return Refused(LoadStringText(kTextPlayFailed), true);
}

std::string CSettingsDesk::CurrentBrowserUrl() {
    std::string url;
    std::unique_ptr<CDdeClient> dde = CreateDdeClient();
    CDesktopSystem desktop;
    if (dde) CBrowserLink(*dde, desktop).GetCurrentUrl(url);
    return url;
}
