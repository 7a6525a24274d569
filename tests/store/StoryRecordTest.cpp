// The story record: its byte layout, the bounded reader, source names and
// story file names.
#include <gtest/gtest.h>

#include <string>

#include "config/SourceCatalogue.h"
#include "store/StoryFileName.h"
#include "store/StoryRecord.h"
#include "StoreTestUtil.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

TEST(StoryRecord, EncodesFieldsLittleEndianInFileOrder) {
    StoryFileRecord rec;
    rec.nState = STORY_NEW;
    rec.tFound = 0x01020304;
    rec.strKeywords = "+k";
    rec.strHeadline = "Hi";
    rec.strUrl = "u";
    rec.strSource = "S (C)";
    std::string out;
    EncodeStoryRecord(rec, out);
    const std::string expected = Bytes({0xFF, 1, 0, 0, 0, 4, 3, 2, 1}) + Bytes({2, 0, 0, 0}) + "+k" +
                                 Bytes({2, 0, 0, 0}) + "Hi" + Bytes({1, 0, 0, 0}) + "u" + Bytes({0, 0, 0, 0}) +
                                 Bytes({5, 0, 0, 0}) + "S (C)";
    EXPECT_EQ(out, expected);
    EXPECT_EQ(StoryRecordSize(rec), expected.size());
}

TEST(StoryRecord, NegativeValuesAreTwosComplementAndEmptyRecordIs29Bytes) {
    StoryFileRecord rec;
    rec.nState = -1;
    rec.tFound = -2;
    std::string out;
    EncodeStoryRecord(rec, out);
    ASSERT_EQ(out.size(), 29u);
    EXPECT_EQ(out.substr(0, 9), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(out.substr(9), std::string(20, '\0'));
}

struct DamageCase {
    const char* why;
    std::string tail;  // bytes after one good record
    StoryReadResult expected;
};

TEST(StoryRecord, ReaderStopsAtDamageWithoutReadingPastIt) {
    StoryFileRecord good;
    good.strHeadline = "Good";
    good.strSource = "S";
    std::string goodBytes;
    EncodeStoryRecord(good, goodBytes);
    const std::string huge = Bytes({0xFF, 1, 0, 0, 0, 0, 0, 0, 0}) + Bytes({0xF0, 0xFF, 0xFF, 0x7F});
    const DamageCase cases[] = {
        {"a byte other than the marker where a record starts", Bytes({0x00, 1, 2, 3}), StoryReadResult::Damaged},
        {"a record cut off inside its fixed fields", Bytes({0xFF, 1, 0}), StoryReadResult::Damaged},
        {"a text length far past the end of the file", huge + "abc", StoryReadResult::Damaged},
        {"a text length one past the end", Bytes({0xFF, 1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0}) + "abc",
         StoryReadResult::Damaged},
        {"nothing after the last record", "", StoryReadResult::End},
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.why);
        CTempDir dir;
        WriteBytes(dir.File("d.dat"), goodBytes + c.tail);
        std::FILE* f = std::fopen(dir.File("d.dat").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        CStoryRecordReader reader(f, 0);
        StoryFileRecord rec;
        ASSERT_EQ(reader.Read(rec), StoryReadResult::Ok);
        EXPECT_EQ(rec.strHeadline, "Good");
        EXPECT_EQ(reader.Read(rec), c.expected);
        EXPECT_EQ(reader.Position(), goodBytes.size());
        EXPECT_LE(rec.strHeadline.capacity(), 64u) << "nothing allocated from the bad length";
        std::fclose(f);
    }
}

class SourceNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        CNewsSource* pSource = m_catalogue.AddSource("Daily News", 1);
        ASSERT_NE(pSource, nullptr);
        ASSERT_TRUE(pSource->AddCategory("http://daily.example/top", 1, 1, "Top Stories"));
    }
    CSourceCatalogue m_catalogue;
};

TEST_F(SourceNameTest, AllDescriptorForms) {
    struct Case {
        const char* source;
        const char* key;      // display flag clear
        const char* display;  // display flag set
    } cases[] = {
        {"Daily News (Top Stories)", "Daily News", "Daily News (Top Stories)"},
        {"Custom: http://x.example/p", "Custom: http://x.example/p", "Custom: http://x.example/p"},
        {"Custom:odd", "Custom:odd", "Custom:odd"},
        {"http://daily.example/top", "Daily News", "Daily News (Top Stories)"},
        {"http://other.example/", "Custom: http://other.example/", "Custom: http://other.example/"},
        {"https://other.example/", "Custom: https://other.example/", "Custom: https://other.example/"},
        {"No parenthesis", "", "No parenthesis"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        CStory s;
        s.SetSource(c.source);
        EXPECT_EQ(s.GetSourceName(false, &m_catalogue), c.key);
        EXPECT_EQ(s.GetSourceName(true, &m_catalogue), c.display);
    }
}

TEST_F(SourceNameTest, StoredDisplayNameKeepsTheKey) {
    CStory s;
    s.SetSource("http://daily.example/top");
    StoryFileRecord rec;
    s.BuildRecord(rec, &m_catalogue);
    EXPECT_EQ(rec.strSource, "Daily News (Top Stories)");
    CStory back;
    back.AssignFromRecord(rec);
    EXPECT_EQ(back.GetSourceName(false, &m_catalogue), s.GetSourceName(false, &m_catalogue));
    EXPECT_EQ(back.GetSourceName(true, &m_catalogue), "Daily News (Top Stories)");
}

TEST(StoryFileName, StemFollowsTheNamingRule) {
    struct Case {
        const char* key;
        const char* raw;
    } cases[] = {
        {"abc", "abc01260003"},  // shorter key, shorter stem
        {"", "00000000"},
        // custom prefix, scheme and "www." skipped; 8 characters taken
        {"Custom: http://www.example.com/news", "example.0d050023"},
        {"Custom: http://example.com/news", "example.0b72001f"},
        {"Custom: https://www.example.com/news", "example.0d780024"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(RawStoryFileStem(c.key), c.raw);
    }
}

TEST(StoryFileName, SignedCharactersCountNegative) {
    // 0xE9 counts as -23: 'a' (97) - 23 = 74 = 0x4a.
    EXPECT_EQ(RawStoryFileStem("a\xE9"), "a\xE9" "004a0002");
}

TEST(StoryFileName, UnsafeCharactersBecomeUnderscoresTheSameEveryTime) {
    EXPECT_EQ(SafeFileNameChars("a/b:c d.e-f_g\xE9*"), "a_b_c_d.e-f_g__");
    const std::string key = "Custom: http://a.b/c:d?e";
    const std::string stem = StoryFileStem(key);
    EXPECT_EQ(stem, StoryFileStem(key));
    EXPECT_EQ(stem.find_first_of("/:? "), std::string::npos);
    EXPECT_EQ(stem.size(), 16u);
    EXPECT_EQ(StoryFileStem("Daily News"), "Daily_Ne" + RawStoryFileStem("Daily News").substr(8));
}

}  // namespace
