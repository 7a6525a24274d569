// Keywords and link rules in scripts beyond ASCII: letters and digits of
// every script make words, case folding is Unicode's, and a keyword in a
// script written without blanks matches inside a run of text.
#include <gtest/gtest.h>

#include "engine/KeywordGroup.h"
#include "engine/PageScanner.h"
#include "engine/UnicodeText.h"
#include "engine/WordString.h"

namespace {

TEST(UnicodeWords, KeywordsMatchInEveryScript) {
    const struct {
        const char* group;
        const char* text;
        bool matches;
    } cases[] = {
        {"+café", "Le CAFÉ du coin ferme", true},
        {"+CAFÉ", "un café noir", true},
        {"+москва", "Новости: Москва сегодня", true},
        {"+москва", "Подмосковье готовится", false},  // not at a word start
        {"+αθηνα", "ΑΘΗΝΑ: νέα μέτρα", true},
        {"+über", "ÜBERALL Regen", false},  // a letter follows
        {"+straße", "Die STRASSE ist zu", true},
        {"+東京", "今日の東京の天気は晴れ", true},
        {"+ไทย", "ข่าวประเทศไทยวันนี้", true},
        {"+서울", "서울 날씨", true},
        {"+rain-東京", "Rain in 東京 today", false},
        {"+rain", "Rainbow over Oslo", false},
        {"+rain", "Heavy rains in Oslo", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.group) + " in " + c.text);
        EXPECT_EQ(CKeywordGroup(c.group).Matches(FoldCase(c.text)), c.matches ? 1 : 0);
    }
}

TEST(UnicodeWords, LettersAndCapitalsOfEveryScript) {
    EXPECT_EQ(CPageScanner::IsAllCaps("МОСКВА СЕГОДНЯ"), 1);
    EXPECT_EQ(CPageScanner::IsAllCaps("Москва сегодня"), 0);
    EXPECT_EQ(CPageScanner::IsAllCaps("ÉTÉ 2024"), 1);
    EXPECT_EQ(CWordString("Ключ 42").CountLetters(), 4);
    EXPECT_EQ(CWordString("東京タワー").CountLetters(), 5);
    EXPECT_EQ(CWordString("Ключ 42").CountCharacters(), 7);
}

}  // namespace
