#include <gtest/gtest.h>

#include "engine/ListingRules.h"
#include "engine/TextTally.h"

namespace {

TEST(ListingRules, ParsePriceTable) {
    struct {
        const char* word;
        int rating;
        float price;
        const char* why;
    } const cases[] = {
        {"12.50", 2, 12.5f, "point with two fraction digits"},
        {"$1,250.00", 3, 1250.0f, "dollar wins over the point; commas ignored"},
        {"1,250", 1, 1250.0f, "plain number"},
        {"12.505", 1, 12.505f, "three fraction digits"},
        {"  \t7 items", 1, 7.0f, "leading blanks skipped, reading stops at a blank"},
        {"12a", 0, -1.0f, "a letter makes it no number"},
        {"$", 0, -1.0f, "no digit"},
        {".50", 0, -1.0f, "no digit before the point"},
        {"-5", 0, -1.0f, "a minus sign is no number character"},
        {"0.00", 2, 0.0f, "zero is a number (the caller refuses it as price)"},
    };
    for (const auto& c : cases) {
        float price = 99.0f;
        EXPECT_EQ(ParsePrice(c.word, price), c.rating) << c.word << ": " << c.why;
        EXPECT_FLOAT_EQ(price, c.price) << c.word << ": " << c.why;
    }
}

TEST(ListingRules, FindItemNumberTable) {
    struct {
        const char* url;
        int found;
        const char *code, *why;
    } const cases[] = {
        {"http://shop/view?ID=12345&x=1", 1, "12345", "marker found in lower case, digits end at '&'"},
        {"http://shop/lot?lotno=42x", 1, "42", "digits end at the first non-digit"},
        {"http://shop/p/id_9001.html", 1, "9001", "id_ marker"},
        {"http://shop/view?itm=5&id=6", 1, "6", "markers are tried in list order: id= before itm="},
        {"http://shop/view?id=abc", 0, "", "marker without digits"},
        {"http://shop/view?q=12345", 0, "", "no marker"},
        {"http://shop/id=1\\page.html", 0, "", "only the part after the last backslash is searched"},
        {"http://shop/x\\page?id=88", 1, "88", "after the backslash"},
    };
    for (const auto& c : cases) {
        std::string code;
        EXPECT_EQ(FindItemNumber(c.url, code), c.found) << c.url << ": " << c.why;
        EXPECT_EQ(code, c.code) << c.url << ": " << c.why;
    }
}

TEST(ListingRules, TextTallyCountsRepeats) {
    CTextTally tally;
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(tally.IsFrequent("seller99")) << "seen " << i << " times";
        tally.Add("seller99");
    }
    EXPECT_TRUE(tally.IsFrequent("seller99")) << "seen three times";
    EXPECT_FALSE(tally.IsFrequent("SELLER99")) << "comparison is case-sensitive";
    for (const char* s : {"twice", "twice", "once"}) tally.Add(s);
    tally.Prune();
    EXPECT_EQ(tally.Size(), 2u) << "only entries with count exactly 1 leave";
    tally.Clear();
    EXPECT_FALSE(tally.IsFrequent("seller99"));
}

}  // namespace
