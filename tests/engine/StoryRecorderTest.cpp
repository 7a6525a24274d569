// The story recorder on its own: story links handed to it one by one, with
// article pages from a stand-in page reader, into a temporary archive. And
// the web page reader's fetch through the configured proxy.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "engine/ArticleRetries.h"
#include "engine/NewStorySink.h"
#include "engine/PageReader.h"
#include "common/FileUtil.h"
#include "engine/StoryRecorder.h"
#include "store/Story.h"
#include "support/TestHttpServer.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

// Article pages by URL; a URL it has no page for fails as an HTTP error
// would, one listed in refused as a page that is no HTML, one listed in
// failures as given there.
class CFakePages : public CPageReader {
public:
    bool ReadPage(const std::string& url, AddressKind, CHtmlParser& page, PageReadOutcome& outcome) override {
        reads.push_back(url);
        if (onRead) onRead();
        page.ReleasePage();
        outcome = PageReadOutcome{};
        if (refused.count(url)) {
            outcome.failure = FetchFailure::NotHtml;
            return false;
        }
        if (const auto failed = failures.find(url); failed != failures.end()) {
            outcome = failed->second;
            return false;
        }
        const auto it = pages.find(url);
        if (it == pages.end()) {
            outcome = PageReadOutcome{FetchFailure::HttpStatus, 503};
            return false;
        }
        return page.SetPage(it->second);
    }
    std::map<std::string, std::string> pages;
    std::map<std::string, int> refused;
    std::map<std::string, PageReadOutcome> failures;
    std::function<void()> onRead;
    Strings reads;
};

// The target the walk would work out: url and description, or none.
class CFixedTarget : public CLinkTarget {
public:
    bool Resolve(StoryCandidate& link) override {
        ++calls;
        if (url.empty()) return false;
        link.url = url;
        link.description = description;
        return true;
    }
    std::string url, description;
    int calls = 0;
};

class CAnnounced : public CNewStorySink {
public:
    void OnNewStory(const CStory& story, const std::string& sourceKey) override {
        headlines.push_back(story.GetHeadline());
        sourceKeys.push_back(sourceKey);
    }
    Strings headlines;
    Strings sourceKeys;
};

const std::string kPage = "http://news.test/index.html";

// An article page whose body is one sentence, six times.
std::string ArticlePage(const std::string& headline, const std::string& sentence) {
    std::string body;
    for (int i = 0; i < 6; ++i) body += sentence + " ";
    return "<html><body><h1>" + headline + "</h1><p>By a staff writer<p>" + body + "</body></html>";
}

class StoryRecorderTest : public ::testing::Test {
protected:
    StoryRecorderTest() : archive(dir.Path()), recorder(archive, pages, announced) {
        recorder.SetFirstScan(0);
        recorder.BeginPage(kPage);
    }

    // Hands the recorder one story link leading to url with that description.
    void Offer(const std::string& headline, const std::string& url, const std::string& description = "") {
        StoryCandidate link;
        link.headline = headline;
        target.url = url;
        target.description = description;
        recorder.OnStoryLink(link, target);
    }

    CTempDir dir;
    CStoryArchive archive;
    CFakePages pages;
    CAnnounced announced;
    CFixedTarget target;
    CStoryRecorder recorder;
};

// A story stored before under the headline its link showed then (with a rank
// number since cleaned off) is not new again.
TEST_F(StoryRecorderTest, AStoryStoredUnderItsUncleanedHeadlineIsKnown) {
    Offer("1The elephant that flew", "http://news.test/e.html");
    StoryCandidate link;
    link.headline = "The elephant that flew";
    link.rawHeadline = "1The elephant that flew";
    target.url = "http://news.test/e.html";
    recorder.OnStoryLink(link, target);
    EXPECT_EQ(recorder.GetNewStoryCount(), 1);
    EXPECT_EQ(StateOf(archive, "The elephant that flew"), -1);
}

TEST_F(StoryRecorderTest, NewLinksAreTestedStoredAndAnnouncedOnce) {
    recorder.SetKeywordGroups({CKeywordGroup("+bridge")});
    Offer("Mayor opens the new bridge", "http://news.test/a.html", "The council agreed on a plan.");
    Offer("Council meets on Tuesday", "http://news.test/b.html");
    Offer("Nowhere to go today", "");  // the link leads nowhere: not stored
    Offer("Mayor opens the new bridge", "http://news.test/a2.html");

    const auto mayor = FindStory(archive, "Mayor opens the new bridge");
    ASSERT_TRUE(mayor);
    EXPECT_EQ(mayor->GetState(), STORY_NEW);
    EXPECT_EQ(mayor->GetUrl(), "http://news.test/a.html");
    EXPECT_EQ(mayor->GetDescription(), "The council agreed on a plan.");
    EXPECT_EQ(mayor->GetKeywords(), "+bridge");
    EXPECT_EQ(mayor->GetSource(), "Custom: " + kPage);
    EXPECT_EQ(StateOf(archive, "Council meets on Tuesday"), STORY_PENDING);
    EXPECT_EQ(StateOf(archive, "Nowhere to go today"), -1);
    EXPECT_EQ(announced.headlines, Strings{"Mayor opens the new bridge"});
    EXPECT_EQ(announced.sourceKeys, Strings{"Custom: " + kPage}) << "the key of the story file holding it";
    EXPECT_EQ(target.calls, 3) << "a known headline gets no target worked out";
    EXPECT_EQ(recorder.GetStoryLinkCount(), 4);
    EXPECT_EQ(recorder.GetNewStoryCount(), 3);

    recorder.BeginPage(kPage);
    Offer("Council meets on Tuesday", "http://news.test/b.html");
    EXPECT_EQ(recorder.GetStoryLinkCount(), 1);
    EXPECT_EQ(recorder.GetNewStoryCount(), 0) << "the page's source knows it";
    recorder.BeginPage("http://other.test/");
    Offer("Council meets on Tuesday", "http://other.test/b.html");
    EXPECT_EQ(recorder.GetNewStoryCount(), 1) << "newness is per source";
}

// The article page is read at most once per story, only by scan mode, and
// its text can make the match; an exclude word in the description vetoes.
TEST_F(StoryRecorderTest, ArticlesAreReadByScanModeOncePerStory) {
    pages.pages["http://news.test/a.html"] = ArticlePage("Harbour plans", "Drivers will pay a toll on the bridge.");
    pages.pages["http://news.test/b.html"] = ArticlePage("Council news", "The harbour bridge stays free of charge.");

    struct Case { const char* mode; int titleContainsKeyword, checkOnlyTitle; Strings reads; Strings announced; };
    const Case cases[] = {
        {"QuickScan", 1, 1, {}, {}},
        {"Standard", 1, 0, {"http://news.test/a.html"}, {}},  // only the harbour group's include word is named
        {"Extensive", 0, 0, {"http://news.test/a.html", "http://news.test/b.html"}, {"Harbour plans"}},
    };
    for (const Case& c : cases) {
        CTempDir folder;
        CStoryArchive store(folder.Path());
        CAnnounced news;
        CStoryRecorder r(store, pages, news);
        r.SetFirstScan(0);
        r.SetKeywordGroups({CKeywordGroup("+bridge+toll"), CKeywordGroup("+harbour+ferry")});
        r.SetCycleOptions(c.titleContainsKeyword, c.checkOnlyTitle);
        r.BeginPage(kPage);
        pages.reads.clear();
        for (auto [headline, url] : {std::pair{"Harbour plans", "http://news.test/a.html"},
                                     {"Council news", "http://news.test/b.html"}}) {
            StoryCandidate link;
            link.headline = headline;
            target.url = url;
            r.OnStoryLink(link, target);
        }
        EXPECT_EQ(pages.reads, c.reads) << c.mode;
        EXPECT_EQ(news.headlines, c.announced) << c.mode;
        EXPECT_EQ(StateOf(store, "Council news"), STORY_PENDING) << c.mode;
        if (c.titleContainsKeyword == 0) {
            EXPECT_NE(r.GetArticleText().find("free of charge"), std::string::npos) << c.mode;
        }
    }

    recorder.SetKeywordGroups({CKeywordGroup("+bridge-toll")});
    Offer("Mayor unveils the river bridge", "http://news.test/c.html", "Drivers must pay a toll from today.");
    Offer("Third bridge planned upriver", "http://news.test/d.html");
    EXPECT_EQ(StateOf(archive, "Mayor unveils the river bridge"), STORY_PENDING) << "'toll' in the description";
    EXPECT_EQ(StateOf(archive, "Third bridge planned upriver"), STORY_NEW);
}

// A story whose test could not finish is not stored, so that the next pass
// meets it as new and tests it again: its article page failed for now, or
// scanning was switched off. A page that will not do better is a finished test.
TEST_F(StoryRecorderTest, UnfinishedTestsLeaveTheStoryUnknown) {
    std::atomic<int> active{1};
    recorder.SetActiveFlag(&active);
    recorder.SetCycleOptions(0, 0);
    recorder.SetKeywordGroups({CKeywordGroup("+mill")});
    pages.refused["http://news.test/picture.jpg"] = 1;

    Offer("River levels climb after rain", "http://news.test/busy.html");
    Offer("Photo of the day", "http://news.test/picture.jpg");
    Offer("Broken link in the list", "no address at all");
    EXPECT_EQ(StateOf(archive, "River levels climb after rain"), -1) << "the server was busy";
    EXPECT_EQ(StateOf(archive, "Photo of the day"), STORY_PENDING);
    EXPECT_EQ(StateOf(archive, "Broken link in the list"), STORY_PENDING);
    EXPECT_EQ(pages.reads.size(), 2u) << "an address that cannot be parsed is not read";

    pages.pages["http://news.test/busy.html"] = ArticlePage("River levels", "The old mill was flooded overnight.");
    recorder.BeginCycle();
    Offer("River levels climb after rain", "http://news.test/busy.html");
    EXPECT_EQ(StateOf(archive, "River levels climb after rain"), STORY_NEW);
    EXPECT_EQ(recorder.GetArticleFetchCount(), 3);

    pages.onRead = [&] { active.store(0); };  // "Stop Scanning" during the article read
    Offer("Harbour works begin on Monday", "http://news.test/busy.html");
    EXPECT_EQ(StateOf(archive, "Harbour works begin on Monday"), STORY_NEW) << "a finished match is kept";
    Offer("Quiet day on the markets", "http://news.test/quiet.html");
    EXPECT_EQ(StateOf(archive, "Quiet day on the markets"), -1);
    EXPECT_EQ(pages.reads.size(), 4u) << "nothing is read once scanning is off";
}

// An article page that answers 404, 410, 403 or 401, or is no HTML, is a
// final answer: the story is stored at once, tested without the article.
// A server error or a network failure leaves the story unknown until it has
// failed in three cycles and an hour has passed since its first failure,
// whichever comes last. Every failed article counts in the page's outcome.
TEST_F(StoryRecorderTest, ArticleRetriesAreBounded) {
    EXPECT_FALSE(IsArticleFailureForNow(FetchFailure::LocalAddress, 0));  // a final answer: never retried
    std::int64_t now = 1700000000;
    const std::int64_t start = now;
    recorder.SetRetryClock([&] { return now; });
    recorder.SetCycleOptions(0, 0);
    recorder.SetKeywordGroups({CKeywordGroup("+mill")});
    const std::string base = "http://news.test/";
    for (int status : {404, 410, 403, 401})
        pages.failures[base + std::to_string(status)] = PageReadOutcome{FetchFailure::HttpStatus, status};
    pages.failures[base + "busy"] = PageReadOutcome{FetchFailure::HttpStatus, 503};
    pages.failures[base + "down"] = PageReadOutcome{FetchFailure::NoConnection, 0};
    pages.refused[base + "photo"] = 1;
    auto readsOf = [&](const std::string& url) { return std::count(pages.reads.begin(), pages.reads.end(), url); };
    auto cycle = [&](std::int64_t at) {
        now = at;
        recorder.BeginCycle();
        recorder.BeginPage(kPage);
    };

    cycle(start);
    for (const char* status : {"404", "410", "403", "401"}) Offer(std::string("Story ") + status, base + status);
    Offer("Photo of the day", base + "photo");
    Offer("Busy story", base + "busy");
    for (const char* status : {"404", "410", "403", "401"})
        EXPECT_EQ(StateOf(archive, std::string("Story ") + status), STORY_PENDING) << status;
    EXPECT_EQ(StateOf(archive, "Photo of the day"), STORY_PENDING);
    EXPECT_EQ(StateOf(archive, "Busy story"), -1);
    EXPECT_EQ(recorder.GetArticleFailureCount(), 5) << "a picture is no failed article";
    recorder.BeginPage(kPage);  // another page of the source in the same cycle
    Offer("Busy story", base + "busy");
    EXPECT_EQ(readsOf(base + "busy"), 1) << "not read twice in one cycle";
    EXPECT_EQ(recorder.GetArticleFailureCount(), 0);

    cycle(start + 600);
    Offer("Busy story", base + "busy");
    cycle(start + 1200);
    Offer("Busy story", base + "busy");
    EXPECT_EQ(StateOf(archive, "Busy story"), -1) << "three cycles, but not an hour yet";
    Offer("Line down", base + "down");
    cycle(start + 5000);
    Offer("Busy story", base + "busy");
    EXPECT_EQ(StateOf(archive, "Busy story"), STORY_PENDING);
    Offer("Line down", base + "down");
    EXPECT_EQ(StateOf(archive, "Line down"), -1) << "over an hour, but two cycles only";
    cycle(start + 5600);
    Offer("Line down", base + "down");
    EXPECT_EQ(StateOf(archive, "Line down"), STORY_PENDING);
    cycle(start + 6200);
    Offer("Busy story", base + "busy");
    Offer("Line down", base + "down");
    EXPECT_EQ(readsOf(base + "busy"), 4);
    EXPECT_EQ(readsOf(base + "down"), 3);
    for (const char* status : {"404", "410", "403", "401"}) EXPECT_EQ(readsOf(base + status), 1) << status;
    EXPECT_TRUE(announced.headlines.empty());
}

// The bound holds when every cycle is a run of its own (--scan-once from
// cron): each run reads the reckoning from the data folder and writes it
// back. Lines of that file that cannot be read are skipped; a file of
// another kind at its name is left alone.
TEST_F(StoryRecorderTest, ArticleRetriesOutliveRestarts) {
    const std::int64_t start = 1700000000;
    const std::string busy = "http://news.test/busy";
    pages.failures[busy] = PageReadOutcome{FetchFailure::HttpStatus, 503};
    const std::string file = JoinPath(dir.Path(), CArticleRetries::FILE_NAME);
    // One run of one cycle at `at`, with a recorder of its own.
    auto run = [&](std::int64_t at, const std::string& headline) {
        CStoryRecorder fresh(archive, pages, announced);
        fresh.LoadRetries(dir.Path());
        fresh.SetRetryClock([at] { return at; });
        fresh.SetFirstScan(0);
        fresh.SetCycleOptions(0, 0);
        fresh.SetKeywordGroups({CKeywordGroup("+mill")});
        fresh.BeginCycle();
        fresh.BeginPage(kPage);
        StoryCandidate link;
        link.headline = headline;
        target.url = busy;
        fresh.OnStoryLink(link, target);
        EXPECT_TRUE(fresh.SaveRetries());
    };
    const std::string story = "Caf\xC3\xA9 owners \"busy\" \\ again";
    run(start, story);
    run(start + 1200, story);
    // Damage: a broken cycle line, garbage, a bad key, a line cut short, a cycle
    // number one more cycle would overflow.
    std::string text;
    ASSERT_TRUE(ReadWholeFile(file, text));
    const std::size_t cycleLine = text.find('\n') + 1;
    text.replace(cycleLine, text.find('\n', cycleLine) - cycleLine,
                 std::string("two\n\x00\xff\tjunk\nzz\t1700000000\t2\t2\n6869\t1700000000\t2\n"
                             "6869\t1700000000\t2\t9223372036854775807\n", 86));
    text += "\t\t\t";
    ASSERT_TRUE(WriteFileAtomically(file, text));
    run(start + 2400, story);
    EXPECT_EQ(StateOf(archive, story), -1) << "three runs, but not an hour yet";
    run(start + 4000, story);
    EXPECT_EQ(StateOf(archive, story), STORY_PENDING);
    EXPECT_EQ(std::count(pages.reads.begin(), pages.reads.end(), busy), 4);

    const std::string foreign = "my notes on retries\n";
    ASSERT_TRUE(WriteFileAtomically(file, foreign));
    for (std::int64_t at : {start + 5000, start + 9000, start + 13000}) run(at, "Strike at the works goes on");
    EXPECT_EQ(StateOf(archive, "Strike at the works goes on"), -1);
    ASSERT_TRUE(ReadWholeFile(file, text));
    EXPECT_EQ(text, foreign);
}

// During the first scan of a run with "ignore initial stories" every new
// link is stored hidden at once: no target, no test, no announcement.
TEST_F(StoryRecorderTest, AnIgnoredFirstScanStoresStoriesHidden) {
    recorder.SetKeywordGroups({CKeywordGroup("")});  // matches everything
    recorder.SetIgnoreInitialStories(1);
    recorder.SetFirstScan(1);
    Offer("Storm closes the coast road", "http://news.test/a.html");
    EXPECT_EQ(StateOf(archive, "Storm closes the coast road"), STORY_HIDDEN);
    EXPECT_EQ(target.calls, 0);
    recorder.SetFirstScan(0);
    Offer("Storm closes the coast road", "http://news.test/a.html");
    Offer("Ferry service resumes", "http://news.test/b.html");
    EXPECT_EQ(StateOf(archive, "Storm closes the coast road"), STORY_HIDDEN);
    EXPECT_EQ(announced.headlines, Strings{"Ferry service resumes"});
}

// Article pages go through the configured proxy, with its credentials.
TEST(WebPageReader, ReadsThroughTheProxy) {
    CTestHttpServer server;
    server.SetPage("/a1.html", "<p>Article");
    server.EnableProxy("Basic YWxpY2U6czNjcmV0");
    CHttpFetcher fetcher;
    fetcher.SetTimeoutsForTesting(ShortTimeouts());
    CFetchPool pool;
    pool.SetTimeoutsForTesting(ShortTimeouts());
    CPooledPageReader reader(pool, [&] { return ProxySettings{1, "127.0.0.1", server.Port(), "alice", "s3cret"}; });
    CHtmlParser page;
    PageReadOutcome outcome;
    ASSERT_TRUE(reader.ReadPage("http://news.invalid/a1.html", AddressKind::Public, page, outcome));
    bool bProxied = false;
    for (const TestHttpRequest& r : server.Requests())
        bProxied = bProxied || (r.absoluteForm && r.target == "http://news.invalid/a1.html" &&
                                r.HasHeader("Proxy-Authorization"));
    EXPECT_TRUE(bProxied);

    server.SetPage("/logo.png", "\x89PNG", "image/png");
    EXPECT_FALSE(FetchPageInto(fetcher, server.Url("/logo.png"), ProxySettings{}, page, outcome));
    EXPECT_EQ(outcome.failure, FetchFailure::NotHtml);
    EXPECT_FALSE(page.HasPage());
    EXPECT_FALSE(FetchPageInto(fetcher, "ftp://news.test/", ProxySettings{}, page, outcome));
    EXPECT_EQ(outcome.failure, FetchFailure::BadUrl);
}

}  // namespace
