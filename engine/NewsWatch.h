// CNewsWatch: the background scanning thread. It wakes once a second, counts
// the poll period, reads the selected catalogue pages and the custom URLs
// (the first at the period boundary, the others spread evenly over the
// period; "Scan now", and a cycle whose reads fell behind their places in the
// period, read them all at once, fetching the next pages while the current
// one is scanned) through its pool of fetchers, runs the story-link rules over
// each page in the configured order, has the story recorder record what they
// find and reports the start and end of every pass to the main window. A page
// that answered with validators is asked again conditionally; a 304 is a read
// with nothing new.
#pragma once

#include <atomic>
#include <chrono>
#include <ctime>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/EventThread.h"
#include "engine/KeywordGroup.h"
#include "engine/NewStorySink.h"
#include "engine/PageOutcome.h"
#include "engine/PageReader.h"
#include "engine/StoryRecorder.h"
#include "html/HtmlParser.h"
#include "net/FetchPool.h"
#include "net/HttpFetcher.h"

class CMessageTarget;
class CNewsSettings;
class CSourceCatalogue;
class CStoryArchive;

class CNewsWatch : public CEventThread {
public:
    // Slots of the thread's events behind the stop event.
    static constexpr int WAKE_EVENT = 1;
    static constexpr int SCAN_NOW_EVENT = 2;
    // Wait time-outs of the loop: scanning, and disabled or off line.
    static constexpr int TICK_MS = 1000;
    static constexpr int IDLE_TICK_MS = 10000;

    // All four objects outlive the thread. The settings are read under their
    // lock, the catalogue under its lock, the archive under its mutex.
    CNewsWatch(CNewsSettings& settings, CSourceCatalogue& catalogue, CStoryArchive& archive,
               CMessageTarget& mainWindow);
    ~CNewsWatch() override;

    // ---- Called from other threads.
    void Activate();
    // Stops scanning and aborts every page request in progress.
    void Deactivate();
    int IsActive();
    // "Scan now": every page is read at once, then the period starts again.
    void TriggerScan() { m_scanNowEvent.Set(); }
    // Whether a "Scan now" is waiting to be served.
    bool IsScanRequested() const { return m_scanNowEvent.IsSet(); }
    // Drops the pages still to be read in this cycle and the keyword groups.
    void ClearPendingWork();
    // The start time of the oldest page request running (seconds since
    // 1970, 0 when none runs), and the abort of every one.
    std::time_t GetFetchStartTime();
    void AbortRequest();

    // ---- Used on the scanning thread, or by a caller that runs a scan
    // itself while the thread is not running (the headless commands).
    // One forced scan: every configured page at once, as "Scan now" does it.
    // Returns the pages left unread (0 unless scanning was stopped).
    int RunForcedScan();
    // Reads the once-per-run settings (Ignore_Initial_Stories); the thread
    // does it when it starts.
    void LoadStartSettings();
    // 1 until a scheduled cycle in which a page was read has finished.
    int GetFirstScanFlag() const { return m_nFirstScan.load(); }
    // The flag set to 1 when the first scan pass of the run begins (the
    // property sheet starts a scan when it is hidden while it is still 0);
    // the thread's own until the application gives its shared one.
    void SetFirstScanStartedFlag(std::atomic<int>* pFlag) { m_pFirstScanStarted = pFlag; }
    int FirstScanStarted() const { return m_pFirstScanStarted->load(); }
    int GetPendingPageCount();

    // Pages read ahead of their scan at most: twice the requests in flight,
    // so that pages read but not scanned yet leave the pool busy.
    static constexpr std::size_t PAGES_AHEAD = 2 * CFetchPool::MAX_IN_FLIGHT;

    // The thread's fetchers, which also read the article pages (the fetch
    // watchdog looks at each; tests may shorten their time-outs).
    CFetchPool& Fetchers() { return m_pool; }
    // Where the outcome of every page read goes (null: nowhere); set before
    // the thread starts.
    void SetOutcomeSink(CPageOutcomeSink* pSink) { m_pOutcomes = pSink; }
    // Where each new story is reported; by default WM_NEW_STORIES is posted
    // to the main window. Set before the thread starts.
    void SetNewStorySink(CNewStorySink& sink) { m_recorder.SetNewStorySink(sink); }
    // Reads the article retries kept in dataFolder (written back when a pass
    // ends and at the stop); before the thread starts.
    void LoadArticleRetries(const std::string& dataFolder) { m_recorder.LoadRetries(dataFolder); }

protected:
    // The thread body: the wait loop, until the stop event.
    bool InitInstance() override;
    // Whether the machine is on line; a probe that cannot tell counts as on
    // line. Tests replace it.
    virtual bool IsConnected();

    // A cycle: checks the set-up, builds the page list and keyword groups,
    // reconciles the archive with the sources and reads the first page (all
    // pages during a forced scan). Returns the pages still to be read.
    int RunCycle();
    // 1 when keywords and pages exist; at the first check of the run asks
    // the main window when they do not (WM_NEED_SETUP, lParam 0 both
    // missing, 1 keywords, 2 pages).
    int CheckSetup();
    // Reads the next pages of the list (the due ones; every page during a
    // forced scan), fetching ahead of the scan.
    void ScanPages();
    // The pages still pending; at the end of a cycle clears the first-scan
    // flag (when a page was read) and frees the keyword groups.
    int FinishCycle();

private:
    // One selected source as seen at the previous cycle, with the category
    // names and their page URLs.
    struct SelectedCategory {
        std::string name;
        std::string url;
    };
    struct SelectedSource {
        std::string name;
        std::vector<SelectedCategory> categories;
    };

    // Lets the time-out pass waiting on the stop event (and, while scanning
    // is off, on Activate) instead of the events. False when the stop event
    // was signalled.
    bool PauseUnlessStopped(int timeoutMs, bool bUntilActivated);
    void ReconcileSources(const std::vector<SelectedSource>& current);
    // A page whose read started ahead of its scan.
    struct PageAhead {
        std::string url;
        CFetchPool::Ticket ticket = 0;
        HttpValidators sent;  // the validators the request carries
    };

    bool TakeNextPage(std::string& url);
    PageAhead StartPage(const std::string& url);
    // Scans the page whose read was started; false when scanning was
    // switched off meanwhile.
    bool ScanPage(PageAhead& page);
    // Puts pages read ahead but not scanned back at the head of the list
    // (unless the list was cleared since the walk began).
    void ReturnPages(std::deque<PageAhead>& ahead, unsigned generation);
    void Post(unsigned message, long lParam);
    // Posts WM_SCAN_FINISHED with the cycle's pages still to be read and
    // tells the outcome sink.
    void EndPass(int pagesLeft);

    CNewsSettings& m_settings;
    CSourceCatalogue& m_catalogue;
    CStoryArchive& m_archive;
    CMessageTarget& m_mainWindow;

    CEvent m_wakeEvent;
    CEvent m_scanNowEvent;
    // Set by Activate, reset by Deactivate: ends a pause of a switched-off
    // thread, so that "Scan now" (Activate, then TriggerScan) is served at once.
    CEvent m_activatedEvent;

    // The pending work: shared with ClearPendingWork on other threads.
    std::mutex m_workMutex;
    std::deque<std::string> m_pages;
    std::vector<CKeywordGroup> m_groups;
    int m_nPagesAhead = 0;          // taken from m_pages, not scanned yet
    unsigned m_nWorkGeneration = 0;  // counts ClearPendingWork calls

    // The selection of the previous cycle (scanning thread only).
    std::vector<SelectedSource> m_previousSelection;
    // Pages of sources deselected in this run: their next read is a full one
    // (the stories of their file are gone).
    std::set<std::string> m_unconditional;
    // Per page, the target of the last story link taken on it: a page that
    // did not change leaves the carried target as its scan would.
    std::unordered_map<std::string, std::string> m_lastTargets;
    // The scheduled cycle's start, and how many pages the next ScanPages of
    // a scheduled cycle reads.
    std::chrono::steady_clock::time_point m_cycleStart;
    int m_nPagesDue = 1;

    // Flags of the scanning thread.
    int m_nForcedScan = 0;
    int m_nScanAll = 0;
    int m_nPageRead = 0;
    int m_nSetupChecked = 0;  // 1 after the first CheckSetup of the run
    int m_nTitleContainsKeyword = 1;
    int m_nCheckOnlyTitle = 1;
    int m_nIgnoreInitialStories = 0;
    std::atomic<int> m_nFirstScan{1};
    std::atomic<int> m_nFirstScanStarted{0};
    std::atomic<int>* m_pFirstScanStarted = &m_nFirstScanStarted;

    // 1 = scanning enabled; a page walk stops when it drops to 0.
    std::atomic<int> m_nActive{1};
    CFetchPool m_pool;
    CPooledPageReader m_pageReader;
    CHtmlParser m_page;
    // The target of the last story link taken, carried from page to page.
    std::string m_strLastTarget;
    CNewStoryPoster m_newStoryPoster;
    CStoryRecorder m_recorder;
    CPageOutcomeSink* m_pOutcomes = nullptr;
};
