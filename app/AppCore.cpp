#include "app/AppCore.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

#include "app/FetchWatchdog.h"
#include "app/HomeFolder.h"
#include "app/SourceUpdate.h"
#include "common/FileUtil.h"
#include "common/MessageTarget.h"
#include "common/SafeFiles.h"
#include "common/Messages.h"
#include "common/StringTable.h"
#include "config/NewsSource.h"
#include "engine/NewsWatch.h"
#include "net/ConnectedState.h"
#include "net/HttpFetcher.h"
#include "platform/DesktopSystem.h"
#include "platform/Registry.h"
#include "platform/UserFolders.h"

const char* const REGISTRY_KEY_CURRENT = "SOFTWARE\\Vantrel Group\\Skimbolt\\0.01k";
const char* const REGISTRY_KEY_OLDER_J = "SOFTWARE\\Vantrel Group\\Brightlet\\0.01j";
const char* const REGISTRY_KEY_OLDER_I = "SOFTWARE\\Vantrel Group\\Brightlet\\0.01i";

namespace {
constexpr const char* kInstallDir = "InstallDir";
constexpr const char* kBannerHost = "BannerHost";
constexpr std::size_t kInstallDirMax = 599;  // the value is read into 600 bytes
}  // namespace

CAppCore::CAppCore(CMessageBoxSink& messages)
    : m_messages(messages),
      m_clock([] { return std::time(nullptr); }) {
    m_settings.SetMessageSink(&messages);
    m_stories.SetNewStoryKeeper([this](StoryItem item) { KeepNewStory(std::move(item)); });
}

CAppCore::~CAppCore() {
    CollectProblems(nullptr);
    Stop();
    m_pWatch.reset();
    if (m_bNetworkStarted) StopNetworkLibrary();
}

void CAppCore::FindApplicationFolder(const std::string& explicitHome, const std::string& registryFile) {
    m_strRegistryFile = registryFile;
    m_bExplicitHome = !explicitHome.empty();
    if (m_bExplicitHome) {
        m_strAppDir = WithTrailingSeparator(explicitHome);
        return;
    }
    CRegistry registry(registryFile);
    const bool bRead = registry.Load();
    const bool bExists = bRead || FileExists(registryFile);
    if (registry.IsDamaged() || (bExists && !bRead)) {
        // Never a reason not to start: the damaged file is kept beside the
        // new one, and the folder is found again as on a first start.
        const std::string copy = bRead ? registry.KeepDamagedCopy() : std::string();
        std::string notice;
        if (copy.empty()) {
            notice = "Skimbolt could not read its registry file " + registryFile +
                     "; it uses its default folder this time and leaves the file as it is.";
            registry = CRegistry(std::string());  // nothing is written over it
        } else {
            notice = "Skimbolt's registry file " + registryFile + " was damaged. It was kept as " + copy +
                     ", and a new one was written.";
            registry = CRegistry(registryFile);
        }
        m_messages.ShowNotice(0, notice.c_str(), CMessageBoxSink::ICON_WARNING);
    }
    if (!registry.HasKey(REGISTRY_KEY_CURRENT)) {
        // The key an installer would have written: an older installation's
        // folder when one is recorded, else the default folder.
        std::string dir;
        if (!registry.QueryValue(REGISTRY_KEY_OLDER_I, kInstallDir, dir) || dir.empty())
            registry.QueryValue(REGISTRY_KEY_OLDER_J, kInstallDir, dir);
        registry.SetValue(REGISTRY_KEY_CURRENT, kInstallDir, dir.empty() ? DefaultHomeFolder() : dir);
        if (!registry.GetFile().empty()) registry.Save();
    }
    const char* key = REGISTRY_KEY_CURRENT;
    // A missing value leaves the folder empty: Data/ is then relative to the
    // current folder.
    std::string dir;
    registry.QueryValue(key, kInstallDir, dir);
    if (dir.size() > kInstallDirMax) dir.resize(kInstallDirMax);
    m_strAppDir = dir.empty() ? std::string() : WithTrailingSeparator(dir);
}

std::string CAppCore::GetDataPath() const { return m_strAppDir + "Data/"; }

bool CAppCore::ScannerHeld() const { return m_pWatch && m_pWatch->IsHeld() != 0; }

bool CAppCore::ScanRequested() const { return m_pWatch && m_pWatch->IsScanRequested(); }

bool CAppCore::PrepareFolder(std::string& error) {
    if (m_strAppDir.empty()) return true;  // the current folder: nothing to create
    return CHomeFolder(m_strAppDir).Prepare(error);
}

bool CAppCore::LockFolder(std::string& error) {
    const std::string folder = m_strAppDir.empty() ? std::string(".") : m_strAppDir;
    bool busy = false;
    if (m_folderLock.Lock(folder, busy)) return true;
    error = busy ? "another Skimbolt is using " + folder + " (the desktop program, --headless or --scan-once)"
                 : "cannot lock " + folder;
    return false;
}

namespace {

bool IsTemporarySuffix(std::string_view s) {
    if (s.size() != 6) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

// Whether name is a temporary file this program writes and a killed write
// can leave behind: "<name>.skimbolt-XXXXXX.tmp" from an atomic save or a
// story file rewrite, the announcement ledger's work file
// "unannounced.txt.next", or one of the names earlier versions used:
// "config.txt.XXXXXX" and the like, and the work file "<stem>.tmp" of a
// story file rewrite (a stem ends with eight lower-case hex digits; a
// source's second file name adds '-' and sixteen more).
bool IsOurTemporaryFile(const std::string& name) {
    if (IsTemporaryFileName(name) || name == CAnnounceLedger::NEXT_FILE_NAME) return true;
    for (const std::string& prefix :
         {std::string("config.txt."), std::string("sources.txt."), std::string("sourceupdate.txt."),
          std::string(CSourceHealth::FILE_NAME) + ".", std::string(CAnnounceLedger::FILE_NAME) + ".",
          std::string(CAnnounceLedger::NEXT_FILE_NAME) + "."}) {
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            return IsTemporarySuffix(std::string_view(name).substr(prefix.size()));
    }
    if (name.size() < 12 || name.compare(name.size() - 4, 4, ".tmp") != 0) return false;
    auto isHex = [](std::string_view s) {
        for (char c : s)
            if (!std::isdigit(static_cast<unsigned char>(c)) && !(c >= 'a' && c <= 'f')) return false;
        return true;
    };
    std::string_view stem = std::string_view(name).substr(0, name.size() - 4);
    if (stem.size() >= 25 && stem[stem.size() - 17] == '-' && isHex(stem.substr(stem.size() - 16)))
        stem.remove_suffix(17);
    return stem.size() >= 8 && stem.size() <= 16 && isHex(stem.substr(stem.size() - 8));
}

}  // namespace

void CAppCore::RemoveStaleTemporaryFiles() {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(GetDataPath(), ec), end; !ec && it != end; it.increment(ec)) {
        if (!IsOurTemporaryFile(it->path().filename().string())) continue;
        if (it->is_symlink(ec)) ReportSymbolicLink(it->path().string());  // planted: left alone
        else if (it->is_regular_file(ec)) std::filesystem::remove(it->path(), ec);
    }
}

void CAppCore::MakeDataPrivate() {
    // The folder and the files of ours in it hold the user's keyword
    // groups, proxy password and stories; earlier versions left them
    // readable to others. Story files are made private as they are loaded.
    std::string data = GetDataPath();
    data.pop_back();
    if (IsSymbolicLink(data)) return;  // a folder the user put elsewhere keeps its own mode
    MakePrivate(data);
    for (const char* name : {"config.txt", "sources.txt", "sourceupdate.txt", CSourceHealth::FILE_NAME}) {
        const std::string path = GetDataPath() + name;
        if (IsSymbolicLink(path)) ReportSymbolicLink(path);
        else MakePrivate(path);
    }
    std::error_code ec;
    const std::string damaged = GetDataPath() + "damaged";
    if (IsSymbolicLink(damaged) || !MakePrivate(damaged)) return;
    for (std::filesystem::directory_iterator it(damaged, ec), end; !ec && it != end; it.increment(ec))
        if (!it->is_symlink(ec)) MakePrivate(it->path().string());
}

void CAppCore::LoadData() {
    RemoveStaleTemporaryFiles();
    MakeDataPrivate();
    m_settings.SetFileName(m_strAppDir);
    m_settings.SetAutoSave();
    m_settings.Load();
    m_catalogue.SetFileName(m_strAppDir);
    if (!FileExists(m_catalogue.GetFileName())) InstallStarterCatalogue(m_catalogue.GetFileName());
    m_catalogue.Load();
    m_archive.SetDataFolder(GetDataPath());
    m_archive.LoadAll(m_catalogue, m_settings);
    TakeOverUnannounced();
    m_health.Load(GetDataPath());

    // Stories are shown in pages of ours only around a banner, whose host
    // the registry names. Browsers confined as snaps or flatpaks cannot read
    // hidden folders, such as the one the data folder usually lies in: the
    // pages go where they can read them, else into the data folder.
    std::string bannerHost;
    CRegistry registry(m_strRegistryFile);
    if (!m_strRegistryFile.empty() && registry.Load())
        registry.QueryValue(REGISTRY_KEY_CURRENT, kBannerHost, bannerHost);
    std::string pagesFolder = StoryPagesFolder(CDesktopSystem());
    if (pagesFolder.empty()) pagesFolder = GetDataPath();
    m_stories.SetStoryPages(bannerHost, pagesFolder);
}

void CAppCore::LoadForReading() {
    m_settings.SetFileName(m_strAppDir);
    if (FileExists(GetDataPath() + "config.txt")) m_settings.Load();
    m_catalogue.SetFileName(m_strAppDir);
    m_catalogue.Load();
    m_health.Load(GetDataPath());
}

std::vector<std::string> CAppCore::ConfiguredPages() {
    std::vector<std::string> pages;
    {
        CRecursiveLockGuard lock(m_catalogue);
        for (CNewsSource* source = m_catalogue.FirstSource(true); source; source = m_catalogue.NextSource(true))
            for (CNewsCategory* category = source->FirstCategory(true); category;
                 category = source->NextCategory(true))
                pages.push_back(category->m_strUrl);
    }
    for (std::string& url : EnabledCustomUrls(m_settings)) pages.push_back(std::move(url));
    return pages;
}

bool CAppCore::StartNetwork() {
    if (!m_bNetworkStarted) {
        if (!StartNetworkLibrary()) {
            m_messages.ShowMessage(130, LoadStringText(130));
            return false;
        }
        m_bNetworkStarted = true;
    }
    std::uint32_t flags = 0;
    GetConnectedState(&flags);
    return true;
}

void CAppCore::CreateScanner(CMessageTarget& mainWindow) {
    m_pWakeTarget = &mainWindow;
    m_pWatch = std::make_unique<CNewsWatch>(m_settings, m_catalogue, m_archive, mainWindow);
    m_pWatch->SetNewStorySink(*this);
    m_pWatch->SetFirstScanStartedFlag(&m_bFirstScanStarted);
    m_pWatch->SetOutcomeSink(this);
    m_pWatch->LoadArticleRetries(GetDataPath());
}

void CAppCore::OnPageOutcome(const PageOutcome& outcome) {
    PageHealth health;
    health.url = outcome.url;
    health.tRead = static_cast<std::int64_t>(m_clock());
    health.nStoryLinks = outcome.nStoryLinks;
    health.nNewStories = outcome.nNewStories;
    health.nArticleFailures = outcome.nArticleFailures;
    health.bNotModified = outcome.bNotModified;
    health.etag = outcome.validators.etag;
    health.lastModified = outcome.validators.lastModified;
    if (outcome.failure != FetchFailure::None)
        health.failure = FetchFailureText(outcome.failure, outcome.httpStatus);
    else if (outcome.nStoryLinks == 0 && !outcome.bNotModified)
        health.failure = "no story links found";
    health.bOk = health.failure.empty();
    m_health.Record(health);
    if (health.bOk) return;
    std::lock_guard<std::mutex> lock(m_newsMutex);
    m_news.failedPages.push_back(std::move(health));
}

void CAppCore::OnPassFinished(int pagesLeft) {
    if (pagesLeft == 0) m_health.Save();
}

HttpValidators CAppCore::ValidatorsOf(const std::string& url) {
    PageHealth health;
    if (!m_health.Find(url, health) || !health.bOk) return {};
    return {health.etag, health.lastModified};
}

void CAppCore::OnDiagnostic(const Diagnostic& d) {
    std::lock_guard<std::mutex> lock(m_newsMutex);
    m_news.problems.push_back({DiagnosticKindText(d.kind), d.subject, d.detail});
    if (m_pProblemWake) m_pProblemWake->Post(WM_PROBLEM_NEWS, 0, 0);
}

void CAppCore::CollectProblems(CMessageTarget* pWake) {
    {
        std::lock_guard<std::mutex> lock(m_newsMutex);
        if (pWake == m_pProblemWake) return;
        m_pProblemWake = pWake;
    }
    SetDiagnosticSink(pWake ? this : nullptr);
    if (!pWake) return;
    // Problems met before (loading the data) are news too; one met while
    // the sink was being installed may come twice, which front ends take
    // as one (one notice per file and run).
    const std::vector<Diagnostic> before = RecordedDiagnostics();
    std::lock_guard<std::mutex> lock(m_newsMutex);
    for (const Diagnostic& d : before) {
        const FileProblem problem{DiagnosticKindText(d.kind), d.subject, d.detail};
        const bool bQueued = std::any_of(m_news.problems.begin(), m_news.problems.end(), [&](const FileProblem& p) {
            return p.kind == problem.kind && p.subject == problem.subject;
        });
        if (!bQueued) m_news.problems.push_back(problem);
    }
    if (!m_news.Empty()) pWake->Post(WM_PROBLEM_NEWS, 0, 0);
}

void CAppCore::TakeOverUnannounced() {
    // Only those still new: a story the user has seen meanwhile, or that
    // never reached the archive (the run ended first), is not announced;
    // the latter is met as new again by the next scan.
    std::vector<StoryKey> kept;
    std::vector<StoryItem> stories;
    for (StoryKey& key : m_ledger.Load(GetDataPath())) {
        std::optional<StoryItem> item = m_stories.Find(key);
        if (!item || item->state != STORY_NEW) continue;
        kept.push_back(std::move(key));
        stories.push_back(std::move(*item));
    }
    m_ledger.Keep(kept);
    std::lock_guard<std::mutex> lock(m_newsMutex);
    for (StoryItem& item : stories) m_news.stories.push_back(std::move(item));
}

void CAppCore::AnnounceStories(const std::vector<StoryItem>& stories, const std::function<bool()>& announce) {
    if (stories.empty()) {
        announce();
        return;
    }
    std::vector<StoryKey> keys;
    for (const StoryItem& item : stories) keys.push_back(item.key);
    m_ledger.PrepareRemoval(keys);
    m_ledger.CommitRemoval(announce());
}

void CAppCore::OnStoryBecomingNew(const CStory& story, const std::string& sourceKey) {
    m_ledger.Add({sourceKey, story.GetHeadline()});
}

void CAppCore::OnNewStory(const CStory& story, const std::string& sourceKey) {
    KeepNewStory(m_stories.ItemOf(story, sourceKey));
    if (m_pWakeTarget) m_pWakeTarget->Post(WM_NEW_STORIES, 0, 0);
}

void CAppCore::KeepNewStory(StoryItem item) {
    std::lock_guard<std::mutex> lock(m_newsMutex);
    m_passStories.push_back(std::move(item));
}


void CAppCore::OnWakeUp(unsigned message, std::intptr_t lParam) {
    std::lock_guard<std::mutex> lock(m_newsMutex);
    auto cycleIntoNews = [this] {
        for (StoryItem& item : m_cycleStories) m_news.stories.push_back(std::move(item));
        m_cycleStories.clear();
    };
    switch (message) {
    case WM_SCAN_STARTED:
        m_bScanning = 1;
        if (lParam == 1) cycleIntoNews();
        break;
    case WM_NEW_STORIES:
        m_bPassHasNewStories = true;
        break;
    case WM_SCAN_FINISHED:
        m_bScanning = 0;
        if (m_bPassHasNewStories) {
            m_bPassHasNewStories = false;
            for (StoryItem& item : m_passStories) m_cycleStories.push_back(std::move(item));
            m_passStories.clear();
        }
        if (lParam == 0) cycleIntoNews();
        break;
    default:
        break;
    }
}

CoreNews CAppCore::TakeNews() {
    std::lock_guard<std::mutex> lock(m_newsMutex);
    return std::exchange(m_news, {});
}

CoreNews CAppCore::TakeNewsSoFar() {
    std::lock_guard<std::mutex> lock(m_newsMutex);
    for (std::vector<StoryItem>* held : {&m_cycleStories, &m_passStories}) {
        for (StoryItem& item : *held) m_news.stories.push_back(std::move(item));
        held->clear();
    }
    return std::exchange(m_news, {});
}

void CAppCore::ScanNow() {
    m_bEnabled = 1;
    if (!m_pWatch) return;
    m_pWatch->Activate();
    m_pWatch->TriggerScan();
}

void CAppCore::SetEnabled(bool bEnabled) {
    m_bEnabled = bEnabled ? 1 : 0;
    if (!m_pWatch) return;
    if (bEnabled) m_pWatch->Activate();
    else m_pWatch->Deactivate();
}

void CAppCore::RunForcedScan() {
    if (!m_pWatch) return;
    m_pWatch->LoadStartSettings();
    m_pWatch->RunForcedScan();
}

void CAppCore::StopScanning() {
    if (m_pWatch) m_pWatch->Deactivate();
}

bool CAppCore::ResumeScanning() {
    if (m_bScanning == 1) return false;
    if (m_pWatch) {
        m_pWatch->ClearPendingWork();
        m_pWatch->Activate();
    }
    return true;
}

bool CAppCore::StartScanningThread() {
    if (m_pWatch && m_pWatch->CreateThread()) {
        m_bThreadStarted = true;
        return true;
    }
    m_pWatch.reset();
    m_messages.ShowMessage(131, LoadStringText(131));
    return false;
}

void CAppCore::Stop() {
    if (m_pWatch) {
        m_pWatch->Deactivate();
        if (m_bThreadStarted) {
            m_pWatch->StopAndWait();
            m_bThreadStarted = false;
        }
    }
    // The outcomes of a cycle cut short.
    m_health.Save();
}

void CAppCore::RequestScan() {
    if (m_pWatch) m_pWatch->TriggerScan();
}

bool CAppCore::OnFetchWatchdog() { return m_pWatch && AbortOverdueFetches(m_pWatch->Fetchers(), m_clock()); }

void CAppCore::OnArchiveMaintenance() { m_archive.Maintain(false, m_pStoryList); }
