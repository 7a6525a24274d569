#include <gtest/gtest.h>

#include "engine/KeywordGroup.h"

namespace {

TEST(KeywordGroup, FindWordEndingsTable) {
    struct {
        const char *word, *text;
        int pos;
        const char* why;
    } const cases[] = {
        {"vote", "the vote is on", 4, "whole word followed by a space"},
        {"vote", "a vote", 2, "at the end of the text"},
        {"vote", "votes counted", 0, "ending -s after a final e"},
        {"vote", "voted down", 0, "ending -ed shares the final e"},
        {"vote", "voting today", -1, "-ing does not follow vote's letters"},
        {"vote", "vote's weight", 0, "ending 's"},
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
        {"2001", "in 2001.", 3, "digits are word characters"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindWord(c.word, c.text), c.pos) << c.word << " in '" << c.text << "': " << c.why;
}

TEST(KeywordGroup, ParseSplitsSignsPhrasesAndStopsAtSix) {
    // Each parsed term as sign and word: "+word" or "-word".
    auto terms = [](const char* text) {
        CKeywordGroup g(text);
        std::string out;
        for (std::size_t i = 0; i < g.GetTermCount(); ++i)
            out += (g.GetTerm(i).m_nInclude ? "+" : "-") + g.GetTerm(i).m_strWord + " ";
        return out;
    };
    EXPECT_EQ(terms("+Stock_Market+crash-football"), "+stock market +crash -football ")
        << "'_' becomes a space, text is lower-cased";
    EXPECT_EQ(terms("+a+b+c+d+e+f+g"), "+a +b +c +d +e +f ") << "pieces past the sixth are ignored";
    EXPECT_EQ(terms("word+other"), "+ord +other ") << "the first character is always taken as the sign";
    EXPECT_EQ(terms("+well-known"), "+well -known ") << "a '-' inside a word starts an exclude term";
    EXPECT_EQ(terms(""), "");
    CKeywordGroup g("+Stock_Market-football");
    EXPECT_EQ(g.GetKeywordText(), "+Stock_Market-football");
    EXPECT_EQ(g.HasExclude(), 1);
    EXPECT_EQ(CKeywordGroup("+a").HasExclude(), 0);
}

TEST(KeywordGroup, MatchesTable) {
    struct {
        const char *group, *text;
        int match;
        const char* why;
    } const cases[] = {
        {"", "anything at all", 1, "a group without terms matches everything"},
        {"+vote+tax", "senate votes today", 0, "every include must occur"},
        {"+vote+tax", "tax vote", 1, "order in the text does not matter; endings count"},
        {"+vote-senate", "senate votes", 0, "exclude word vetoes"},
        {"+vote-senate", "house votes", 1, "exclude absent"},
        {"-senate", "house votes", 1, "exclude-only group matches texts without the word"},
        {"+wall_street", "wall street rallies", 1, "phrase"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CKeywordGroup(c.group).Matches(c.text), c.match) << c.group << " / " << c.text << ": " << c.why;
}

}  // namespace
