// Story files: the headline index, appends, state changes, expiry and
// compaction, damaged files and the node pool.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "store/HeadlineKey.h"
#include "store/StoryFile.h"
#include "store/StoryFileName.h"
#include "store/StoryRecord.h"
#include "StoreTestUtil.h"

namespace {

constexpr std::int64_t kNow = 1700000000;
const char* const kSource = "Daily News (Top Stories)";

// Headlines whose keys differ (the number leads, so the six-character prefixes differ).
std::string Numbered(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%03d news item", i);
    return buf;
}

class StoryFileTest : public ::testing::Test {
protected:
    void SetUp() override { m_strData = MakeStoryDataFolder(m_dir); }

    // A story file of the "Daily News" key under the fixed clock.
    std::unique_ptr<CStoryFile> NewFile() {
        auto f = std::make_unique<CStoryFile>(m_strData);
        f->SetClock([this] { return m_now; });
        f->SetKey("Daily News");
        return f;
    }
    std::vector<std::string> VisibleHeadlines(CStoryFile& f) {
        std::vector<std::string> out;
        f.Open("rb");
        while (f.NextVisible()) out.push_back(f.ReadCurrent()->GetHeadline());
        f.Close();
        return out;
    }
    std::int32_t Age(std::int64_t seconds) const { return static_cast<std::int32_t>(m_now - seconds); }

    CTempDir m_dir;
    std::string m_strData;
    std::int64_t m_now = kNow;
};

TEST(HeadlineKey, OrdersByPrefixThenSumThenLength) {
    struct Case {
        const char* why;
        std::string a, b;
        int expected;
    } cases[] = {
        {"prefix decides first", "Abcdef zzz", "Abcdeg a", -1},
        {"prefix bytes compare unsigned", "\xE9t\xE9", "zebra", 1},
        {"shorter prefix sorts first", "Ab", "Abc", -1},
        {"same prefix: sum decides", "Storm A", "Storm B", -1},
        // A zero character adds nothing to the sum but one to the length.
        {"same prefix and sum: length decides", "Storm AB", std::string("Storm AB\0", 9), -1},
        {"only the first six characters are kept", "Headline one", "Headline one", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(CompareHeadlineKeys(MakeHeadlineKey(c.a), MakeHeadlineKey(c.b)), c.expected);
        EXPECT_EQ(CompareHeadlineKeys(MakeHeadlineKey(c.b), MakeHeadlineKey(c.a)), -c.expected);
    }
    // Equal prefix, sum and length: the same story although the texts differ.
    EXPECT_EQ(CompareHeadlineKeys(MakeHeadlineKey("Storm ab"), MakeHeadlineKey("Storm ba")), 0);
    const HeadlineKey k = MakeHeadlineKey("Storm hits");
    EXPECT_STREQ(k.szPrefix, "Storm ");
    EXPECT_EQ(k.nLength, 10);
}

TEST_F(StoryFileTest, AppendWritesTheExactRecordAndFindsItAgain) {
    auto f = NewFile();
    CStory s = MakeStory(kSource, "Storm hits coast", 0x01020304, STORY_NEW, "http://d/1");
    s.SetKeywords("+storm");
    f->Open("r+b");
    ASSERT_EQ(f->Append(s, false), 1);
    f->Close();

    StoryFileRecord rec;
    s.BuildRecord(rec, nullptr);
    std::string expected;
    EncodeStoryRecord(rec, expected);
    EXPECT_EQ(FileBytes(f->GetDataPath()), expected);

    f->Open("rb");
    ASSERT_EQ(f->Find("Storm hits coast"), 1);
    EXPECT_EQ(f->GetCurrentState(), STORY_NEW);
    auto back = f->ReadCurrent();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetKeywords(), "+storm");
    EXPECT_EQ(back->GetUrl(), "http://d/1");
    EXPECT_EQ(back->GetDescription(), "");  // stored with length 0
    EXPECT_EQ(back->GetSource(), kSource);
    EXPECT_EQ(back->GetTimeFound(), 0x01020304);
    EXPECT_EQ(f->Find("Storm hits coastline"), 0);
    EXPECT_EQ(f->ReadCurrent(), nullptr);
    EXPECT_EQ(f->GetCurrentState(), -1);
    EXPECT_EQ(f->SetCurrentState(STORY_READ), 0);
    f->Close();
}

TEST_F(StoryFileTest, SupersedeMarksTheOldRecordAndTheNextRewriteDropsIt) {
    auto f = NewFile();
    f->Open("r+b");
    ASSERT_EQ(f->Append(MakeStory(kSource, "Storm hits coast", Age(10), STORY_PENDING), false), 1);
    const std::size_t firstSize = FileBytes(f->GetDataPath()).size();
    ASSERT_EQ(f->Append(MakeStory(kSource, "Storm hits coast", Age(5), STORY_NEW), true), 1);
    f->Close();

    const std::string bytes = FileBytes(f->GetDataPath());
    ASSERT_EQ(bytes.size(), 2 * firstSize);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), STORY_SUPERSEDED);
    EXPECT_EQ(static_cast<unsigned char>(bytes[firstSize + 1]), STORY_NEW);
    EXPECT_EQ(f->StoryCount(), 1);

    // Young, but superseded: a rewrite without force still removes it.
    ASSERT_EQ(f->Rewrite(false), 1);
    EXPECT_EQ(FileBytes(f->GetDataPath()), bytes.substr(firstSize));
    f->Open("r+b");
    ASSERT_EQ(f->Find("Storm hits coast"), 1);
    EXPECT_EQ(f->GetCurrentState(), STORY_NEW);
    EXPECT_EQ(f->ReadCurrent()->GetTimeFound(), Age(5));

    // Same first six characters, same signed sum, same length: one story,
    // so an append without supersede takes over the node.
    ASSERT_EQ(f->Append(MakeStory(kSource, "Storm hist coast", Age(1), STORY_READ), false), 1);
    EXPECT_EQ(f->StoryCount(), 1);
    ASSERT_EQ(f->Find("Storm hits coast"), 1);
    EXPECT_EQ(f->GetCurrentState(), STORY_READ);
    EXPECT_EQ(f->ReadCurrent()->GetHeadline(), "Storm hist coast");
    f->Close();
}

TEST_F(StoryFileTest, ExpiryBoundaryAndBookmarks) {
    auto f = NewFile();
    f->Open("r+b");
    struct Entry {
        const char* headline;
        std::int64_t age;
        int state;
        bool survives;
    } entries[] = {
        {"One second short of two days", 172799, STORY_READ, true},
        {"Exactly two days old", 172800, STORY_READ, false},
        {"Two days and a second", 172801, STORY_NEW, false},
        {"Old but bookmarked", 172800 * 10, STORY_BOOKMARKED, true},
        {"Old and hidden", 172800, STORY_HIDDEN, false},
        {"Fresh pending", 0, STORY_PENDING, true},
    };
    for (const Entry& e : entries) ASSERT_EQ(f->Append(MakeStory(kSource, e.headline, Age(e.age), e.state), false), 1);
    f->Close();
    ASSERT_EQ(f->Rewrite(false), 1);
    f->Open("rb");
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.headline);
        EXPECT_EQ(f->Find(e.headline), e.survives ? 1 : 0);
    }
    f->Close();
    EXPECT_EQ(f->StoryCount(), 3);

    // Reading the file back gives the same: the dropped records are gone from disk.
    CStoryFile again(m_strData);
    again.SetClock([this] { return m_now; });
    ASSERT_EQ(again.LoadFromFile(StoryFileStem("Daily News") + ".dat"), 0 + 1);
    EXPECT_EQ(again.StoryCount(), 3);
}

TEST_F(StoryFileTest, RewriteWithNothingToPurgeLeavesTheFileUntouched) {
    auto f = NewFile();
    f->Open("r+b");
    ASSERT_EQ(f->Append(MakeStory(kSource, "Alpha story", Age(100), STORY_NEW), false), 1);
    ASSERT_EQ(f->Append(MakeStory(kSource, "Beta story", Age(50), STORY_READ), false), 1);
    f->Close();
    const std::string before = FileBytes(f->GetDataPath());
    struct stat st1 {};
    ::stat(f->GetDataPath().c_str(), &st1);

    ASSERT_EQ(f->Rewrite(false), 1);
    ASSERT_EQ(f->Rewrite(true), 1);  // nothing dropped: the same bytes, no new file
    struct stat st2 {};
    ::stat(f->GetDataPath().c_str(), &st2);
    EXPECT_EQ(FileBytes(f->GetDataPath()), before);
    EXPECT_EQ(st1.st_ino, st2.st_ino);

    // Record offsets still lead to the right records.
    f->Open("r+b");
    ASSERT_EQ(f->Find("Beta story"), 1);
    EXPECT_EQ(f->ReadCurrent()->GetHeadline(), "Beta story");
    f->Close();
}

TEST_F(StoryFileTest, SetCurrentStateRewritesOnlyTheStateField) {
    auto f = NewFile();
    f->Open("r+b");
    ASSERT_EQ(f->Append(MakeStory(kSource, "Alpha story", Age(100), STORY_NEW), false), 1);
    ASSERT_EQ(f->Append(MakeStory(kSource, "Beta story", Age(50), STORY_NEW), false), 1);
    const std::string before = FileBytes(f->GetDataPath());
    ASSERT_EQ(f->Find("Beta story"), 1);
    ASSERT_EQ(f->SetCurrentState(STORY_BOOKMARKED), 1);
    f->Close();
    std::string expected = before;
    StoryFileRecord rec;
    MakeStory(kSource, "Alpha story", Age(100), STORY_NEW).BuildRecord(rec, nullptr);
    expected[StoryRecordSize(rec) + 1] = static_cast<char>(STORY_BOOKMARKED);
    EXPECT_EQ(FileBytes(f->GetDataPath()), expected);

    // A read-only walk cannot change the file, and the index stays as the file says.
    f->Open("rb");
    ASSERT_EQ(f->Find("Alpha story"), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(f->SetCurrentState(STORY_READ), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot save a story state"), std::string::npos);
    EXPECT_EQ(f->GetCurrentState(), STORY_NEW);
    f->Close();
}

TEST_F(StoryFileTest, WalksByStateInFileOrder) {
    auto f = NewFile();
    f->Open("r+b");
    const int states[] = {STORY_PENDING, STORY_NEW, STORY_HIDDEN, STORY_READ, STORY_NEW, STORY_BOOKMARKED,
                          STORY_UNREAD};
    for (int i = 0; i < 7; ++i)
        ASSERT_EQ(f->Append(MakeStory(kSource, "Story number " + std::to_string(i), Age(i), states[i]), false), 1);
    // A superseded old record of story 1 must not show up twice.
    ASSERT_EQ(f->Append(MakeStory(kSource, "Story number 1", Age(0), STORY_NEW), true), 1);
    f->Close();

    EXPECT_EQ(VisibleHeadlines(*f), (std::vector<std::string>{"Story number 1", "Story number 3", "Story number 4",
                                                              "Story number 5", "Story number 6"}));
    f->Open("rb");
    std::vector<std::string> news;
    while (f->NextWithState(STORY_NEW)) news.push_back(f->ReadCurrent()->GetHeadline());
    EXPECT_EQ(news, (std::vector<std::string>{"Story number 1", "Story number 4"}));
    EXPECT_EQ(f->NextWithState(STORY_NEW), 0);  // stays at the end
    f->Close();
}

TEST_F(StoryFileTest, PurgeHiddenAndDeleteIfEmpty) {
    struct Case {
        const char* why;
        std::vector<int> states;
        int storiesLeft;
        int emptyResult;  // DeleteIfEmpty without force
    } cases[] = {
        {"only pending, hidden and superseded: the file empties and goes", {STORY_PENDING, STORY_HIDDEN}, 0, 1},
        {"a read story stays, and so does the file", {STORY_HIDDEN, STORY_READ}, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        auto f = NewFile();
        f->Open("r+b");
        for (std::size_t i = 0; i < c.states.size(); ++i)
            ASSERT_EQ(f->Append(MakeStory(kSource, Numbered(static_cast<int>(i)), Age(1), c.states[i]), false), 1);
        ASSERT_EQ(f->Append(MakeStory(kSource, Numbered(0), Age(0), c.states[0]), true), 1);  // leaves a superseded record
        f->Close();
        ASSERT_EQ(f->PurgeHidden(), 1);
        EXPECT_EQ(f->StoryCount(), c.storiesLeft);
        EXPECT_EQ(FileBytes(f->GetDataPath()).empty(), c.storiesLeft == 0);
        EXPECT_EQ(f->DeleteIfEmpty(false), c.emptyResult);
        EXPECT_EQ(FileExists(f->GetDataPath()), c.emptyResult == 0);
        EXPECT_EQ(f->DeleteIfEmpty(true), 0);  // force: gone in any case
        EXPECT_FALSE(FileExists(f->GetDataPath()));
    }
}

TEST_F(StoryFileTest, LoadFromFileAdoptsUnderTheFirstStorysKeyOrDeletesAnEmptyFile) {
    {
        auto f = NewFile();
        f->Open("r+b");
        ASSERT_EQ(f->Append(MakeStory(kSource, "Alpha story", Age(1), STORY_READ), false), 1);
        f->Close();
    }
    const std::string name = StoryFileStem("Daily News") + ".dat";
    CStoryFile adopted(m_strData);
    adopted.SetClock([this] { return m_now; });
    ASSERT_EQ(adopted.LoadFromFile(name), 1);
    EXPECT_EQ(adopted.GetKey(), "Daily News");
    EXPECT_EQ(adopted.GetDataPath(), m_strData + name);
    EXPECT_EQ(adopted.StoryCount(), 1);

    WriteBytes(m_strData + "empty.dat", "");
    CStoryFile empty(m_strData);
    EXPECT_EQ(empty.LoadFromFile("empty.dat"), 0);
    EXPECT_FALSE(FileExists(m_strData + "empty.dat"));

    CStoryFile missing(m_strData);
    EXPECT_EQ(missing.LoadFromFile("missing.dat"), 0);
}

TEST_F(StoryFileTest, AdoptedFileKeepsItsNameWhenTheKeyLeadsElsewhere) {
    // A source name holding a parenthesis: the stored display name reads back
    // as a shorter key whose derived file name is another one.
    StoryFileRecord rec;
    MakeStory("News (UK) (World)", "Alpha story", Age(1), STORY_READ).BuildRecord(rec, nullptr);
    std::string bytes;
    EncodeStoryRecord(rec, bytes);
    const std::string name = StoryFileStem("News (UK)") + ".dat";
    WriteBytes(m_strData + name, bytes);

    CStoryFile adopted(m_strData);
    adopted.SetClock([this] { return m_now; });
    ASSERT_EQ(adopted.LoadFromFile(name), 1);
    EXPECT_EQ(adopted.GetKey(), "News");
    EXPECT_EQ(adopted.GetDataPath(), m_strData + name);
    EXPECT_EQ(adopted.StoryCount(), 1);
    EXPECT_FALSE(FileExists(m_strData + StoryFileStem("News") + ".dat"));
}

TEST_F(StoryFileTest, DamagedFileIsReadUpToTheDamageAndCompacted) {
    std::string good;
    for (const char* h : {"First story", "Second story"}) {
        StoryFileRecord rec;
        MakeStory(kSource, h, Age(1), STORY_NEW).BuildRecord(rec, nullptr);
        EncodeStoryRecord(rec, good);
    }
    struct Case {
        const char* why;
        std::string tail;
    } cases[] = {
        {"garbage where a record should start", std::string("\x01\x02\x03garbage", 10)},
        {"a length running past the end", std::string("\xFF\x01\0\0\0\0\0\0\0\xFF\xFF\xFF\x0F", 13)},
        {"a record cut off", std::string("\xFF\x01\0", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string name = StoryFileStem("Daily News") + ".dat";
        WriteBytes(m_strData + name, good + c.tail);
        CStoryFile f(m_strData);
        f.SetClock([this] { return m_now; });
        testing::internal::CaptureStderr();
        ASSERT_EQ(f.LoadFromFile(name), 1);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("damaged story record at byte"), std::string::npos);
        EXPECT_EQ(f.StoryCount(), 2);
        EXPECT_EQ(FileBytes(m_strData + name), good);  // the damaged tail is cut off
        f.Open("r+b");
        ASSERT_EQ(f.Append(MakeStory(kSource, "Third story", Age(0), STORY_NEW), false), 1);
        f.Close();
        EXPECT_EQ(VisibleHeadlines(f), (std::vector<std::string>{"First story", "Second story", "Third story"}));
    }
}

TEST_F(StoryFileTest, NegativeTextLengthsAreNormalisedByTheRewrite) {
    // Keywords stored with length -1: read as absent, written back as 0.
    std::string bytes("\xFF\x01\0\0\0", 5);
    const std::int32_t t = Age(1);
    bytes.append(reinterpret_cast<const char*>(&t), 4);  // little-endian host
    bytes.append("\xFF\xFF\xFF\xFF", 4);
    bytes.append("\x05\0\0\0Hello", 9);
    bytes.append("\x01\0\0\0u", 5);
    bytes.append("\0\0\0\0", 4);
    bytes.append("\x18\0\0\0Daily News (Top Stories)", 4 + 24);
    const std::string name = StoryFileStem("Daily News") + ".dat";
    WriteBytes(m_strData + name, bytes);
    CStoryFile f(m_strData);
    f.SetClock([this] { return m_now; });
    ASSERT_EQ(f.LoadFromFile(name), 1);
    std::string expected = bytes;
    expected.replace(9, 4, std::string(4, '\0'));
    EXPECT_EQ(FileBytes(m_strData + name), expected);
    f.Open("rb");
    ASSERT_EQ(f.Find("Hello"), 1);
    EXPECT_EQ(f.ReadCurrent()->GetSource(), "Daily News (Top Stories)");
    f.Close();
}

TEST_F(StoryFileTest, FailedRewriteKeepsTheOldFileAndItsStories) {
    auto f = NewFile();
    f->Open("r+b");
    ASSERT_EQ(f->Append(MakeStory(kSource, "Old story", Age(200000), STORY_READ), false), 1);
    ASSERT_EQ(f->Append(MakeStory(kSource, "Young story", Age(10), STORY_NEW), false), 1);
    f->Close();
    const std::string before = FileBytes(f->GetDataPath());
    // A folder where the work file would go: it cannot be created.
    ASSERT_EQ(::mkdir(f->GetWorkPath().c_str(), 0755), 0);

    testing::internal::CaptureStderr();
    EXPECT_EQ(f->Rewrite(false), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot rewrite"), std::string::npos);
    EXPECT_EQ(FileBytes(f->GetDataPath()), before);
    f->Open("rb");
    EXPECT_EQ(f->Find("Young story"), 1);
    EXPECT_EQ(f->ReadCurrent()->GetHeadline(), "Young story");
    EXPECT_EQ(f->Find("Old story"), 1);  // still indexed: the file still holds it
    f->Close();

    // A fresh file whose first rewrite fails still knows its stories.
    CStoryFile fresh(m_strData);
    fresh.SetClock([this] { return m_now; });
    testing::internal::CaptureStderr();
    fresh.SetKey("Daily News");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(fresh.StoryCount(), 2);
    ::rmdir(f->GetWorkPath().c_str());
}

TEST_F(StoryFileTest, FailedAppendReportsFailureAndChangesNothing) {
    auto f = NewFile();
    f->Open("rb");  // read-only stream: the write fails
    testing::internal::CaptureStderr();
    EXPECT_EQ(f->Append(MakeStory(kSource, "Lost story", Age(1), STORY_NEW), false), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot save"), std::string::npos);
    f->Close();
    EXPECT_EQ(f->StoryCount(), 0);
    EXPECT_EQ(FileBytes(f->GetDataPath()), "");
}

TEST_F(StoryFileTest, SecondPoolBlockComesAndGoes) {
    auto f = NewFile();
    EXPECT_EQ(f->PoolBlockCount(), 1);  // the sentinel
    f->Open("r+b");
    for (int i = 0; i < 511; ++i)
        ASSERT_EQ(f->Append(MakeStory(kSource, Numbered(i), Age(i), STORY_NEW), false), 1);
    EXPECT_EQ(f->PoolBlockCount(), 1);
    ASSERT_EQ(f->Append(MakeStory(kSource, Numbered(511), Age(0), STORY_NEW), false), 1);
    EXPECT_EQ(f->PoolBlockCount(), 2);
    ASSERT_EQ(f->Append(MakeStory(kSource, Numbered(512), Age(0), STORY_NEW), false), 1);
    f->Close();
    EXPECT_EQ(f->StoryCount(), 513);
    f->Open("rb");
    for (int i : {0, 255, 510, 511, 512}) EXPECT_EQ(f->Find(Numbered(i)), 1) << i;
    f->Close();

    // Two stories expire (509 and 510): 511 are left, and one block holds them all again.
    m_now += 172800 - 509;
    ASSERT_EQ(f->Rewrite(false), 1);
    EXPECT_EQ(f->StoryCount(), 511);
    EXPECT_EQ(f->PoolBlockCount(), 1);
}

}  // namespace
