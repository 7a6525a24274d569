// CNewsSettings: the user's settings (keyword groups, custom URLs, poll
// period, notification, proxy and browser options) kept as records of
// config.txt, with the list and string values cached. Every operation holds
// the object's recursive lock: the scanning thread and the user interface
// use it at the same time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/MessageTarget.h"
#include "common/RecursiveLock.h"
#include "config/ConfigStore.h"

// Record identifiers of config.txt.
// The longest poll period read from config.txt: one day.
constexpr std::int32_t MAX_POLL_PERIOD_SECONDS = 86400;

constexpr std::uint32_t SETTING_KEYWORD = 0xF0000001;
constexpr std::uint32_t SETTING_WEB_ADDRESS = 0xF0000002;
constexpr std::uint32_t SETTING_POLL_PERIOD = 0xF0000003;
constexpr std::uint32_t SETTING_TITLE_CONTAINS_KEYWORD = 0xF0000004;
constexpr std::uint32_t SETTING_CHECK_ONLY_TITLE = 0xF0000005;
constexpr std::uint32_t SETTING_AUTO_STORY_POPUP = 0xF0000007;
constexpr std::uint32_t SETTING_STORIES_HAVE_SOUND = 0xF0000008;
constexpr std::uint32_t SETTING_SOUND_FILE = 0xF0000009;
constexpr std::uint32_t SETTING_IGNORE_INITIAL_STORIES = 0xF000000A;
constexpr std::uint32_t SETTING_DISABLED_WEB_ADDRESS = 0xF000000D;
constexpr std::uint32_t SETTING_PROXY_SERVER_NAME = 0xF000000E;
constexpr std::uint32_t SETTING_PROXY_PORT_NUM = 0xF000000F;
constexpr std::uint32_t SETTING_PROXY_USER_NAME = 0xF0000010;
constexpr std::uint32_t SETTING_PROXY_USER_PASSWORD = 0xF0000011;
constexpr std::uint32_t SETTING_USE_PROXY = 0xF0000012;
constexpr std::uint32_t SETTING_BROWSER_DISPLAY_ASK = 0xF0000016;
constexpr std::uint32_t SETTING_BROWSER_DISPLAY_NEW = 0xF0000017;

// Desktop notifications of new stories: a flag record of its own, written
// only once the user turns them off, so that its absence means on and a new
// config.txt holds just the records above.
constexpr std::uint32_t SETTING_SHOW_NOTIFICATIONS = 0xF0000020;

constexpr int MAX_KEYWORD_GROUPS = 25;
constexpr int MAX_CUSTOM_URLS = 50;

// Second value of every custom URL record; written, never read.
extern const char* const DEFAULT_PAGE_URL;

class CNewsSettings : public CConfigStore, public CRecursiveLock {
public:
    // messages shows the refusals of AddKeyword; null shows nothing.
    explicit CNewsSettings(CMessageBoxSink* messages = nullptr);
    ~CNewsSettings() override;

    void SetMessageSink(CMessageBoxSink* messages);
    // Where SetDefaults finds the platform's default notification sound
    // (a path, or "" when there is none). Defaults to the platform lookup.
    void SetDefaultSoundLookup(std::function<std::string()> lookup);

    // Reads config.txt (writing the defaults when it is missing) and fills
    // the cached lists and values from it.
    int Load() override;
    // Replaces the single-valued settings by their defaults; keyword groups
    // and custom URLs stay.
    void SetDefaults() override;

    // Keyword groups: spaces are stored as '_'. A duplicate shows text 136,
    // a 26th group text 140; both return false and store nothing.
    bool AddKeyword(const std::string& group);
    void ClearKeywords();
    // Custom URLs: false (no message) for a duplicate or when 50 are stored.
    bool AddUrl(const std::string& url);
    bool AddDisabledUrl(const std::string& url);
    void ClearUrls();
    int CountUrls();

    // Enumerations over the cached lists: copy the entry at the index and
    // advance; true while a non-empty entry follows, else the index returns
    // to 0 and the result is false. The two URL lists share one index.
    bool GetNextKeyword(std::string& group);
    bool GetNextUrl(std::string& url);
    bool GetNextDisabledUrl(std::string& url);
    // Both list indexes := 0 and the record enumeration is ended.
    void ResetEnumeration();

    std::int32_t GetPollPeriod();
    void SetPollPeriod(std::int32_t seconds);
    std::int32_t GetProxyPort();
    void SetProxyPort(std::int32_t port);
    // "" when unset (stored as ".").
    std::string GetProxyServerName();
    std::string GetProxyUserName();
    std::string GetProxyPassword();
    void SetProxyServerName(const std::string& value);
    void SetProxyUserName(const std::string& value);
    void SetProxyPassword(const std::string& value);
    // The path as given (stored with spaces as '|').
    std::string GetSoundFile();
    void SetSoundFile(const std::string& path);

    // First value of a flag record, 0 when there is none.
    std::int32_t GetFlag(std::uint32_t id);
    // Removes the records of id; for the eight flags and the notifications
    // flag adds (value, fixed second value); for any other identifier
    // nothing is added.
    void SetFlag(std::uint32_t id, std::int32_t value);
    // Whether new stories are announced by a desktop notification: on
    // unless the notifications flag record says 0.
    bool GetShowNotifications();

    // The record store's own operations, under the settings lock.
    void SetFileName(const std::string& appDir);
    void SetAutoSave();
    bool Save();
    bool AddItem(const CConfigItem& item);
    bool AddString(std::uint32_t id, const std::string& name, const std::string& value1,
                   const std::string& value2);
    bool AddPlainString(std::uint32_t id, const std::string& name, const std::string& value1,
                        const std::string& value2);
    bool AddInteger(std::uint32_t id, const std::string& name, std::int32_t value1, std::int32_t value2);
    bool RemoveAll(std::uint32_t id);
    bool GetString(std::uint32_t id, std::string& value);
    bool GetInteger(std::uint32_t id, std::int32_t& value);

private:
    void ReadList(std::uint32_t id, std::string* entries, int capacity);
    bool AddToList(std::string* entries, int capacity, std::uint32_t id, const char* name,
                   const std::string& url);
    void ShowMessage(int stringId);

    std::string m_strKeywords[MAX_KEYWORD_GROUPS];
    std::string m_strUrls[MAX_CUSTOM_URLS];
    std::string m_strDisabledUrls[MAX_CUSTOM_URLS];
    std::string m_strSoundFile;
    std::string m_strProxyServerName = ".";
    std::string m_strProxyUserName = ".";
    std::string m_strProxyPassword = ".";
    std::int32_t m_nPollPeriod = 600;
    std::int32_t m_nProxyPort = 80;
    std::int32_t m_nKeywordIndex = 0;
    std::int32_t m_nUrlIndex = 0;

    CMessageBoxSink* m_pMessages = nullptr;
    std::function<std::string()> m_fnDefaultSound;
};

// The enabled custom URLs, copied under the settings' lock.
std::vector<std::string> EnabledCustomUrls(CNewsSettings& settings);
