// The values the settings door deals in: the settings as one snapshot, a
// change of some of them as the configuration pages make it, the news source
// catalogue as rows, and the custom URLs as rows. Plain copies: holding one
// holds no lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/FileProblem.h"
#include "config/KeywordText.h"  // stored form of a keyword group and its words

// How pages are searched: headlines only, articles whose headline has a
// keyword, or every article.
enum class ScanMode { QuickScan = 0, Standard = 1, Extensive = 2 };
// Where a story is opened: a new browser window, the current one, or ask.
enum class BrowserDisplay { NewWindow = 0, CurrentWindow = 1, Ask = 2 };
// Whether the program starts at log-in; Foreign: an entry someone else wrote.
enum class AutostartSetting { Off, Ours, Foreign };

// How new stories reach the user: what the main window reads at every
// tray frame and at the end of a pass.
struct DeliverySettings {
    bool autoPopup = false;  // the story list pops up, else the tray icon flashes
    bool playSound = false;
    std::string soundFile;
    bool showNotifications = true;
};

struct SettingsSnapshot {
    std::int32_t pollSeconds = 600;
    ScanMode scanMode = ScanMode::QuickScan;
    bool breakingNewsOnly = false;  // stories found at start-up are ignored
    bool autoPopup = false;         // the story list pops up, else the tray icon flashes
    bool playSound = false;
    std::string soundFile;
    bool showNotifications = true;
    BrowserDisplay display = BrowserDisplay::NewWindow;
    bool useProxy = false;
    std::string proxyServer;
    int proxyPort = 80;
    std::string proxyUser;
    std::string proxyPassword;
    std::vector<std::string> keywordGroups;  // stored form: "+word-word...", see KeywordText.h
    std::vector<std::string> customUrls;     // scanned
    std::vector<std::string> disabledUrls;   // kept, not scanned
    bool operator==(const SettingsSnapshot&) const = default;
};

// Some settings changed at once. Absent fields stay as stored. The two
// numbers are carried as typed, so that the refusal says what was wrong
// with the text.
struct SettingsChange {
    std::optional<std::string> pollMinutesText;
    std::optional<ScanMode> scanMode;
    std::optional<bool> breakingNewsOnly;
    std::optional<bool> autoPopup;
    std::optional<bool> playSound;
    std::optional<std::string> soundFile;
    std::optional<bool> showNotifications;
    std::optional<BrowserDisplay> display;
    std::optional<bool> useProxy;
    std::optional<std::string> proxyServer;
    std::optional<std::string> proxyPortText;
    std::optional<std::string> proxyUser;
    std::optional<std::string> proxyPassword;
};

// What became of a change or command: stored or refused, with the text to
// show the user ("" when there is none to show, or the settings showed it
// already) and whether it is a warning rather than a notice.
struct SettingsVerdict {
    bool bStored = true;
    std::string message;
    bool bWarning = false;
    explicit operator bool() const { return bStored; }
};

struct CatalogueCategory {
    int id = 0;  // 1 to 13, the category's box on the page
    std::string name;
    std::string url;
    bool bSelected = false;
};

// One news source of the catalogue, with the categories it offers.
struct CatalogueSource {
    std::string name;
    bool bActive = false;
    std::vector<CatalogueCategory> categories;
    const CatalogueCategory* Category(int id) const {
        for (const CatalogueCategory& c : categories)
            if (c.id == id) return &c;
        return nullptr;
    }
    int SelectedCount() const {
        int n = 0;
        for (const CatalogueCategory& c : categories) n += c.bSelected;
        return n;
    }
};

struct CustomUrlRow {
    std::string url;
    bool bEnabled = true;
};

// What the keyword preview found for one group.
struct KeywordPreviewResult {
    std::string keywordText;             // the group the result is for
    int count = 0;                       // stories it would have matched
    std::vector<std::string> headlines;  // the newest few of them
};
