// The story store: the record layout, file names, story files (appends,
// state changes, expiry and compaction, damaged files, failed writes) and the
// archive's start-up loading and maintenance.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/FileUtil.h"
#include "common/HeadlineKey.h"
#include "common/Messages.h"
#include "config/NewsSettings.h"
#include "config/SourceCatalogue.h"
#include "store/StoryArchive.h"
#include "store/StoryFile.h"
#include "store/StoryFileName.h"
#include "store/StoryRecord.h"
#include "support/RecordingTarget.h"
#include "store/StoreTestUtil.h"
#include "support/TempDir.h"

namespace {

using Headlines = std::vector<std::string>;

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

TEST(StoryRecord, EncodesFieldsLittleEndianInFileOrder) {
    const StoryFileRecord rec{STORY_NEW, 0x01020304, "+k", "Hi", "u", "", "S (C)"};
    std::string out;
    EncodeStoryRecord(rec, out);
    const std::string expected = Bytes({0xFF, 1, 0, 0, 0, 4, 3, 2, 1, 2, 0, 0, 0}) + "+k" + Bytes({2, 0, 0, 0}) +
                                 "Hi" + Bytes({1, 0, 0, 0}) + "u" + Bytes({0, 0, 0, 0, 5, 0, 0, 0}) + "S (C)";
    EXPECT_EQ(out, expected);
    EXPECT_EQ(StoryRecordSize(rec), expected.size());

    // Negative values are two's complement; a record without texts is 29 bytes.
    StoryFileRecord negative;
    negative.nState = -1;
    negative.tFound = -2;
    out.clear();
    EncodeStoryRecord(negative, out);
    EXPECT_EQ(out, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}) + std::string(20, '\0'));
}

TEST(StoryFileName, StemRuleAndSafeCharacters) {
    const struct { const char* key; const char* raw; } cases[] = {
        {"abc", "abc01260003"},  // shorter key, shorter stem
        // custom prefix, scheme and "www." skipped; 8 characters taken
        {"Custom: http://www.example.com/news", "example.0d050023"},
        {"Custom: https://www.example.com/news", "example.0d780024"},
        {"a\xE9", "a\xE9" "004a0002"},  // signed: 'a' (97) + 0xE9 (-23) = 0x4a
    };
    for (const auto& c : cases) EXPECT_EQ(RawStoryFileStem(c.key), c.raw) << c.key;

    EXPECT_EQ(SafeFileNameChars("a/b:c d.e-f_g\xE9*"), "a_b_c_d.e-f_g__");
    const std::string stem = StoryFileStem("Custom: http://a.b/c:d?e");
    EXPECT_EQ(stem.find_first_of("/:? "), std::string::npos);
    EXPECT_EQ(stem.size(), 16u);
    EXPECT_EQ(StoryFileStem("Daily News"), "Daily_Ne" + RawStoryFileStem("Daily News").substr(8));
}

const char* const kSource = "Daily News (Top Stories)";
const std::string kName = StoryFileStem("Daily News") + ".dat";

// Headlines whose keys differ (the number leads, so the six-character prefixes differ).
std::string Numbered(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%03d news item", i);
    return buf;
}

class StoryFileTest : public StoreTest {
protected:
    CStory Story(const std::string& headline, std::int64_t age, int state) {
        return MakeStory(kSource, headline, Age(age), state);
    }
    void Add(CStoryFile& f, const std::string& headline, std::int64_t age, int state, bool supersede = false) {
        f.Open("r+b");
        EXPECT_EQ(f.Append(Story(headline, age, state), supersede), 1) << headline;
        f.Close();
    }
    // The headlines of a walk over one state, or over the visible ones (state -1).
    static Headlines Walk(CStoryFile& f, int state = -1) {
        Headlines out;
        f.Open("rb");
        while (state < 0 ? f.NextVisible() : f.NextWithState(state)) out.push_back(f.ReadCurrent()->GetHeadline());
        EXPECT_EQ(state < 0 ? f.NextVisible() : f.NextWithState(state), 0);  // stays at the end
        f.Close();
        return out;
    }
};

TEST_F(StoryFileTest, AppendAndStateChangesWriteTheExactBytesInPlace) {
    auto f = NewFile();
    CStory s = MakeStory(kSource, "Storm hits coast", Age(100), STORY_NEW, "http://d/1");
    s.SetKeywords("+storm");
    f->Open("r+b");
    ASSERT_EQ(f->Append(s, false), 1);
    f->Close();
    Add(*f, "Beta story", 50, STORY_NEW);
    std::string expected = EncodeStories({s, Story("Beta story", 50, STORY_NEW)});
    EXPECT_EQ(FileBytes(f->GetDataPath()), expected);

    f->Open("r+b");
    EXPECT_EQ(f->SetCurrentState(STORY_READ), 0) << "no cursor: nothing written";
    ASSERT_EQ(f->Find("Storm hits coast"), 1);
    EXPECT_EQ(EncodeStories({*f->ReadCurrent()}), EncodeStories({s})) << "every field read back";
    EXPECT_EQ(f->Find("Storm hits coastline"), 0);
    ASSERT_EQ(f->Find("Beta story"), 1);
    ASSERT_EQ(f->SetCurrentState(STORY_BOOKMARKED), 1);
    f->Close();
    expected[EncodeStories({s}).size() + 1] = static_cast<char>(STORY_BOOKMARKED);
    EXPECT_EQ(FileBytes(f->GetDataPath()), expected);

    // Nothing to drop: the same bytes, no new file, and the offsets still lead to the records.
    struct stat st1 {}, st2 {};
    ::stat(f->GetDataPath().c_str(), &st1);
    ASSERT_EQ(f->Rewrite(true), 1);
    ::stat(f->GetDataPath().c_str(), &st2);
    EXPECT_EQ(FileBytes(f->GetDataPath()), expected);
    EXPECT_EQ(st1.st_ino, st2.st_ino);
    EXPECT_EQ(Walk(*f, STORY_BOOKMARKED), Headlines{"Beta story"});
}

TEST_F(StoryFileTest, SupersedeMarksTheOldRecordAndTheNextRewriteDropsIt) {
    auto f = NewFile();
    Add(*f, "Storm hits coast", 10, STORY_PENDING);
    const std::size_t firstSize = FileBytes(f->GetDataPath()).size();
    Add(*f, "Storm hits coast", 5, STORY_NEW, true);
    const std::string bytes = FileBytes(f->GetDataPath());
    ASSERT_EQ(bytes.size(), 2 * firstSize);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), STORY_SUPERSEDED);
    EXPECT_EQ(static_cast<unsigned char>(bytes[firstSize + 1]), STORY_NEW);
    EXPECT_EQ(f->StoryCount(), 1);
    EXPECT_EQ(Walk(*f), Headlines{"Storm hits coast"});  // once, not twice

    // Young, but superseded: a rewrite without force still removes it.
    ASSERT_EQ(f->Rewrite(false), 1);
    EXPECT_EQ(FileBytes(f->GetDataPath()), bytes.substr(firstSize));
    EXPECT_EQ(Walk(*f, STORY_NEW), Headlines{"Storm hits coast"});

}

// Headlines that share a key (first six bytes, signed sum and length) are
// different stories all the same: each is found, kept and superseded alone.
TEST_F(StoryFileTest, HeadlinesSharingAKeyAreSeparateStories) {
    const struct { const char* why; Headlines headlines; } cases[] = {
        {"two letters swapped", {"Storm hits coast", "Storm hist coast"}},
        {"two Chinese words swapped", {"\u4e2d\u56fd\u7ecf\u6d4e\u589e\u957f", "\u4e2d\u56fd\u589e\u957f\u7ecf\u6d4e"}},
        {"three of a kind", {"Market falls 12 points", "Market falls 21 points", "Market falls 30 points"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::filesystem::remove(m_strData + kName);
        auto f = NewFile();
        for (const std::string& h : c.headlines) {
            ASSERT_EQ(CompareHeadlineKeys(MakeHeadlineKey(h), MakeHeadlineKey(c.headlines[0])), 0) << "one key";
            Add(*f, h, 10, STORY_NEW);
        }
        const std::string& last = c.headlines.back();
        Add(*f, last, 5, STORY_BOOKMARKED, true);  // supersedes only its own record
        Add(*f, c.headlines[0], 5, STORY_READ);    // without supersede: takes over its own node
        EXPECT_EQ(static_cast<int>(c.headlines.size()), f->StoryCount());

        auto expectStates = [&](CStoryFile& file) {
            file.Open("rb");
            for (const std::string& h : c.headlines) {
                ASSERT_EQ(file.Find(h), 1) << h;
                EXPECT_EQ(file.ReadCurrent()->GetHeadline(), h);
                EXPECT_EQ(file.GetCurrentState(), h == last ? STORY_BOOKMARKED : h == c.headlines[0] ? STORY_READ : STORY_NEW);
            }
            file.Close();
        };
        expectStates(*f);
        ASSERT_EQ(f->Rewrite(false), 1);  // drops the superseded record
        EXPECT_EQ(Walk(*f).size(), c.headlines.size());
        expectStates(*f);
        auto again = NewFile("");
        ASSERT_EQ(again->LoadFromFile(kName), 1);
        expectStates(*again);
    }

    // A page's worth of headlines with one prefix: many share keys, none is lost.
    std::filesystem::remove(m_strData + kName);
    auto f = NewFile();
    const int n = 600;
    for (int i = 0; i < n; ++i) Add(*f, "Breaking news story " + std::to_string(i * 37 % 1000), 1, STORY_PENDING);
    EXPECT_EQ(f->StoryCount(), n);
    f->Open("rb");
    for (int i = 0; i < n; ++i) EXPECT_EQ(f->Find("Breaking news story " + std::to_string(i * 37 % 1000)), 1) << i;
    EXPECT_EQ(f->Find("Breaking news story 1001"), 0);
    f->Close();
}

TEST_F(StoryFileTest, ExpiryBoundaryAndBookmarks) {
    auto f = NewFile();
    const struct { const char* headline; std::int64_t age; int state; bool survives; } entries[] = {
        {"One second short of two days", 172799, STORY_READ, true},
        {"Exactly two days old", 172800, STORY_READ, false},
        {"Two days and a second", 172801, STORY_NEW, false},
        {"Old but bookmarked", 172800 * 10, STORY_BOOKMARKED, true},
        {"Old and hidden", 172800, STORY_HIDDEN, false},
        {"Fresh pending", 0, STORY_PENDING, true},
    };
    for (const auto& e : entries) Add(*f, e.headline, e.age, e.state);
    ASSERT_EQ(f->Rewrite(false), 1);
    // Read back from disk: the dropped records are gone from the file.
    auto again = NewFile("");
    ASSERT_EQ(again->LoadFromFile(kName), 1);
    EXPECT_EQ(again->GetKey(), "Daily News");  // adopted under its first story's key
    again->Open("rb");
    for (const auto& e : entries) EXPECT_EQ(again->Find(e.headline), e.survives ? 1 : 0) << e.headline;
    again->Close();
    EXPECT_EQ(again->StoryCount(), 3);
    EXPECT_EQ(Walk(*again), (Headlines{"One second short of two days", "Old but bookmarked"}));  // pending is not shown
}

TEST_F(StoryFileTest, PurgeHiddenAndDeleteIfEmpty) {
    // emptyResult: what DeleteIfEmpty without force gives.
    const struct { const char* why; std::vector<int> states; int storiesLeft, emptyResult; } cases[] = {
        {"only pending, hidden and superseded: the file empties and goes", {STORY_PENDING, STORY_HIDDEN}, 0, 1},
        {"a read story stays, and so does the file", {STORY_HIDDEN, STORY_READ}, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto f = NewFile();
        for (std::size_t i = 0; i < c.states.size(); ++i) Add(*f, Numbered(static_cast<int>(i)), 1, c.states[i]);
        Add(*f, Numbered(0), 0, c.states[0], true);  // leaves a superseded record
        ASSERT_EQ(f->PurgeHidden(), 1);
        EXPECT_EQ(f->StoryCount(), c.storiesLeft);
        EXPECT_EQ(FileBytes(f->GetDataPath()).empty(), c.storiesLeft == 0);
        EXPECT_EQ(f->DeleteIfEmpty(false), c.emptyResult);
        EXPECT_EQ(FileExists(f->GetDataPath()), c.emptyResult == 0);
        EXPECT_EQ(f->DeleteIfEmpty(true), 0);  // force: gone in any case
        EXPECT_FALSE(FileExists(f->GetDataPath()));
    }
}

TEST_F(StoryFileTest, DamagedFileIsReadUpToTheDamageAndCompacted) {
    const std::string good = EncodeStories({Story("First story", 1, STORY_NEW), Story("Second story", 1, STORY_NEW)});
    const std::string path = m_strData + kName;
    const struct { const char* why; std::string tail; } cases[] = {
        {"a byte other than the marker where a record starts", std::string("\x01\x02\x03garbage", 10)},
        {"a record cut off inside its fixed fields", std::string("\xFF\x01\0", 3)},
        {"a text length far past the end", std::string("\xFF\x01\0\0\0\0\0\0\0\xF0\xFF\xFF\x7F" "abc", 16)},
        {"a text length one past the end", std::string("\xFF\x01\0\0\0\0\0\0\0\x04\0\0\0" "abc", 16)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        WriteBytes(path, good + c.tail);
        // The bounded reader stops at the damage and allocates nothing from a bad length.
        std::FILE* fp = std::fopen(path.c_str(), "rb");
        CStoryRecordReader reader(fp, 0);
        StoryFileRecord rec;
        int whole = 0;
        StoryReadResult last;
        while ((last = reader.Read(rec)) == StoryReadResult::Ok) ++whole;
        EXPECT_EQ(whole, 2);
        EXPECT_EQ(last, StoryReadResult::Damaged);
        EXPECT_EQ(reader.Position(), good.size());
        EXPECT_LE(std::max({rec.strKeywords.capacity(), rec.strHeadline.capacity(), rec.strUrl.capacity()}), 64u);
        std::fclose(fp);

        auto f = NewFile("");
        EXPECT_TRUE(ReportsDiagnostic("damaged story data from byte", [&] { EXPECT_EQ(f->LoadFromFile(kName), 1); }));
        EXPECT_EQ(FileBytes(path), good) << "the damaged tail is cut off";
        Add(*f, "Third story", 0, STORY_NEW);
        EXPECT_EQ(Walk(*f), (Headlines{"First story", "Second story", "Third story"}));
    }
}

TEST_F(StoryFileTest, NegativeTextLengthIsReadAsAbsentAndWrittenBackAsZero) {
    const std::string canonical = EncodeStories({Story("Hello", 1, STORY_NEW)});
    std::string bytes = canonical;
    bytes.replace(9, 4, "\xFF\xFF\xFF\xFF");  // the keywords' length: -1
    WriteBytes(m_strData + kName, bytes);
    ASSERT_EQ(NewFile("")->LoadFromFile(kName), 1);
    EXPECT_EQ(FileBytes(m_strData + kName), canonical) << "read whole, compacted at load";
}

TEST_F(StoryFileTest, FailedWritesKeepTheOldFileAndItsStories) {
    auto f = NewFile();
    Add(*f, "Old story", 200000, STORY_READ);
    Add(*f, "Young story", 10, STORY_NEW);
    const std::string before = FileBytes(f->GetDataPath());
    // The work file cannot grow past 8 bytes (a full disk, for root too):
    // the rewrite fails part-way and leaves no work file.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit tiny {8, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    EXPECT_TRUE(ReportsDiagnostic("was not rewritten", [&] { EXPECT_EQ(f->Rewrite(false), 0); }));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(FileBytes(f->GetDataPath()), before);
    EXPECT_EQ(Walk(*f), (Headlines{"Old story", "Young story"}));  // still indexed: the file still holds both
    for (const auto& entry : std::filesystem::directory_iterator(m_strData)) EXPECT_EQ(entry.path().filename(), kName);

    // On a read-only stream an append fails, says so and changes nothing.
    f->Open("rb");
    EXPECT_TRUE(ReportsDiagnostic("cannot save", [&] { EXPECT_EQ(f->Append(Story("Lost", 1, STORY_NEW), false), 0); }));
    f->Close();
    EXPECT_EQ(f->StoryCount(), 2);
    EXPECT_EQ(FileBytes(f->GetDataPath()), before);
}

// At start-up every configured source gets its story file (compacted), the
// other story files are adopted under their first story's source and empty
// ones go; the maintenance timer later drops what expired and tells the
// story list.
TEST_F(StoreTest, ArchiveLoadsConfiguredFilesAdoptsTheRestAndMaintainsThem) {
    const char* const kDailyTop = "http://daily.example/top";
    const char* const kDailyWorld = "http://daily.example/world";
    const char* const kCustomKey = "Custom: http://custom.example/news";
    CSourceCatalogue catalogue;
    CNewsSource* daily = catalogue.AddSource("Daily News", 1);
    daily->AddCategory(kDailyTop, 1, 1, "Top Stories");
    daily->AddCategory(kDailyWorld, 0, 2, "World");
    catalogue.AddSource("Evening Post", 1)->AddCategory("http://evening.example/", 1, 1, "Headlines");
    catalogue.AddSource("Old Times", 0)->AddCategory("http://old.example/", 1, 1, "Front");
    CNewsSettings settings;
    settings.SetDefaultSoundLookup([] { return std::string(); });
    settings.SetFileName(m_dir.Path());
    settings.Load();
    ASSERT_TRUE(settings.AddUrl("http://custom.example/news"));
    ASSERT_TRUE(settings.AddUrl(kDailyWorld));  // a catalogue page: same key as its source
    const std::string dailyPath = m_strData + StoryFileStem("Daily News") + ".dat";
    const CStory young = MakeStory(kDailyTop, "Daily story", Age(5), STORY_NEW);
    WriteBytes(dailyPath, EncodeStories({young, MakeStory(kDailyTop, "Expired", Age(172800), STORY_READ)}, &catalogue));
    WriteBytes(m_strData + StoryFileStem("Old Times") + ".dat",
               EncodeStories({MakeStory("Old Times (Front)", "Old times story", Age(5), STORY_UNREAD)}));
    WriteBytes(m_strData + "emptyfile.dat", "");
    WriteBytes(m_strData + "notes.txt", "not a story file");

    CStoryArchive archive;
    archive.SetDataFolder(m_strData);
    archive.SetClock([this] { return m_now; });
    EXPECT_EQ(archive.LoadAll(catalogue, settings), 4);
    Headlines keys;
    for (int i = 0; i < archive.GetFileCount(); ++i) keys.push_back(archive.GetFileAt(i)->GetKey());
    EXPECT_EQ(keys, (Headlines{"Daily News", "Evening Post", kCustomKey, "Old Times"}));
    EXPECT_FALSE(FileExists(m_strData + "emptyfile.dat"));
    EXPECT_TRUE(FileExists(m_strData + "notes.txt"));
    EXPECT_TRUE(FileExists(m_strData + StoryFileStem(kCustomKey) + ".dat"));
    EXPECT_EQ(FileBytes(dailyPath), EncodeStories({young}, &catalogue)) << "compacted at start";
    EXPECT_EQ(archive.GetFileAt(3)->StoryCount(), 1);

    CRecordingTarget storyList;
    m_now += 172800;
    archive.Maintain(false, &storyList);
    EXPECT_EQ(FileBytes(dailyPath), "");
    EXPECT_EQ(archive.GetFileAt(3)->StoryCount(), 0);
    ASSERT_EQ(storyList.Count(WM_STORIES_CHANGED), 1);
    EXPECT_FALSE(storyList.Messages()[0].sent);
}

// Two custom pages of one host whose paths hold the same letters in another
// order give one file name. Each source keeps its own stories all the same:
// the source of the file's first story keeps the file, the other gets its
// second file, and a file the two shared before is split at start-up.
class SharedFileNameTest : public StoreTest {
protected:
    SharedFileNameTest() {
        m_settings.SetDefaultSoundLookup([] { return std::string(); });
        m_settings.SetFileName(m_dir.Path());
        m_settings.Load();
    }
    std::unique_ptr<CStoryArchive> Start(const Headlines& urls) {
        m_settings.ClearUrls();
        for (const std::string& url : urls) EXPECT_TRUE(m_settings.AddUrl(url));
        auto archive = std::make_unique<CStoryArchive>(m_strData);
        archive->SetClock([this] { return m_now; });
        archive->LoadAll(m_catalogue, m_settings);
        return archive;
    }
    // The state of the story in the source's file, -1 when it has none; the
    // time found must be the story's.
    int StateIn(CStoryArchive& archive, const CStory& story, const std::string& key) {
        CStoryArchiveGuard lock(archive);
        archive.Open("rb");
        int state = -1;
        if (archive.FindByHeadline(story.GetHeadline(), key)) {
            state = archive.GetCurrentState();
            EXPECT_EQ(archive.GetCurrentStory()->GetTimeFound(), story.GetTimeFound()) << story.GetHeadline();
        }
        archive.Close();
        return state;
    }
    std::vector<std::string> DamagedCopies() {
        std::vector<std::string> out;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(m_strData + "damaged", ec), end; !ec && it != end; it.increment(ec))
            out.push_back(FileBytes(it->path().string()));
        return out;
    }

    const std::string kUrlA = "http://news.example/ab.html", kUrlB = "http://news.example/ba.html";
    const std::string kKeyA = "Custom: " + kUrlA, kKeyB = "Custom: " + kUrlB;
    const std::string kShared = m_strData + StoryFileStem(kKeyA) + ".dat";
    const std::string kSecondB = m_strData + SecondStoryFileStem(kKeyB) + ".dat";
    CSourceCatalogue m_catalogue;
    CNewsSettings m_settings;
};

TEST_F(SharedFileNameTest, EachSourceKeepsItsOwnStories) {
    ASSERT_EQ(StoryFileStem(kKeyA), StoryFileStem(kKeyB)) << "the two names collide";
    const CStory a1 = MakeStory(kKeyA, "Alpha first", Age(100), STORY_NEW);
    const CStory b1 = MakeStory(kKeyB, "Beta first", Age(90), STORY_READ);
    const CStory a2 = MakeStory(kKeyA, "Same headline on both", Age(80), STORY_BOOKMARKED);
    const CStory b2 = MakeStory(kKeyB, "Same headline on both", Age(70), STORY_HIDDEN);
    const CStory b3 = MakeStory(kKeyB, "Beta pending", Age(60), STORY_PENDING);
    const std::vector<std::pair<CStory, std::string>> all = {{a1, kKeyA}, {b1, kKeyB}, {a2, kKeyA}, {b2, kKeyB},
                                                             {b3, kKeyB}};
    const std::string mixed = EncodeStories({a1, b1, a2, b2, b3});

    const struct { const char* why; bool bMixedBefore; Headlines urls; } cases[] = {
        {"new stories go to separate files", false, {kUrlA, kUrlB}},
        {"a shared file is split; its first story's source keeps it", true, {kUrlB, kUrlA}},
        {"the same when the other source is no longer configured", true, {kUrlA}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::filesystem::remove_all(m_strData);
        ::mkdir(m_strData.c_str(), 0755);
        if (c.bMixedBefore) WriteBytes(kShared, mixed);
        {
            auto archive = Start(c.urls);
            if (!c.bMixedBefore) {
                CStoryArchiveGuard lock(*archive);
                for (const auto& [story, key] : all) ASSERT_EQ(archive->Add(story, false), 1);
            }
            EXPECT_EQ(archive->FindFile(kKeyA)->GetDataPath(), kShared);
            EXPECT_EQ(archive->FindFile(kKeyB)->GetDataPath(), kSecondB);
        }
        EXPECT_EQ(FileBytes(kShared), EncodeStories({a1, a2}));
        EXPECT_EQ(FileBytes(kSecondB), EncodeStories({b1, b2, b3}));
        EXPECT_EQ(DamagedCopies(), c.bMixedBefore ? std::vector<std::string>{mixed} : std::vector<std::string>{});

        // Every start after that finds each story in its own source, with
        // its state and time, and changes nothing.
        for (const Headlines& urls : {c.urls, Headlines{kUrlB, kUrlA}}) {
            auto archive = Start(urls);
            for (const auto& [story, key] : all) {
                EXPECT_EQ(StateIn(*archive, story, key), story.GetState()) << story.GetHeadline();
                if (story.GetHeadline() != a2.GetHeadline()) {
                    EXPECT_EQ(StateIn(*archive, story, key == kKeyA ? kKeyB : kKeyA), -1) << story.GetHeadline();
                }
            }
            EXPECT_EQ(FileBytes(kShared), EncodeStories({a1, a2}));
            EXPECT_EQ(FileBytes(kSecondB), EncodeStories({b1, b2, b3}));
            EXPECT_EQ(DamagedCopies().size(), c.bMixedBefore ? 1u : 0u);
        }
    }
}

// Damaged and foreign files in the data folder: one bad byte costs one
// story, the original is kept before a repair, and a file that is not a
// story file is never deleted or emptied.
class StoryDamageTest : public StoreTest {
protected:
    const std::string kKey = "Daily News";
    const std::string kName = StoryFileStem(kKey) + ".dat";

    // Ten stories and the offset where each record begins.
    std::string TenStories(std::vector<std::size_t>& starts) {
        std::vector<CStory> stories;
        std::string bytes;
        for (int i = 0; i < 10; ++i) {
            starts.push_back(bytes.size());
            bytes += EncodeStories({MakeStory(kKey, "Story " + std::to_string(i), Age(60), STORY_UNREAD)});
        }
        return bytes;
    }
    int DamagedCopies() {
        std::error_code ec;
        int n = 0;
        for (std::filesystem::directory_iterator it(m_strData + "damaged", ec), end; !ec && it != end; it.increment(ec))
            ++n;
        return n;
    }
};

TEST_F(StoryDamageTest, ABadByteLosesOnlyItsStoryAndTheOriginalIsKept) {
    std::vector<std::size_t> starts;
    const std::string good = TenStories(starts);
    const struct { const char* where; std::size_t offset; char value; } cases[] = {
        {"the marker of the first record", starts[0], 0x00},
        {"the marker of a middle record", starts[5], 0x41},
        {"a text length in the last record", starts[9] + 13, 0x7F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        std::filesystem::remove_all(m_strData + "damaged");
        std::string bytes = good;
        bytes[c.offset] = c.value;
        WriteBytes(m_strData + kName, bytes);

        auto f = NewFile("");
        EXPECT_TRUE(ReportsDiagnostic("9 stories read", [&] { EXPECT_EQ(f->LoadFromFile(kName), 1); }));
        EXPECT_EQ(f->StoryCount(), 9);
        EXPECT_EQ(DamagedCopies(), 1);
        // The repaired file reads whole: a second load finds nothing to repair.
        auto again = NewFile("");
        EXPECT_FALSE(ReportsDiagnostic("damaged", [&] { EXPECT_EQ(again->LoadFromFile(kName), 1); }));
        EXPECT_EQ(again->StoryCount(), 9);
    }
}

TEST_F(StoryDamageTest, ForeignFilesAreLeftAloneAndEmptyOnesRemoved) {
    const std::string foreign = "just some notes, not stories\n";
    WriteBytes(m_strData + "notes.dat", foreign);
    WriteBytes(m_strData + "empty.dat", "");
    auto f = NewFile("");
    EXPECT_TRUE(ReportsDiagnostic("not a story file", [&] { EXPECT_EQ(f->LoadFromFile("notes.dat"), 0); }));
    EXPECT_EQ(FileBytes(m_strData + "notes.dat"), foreign);
    EXPECT_EQ(f->LoadFromFile("empty.dat"), 0);
    EXPECT_FALSE(std::filesystem::exists(m_strData + "empty.dat"));

    // A configured source's file that holds no story at all is kept aside
    // before the source starts a new one in its place.
    WriteBytes(m_strData + kName, foreign);
    NewFile(kKey);
    EXPECT_EQ(DamagedCopies(), 1);
    EXPECT_EQ(FileBytes(m_strData + kName), "");
}

}  // namespace
