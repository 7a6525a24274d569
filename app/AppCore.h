// CAppCore: the application without its windows. It owns the application
// folder, the settings, the source catalogue, the story archive, the scanning
// thread and the state the main window, the tray icon and the property sheet
// share, runs the start-up steps that need no window and the orderly stop,
// and does the main window's timed duties (fetch watchdog, archive
// maintenance) when its timers tick. The desktop program and the headless
// commands are two users of it.
#pragma once

#include <atomic>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/AnnounceLedger.h"
#include "app/SettingsDesk.h"
#include "app/SourceHealth.h"
#include "app/StoryDesk.h"
#include "app/StoryTypes.h"
#include "common/Diagnostics.h"
#include "engine/NewStorySink.h"
#include "engine/PageOutcome.h"
#include "config/NewsSettings.h"
#include "platform/FolderLock.h"
#include "config/SourceCatalogue.h"
#include "present/StoryPages.h"
#include "store/StoryArchive.h"

class CMessageBoxSink;
class CMessageTarget;
class CNewsWatch;

// Registry keys of the current and of the two older installations.
extern const char* const REGISTRY_KEY_CURRENT;
extern const char* const REGISTRY_KEY_OLDER_J;
extern const char* const REGISTRY_KEY_OLDER_I;

class CAppCore : private CPageOutcomeSink, private CDiagnosticSink, private CNewStorySink {
public:
    // Timer periods of the main window's timed duties.
    static constexpr int WATCHDOG_PERIOD_MS = 10000;
    static constexpr int MAINTENANCE_PERIOD_MS = 300000;

    using Clock = std::function<std::time_t()>;

    explicit CAppCore(CMessageBoxSink& messages);
    ~CAppCore();
    CAppCore(const CAppCore&) = delete;
    CAppCore& operator=(const CAppCore&) = delete;

    // ---- Start-up, in this order.
    // The application folder: explicitHome when it is not empty, else the
    // "InstallDir" of the registry stand-in's current key. A file without
    // that key gets it, pointing to an older installation's folder when one
    // is recorded, else to the default folder. A damaged file is copied
    // aside and replaced, with a notice; an unreadable one is left alone and
    // the default folder used, with a notice. The registry never keeps the
    // program from starting.
    void FindApplicationFolder(const std::string& explicitHome, const std::string& registryFile);
    // Checks the folder (see CHomeFolder::Prepare); false with error set when
    // it cannot be used without harm, and nothing is touched.
    bool PrepareFolder(std::string& error);
    // Takes the folder for this process alone, before it loads the folder
    // for writing; a second writer (a headless run, the desktop program) is
    // refused: false with error saying why. Held until the core ends.
    bool LockFolder(std::string& error);
    // Temporary files a killed write left in Data/ (only names this program
    // makes) are removed and Data/ is made private (mode 0700, its files of
    // ours 0600); then the settings (config.txt written with the
    // defaults when missing, saved after every change), catalogue and every
    // story file are loaded, the story pages' companion files that Data/
    // lacks are copied into it, and the story pages are set up (banner host
    // from the registry stand-in). Call after LockFolder when writing.
    void LoadData();
    // For commands that only look: settings (when config.txt exists),
    // catalogue and source health, without writing anything.
    void LoadForReading();
    // The web library (text 130 when it cannot start) and one look at the
    // connected state. False: start-up ends.
    bool StartNetwork();
    // Makes the scanning thread object reporting to mainWindow, which
    // outlives the core's use of it.
    void CreateScanner(CMessageTarget& mainWindow);
    // Starts the scanning thread (text 131 when it cannot). False: start-up ends.
    bool StartScanningThread();

    // ---- Stop: scanning switched off (its request aborted), the thread
    // stopped and waited for, the pages' outcomes written. Safe to call twice.
    void Stop();

    // ---- Timed duties, driven by the front end's timers.
    // Timer 1: aborts a page request of the scanning thread older than
    // FETCH_LIMIT_SECONDS. True when it aborted one.
    bool OnFetchWatchdog();
    // Timer 3: rewrites the story files (expiry) and tells the story list
    // to re-read, when one is set.
    void OnArchiveMaintenance();
    void SetStoryListTarget(CMessageTarget* pStoryList) { m_pStoryList = pStoryList; }
    // The clock of the watchdog (seconds since 1970); tests replace it.
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // ---- What the core owns.
    const std::string& GetAppDir() const { return m_strAppDir; }
    // The registry stand-in's file given at start-up ("" for none).
    const std::string& GetRegistryFile() const { return m_strRegistryFile; }
    // Whether the folder was named (--home, $SKIMBOLT_HOME) rather than found.
    bool IsHomeExplicit() const { return m_bExplicitHome; }
    std::string GetDataPath() const;
    // The pages a scan reads: the selected categories of the enabled news
    // sources in catalogue order, then the enabled custom URLs.
    std::vector<std::string> ConfiguredPages();

    // The stories, as values, and the commands on them.
    CStoryDesk& Stories() { return m_stories; }
    // The configuration: settings, catalogue, custom URLs and the pages'
    // outcomes, as values.
    CSettingsDesk& Config() { return m_config; }

    // ---- Scan control (user-interface thread).
    // Scanning switched on and every page read at once.
    void ScanNow();
    // Every page read at once, without switching scanning on (the first
    // scan of a folder the user has just set up).
    void RequestScan();
    void SetEnabled(bool bEnabled);
    bool IsEnabled() const { return m_bEnabled != 0; }
    // One forced scan on the calling thread, the scanning thread not
    // running (--scan-once): every configured page at once.
    void RunForcedScan();
    // Switches scanning off for now, aborting the page request in progress.
    void StopScanning();
    // After StopScanning, once the pass has ended: the pages left are
    // dropped and scanning goes on. False, doing nothing, while the pass
    // still runs.
    bool ResumeScanning();
    // Between the scanning thread's WM_SCAN_STARTED and WM_SCAN_FINISHED.
    bool IsScanning() const { return m_bScanning != 0; }
    // The scanning thread (once made) is held while a configuration change
    // runs; a scan of every page has been asked for and not begun yet.
    bool ScannerHeld() const;
    bool ScanRequested() const;
    // Whether the first scan pass of the run has begun (any thread).
    bool FirstScanStarted() const { return m_bFirstScanStarted.load() != 0; }
    // New stories the user has not looked at yet.
    bool NewStoriesPending() const { return m_bNewStoriesPending; }
    void SetNewStoriesPending(bool bPending) { m_bNewStoriesPending = bPending; }

    // ---- News. The scanning thread wakes the front end with its window
    // messages; the front end hands each of them to OnWakeUp first (on its
    // own thread) and then takes what is new with TakeNews.
    // WM_SCAN_STARTED and WM_SCAN_FINISHED keep IsScanning. The new stories
    // of the passes of one cycle (its pages may be read spread over the poll
    // period) go into the news together, when its last pass ends
    // (WM_SCAN_FINISHED with lParam 0), or when the next cycle begins after
    // one that was cut short (WM_SCAN_STARTED with lParam 1).
    void OnWakeUp(unsigned message, std::intptr_t lParam = 0);
    // Everything new since the last call, once (any thread). The news taken
    // first after LoadData holds the new stories an earlier run recorded and
    // never announced (it ended or was killed first).
    CoreNews TakeNews();
    // The same, with the stories the running pass has stored so far, for a
    // front end that reports stories as they come (a single forced scan), so
    // that a pass over thousands of pages never holds all its stories.
    CoreNews TakeNewsSoFar();
    // A front end announces the stories of the news it took through this:
    // announce() tells the user (prints them, notifies) and says whether it
    // could; afterwards they are no longer waiting to be announced. Stories
    // of news taken and never announced through here are announced by the
    // next run.
    void AnnounceStories(const std::vector<StoryItem>& stories, const std::function<bool()>& announce);
    // Problems with files (the libraries' diagnostics) go into the news,
    // each waking target with WM_PROBLEM_NEWS; null stops that. Those met
    // before (while loading) go into the news at once, and target is woken
    // when the news holds anything then.
    void CollectProblems(CMessageTarget* pWake);

    // What the scanning thread does when the run's first pass begins; for
    // window tests that need a run past its first scan.
    void MarkFirstScanStarted() { m_bFirstScanStarted = 1; }

private:
    // The live objects behind the door: only the desks and the core's own
    // tests (tests/support/AppCoreInside.h) reach them; front ends use the
    // desks' values and commands.
    friend class CSettingsDesk;
    friend class CAppCoreInside;
    CNewsSettings& Settings() { return m_settings; }
    CSourceCatalogue& Catalogue() { return m_catalogue; }
    CStoryArchive& Archive() { return m_archive; }
    CSourceHealth& Health() { return m_health; }
    // The story pages of this run.
    CStoryPages& StoryPages() { return m_storyPages; }
    // Null until CreateScanner.
    CNewsWatch* Scanner() { return m_pWatch.get(); }
    CMessageBoxSink& Messages() { return m_messages; }

    // Scanning on or off and between a pass's start and end (user-interface
    // thread); the first pass of the run has begun (set by the scanning thread).
    int m_bScanning = 0;
    int m_bEnabled = 1;
    std::atomic<int> m_bFirstScanStarted{0};
    CMessageBoxSink& m_messages;
    std::string m_strAppDir;
    std::string m_strRegistryFile;
    bool m_bExplicitHome = false;
    CNewsSettings m_settings;
    CSourceCatalogue m_catalogue;
    CStoryPages m_storyPages{m_catalogue};
    CStoryArchive m_archive;
    CSourceHealth m_health;
    std::unique_ptr<CNewsWatch> m_pWatch;
    bool m_bThreadStarted = false;
    bool m_bNetworkStarted = false;
    // Start-up steps of LoadData: temporary files of ours a killed write
    // left are deleted (a symbolic link of such a name is reported and
    // left); Data/, its files of ours and its damaged/ copies are made
    // private to the user.
    void RemoveStaleTemporaryFiles();
    void MakeDataPrivate();
    // The scanning thread's report of one page: kept as the page's health.
    void OnPageOutcome(const PageOutcome& outcome) override;
    // The end of a pass: the health file is written once the cycle's last
    // page has been read.
    void OnPassFinished(int pagesLeft) override;
    HttpValidators ValidatorsOf(const std::string& url) override;
    void OnDiagnostic(const Diagnostic& d) override;
    // The story recorder's report of a story it stored as new (scanning
    // thread): kept for the news of the pass, and the front end woken.
    void OnStoryBecomingNew(const CStory& story, const std::string& sourceKey) override;
    void OnNewStory(const CStory& story, const std::string& sourceKey) override;
    void KeepNewStory(StoryItem item);
    // The stories an earlier run recorded as new and never announced go into the news.
    void TakeOverUnannounced();
    CAnnounceLedger m_ledger;
    CStoryDesk m_stories{m_archive, m_catalogue, m_settings, m_storyPages};
    bool m_bNewStoriesPending = false;
    bool m_bPassHasNewStories = false;
    std::mutex m_newsMutex;
    std::vector<StoryItem> m_passStories;   // new in the pass that runs
    std::vector<StoryItem> m_cycleStories;  // new in the cycle's passes that ended
    CoreNews m_news;
    CMessageTarget* m_pWakeTarget = nullptr;
    CMessageTarget* m_pProblemWake = nullptr;

    CFolderLock m_folderLock;
    CMessageTarget* m_pStoryList = nullptr;
    Clock m_clock;
    CSettingsDesk m_config{*this};
};
