#include <gtest/gtest.h>

#include "engine/WordString.h"

namespace {

struct CountCase {
    const char* text;
    int words;       // CountWords(0)
    int wordsSkip;   // CountWords(1)
    const char* why;
};

TEST(WordString, CountWordsTable) {
    const CountCase cases[] = {
        {"", 0, 0, "empty text has no words"},
        {"   \r\n\t ", 0, 0, "separators only"},
        {"Oak desk", 2, 2, "plain space"},
        {"well-known@home(now)", 4, 4, "'-', '@', '(' and ')' separate words"},
        {"a b c d", 4, 2, "third and later one-character words drop with skipShort"},
        {"a big b cat c d", 6, 4, "one-character words are counted by their own tally"},
        {"U.S. to act", 3, 3, "a dot does not separate"},
        {"  lead  and trail  ", 3, 3, "runs of separators count once"},
    };
    for (const CountCase& c : cases) {
        CWordString s(c.text);
        EXPECT_EQ(s.CountWords(0), c.words) << c.text << ": " << c.why;
        EXPECT_EQ(s.CountWords(1), c.wordsSkip) << c.text << ": " << c.why;
    }
}

TEST(WordString, WordAtFollowsTheSkippingCount) {
    CWordString s("x y z Oak-desk");
    // x and y count, z is the third one-character word and is skipped.
    EXPECT_EQ(s.WordAt(0), "x");
    EXPECT_EQ(s.WordAt(1), "y");
    EXPECT_EQ(s.WordAt(2), "Oak");
    EXPECT_EQ(s.WordAt(3), "desk");
    EXPECT_EQ(s.WordAt(4), "");
    EXPECT_EQ(s.WordAt(-1), "");
    EXPECT_EQ(CWordString("$12.50 each").WordAt(0), "$12.50");
}

TEST(WordString, LettersTrimRemoveFind) {
    EXPECT_EQ(CWordString("Ab1-c\xe9").CountLetters(), 3) << "ASCII letters only";

    CWordString t(" \t\r\nHello world \n");
    t.Trim();
    EXPECT_EQ(t, "Hello world");
    CWordString dashOnly("-x-");
    dashOnly.Trim();
    EXPECT_EQ(dashOnly, "-x-") << "Trim leaves '-' alone";
    CWordString blank(" \t ");
    blank.Trim();
    EXPECT_TRUE(blank.empty());

    CWordString r("a-b--c");
    EXPECT_EQ(r.RemoveChar('-'), 3);
    EXPECT_EQ(r, "abc");
    EXPECT_EQ(r.RemoveChar('-'), 0);

    CWordString f("Top STORIES today");
    EXPECT_EQ(f.FindNoCase("stories"), 4);
    EXPECT_EQ(f.FindNoCase("TOP"), 0);
    EXPECT_EQ(f.FindNoCase("missing"), -1);
}

}  // namespace
