// The story record's byte layout, source names and story file names.
#include <gtest/gtest.h>

#include <string>

#include "config/SourceCatalogue.h"
#include "store/StoryFileName.h"
#include "StoreTestUtil.h"

namespace {

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

TEST(StorySourceName, AllDescriptorFormsAndTheStoredDisplayName) {
    CSourceCatalogue catalogue;
    ASSERT_TRUE(catalogue.AddSource("Daily News", 1)->AddCategory("http://daily.example/top", 1, 1, "Top Stories"));
    // key: the name with the display flag clear; display: with it set.
    const struct { const char* source; const char* key; const char* display; } cases[] = {
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
        EXPECT_EQ(s.GetSourceName(false, &catalogue), c.key);
        EXPECT_EQ(s.GetSourceName(true, &catalogue), c.display);
        StoryFileRecord rec;
        s.BuildRecord(rec, &catalogue);
        EXPECT_EQ(rec.strSource, c.display);  // a page URL is stored as its display name
    }
}

TEST(StoryFileName, StemRuleAndSafeCharacters) {
    const struct { const char* key; const char* raw; } cases[] = {
        {"abc", "abc01260003"},  // shorter key, shorter stem
        {"", "00000000"},
        // custom prefix, scheme and "www." skipped; 8 characters taken
        {"Custom: http://www.example.com/news", "example.0d050023"},
        {"Custom: http://example.com/news", "example.0b72001f"},
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

}  // namespace
