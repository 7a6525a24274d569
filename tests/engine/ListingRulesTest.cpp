#include <gtest/gtest.h>

#include "engine/ListingRules.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

TEST(ListingRules, ParsePriceTable) {
    struct { const char* word; int rating; float price; const char* why; } const cases[] = {
        {"12.50", 2, 12.5f, "point with two fraction digits"},
        {"$1,250.00", 3, 1250.0f, "dollar wins over the point; commas ignored"},
        {"12.505", 1, 12.505f, "three fraction digits"},
        {"  \t7 items", 1, 7.0f, "leading blanks skipped, reading stops at a blank"},
        {"12a", 0, -1.0f, "a letter makes it no number"},
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
    struct { const char* url; int found; const char *code, *why; } const cases[] = {
        {"http://shop/view?ID=12345&x=1", 1, "12345", "marker found in lower case, digits end at '&'"},
        {"http://shop/p/id_9001.html", 1, "9001", "id_ marker"},
        {"http://shop/view?itm=5&id=6", 1, "6", "markers are tried in list order: id= before itm="},
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

// One table row at a time through DetectListingRow, as the real pass sees it.
TEST_F(ScanFixture, ListingRowTable) {
    struct {
        const char* row;
        const char *headline, *description, *why;  // headline null: not a listing item
    } const cases[] = {
        {R"(<td><a href="v?x=1">Oak desk</a><td>12345<td>$12.50)", "12345: Oak desk", "$12.50", "code and price cells"},
        {R"(<td><a href="v?x=2">Desk</a><td>12345<td>$12.50)", nullptr, nullptr, "a one-word link text"},
        {R"(<td><a href="v?x=3">Oak 1234567</a><td>12345<td>$12.50)", nullptr, nullptr, "letters in a third or less"},
        {R"(<td><a href="v?x=4">Oak desk</a><td>1234<td>$12.50)", nullptr, nullptr,
         "a code of four characters, no marker in the URL"},
        {R"(<td><a href="v?id=77">Oak desk</a><td>1234<td>$12.50)", "77: Oak desk", "$12.50", "the URL's marker"},
        {R"(<td><a href="v?x=5">Oak desk</a><td>12345<td>$0.00)", nullptr, nullptr, "a price of 0"},
        {R"(<td>Oak desk <td><a href="v?x=6">bid open</a><td>12345<td>$12.50)", "12345: Oak desk bid open", "$12.50",
         "a status link takes the text before it"},
        {R"(<td><a href="v?x=7">Oak desk</a><td>12345 for 1,250<td>99.99)", "12345: Oak desk", "$99.99",
         "a better-rated price hands the first number on as code"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(scanner.Parser().SetPage(std::string("<html><body><table><tr>") + c.row + "</table></body></html>"));
        scanner.Parser().ParsePage();
        scanner.SetPageUrl("http://shop.test/list.html");
        const CHtmlToken* t = scanner.NextLinkText(1);
        ASSERT_TRUE(t) << c.row;
        CWordString text(t->Text());
        scanner.AppendSameFont(text, *t->GetFont());
        text.Trim();
        std::string url, description;
        const int accepted = scanner.DetectListingRow(t, text, url, description);
        EXPECT_EQ(accepted, c.headline ? 1 : 0) << c.row << ": " << c.why;
        if (accepted && c.headline) {
            EXPECT_EQ(text, c.headline) << c.why;
            EXPECT_EQ(description, c.description) << c.why;
        }
    }
}

}  // namespace
