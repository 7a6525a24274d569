// The core's door for the front ends: the story queries and commands against
// what the archive holds and keeps on disk, the story pages, the news a front
// end takes after the scanning thread's wake-ups, and the scan control.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <memory>

#include "app/AnnounceLedger.h"
#include "app/AppCore.h"
#include "app/Messages.h"
#include "common/FileUtil.h"
#include "engine/NewsWatch.h"
#include "support/AppCoreInside.h"
#include "support/NewsSite.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"

namespace {

constexpr const char* kA = "Custom: http://a.example/";
constexpr const char* kB = "Custom: http://b.example/";

// Found age seconds ago (stories expire after two days).
StoryItem Story(const char* source, const std::string& headline, int state, int age = 60) {
    StoryItem story;
    story.key = {source, headline};
    story.sourceName = source;
    story.url = "http://a.example/" + headline;
    story.description = "About " + headline;
    story.keywords = "storm";
    story.tFound = static_cast<std::int32_t>(std::time(nullptr)) - age;
    story.state = state;
    return story;
}

class StoryDeskTest : public ::testing::Test {
protected:
    void SetUp() override { Reload(); }
    // A core on the folder as a new start of the program loads it.
    void Reload() {
        core.reset();
        core = std::make_unique<CAppCore>(boxes);
        core->FindApplicationFolder(dir.File("home"), "");
        std::string error;
        ASSERT_TRUE(core->PrepareFolder(error)) << error;
        core->LoadData();
    }
    CStoryDesk& Desk() { return core->Stories(); }
    int StateOf(const char* source, const std::string& headline) {
        const std::optional<StoryItem> story = Desk().Find({source, headline});
        return story ? story->state : -1;
    }
    std::vector<std::string> VisibleHeadlines() {
        std::vector<std::string> headlines;
        for (const StoryItem& story : Desk().VisibleStories())
            headlines.push_back(story.key.source.substr(15, 1) + ":" + story.Headline());
        return headlines;
    }

    CTempDir dir;
    CRecordingMessageBoxes boxes;
    std::unique_ptr<CAppCore> core;
};

TEST_F(StoryDeskTest, QueriesReturnWhatTheArchiveHoldsNewestFirst) {
    for (const StoryItem& story : {Story(kA, "same", STORY_NEW, 300), Story(kB, "same", STORY_READ, 200),
                                   Story(kA, "kept", STORY_BOOKMARKED, 100), Story(kA, "gone", STORY_HIDDEN),
                                   Story(kB, "pending", STORY_PENDING)})
        ASSERT_TRUE(Desk().Add(story));
    // Newest first over both story files, although a's file holds the newest and the oldest.
    EXPECT_EQ(VisibleHeadlines(), (std::vector<std::string>{"a:kept", "b:same", "a:same"}));
    const StoryItem first = Desk().VisibleStories().back();
    EXPECT_EQ(first.key, (StoryKey{kA, "same"}));
    EXPECT_EQ(first.sourceName, kA);
    EXPECT_EQ(first.url, "http://a.example/same");
    EXPECT_EQ(first.description, "About same");
    EXPECT_EQ(first.keywords, "storm");
    EXPECT_LE(std::time(nullptr) - first.tFound, 310);
    EXPECT_EQ(first.state, STORY_NEW);

    // One story by its key, in any state; the same headline of another source is another story.
    EXPECT_EQ(StateOf(kB, "same"), STORY_READ);
    EXPECT_EQ(StateOf(kA, "gone"), STORY_HIDDEN);
    EXPECT_EQ(StateOf(kA, "pending"), -1);
    EXPECT_EQ(StateOf("Custom: http://c.example/", "same"), -1);
}

TEST(StoryTypes, KeywordsAreShownAsTyped) {
    EXPECT_EQ(KeywordsAsTyped("+Russia-Putin"), "Russia, not Putin");
    EXPECT_EQ(KeywordsAsTyped("+stock_market+crash-football-world_cup"), "stock market, crash, not football, world cup");
    EXPECT_EQ(KeywordsAsTyped("-rain"), "not rain");
    EXPECT_EQ(KeywordsAsTyped("storm"), "storm");
    EXPECT_EQ(KeywordsAsTyped(""), "");
    EXPECT_EQ(KeywordsAsTyped("\\+self\\-driving-e\\-mail"), "self-driving, not e-mail");
}

// A headline as windows and notices show it: bidirectional controls cannot
// reach past it, and a very long one is cut on a character boundary.
TEST(StoryTypes, ShownHeadlinesAreIsolatedAndCut) {
    const std::string fsi = "\u2068", pdi = "\u2069", rlo = "\u202E", rli = "\u2067";
    std::string accented300, a1mb(1 << 20, 'a');
    for (int i = 0; i < 300; ++i) accented300 += "\u00e9";
    const struct { const char* what; std::string headline, shown; } cases[] = {
        {"plain", "Storm floods the harbour", "Storm floods the harbour"},
        {"right to left without controls", "\u062e\u0628\u0631 \u0639\u0627\u062c\u0644",
         "\u062e\u0628\u0631 \u0639\u0627\u062c\u0644"},
        {"override", "Price " + rlo + "99 tnuocsid", fsi + "Price " + rlo + "99 tnuocsid" + pdi},
        {"stray PDI", "a" + pdi + rlo + "b", fsi + "a" + rlo + "b" + pdi},
        {"open isolate", rli + "open", fsi + rli + "open" + pdi + pdi},
        {"300 characters", accented300, accented300},
        {"301 characters", accented300 + "x", accented300 + "\u2026"},
        {"1 MB", a1mb, std::string(300, 'a') + "\u2026"},
    };
    for (const auto& c : cases) EXPECT_EQ(ShownHeadline(c.headline), c.shown) << c.what;
}

TEST_F(StoryDeskTest, CommandsChangeOnlyTheStoryNamedAndAreKeptOnDisk) {
    for (const StoryItem& story : {Story(kA, "same", STORY_NEW), Story(kB, "same", STORY_UNREAD),
                                   Story(kA, "kept", STORY_BOOKMARKED), Story(kA, "fresh", STORY_NEW),
                                   Story(kA, "old", STORY_READ)})
        ASSERT_TRUE(Desk().Add(story));

    EXPECT_TRUE(Desk().MarkRead({kB, "same"}));
    EXPECT_FALSE(Desk().MarkRead({kB, "same"})) << "read already";
    EXPECT_FALSE(Desk().MarkRead({kA, "kept"})) << "a bookmark stays a bookmark";
    EXPECT_TRUE(Desk().Bookmark({kA, "old"}));
    EXPECT_FALSE(Desk().Bookmark({kA, "old"}));
    EXPECT_FALSE(Desk().Bookmark({kA, "missing"}));
    EXPECT_TRUE(Desk().SetState({kA, "kept"}, STORY_UNREAD));
    Desk().Delete({{kA, "same"}});
    Desk().MarkNewAsUnread();

    Reload();
    EXPECT_EQ(StateOf(kA, "same"), STORY_HIDDEN);
    EXPECT_EQ(StateOf(kB, "same"), STORY_READ);
    EXPECT_EQ(StateOf(kA, "old"), STORY_BOOKMARKED);
    EXPECT_EQ(StateOf(kA, "kept"), STORY_UNREAD);
    EXPECT_EQ(StateOf(kA, "fresh"), STORY_UNREAD);

    Desk().DeleteAll(false);
    EXPECT_EQ(VisibleHeadlines(), std::vector<std::string>{"a:old"});
    Desk().DeleteAll(true);
    Reload();
    EXPECT_TRUE(Desk().VisibleStories().empty());
}

TEST_F(StoryDeskTest, StoryPagesAreWrittenForAStoryAroundABannerAndCleanedUp) {
    std::string frameUrl;
    EXPECT_FALSE(Desk().WritePages(Story(kA, "Storm hits coast", STORY_NEW), frameUrl)) << "no banner host";
    Desk().SetStoryPages("ads.example", dir.File("pages"));
    ASSERT_TRUE(Desk().WritePages(Story(kA, "Storm hits coast", STORY_NEW), frameUrl));
    EXPECT_EQ(frameUrl, "file://" + dir.File("pages/temp_0001.html"));
    ASSERT_EQ(frameUrl.rfind("file://", 0), 0u);
    const std::string frame = frameUrl.substr(7);
    EXPECT_TRUE(std::filesystem::exists(frame));
    Desk().CleanUpPages();
    EXPECT_FALSE(std::filesystem::exists(frame));

    EXPECT_EQ(CStoryDesk::ArticleLink(Story(kA, "x", STORY_NEW)), "http://a.example/x");
    StoryItem mail = Story(kA, "x", STORY_NEW);
    mail.url = "mailto:x@example.com";
    EXPECT_EQ(CStoryDesk::ArticleLink(mail), "");
}

// A forced scan as --scan-once runs it, each message handed to the core as a
// front end does.
class NewsTest : public StoryDeskTest {
protected:
    void SetUp() override {
        StoryDeskTest::SetUp();
        site.Serve(server);
        CAppCoreInside::Settings(*core).AddKeyword("+stock market");
        CAppCoreInside::Settings(*core).AddUrl(server.Url(CNewsSite::FRONT_PAGE));
        CAppCoreInside::Settings(*core).AddUrl(server.Url("/missing.html"));
        ASSERT_TRUE(core->StartNetwork());
    }
    void Scan() {
        CRecordingTarget window;
        core->CreateScanner(window);
        core->RunForcedScan();
        for (const RecordedMessage& m : window.Messages()) core->OnWakeUp(m.message, m.lParam);
    }

    CNewsSite site;
    CTestHttpServer server;
};

TEST_F(NewsTest, EachNewStoryAndEachFailedReadComesOnce) {
    // A story announced by an earlier pass is not announced again.
    ASSERT_TRUE(Desk().Add(Story(kA, "Stock market news of yesterday", STORY_NEW)));
    core->OnWakeUp(WM_NEW_STORIES);
    core->OnWakeUp(WM_SCAN_FINISHED);
    ASSERT_EQ(core->TakeNews().stories.size(), 1u);

    Scan();
    EXPECT_FALSE(core->IsScanning());
    const CoreNews news = core->TakeNews();
    ASSERT_EQ(news.stories.size(), 2u);
    const StoryItem& story = news.stories[0];
    EXPECT_EQ(story.Headline(), "Stock market climbs as tech shares rebound");
    EXPECT_EQ(story.url, server.Url("/story/2.html"));
    EXPECT_EQ(story.keywords, "+stock_market");
    EXPECT_EQ(story.sourceName, "Custom: " + server.Url(CNewsSite::FRONT_PAGE));
    EXPECT_EQ(story.state, STORY_NEW);
    EXPECT_EQ(Desk().Find(story.key)->Headline(), story.Headline()) << "its key finds it";
    EXPECT_EQ(news.stories[1].Headline(), "Stock market dips after football club sale collapses");
    ASSERT_EQ(news.failedPages.size(), 1u);
    EXPECT_EQ(news.failedPages[0].url, server.Url("/missing.html"));
    EXPECT_TRUE(core->TakeNews().Empty());

    // The next pass finds the same stories: nothing new; the page fails again.
    Scan();
    const CoreNews again = core->TakeNews();
    EXPECT_TRUE(again.stories.empty());
    EXPECT_EQ(again.failedPages.size(), 1u);

    // No front end announced the scan's stories: the next start's news
    // holds them, until one has.
    Reload();
    const CoreNews next = core->TakeNews();
    ASSERT_EQ(next.stories.size(), 2u);
    EXPECT_EQ(next.stories[0].key, story.key);
    bool bAnnounced = false;
    core->AnnounceStories(next.stories, [&] { return std::exchange(bAnnounced, true); });
    Reload();
    EXPECT_EQ(core->TakeNews().stories.size(), 2u) << "the first announcement failed";
    core->AnnounceStories(next.stories, [&] { return std::exchange(bAnnounced, true); });
    EXPECT_TRUE(bAnnounced);
    Reload();
    EXPECT_TRUE(core->TakeNews().stories.empty());
}

// What the ledger of stories not announced yet may hold at a start: nothing
// (no file: the stories already new are not announced again), ours (only
// those still new come), or something damaged or foreign (kept aside and
// reported, whatever can be read is used), or a last line a kill cut short
// (dropped): never a story announced twice.
TEST_F(StoryDeskTest, StoriesAnEarlierRunNeverAnnouncedComeWithTheNextStartOnce) {
    ASSERT_TRUE(Desk().Add(Story(kA, "Harbour storm", STORY_NEW)));
    ASSERT_TRUE(Desk().Add(Story(kA, "Bridge closed", STORY_NEW)));
    ASSERT_TRUE(Desk().Add(Story(kB, "Old news", STORY_READ)));
    const std::string data = dir.File("home/Data/");
    const std::string heading = "Skimbolt stories not announced yet 1\r\n";
    const std::string harbour = FormatLedgerLine({kA, "Harbour storm"}) + "\r\n";
    const std::string others = FormatLedgerLine({kB, "Old news"}) + "\r\n" + FormatLedgerLine({kA, "Gone"}) + "\r\n";
    using Headlines = std::vector<std::string>;
    const struct { const char* what; std::string text; Headlines announced; bool bDamaged; } cases[] = {
        {"no file", "", {}, false},
        {"ours", heading + harbour + others, {"Harbour storm"}, false},
        {"a damaged line", heading + "\x01garbage\\q\r\n" + harbour, {"Harbour storm"}, true},
        // A line cut short by a kill named a story not recorded yet.
        {"cut off", heading + harbour + FormatLedgerLine({kA, "Bridge closed"}).substr(0, 12), {"Harbour storm"}, false},
        {"foreign", "Harbour storm\r\n" + harbour, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearDiagnostics();
        for (const auto& e : std::filesystem::directory_iterator(data))
            if (e.path().filename().string().rfind("unannounced", 0) == 0) std::filesystem::remove(e.path());
        if (!c.text.empty()) {
            ASSERT_TRUE(WriteFileAtomically(data + "unannounced.txt", c.text));
        }
        Reload();
        const CoreNews news = core->TakeNews();
        Headlines headlines;
        for (const StoryItem& story : news.stories) headlines.push_back(story.Headline());
        EXPECT_EQ(headlines, c.announced);
        int nCopies = 0;
        for (const auto& e : std::filesystem::directory_iterator(data)) {
            if (e.path().filename().string().rfind("unannounced.txt.damaged-", 0) != 0) continue;
            ++nCopies;
            std::string copy;
            EXPECT_TRUE(ReadWholeFile(e.path().string(), copy) && copy == c.text) << "kept as it was";
        }
        EXPECT_EQ(nCopies, c.bDamaged ? 1 : 0);
        const std::vector<Diagnostic> reported = RecordedDiagnostics();
        EXPECT_EQ(reported.size(), c.bDamaged ? 1u : 0u);
        core->AnnounceStories(news.stories, [] { return true; });
        Reload();
        EXPECT_TRUE(core->TakeNews().stories.empty()) << "announced once";
    }
    ClearDiagnostics();
}

// The scan goes on while found stories are announced: a story it adds then
// is in the removal's work file too, so that a kill right after that file
// replaces the ledger loses nothing.
TEST(AnnounceLedger, AStoryAddedWhileOthersAreAnnouncedStaysListedThroughTheRemoval) {
    CTempDir dir;
    const StoryKey harbour{kA, "Harbour storm"}, bridge{kA, "Bridge closed"};
    CAnnounceLedger ledger;
    ledger.Load(dir.Path());
    ASSERT_TRUE(ledger.Add(harbour));
    ledger.PrepareRemoval({harbour});
    ASSERT_TRUE(ledger.Add(bridge));
    std::string work;
    EXPECT_TRUE(ReadWholeFile(dir.File(CAnnounceLedger::NEXT_FILE_NAME), work));
    EXPECT_NE(work.find(FormatLedgerLine(bridge)), std::string::npos);
    EXPECT_EQ(work.find(FormatLedgerLine(harbour)), std::string::npos);
    ledger.CommitRemoval(true);
    EXPECT_EQ(CAnnounceLedger().Load(dir.Path()), std::vector<StoryKey>{bridge});
}

// A cycle whose pages are read spread over the poll period is one pass for
// the news: its new stories come together after its last page (lParam 0:
// none left), or when the next cycle begins after one cut short.
TEST_F(StoryDeskTest, NewStoriesOfACycleComeTogetherAtItsEnd) {
    auto page = [this](std::intptr_t started, const char* headline, std::intptr_t pagesLeft) {
        core->OnWakeUp(WM_SCAN_STARTED, started);
        EXPECT_TRUE(Desk().Add(Story(kA, headline, STORY_NEW)));
        core->OnWakeUp(WM_NEW_STORIES);
        core->OnWakeUp(WM_SCAN_FINISHED, pagesLeft);
        return core->TakeNews().stories.size();
    };
    EXPECT_EQ(page(1, "first page", 2) + page(0, "second page", 1), 0u);
    EXPECT_EQ(page(0, "last page", 0), 3u);
    EXPECT_EQ(page(1, "cut short", 2), 0u);
    core->OnWakeUp(WM_SCAN_STARTED, 1);
    EXPECT_EQ(core->TakeNews().stories.size(), 1u);
}

TEST_F(StoryDeskTest, ProblemsWithFilesComeOnceWithAWakeUpWhileCollected) {
    ClearDiagnostics();
    // One met while loading, before anything collected them, comes at once.
    ReportDiagnostic(DiagnosticKind::DamagedFile, "/data/abcd1234.dat", "damaged story data");
    CRecordingTarget wake;
    core->CollectProblems(&wake);
    EXPECT_EQ(wake.Count(WM_PROBLEM_NEWS), 1);
    CoreNews news = core->TakeNews();
    ASSERT_EQ(news.problems.size(), 1u);
    EXPECT_EQ(news.problems[0].subject, "/data/abcd1234.dat");
    ReportDiagnostic(DiagnosticKind::SaveFailed, "/data/config.txt", "disk full");
    ReportDiagnostic(DiagnosticKind::SaveFailed, "/data/config.txt", "disk full");
    EXPECT_EQ(wake.Count(WM_PROBLEM_NEWS), 2);
    news = core->TakeNews();
    ASSERT_EQ(news.problems.size(), 1u);
    EXPECT_EQ(news.problems[0].kind, "cannot save");
    EXPECT_EQ(news.problems[0].subject, "/data/config.txt");
    EXPECT_EQ(news.problems[0].detail, "disk full");
    EXPECT_TRUE(core->TakeNews().Empty());

    core->CollectProblems(nullptr);
    ReportDiagnostic(DiagnosticKind::ReadFailed, "/data/sources.txt", "gone");
    EXPECT_TRUE(core->TakeNews().Empty());
    ClearDiagnostics();
}

TEST_F(StoryDeskTest, ScanControlSwitchesTheScanningThread) {
    CRecordingTarget window;
    core->CreateScanner(window);
    CNewsWatch& watch = *CAppCoreInside::Scanner(*core);
    core->SetEnabled(false);
    EXPECT_FALSE(core->IsEnabled());
    EXPECT_EQ(watch.IsActive(), 0);
    core->ScanNow();
    EXPECT_TRUE(core->IsEnabled());
    EXPECT_NE(watch.IsActive(), 0);
    EXPECT_TRUE(watch.IsScanRequested());

    // Stop Scanning: scanning resumes only once the pass has ended.
    core->OnWakeUp(WM_SCAN_STARTED);
    core->StopScanning();
    EXPECT_EQ(watch.IsActive(), 0);
    EXPECT_FALSE(core->ResumeScanning());
    EXPECT_EQ(watch.IsActive(), 0);
    core->OnWakeUp(WM_SCAN_FINISHED);
    EXPECT_TRUE(core->ResumeScanning());
    EXPECT_NE(watch.IsActive(), 0);
}

}  // namespace
