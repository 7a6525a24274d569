#include "engine/NewsWatch.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "common/Messages.h"
#include "common/MessageTarget.h"
#include "common/RecursiveLock.h"
#include "config/NewsSettings.h"
#include "config/ProxySettings.h"
#include "config/NewsSource.h"
#include "config/SourceCatalogue.h"
#include "engine/StoryLinks.h"
#include "net/ConnectedState.h"
#include "net/UrlParts.h"
#include "store/StoryArchive.h"

namespace {

// Every non-empty first value of the records with that identifier, newest
// first. The walk stops early once scanning has been switched off.
std::vector<std::string> ReadRecords(CNewsSettings& settings, std::uint32_t id, const std::atomic<int>& active) {
    std::vector<std::string> values;
    CRecursiveLockGuard lock(settings);
    bool bMore = true;
    while (bMore && active.load() == 1) {
        std::string value;
        bMore = settings.GetString(id, value);
        if (!value.empty()) values.push_back(std::move(value));
    }
    // End the record walk (also when it was left early) without disturbing
    // the list enumerations the configuration pages use.
    settings.CConfigStore::ResetEnumeration();
    return values;
}

// The first value of the first record with that identifier, "" when none.
std::string FirstRecord(CNewsSettings& settings, std::uint32_t id) {
    CRecursiveLockGuard lock(settings);
    std::string value;
    settings.GetString(id, value);
    settings.CConfigStore::ResetEnumeration();
    return value;
}

}  // namespace

CNewsWatch::CNewsWatch(CNewsSettings& settings, CSourceCatalogue& catalogue, CStoryArchive& archive,
                       CMessageTarget& mainWindow)
    : m_settings(settings),
      m_catalogue(catalogue),
      m_archive(archive),
      m_mainWindow(mainWindow),
      m_pageReader(m_pool, [&settings] { return ReadProxySettings(settings); }),
      m_newStoryPoster(mainWindow),
      m_recorder(archive, m_pageReader, m_newStoryPoster) {
    m_recorder.SetCatalogue(&catalogue);
    m_recorder.SetActiveFlag(&m_nActive);
    AddEvent(WAKE_EVENT, &m_wakeEvent);
    AddEvent(SCAN_NOW_EVENT, &m_scanNowEvent);
}

CNewsWatch::~CNewsWatch() {
    // The thread uses the members below; it must be gone before they are.
    Deactivate();
    StopAndWait();
}

void CNewsWatch::Activate() {
    m_nActive.store(1);
    m_activatedEvent.Set();
}

void CNewsWatch::Deactivate() {
    m_activatedEvent.Reset();
    m_nActive.store(0);
    AbortRequest();
}

int CNewsWatch::IsActive() { return m_nActive.load(); }

void CNewsWatch::ClearPendingWork() {
    std::lock_guard<std::mutex> lock(m_workMutex);
    m_pages.clear();
    m_groups.clear();
    ++m_nWorkGeneration;
}

int CNewsWatch::GetPendingPageCount() {
    std::lock_guard<std::mutex> lock(m_workMutex);
    return static_cast<int>(m_pages.size()) + m_nPagesAhead;
}

std::time_t CNewsWatch::GetFetchStartTime() {
    std::time_t oldest = 0;
    for (int i = 0; i < m_pool.FetcherCount(); ++i) {
        const std::time_t start = m_pool.FetcherAt(i).GetStartTime();
        if (start != 0 && (oldest == 0 || start < oldest)) oldest = start;
    }
    return oldest;
}

void CNewsWatch::AbortRequest() { m_pool.AbortAll(); }

bool CNewsWatch::IsConnected() {
    std::uint32_t flags = 0;
    // 1 means off line; an error (the probe cannot tell) counts as on line.
    return GetConnectedState(&flags) != 1;
}

void CNewsWatch::Post(unsigned message, long lParam) { m_mainWindow.Post(message, 0, lParam); }

void CNewsWatch::EndPass(int pagesLeft) {
    if (m_pOutcomes) m_pOutcomes->OnPassFinished(pagesLeft);
    if (pagesLeft == 0) m_recorder.SaveRetries();
    Post(WM_SCAN_FINISHED, pagesLeft);
}

bool CNewsWatch::PauseUnlessStopped(int timeoutMs, bool bUntilActivated) {
    CEvent* events[2] = {&m_stopEvent, &m_activatedEvent};
    return WaitAny(events, bUntilActivated ? 2 : 1, timeoutMs) != 0;
}

void CNewsWatch::LoadStartSettings() {
    m_nIgnoreInitialStories = m_settings.GetFlag(SETTING_IGNORE_INITIAL_STORIES);
    m_recorder.SetIgnoreInitialStories(m_nIgnoreInitialStories);
    m_recorder.SetFirstScan(m_nFirstScan.load());
}

bool CNewsWatch::InitInstance() {
    CEventThread::InitInstance();
    m_scanNowEvent.Set();  // the first scan starts at once
    LoadStartSettings();
    SetWaitTimeout(TICK_MS);
    int counter = 0;
    int pending = 0;
    int step = 0;
    int part = 0;
    int which = 0;
    bool behind = false;  // the scheduled cycle's reads fell behind their places

    for (;;) {
        int index = 0;
        const int r = WaitForEvents(index);
        if (r == WAIT_STOP) break;
        if (r == WAIT_EVENT) which = index;  // on a time-out `which` keeps its value

        if (IsActive() != 1 || !IsConnected()) {
            // The period keeps running while nothing is read. An event that
            // fired meanwhile stays set for later; without a real wait it
            // would be reported again at once and the loop would spin.
            if (r != WAIT_TIMEOUT && !PauseUnlessStopped(IDLE_TICK_MS, IsActive() != 1)) break;
            SetWaitTimeout(IDLE_TICK_MS);
            counter += 10;
            continue;
        }
        SetWaitTimeout(TICK_MS);

        if (r == WAIT_HELD) {
            // The configuration pages hold the thread while they edit what a
            // cycle reads. Events stay set and are served after Release;
            // meanwhile a second passes as after a time-out, but a pending
            // forced scan is not run again.
            if (!PauseUnlessStopped(TICK_MS, false)) break;
            if (which == SCAN_NOW_EVENT) continue;
        }

        std::int32_t period = m_settings.GetPollPeriod();
        if (which == SCAN_NOW_EVENT) {
            m_scanNowEvent.Reset();
            pending = RunForcedScan();
            m_nForcedScan = 1;
            m_wakeEvent.Set();
            continue;
        }
        if (which != WAKE_EVENT) continue;
        if (m_nForcedScan == 1) {
            m_wakeEvent.Reset();
            counter = 0;
            m_nForcedScan = 0;
        }

        // Counting step.
        counter += 1;
        if (counter >= period && pending > 0 && behind) {
            // The cycle's reads fell behind: its last pages are read at once
            // rather than dropped by the next cycle.
            m_nPagesDue = pending;
            Post(WM_SCAN_STARTED, 0);
            ScanPages();
            m_nPagesDue = 1;
            pending = FinishCycle();
            EndPass(pending);
        }
        if (counter >= period) {
            m_nPageRead = 0;
            m_cycleStart = std::chrono::steady_clock::now();
            behind = false;
            pending = RunCycle();
            EndPass(pending);
            if (pending == 0) {
                FinishCycle();
            } else {
                step = period / (pending + 1);
                if (step == 0) step = 1;
                part = 1;
            }
            counter = 0;
        } else if (pending > 0 && counter >= step * part) {
            // Every page whose place in the period has passed by the clock is
            // due: one when the cycle keeps its pace, several (read side by
            // side) when the reads fell behind.
            const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
                                     std::chrono::steady_clock::now() - m_cycleStart)
                                     .count();
            // (Pages left by a forced scan that was stopped have no places.)
            const int due =
                step > 0 ? static_cast<int>(std::clamp<long long>(elapsed / step - part + 1, 1, pending)) : 1;
            if (due > 1) {
                behind = true;
                counter = static_cast<int>(std::max<long long>(counter, elapsed));
            }
            m_nPagesDue = due;
            Post(WM_SCAN_STARTED, 0);
            ScanPages();
            m_nPagesDue = 1;
            EndPass(GetPendingPageCount());
            part += due;
            pending = FinishCycle();
        }
    }

    m_recorder.SaveRetries();
    ClearPendingWork();
    CleanUp();
    return false;
}

int CNewsWatch::RunForcedScan() {
    m_nScanAll = 1;
    const int pending = RunCycle();
    EndPass(pending);
    m_nScanAll = 0;
    return pending;
}

int CNewsWatch::RunCycle() {
    if (CheckSetup() == 0) return 0;
    Post(WM_SCAN_STARTED, 1);
    m_pFirstScanStarted->store(1);
    m_recorder.BeginCycle();

    m_nTitleContainsKeyword = m_settings.GetFlag(SETTING_TITLE_CONTAINS_KEYWORD);
    m_nCheckOnlyTitle = m_settings.GetFlag(SETTING_CHECK_ONLY_TITLE);
    ClearPendingWork();

    // The selected pages of the enabled sources, in the catalogue's order.
    std::vector<SelectedSource> selection;
    std::vector<std::string> pages;
    {
        CRecursiveLockGuard lock(m_catalogue);
        for (CNewsSource* source = m_catalogue.FirstSource(true); source; source = m_catalogue.NextSource(true)) {
            SelectedSource selected{source->GetName(), {}};
            for (CNewsCategory* category = source->FirstCategory(true); category;
                 category = source->NextCategory(true)) {
                pages.push_back(category->m_strUrl);
                selected.categories.push_back({category->m_strName, category->m_strUrl});
            }
            selection.push_back(std::move(selected));
        }
    }

    // The custom URLs, then the keyword groups.
    const std::atomic<int>& active = m_nActive;
    for (std::string& url : ReadRecords(m_settings, SETTING_WEB_ADDRESS, active)) pages.push_back(std::move(url));
    std::vector<CKeywordGroup> groups;
    for (const std::string& text : ReadRecords(m_settings, SETTING_KEYWORD, active)) groups.emplace_back(text);
    {
        std::lock_guard<std::mutex> lock(m_workMutex);
        m_pages.assign(pages.begin(), pages.end());
        m_groups = std::move(groups);
    }

    ReconcileSources(selection);
    ScanPages();
    return GetPendingPageCount();
}

void CNewsWatch::ReconcileSources(const std::vector<SelectedSource>& current) {
    // A source that was selected at the previous cycle and is not any more
    // loses the pending and hidden stories of its file (and the file when
    // nothing is left). The archive names a file by the page URL of one of
    // the source's categories. A category dropped from a source that stays
    // selected changes nothing: its stories share the source's file with
    // those of the still selected categories, whose hidden stories must stay
    // known so that they are not announced again.
    for (const SelectedSource& previous : m_previousSelection) {
        bool bStillSelected = false;
        for (const SelectedSource& now : current) bStillSelected = bStillSelected || now.name == previous.name;
        if (bStillSelected || previous.categories.empty()) continue;
        m_archive.SourceRemoved(previous.categories.front().url);
        for (const SelectedCategory& category : previous.categories) m_unconditional.insert(category.url);
    }
    m_previousSelection = current;
}

int CNewsWatch::CheckSetup() {
    const std::string keyword = FirstRecord(m_settings, SETTING_KEYWORD);
    const std::string web = FirstRecord(m_settings, SETTING_WEB_ADDRESS);
    bool bSource = false;
    {
        CRecursiveLockGuard lock(m_catalogue);
        bSource = m_catalogue.FirstSource(true) != nullptr;
    }
    // Only the first check of the run may ask the main window; a set-up
    // emptied later stops the scans without a word.
    const bool bFirstCheck = m_nSetupChecked == 0;
    m_nSetupChecked = 1;
    long lParam = -1;
    if (keyword.empty() && web.empty() && !bSource)
        lParam = 0;
    else if (keyword.empty())
        lParam = 1;
    else if (web.empty() && !bSource)
        lParam = 2;
    if (lParam < 0) return 1;
    if (bFirstCheck) {
        // Sent with no lock held: the main window reads the settings while
        // it handles the message.
        m_mainWindow.Send(WM_NEED_SETUP, 0, lParam);
    }
    return 0;
}

bool CNewsWatch::TakeNextPage(std::string& url) {
    std::lock_guard<std::mutex> lock(m_workMutex);
    if (m_pages.empty()) return false;
    url = std::move(m_pages.front());
    m_pages.pop_front();
    ++m_nPagesAhead;
    return true;
}

CNewsWatch::PageAhead CNewsWatch::StartPage(const std::string& url) {
    const ProxySettings proxy = ReadProxySettings(m_settings);
    CUrlParts parts;
    parts.Set(url);  // an unparsable URL leaves the full URL empty and the fetch fails
    CFetchPool::Request request = PoolRequest(parts.m_strUrl, proxy);
    // A configured page is read wherever it is; what it leads to is fenced by its kind.
    request.configured = true;
    if (m_pOutcomes && m_unconditional.count(url) == 0) request.conditions = m_pOutcomes->ValidatorsOf(url);
    PageAhead page;
    page.url = url;
    page.sent = request.conditions;
    page.ticket = m_pool.Start(std::move(request));
    return page;
}

void CNewsWatch::ReturnPages(std::deque<PageAhead>& ahead, unsigned generation) {
    std::lock_guard<std::mutex> lock(m_workMutex);
    const bool bKeep = generation == m_nWorkGeneration;
    while (!ahead.empty()) {
        m_pool.Drop(ahead.back().ticket);
        if (bKeep) m_pages.push_front(std::move(ahead.back().url));
        ahead.pop_back();
        --m_nPagesAhead;
    }
}

void CNewsWatch::ScanPages() {
    const std::atomic<int>& active = m_nActive;
    unsigned generation = 0;
    {
        std::lock_guard<std::mutex> lock(m_workMutex);
        generation = m_nWorkGeneration;
    }
    int left = m_nScanAll == 1 ? INT_MAX : m_nPagesDue;
    std::deque<PageAhead> ahead;
    for (;;) {
        // The next pages' reads run while this one is scanned; the scans
        // keep the list's order.
        while (ahead.size() < PAGES_AHEAD && static_cast<int>(ahead.size()) < left && active.load() == 1) {
            std::string url;
            if (!TakeNextPage(url)) break;
            ahead.push_back(StartPage(url));
        }
        if (ahead.empty()) {
            m_page.ReleasePage();
            return;
        }
        bool bCleared = false;
        {
            std::lock_guard<std::mutex> lock(m_workMutex);
            bCleared = generation != m_nWorkGeneration;
        }
        // A thread switched off stays off until Activate: the next page does
        // not switch it on again.
        if (active.load() != 1 || bCleared) {
            ReturnPages(ahead, generation);
            return;
        }
        PageAhead page = std::move(ahead.front());
        ahead.pop_front();
        --left;
        const bool bGoOn = ScanPage(page);
        {
            std::lock_guard<std::mutex> lock(m_workMutex);
            --m_nPagesAhead;
        }
        if (!bGoOn) {
            ReturnPages(ahead, generation);
            return;
        }
    }
}

bool CNewsWatch::ScanPage(PageAhead& ahead) {
    const std::atomic<int>& active = m_nActive;
    const std::string& url = ahead.url;
    FetchResult fetched = m_pool.Take(ahead.ticket);
    if (active.load() != 1) return false;
    PageOutcome outcome;
    outcome.url = url;
    outcome.failure = fetched.failure;
    outcome.httpStatus = fetched.httpStatus;

    if (fetched.notModified) {
        // Nothing new: the page is as it was at its last scan, whose stories
        // were all recorded.
        m_nPageRead = 1;
        outcome.bNotModified = true;
        // A 304 may repeat or update a validator; the others stay as sent.
        outcome.validators = ahead.sent;
        if (!fetched.validators.etag.empty()) outcome.validators.etag = fetched.validators.etag;
        if (!fetched.validators.lastModified.empty()) outcome.validators.lastModified = fetched.validators.lastModified;
        if (auto it = m_lastTargets.find(url); it != m_lastTargets.end()) m_strLastTarget = it->second;
        m_page.ReleasePage();
        if (m_pOutcomes) m_pOutcomes->OnPageOutcome(outcome);
        return true;
    }

    const HttpValidators validators = fetched.validators;
    const AddressKind pageKind = fetched.addressKind;
    PageReadOutcome read;
    const bool bFetched = TakeFetchedInto(std::move(fetched), m_page, read);
    outcome.failure = read.failure;
    outcome.httpStatus = read.httpStatus;
    if (bFetched) {
        m_nPageRead = 1;
        {
            std::lock_guard<std::mutex> lock(m_workMutex);
            m_recorder.SetKeywordGroups(m_groups);
        }
        m_recorder.SetCycleOptions(m_nTitleContainsKeyword, m_nCheckOnlyTitle);
        m_recorder.SetFirstScan(m_nFirstScan.load());
        m_recorder.BeginPage(url, pageKind);
        m_page.ParsePage();
        WalkStoryLinks(m_page, url, m_recorder, m_strLastTarget, &m_nActive);
        m_recorder.EndPage();
        if (active.load() != 1) return false;
        outcome.nStoryLinks = m_recorder.GetStoryLinkCount();
        outcome.nNewStories = m_recorder.GetNewStoryCount();
        outcome.nArticleFailures = m_recorder.GetArticleFailureCount();
        m_lastTargets[url] = m_strLastTarget;
        // Stories left for a later pass need the page read again in full.
        if (m_recorder.GetUntestedCount() == 0) {
            outcome.validators = validators;
            m_unconditional.erase(url);
        }
    }
    if (m_pOutcomes) m_pOutcomes->OnPageOutcome(outcome);
    return true;
}

int CNewsWatch::FinishCycle() {
    const int pending = GetPendingPageCount();
    if (pending == 0) {
        if (m_nPageRead == 1) {
            m_nFirstScan.store(0);
            m_recorder.SetFirstScan(0);
        }
        std::lock_guard<std::mutex> lock(m_workMutex);
        m_groups.clear();
    }
    return pending;
}
