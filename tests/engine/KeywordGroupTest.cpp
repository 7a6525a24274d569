// Keyword matching and the word counts the link rules rest on.
#include <gtest/gtest.h>

#include "engine/KeywordGroup.h"
#include "engine/WordString.h"

namespace {

TEST(KeywordGroup, FindWordEndingsTable) {
    struct { const char *word, *text; int pos; const char* why; } const cases[] = {
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
        {"2001", "in 2001.", 3, "digits are word characters"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindWord(c.word, c.text), c.pos) << c.word << " in '" << c.text << "': " << c.why;
}

TEST(KeywordGroup, ParseAndMatch) {
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
    EXPECT_EQ(CKeywordGroup("+Stock_Market-football").GetKeywordText(), "+Stock_Market-football");

    struct { const char *group, *text; int match; const char* why; } const cases[] = {
        {"", "anything at all", 1, "a group without terms matches everything"},
        {"+vote+tax", "senate votes today", 0, "every include must occur"},
        {"+vote+tax", "tax vote", 1, "order in the text does not matter; endings count"},
        {"+vote-senate", "senate votes", 0, "exclude word vetoes"},
        {"-senate", "house votes", 1, "exclude-only group matches texts without the word"},
        {"+wall_street", "wall street rallies", 1, "phrase"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CKeywordGroup(c.group).Matches(c.text), c.match) << c.group << " / " << c.text << ": " << c.why;
}

TEST(WordString, CountWordsAndWordAt) {
    struct {
        const char* text;
        int words, wordsSkip;  // CountWords(0), CountWords(1)
        const char* why;
    } const cases[] = {
        {"   \r\n\t ", 0, 0, "separators only"},
        {"well-known@home(now)", 4, 4, "'-', '@', '(' and ')' separate words"},
        {"a big b cat c d", 6, 4, "the third and later one-character words drop with skipShort"},
        {"U.S. to act", 3, 3, "a dot does not separate"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CWordString(c.text).CountWords(0), c.words) << c.text << ": " << c.why;
        EXPECT_EQ(CWordString(c.text).CountWords(1), c.wordsSkip) << c.text << ": " << c.why;
    }
    EXPECT_EQ(CWordString("Ab1-c\xe9").CountLetters(), 3) << "ASCII letters only";
    CWordString s("x y z Oak-desk");  // z is the third one-character word: skipped
    const char* const want[] = {"x", "y", "Oak", "desk", ""};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.WordAt(i), want[i]) << i;
    EXPECT_EQ(CWordString("$12.50 each").WordAt(0), "$12.50");
}

}  // namespace
