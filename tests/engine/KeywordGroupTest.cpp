#include <gtest/gtest.h>

#include "engine/KeywordGroup.h"

namespace {

struct FindCase {
    const char* word;
    const char* text;
    int pos;
    const char* why;
};

TEST(KeywordGroup, FindWordEndingsTable) {
    const FindCase cases[] = {
        {"vote", "the vote is on", 4, "whole word followed by a space"},
        {"vote", "vote.", 0, "followed by punctuation"},
        {"vote", "a vote", 2, "at the end of the text"},
        {"vote", "votes counted", 0, "ending -s after a final e"},
        {"vote", "voted down", 0, "ending -ed shares the final e"},
        {"vote", "voting today", -1, "-ing does not follow vote's letters"},
        {"vote", "vote's weight", 0, "ending 's"},
        {"car", "cars", 0, "ending -s"},
        {"car", "carson city", 0, "an ending needs no word end after it"},
        {"car", "caring", 0, "ending -ing"},
        {"car", "carbon", -1, "no ending, word goes on"},
        {"box", "boxes", 0, "ending -es"},
        {"art", "start", -1, "only word starts are tried"},
        {"art", "re-art", 3, "'-' ends a word, so art starts a word"},
        {"stock market", "the stock market fell", 4, "a phrase matches across one space"},
        {"stock market", "stock  market", -1, "a phrase needs exactly one space"},
        {"#tag", "a #tag here", -1, "a term starting with a non-alphanumeric is never found"},
        {"long word", "long", -1, "text shorter than the word"},
        {"x", "", -1, "empty text"},
        {"2001", "in 2001.", 3, "digits are word characters"},
    };
    for (const FindCase& c : cases)
        EXPECT_EQ(FindWord(c.word, c.text), c.pos) << c.word << " in '" << c.text << "': " << c.why;
}

TEST(KeywordGroup, ParseSplitsSignsPhrasesAndStopsAtSix) {
    CKeywordGroup g("+Stock_Market+crash-football");
    ASSERT_EQ(g.GetTermCount(), 3u);
    EXPECT_EQ(g.GetTerm(0).m_nInclude, 1);
    EXPECT_EQ(g.GetTerm(0).m_strWord, "stock market") << "'_' becomes a space, text is lower-cased";
    EXPECT_EQ(g.GetTerm(1).m_strWord, "crash");
    EXPECT_EQ(g.GetTerm(2).m_nInclude, 0);
    EXPECT_EQ(g.GetTerm(2).m_strWord, "football");
    EXPECT_EQ(g.GetKeywordText(), "+Stock_Market+crash-football");
    EXPECT_EQ(g.HasExclude(), 1);

    CKeywordGroup seven("+a+b+c+d+e+f+g");
    EXPECT_EQ(seven.GetTermCount(), 6u) << "pieces past the sixth are ignored";
    EXPECT_EQ(seven.GetTerm(5).m_strWord, "f");

    CKeywordGroup noSign("word+other");
    ASSERT_EQ(noSign.GetTermCount(), 2u);
    EXPECT_EQ(noSign.GetTerm(0).m_strWord, "ord") << "the first character is always taken as the sign";
    EXPECT_EQ(noSign.GetTerm(0).m_nInclude, 1);

    CKeywordGroup hyphen("+well-known");
    ASSERT_EQ(hyphen.GetTermCount(), 2u) << "a '-' inside a word starts an exclude term";
    EXPECT_EQ(hyphen.GetTerm(1).m_nInclude, 0);

    CKeywordGroup empty("");
    EXPECT_EQ(empty.GetTermCount(), 0u);
    EXPECT_EQ(empty.HasExclude(), 0);
}

struct MatchCase {
    const char* group;
    const char* text;
    int match;
    const char* why;
};

TEST(KeywordGroup, MatchesTable) {
    const MatchCase cases[] = {
        {"", "anything at all", 1, "a group without terms matches everything"},
        {"+vote", "senate votes today", 1, "include with ending"},
        {"+vote+tax", "senate votes today", 0, "every include must occur"},
        {"+vote+tax", "tax vote", 1, "order in the text does not matter"},
        {"+vote-senate", "senate votes", 0, "exclude word vetoes"},
        {"+vote-senate", "house votes", 1, "exclude absent"},
        {"-senate", "house votes", 1, "exclude-only group matches texts without the word"},
        {"+wall_street", "wall street rallies", 1, "phrase"},
    };
    for (const MatchCase& c : cases)
        EXPECT_EQ(CKeywordGroup(c.group).Matches(c.text), c.match) << c.group << " / " << c.text << ": " << c.why;
}

}  // namespace
