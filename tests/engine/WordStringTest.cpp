#include <gtest/gtest.h>

#include "engine/WordString.h"

namespace {

TEST(WordString, CountWordsTable) {
    struct {
        const char* text;
        int words, wordsSkip;  // CountWords(0), CountWords(1)
        const char* why;
    } const cases[] = {
        {"   \r\n\t ", 0, 0, "separators only"},
        {"well-known@home(now)", 4, 4, "'-', '@', '(' and ')' separate words"},
        {"a b c d", 4, 2, "third and later one-character words drop with skipShort"},
        {"a big b cat c d", 6, 4, "one-character words are counted by their own tally"},
        {"U.S. to act", 3, 3, "a dot does not separate"},
        {"  lead  and trail  ", 3, 3, "runs of separators count once"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CWordString(c.text).CountWords(0), c.words) << c.text << ": " << c.why;
        EXPECT_EQ(CWordString(c.text).CountWords(1), c.wordsSkip) << c.text << ": " << c.why;
    }
    EXPECT_EQ(CWordString("Ab1-c\xe9").CountLetters(), 3) << "ASCII letters only";
}

TEST(WordString, WordAtFollowsTheSkippingCount) {
    CWordString s("x y z Oak-desk");  // z is the third one-character word: skipped
    const char* const want[] = {"x", "y", "Oak", "desk", ""};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.WordAt(i), want[i]) << i;
    EXPECT_EQ(s.WordAt(-1), "");
    EXPECT_EQ(CWordString("$12.50 each").WordAt(0), "$12.50");
}

}  // namespace
