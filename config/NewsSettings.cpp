#include "config/NewsSettings.h"

#include <algorithm>

#include "common/StringTable.h"
#include "platform/DefaultSound.h"

const char* const DEFAULT_PAGE_URL = "http://www.newsportal.example.com/news/topstories.html";

namespace {

constexpr int kTextKeywordExists = 136;
constexpr int kTextKeywordsFull = 140;

struct FlagRecord {
    std::uint32_t id;
    const char* name;
    std::int32_t second;  // second value written by SetFlag
};

constexpr FlagRecord kFlags[] = {
    {SETTING_TITLE_CONTAINS_KEYWORD, "Title_Contains_Keyword", 1},
    {SETTING_CHECK_ONLY_TITLE, "Check_Only_Title", 1},
    {SETTING_AUTO_STORY_POPUP, "Auto_Story_Pop-up", 1},
    {SETTING_STORIES_HAVE_SOUND, "Stories_Have_Sound", 1},
    {SETTING_IGNORE_INITIAL_STORIES, "Ignore_Initial_Stories", 0},
    {SETTING_USE_PROXY, "Use_Proxy", 0},
    {SETTING_BROWSER_DISPLAY_ASK, "Browser_Display_Ask", 1},
    {SETTING_BROWSER_DISPLAY_NEW, "Browser_Display_New", 1},
    {SETTING_SHOW_NOTIFICATIONS, "Show_Notifications", 1},
};

CConfigItem IntegerItem(std::uint32_t id, const char* name, std::int32_t v1, std::int32_t v2) {
    CConfigItem item(id, name, CONFIG_INTEGER);
    item.m_nValue1 = v1;
    item.m_nValue2 = v2;
    return item;
}

CConfigItem StringItem(std::uint32_t id, const char* name, std::int32_t type, const std::string& v1,
                       const std::string& v2) {
    CConfigItem item(id, name, type);
    item.m_strValue1 = v1;
    item.m_strValue2 = v2;
    return item;
}

// Entries before the first empty one.
int UsedEntries(const std::string* entries, int capacity) {
    int n = 0;
    while (n < capacity && !entries[n].empty()) ++n;
    return n;
}

// One step of a list enumeration: copy the entry at the index and advance;
// true while a non-empty entry follows, else the index goes back to 0.
bool NextEntry(const std::string* entries, int capacity, std::int32_t& index, std::string& out) {
    if (index < 0 || index >= capacity) index = 0;
    out = entries[index];
    ++index;
    if (index < capacity && !entries[index].empty()) return true;
    index = 0;
    return false;
}

std::string ProxyValue(const std::string& field) {
    return field == "." ? std::string() : field;
}

}  // namespace

CNewsSettings::CNewsSettings(CMessageBoxSink* messages)
    : m_pMessages(messages), m_fnDefaultSound(GetDefaultNotificationSound) {}

CNewsSettings::~CNewsSettings() = default;

void CNewsSettings::SetMessageSink(CMessageBoxSink* messages) {
    CRecursiveLockGuard guard(*this);
    m_pMessages = messages;
}

void CNewsSettings::SetDefaultSoundLookup(std::function<std::string()> lookup) {
    CRecursiveLockGuard guard(*this);
    m_fnDefaultSound = std::move(lookup);
}

void CNewsSettings::ShowMessage(int stringId) {
    CMessageBoxSink* sink = nullptr;
    {
        CRecursiveLockGuard guard(*this);
        sink = m_pMessages;
    }
    if (sink) sink->ShowMessage(stringId, LoadStringText(stringId));
}

void CNewsSettings::ReadList(std::uint32_t id, std::string* entries, int capacity) {
    CConfigStore::ResetEnumeration();
    int n = 0;
    for (;;) {
        const CConfigItem* found = nullptr;
        const bool more = EnumerateNext(id, &found);
        // An empty value would end the list early and hide the entries after it.
        if (found && !found->m_strValue1.empty() && n < capacity) entries[n++] = found->m_strValue1;
        if (!more) break;
    }
}

int CNewsSettings::Load() {
    CRecursiveLockGuard guard(*this);
    const int result = CConfigStore::Load();

    std::fill(std::begin(m_strKeywords), std::end(m_strKeywords), std::string());
    std::fill(std::begin(m_strUrls), std::end(m_strUrls), std::string());
    std::fill(std::begin(m_strDisabledUrls), std::end(m_strDisabledUrls), std::string());
    m_nKeywordIndex = 0;
    m_nUrlIndex = 0;
    ReadList(SETTING_WEB_ADDRESS, m_strUrls, MAX_CUSTOM_URLS);
    ReadList(SETTING_DISABLED_WEB_ADDRESS, m_strDisabledUrls, MAX_CUSTOM_URLS);
    ReadList(SETTING_KEYWORD, m_strKeywords, MAX_KEYWORD_GROUPS);

    CConfigStore::GetInteger(SETTING_POLL_PERIOD, m_nPollPeriod);
    CConfigStore::GetString(SETTING_SOUND_FILE, m_strSoundFile);
    CConfigStore::GetString(SETTING_PROXY_SERVER_NAME, m_strProxyServerName);
    CConfigStore::GetInteger(SETTING_PROXY_PORT_NUM, m_nProxyPort);
    CConfigStore::GetString(SETTING_PROXY_USER_NAME, m_strProxyUserName);
    CConfigStore::GetString(SETTING_PROXY_USER_PASSWORD, m_strProxyPassword);
    CConfigStore::ResetEnumeration();
    // Hand-edited values the program could not work with are read as the
    // defaults (the file keeps what the user wrote): a period of 0 or less
    // would scan every second, and no port lies outside 1 to 65535.
    if (m_nPollPeriod <= 0 || m_nPollPeriod > MAX_POLL_PERIOD_SECONDS) m_nPollPeriod = 600;
    if (m_nProxyPort < 1 || m_nProxyPort > 65535) m_nProxyPort = 80;
    return result;
}

void CNewsSettings::SetDefaults() {
    CRecursiveLockGuard guard(*this);
    std::string sound = m_fnDefaultSound ? m_fnDefaultSound() : std::string();
    std::replace(sound.begin(), sound.end(), ' ', '|');
    const std::int32_t hasSound = sound.empty() ? 0 : 1;

    static constexpr std::uint32_t kRemoved[] = {
        SETTING_POLL_PERIOD,          SETTING_TITLE_CONTAINS_KEYWORD, SETTING_CHECK_ONLY_TITLE,
        SETTING_IGNORE_INITIAL_STORIES, SETTING_AUTO_STORY_POPUP,     SETTING_STORIES_HAVE_SOUND,
        SETTING_SOUND_FILE,           SETTING_USE_PROXY,              SETTING_PROXY_SERVER_NAME,
        SETTING_PROXY_USER_NAME,      SETTING_PROXY_USER_PASSWORD,    SETTING_PROXY_PORT_NUM,
        SETTING_BROWSER_DISPLAY_ASK,  SETTING_BROWSER_DISPLAY_NEW,  SETTING_SHOW_NOTIFICATIONS,
    };
    for (std::uint32_t id : kRemoved) RemoveAllNoSave(id);

    AddItemNoSave(IntegerItem(SETTING_POLL_PERIOD, "Poll_Period", 600, 600));
    AddItemNoSave(IntegerItem(SETTING_TITLE_CONTAINS_KEYWORD, "Title_Contains_Keyword", 1, 1));
    AddItemNoSave(IntegerItem(SETTING_CHECK_ONLY_TITLE, "Check_Only_Title", 1, 1));
    AddItemNoSave(IntegerItem(SETTING_IGNORE_INITIAL_STORIES, "Ignore_Initial_Stories", 0, 0));
    AddItemNoSave(IntegerItem(SETTING_AUTO_STORY_POPUP, "Auto_Story_Pop-up", 1, 1));
    AddItemNoSave(IntegerItem(SETTING_STORIES_HAVE_SOUND, "Stories_Have_Sound", hasSound, hasSound));
    AddItemNoSave(StringItem(SETTING_SOUND_FILE, "Sound_File", CONFIG_STRING, sound, sound));
    AddItemNoSave(IntegerItem(SETTING_USE_PROXY, "Use_Proxy", 0, 0));
    AddItemNoSave(StringItem(SETTING_PROXY_SERVER_NAME, "Proxy_Server_Name", CONFIG_PLAIN_STRING, ".", "."));
    AddItemNoSave(StringItem(SETTING_PROXY_USER_NAME, "Proxy_User_Name", CONFIG_PLAIN_STRING, ".", "."));
    AddItemNoSave(StringItem(SETTING_PROXY_USER_PASSWORD, "Proxy_User_Password", CONFIG_PLAIN_STRING, ".", "."));
    AddItemNoSave(IntegerItem(SETTING_PROXY_PORT_NUM, "Proxy_Port_Num", 80, 80));
    AddItemNoSave(IntegerItem(SETTING_BROWSER_DISPLAY_ASK, "Browser_Display_Ask", 1, 1));
    AddItemNoSave(IntegerItem(SETTING_BROWSER_DISPLAY_NEW, "Browser_Display_New", 1, 1));

    // The cached values follow the records.
    m_strSoundFile = sound;
    m_nPollPeriod = 600;
    m_nProxyPort = 80;
    m_strProxyServerName = ".";
    m_strProxyUserName = ".";
    m_strProxyPassword = ".";
    if (IsAutoSave()) CConfigStore::Save();
}

bool CNewsSettings::AddKeyword(const std::string& group) {
    std::string value = group;
    std::replace(value.begin(), value.end(), ' ', '_');
    int refusal = 0;
    {
        CRecursiveLockGuard guard(*this);
        if (value.empty()) return false;
        const int used = UsedEntries(m_strKeywords, MAX_KEYWORD_GROUPS);
        if (std::find(m_strKeywords, m_strKeywords + used, value) != m_strKeywords + used)
            refusal = kTextKeywordExists;
        else if (used >= MAX_KEYWORD_GROUPS)
            refusal = kTextKeywordsFull;
        else {
            m_strKeywords[used] = value;
            CConfigStore::AddString(SETTING_KEYWORD, "Keyword", value, value);
            return true;
        }
    }
    // Shown without the lock held, so the scanning thread is not kept
    // waiting while the box is open.
    ShowMessage(refusal);
    return false;
}

void CNewsSettings::ClearKeywords() {
    CRecursiveLockGuard guard(*this);
    std::fill(std::begin(m_strKeywords), std::end(m_strKeywords), std::string());
    CConfigStore::RemoveAll(SETTING_KEYWORD);
}

bool CNewsSettings::AddToList(std::string* entries, int capacity, std::uint32_t id, const char* name,
                              const std::string& url) {
    CRecursiveLockGuard guard(*this);
    // An empty entry would end the list; it is never stored.
    if (url.empty()) return false;
    const int used = UsedEntries(entries, capacity);
    if (used >= capacity || std::find(entries, entries + used, url) != entries + used) return false;
    entries[used] = url;
    CConfigStore::AddString(id, name, url, DEFAULT_PAGE_URL);
    return true;
}

bool CNewsSettings::AddUrl(const std::string& url) {
    return AddToList(m_strUrls, MAX_CUSTOM_URLS, SETTING_WEB_ADDRESS, "Web_Address", url);
}

bool CNewsSettings::AddDisabledUrl(const std::string& url) {
    return AddToList(m_strDisabledUrls, MAX_CUSTOM_URLS, SETTING_DISABLED_WEB_ADDRESS, "Disabled_Web_Address",
                     url);
}

void CNewsSettings::ClearUrls() {
    CRecursiveLockGuard guard(*this);
    std::fill(std::begin(m_strUrls), std::end(m_strUrls), std::string());
    std::fill(std::begin(m_strDisabledUrls), std::end(m_strDisabledUrls), std::string());
    CConfigStore::RemoveAll(SETTING_WEB_ADDRESS);
    CConfigStore::RemoveAll(SETTING_DISABLED_WEB_ADDRESS);
}

int CNewsSettings::CountUrls() {
    CRecursiveLockGuard guard(*this);
    return UsedEntries(m_strUrls, MAX_CUSTOM_URLS);
}

bool CNewsSettings::GetNextKeyword(std::string& group) {
    CRecursiveLockGuard guard(*this);
    return NextEntry(m_strKeywords, MAX_KEYWORD_GROUPS, m_nKeywordIndex, group);
}

bool CNewsSettings::GetNextUrl(std::string& url) {
    CRecursiveLockGuard guard(*this);
    return NextEntry(m_strUrls, MAX_CUSTOM_URLS, m_nUrlIndex, url);
}

bool CNewsSettings::GetNextDisabledUrl(std::string& url) {
    CRecursiveLockGuard guard(*this);
    return NextEntry(m_strDisabledUrls, MAX_CUSTOM_URLS, m_nUrlIndex, url);
}

void CNewsSettings::ResetEnumeration() {
    CRecursiveLockGuard guard(*this);
    m_nKeywordIndex = 0;
    m_nUrlIndex = 0;
    CConfigStore::ResetEnumeration();
}

std::int32_t CNewsSettings::GetPollPeriod() {
    CRecursiveLockGuard guard(*this);
    return m_nPollPeriod;
}

void CNewsSettings::SetPollPeriod(std::int32_t seconds) {
    CRecursiveLockGuard guard(*this);
    m_nPollPeriod = seconds;
    ReplaceAll(IntegerItem(SETTING_POLL_PERIOD, "Poll_Period", seconds, seconds));
}

std::int32_t CNewsSettings::GetProxyPort() {
    CRecursiveLockGuard guard(*this);
    return m_nProxyPort;
}

void CNewsSettings::SetProxyPort(std::int32_t port) {
    CRecursiveLockGuard guard(*this);
    m_nProxyPort = port;
    ReplaceAll(IntegerItem(SETTING_PROXY_PORT_NUM, "Proxy_Port_Num", port, port));
}

std::string CNewsSettings::GetProxyServerName() {
    CRecursiveLockGuard guard(*this);
    return ProxyValue(m_strProxyServerName);
}

std::string CNewsSettings::GetProxyUserName() {
    CRecursiveLockGuard guard(*this);
    return ProxyValue(m_strProxyUserName);
}

std::string CNewsSettings::GetProxyPassword() {
    CRecursiveLockGuard guard(*this);
    return ProxyValue(m_strProxyPassword);
}

void CNewsSettings::SetProxyServerName(const std::string& value) {
    CRecursiveLockGuard guard(*this);
    m_strProxyServerName = value;
    ReplaceAll(StringItem(SETTING_PROXY_SERVER_NAME, "Proxy_Server_Name", CONFIG_STRING, value, value));
}

void CNewsSettings::SetProxyUserName(const std::string& value) {
    CRecursiveLockGuard guard(*this);
    m_strProxyUserName = value;
    ReplaceAll(StringItem(SETTING_PROXY_USER_NAME, "Proxy_User_Name", CONFIG_STRING, value, value));
}

void CNewsSettings::SetProxyPassword(const std::string& value) {
    CRecursiveLockGuard guard(*this);
    m_strProxyPassword = value;
    ReplaceAll(StringItem(SETTING_PROXY_USER_PASSWORD, "Proxy_User_Password", CONFIG_STRING, value, value));
}

std::string CNewsSettings::GetSoundFile() {
    CRecursiveLockGuard guard(*this);
    std::string path = m_strSoundFile;
    std::replace(path.begin(), path.end(), '|', ' ');
    return path;
}

void CNewsSettings::SetSoundFile(const std::string& path) {
    CRecursiveLockGuard guard(*this);
    std::string value = path;
    std::replace(value.begin(), value.end(), ' ', '|');
    m_strSoundFile = value;
    ReplaceAll(StringItem(SETTING_SOUND_FILE, "Sound_File", CONFIG_STRING, value, value));
}

std::int32_t CNewsSettings::GetFlag(std::uint32_t id) {
    CRecursiveLockGuard guard(*this);
    // A single read: it starts at the newest record and leaves no record
    // walk behind, so a file holding the flag twice reads the same each time.
    std::int32_t value = 0;
    CConfigStore::ResetEnumeration();
    CConfigStore::GetInteger(id, value);
    CConfigStore::ResetEnumeration();
    return value;
}

bool CNewsSettings::GetShowNotifications() {
    CRecursiveLockGuard guard(*this);
    std::int32_t value = 1;  // no record: on
    CConfigStore::ResetEnumeration();
    CConfigStore::GetInteger(SETTING_SHOW_NOTIFICATIONS, value);
    CConfigStore::ResetEnumeration();
    return value != 0;
}

void CNewsSettings::SetFlag(std::uint32_t id, std::int32_t value) {
    CRecursiveLockGuard guard(*this);
    for (const FlagRecord& flag : kFlags) {
        if (flag.id == id) {
            ReplaceAll(IntegerItem(id, flag.name, value, flag.second));
            return;
        }
    }
    CConfigStore::RemoveAll(id);
}

void CNewsSettings::SetFileName(const std::string& appDir) {
    CRecursiveLockGuard guard(*this);
    CConfigStore::SetFileName(appDir);
}

void CNewsSettings::SetAutoSave() {
    CRecursiveLockGuard guard(*this);
    CConfigStore::SetAutoSave();
}

bool CNewsSettings::Save() {
    CRecursiveLockGuard guard(*this);
    return CConfigStore::Save();
}

bool CNewsSettings::AddItem(const CConfigItem& item) {
    CRecursiveLockGuard guard(*this);
    return CConfigStore::AddItem(item);
}

bool CNewsSettings::AddString(std::uint32_t id, const std::string& name, const std::string& value1,
                              const std::string& value2) {
    CRecursiveLockGuard guard(*this);
    return CConfigStore::AddString(id, name, value1, value2);
}

bool CNewsSettings::AddPlainString(std::uint32_t id, const std::string& name, const std::string& value1,
                                   const std::string& value2) {
    CRecursiveLockGuard guard(*this);
    return CConfigStore::AddPlainString(id, name, value1, value2);
}

bool CNewsSettings::AddInteger(std::uint32_t id, const std::string& name, std::int32_t value1,
                               std::int32_t value2) {
    CRecursiveLockGuard guard(*this);
    return CConfigStore::AddInteger(id, name, value1, value2);
}

bool CNewsSettings::RemoveAll(std::uint32_t id) {
    CRecursiveLockGuard guard(*this);
    return CConfigStore::RemoveAll(id);
}

bool CNewsSettings::GetString(std::uint32_t id, std::string& value) {
    CRecursiveLockGuard guard(*this);
    return CConfigStore::GetString(id, value);
}

bool CNewsSettings::GetInteger(std::uint32_t id, std::int32_t& value) {
    CRecursiveLockGuard guard(*this);
    return CConfigStore::GetInteger(id, value);
}

std::vector<std::string> EnabledCustomUrls(CNewsSettings& settings) {
    std::vector<std::string> urls;
    CRecursiveLockGuard guard(settings);
    settings.ResetEnumeration();
    std::string url;
    for (bool bMore = true; bMore;) {
        bMore = settings.GetNextUrl(url);
        if (!url.empty()) urls.push_back(url);
    }
    return urls;
}
