// Test support for the engine: the story links of a page given as text,
// reading back what a story archive holds, an application folder with real
// settings, catalogue and archive, and a scanning thread on a simulated clock.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <utility>

#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"
#include "engine/NewsWatch.h"
#include "engine/StoryLinks.h"
#include "html/HtmlParser.h"
#include "store/StoryArchive.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"

using Strings = std::vector<std::string>;

// Every live story in states 0 to 5, by state, then in file order.
inline std::vector<CStory> ArchiveStories(CStoryArchive& archive) {
    std::vector<CStory> out;
    CStoryArchiveGuard lock(archive);
    for (int state = STORY_PENDING; state <= STORY_HIDDEN && archive.Open("rb") == 0; ++state) {
        while (archive.FindNextWithState(state))
            if (auto story = archive.GetCurrentStory()) out.push_back(*story);
        archive.Close();
    }
    return out;
}

inline std::optional<CStory> FindStory(CStoryArchive& archive, const std::string& headline) {
    for (const CStory& s : ArchiveStories(archive))
        if (s.GetHeadline() == headline) return s;
    return std::nullopt;
}

// The state of the story with that headline, -1 when none is stored.
inline int StateOf(CStoryArchive& archive, const std::string& headline) {
    auto s = FindStory(archive, headline);
    return s ? s->GetState() : -1;
}

inline Strings SortedHeadlines(CStoryArchive& archive, int onlyState = -1) {
    Strings out;
    for (const CStory& s : ArchiveStories(archive))
        if (onlyState < 0 || s.GetState() == onlyState) out.push_back(s.GetHeadline());
    std::sort(out.begin(), out.end());
    return out;
}

// A page given as text, parsed.
inline void ParseInto(CHtmlParser& parser, const std::string& html) {
    EXPECT_TRUE(parser.SetPage(html));
    parser.ParsePage();
}

// The story links of a page given as text, as its first scan finds them
// (bFiltered false: as the link rules alone take them).
inline std::vector<StoryCandidate> LinksOf(const std::string& html, const std::string& pageUrl,
                                           bool bFiltered = true) {
    CHtmlParser parser;
    ParseInto(parser, html);
    return FindStoryLinks(parser, pageUrl, bFiltered);
}

// The objects the application owns, in a temporary application folder.
struct WatchHome {
    WatchHome() {
        std::filesystem::create_directories(dir.Path() + "Data");
        settings.SetFileName(dir.Path());
        settings.SetAutoSave();
        settings.Load();
        catalogue.SetFileName(dir.Path());
        archive.SetDataFolder(dir.Path() + "Data");
    }
    void LoadArchive() { archive.LoadAll(catalogue, settings); }
    std::vector<CStory> Stories() { return ArchiveStories(archive); }
    int StateOf(const std::string& headline) { return ::StateOf(archive, headline); }

    CTempDir dir;
    CNewsSettings settings;
    CSourceCatalogue catalogue;
    CStoryArchive archive;
    CRecordingTarget window;
};

// Fetch time-outs short enough that a stalled page costs milliseconds.
inline FetchTimeouts ShortTimeouts() {
    FetchTimeouts t;
    t.connectMs = t.sendMs = 500;
    t.connectBackoffMs = t.connectRetries = 0;
    t.receiveMs = 300;
    return t;
}

// The scanning thread on a simulated clock: a wait that would time out
// returns at once and advances `now` by its whole seconds; a set event is
// reported without time passing. Actions given to At run on the scanning
// thread at the first wait at or after their second. At the limit the wait
// reports the stop event and the thread ends.
class CSimClockWatch : public CNewsWatch {
public:
    CSimClockWatch(WatchHome& home, int limitSeconds)
        : CNewsWatch(home.settings, home.catalogue, home.archive, home.window), m_nLimit(limitSeconds) {}
    ~CSimClockWatch() override {
        Deactivate();
        StopAndWait();
    }

    void At(int second, std::function<void()> action) { m_actions.push_back({second, std::move(action)}); }
    void SetConnected(bool connected) { m_bConnected = connected; }

    // Starts the thread and waits (up to a real minute) until it has ended.
    bool Run() {
        if (!CreateThread()) return false;
        const bool ended = m_ended.get_future().wait_for(std::chrono::seconds(60)) == std::future_status::ready;
        StopAndWait();
        return ended;
    }

    std::atomic<int> now{0};
    std::atomic<int> waits{0};

protected:
    int WaitAny(CEvent* const* events, int count, int timeoutMs) override {
        ++waits;
        for (auto& [second, action] : m_actions)
            if (action && second <= now.load()) std::exchange(action, nullptr)();
        for (int i = 0; i < count; ++i)
            if (events[i] && events[i]->IsSet()) return i;
        if (now.load() >= m_nLimit) return 0;
        now += timeoutMs / 1000;
        return -1;
    }
    bool IsConnected() override { return m_bConnected.load(); }
    bool InitInstance() override {
        const bool r = CNewsWatch::InitInstance();
        m_ended.set_value();
        return r;
    }

private:
    const int m_nLimit;
    std::vector<std::pair<int, std::function<void()>>> m_actions;  // scanning thread only once it runs
    std::atomic<bool> m_bConnected{true};
    std::promise<void> m_ended;
};
