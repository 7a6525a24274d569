// Relative links lead from the page's first <base href>, as in a browser,
// and character references in hrefs are decoded before a link is resolved.
#include <gtest/gtest.h>

#include "tests/engine/EngineTestUtil.h"

namespace {

TEST_F(ScanFixture, RelativeLinksLeadFromTheFirstBaseElement) {
    const std::string links =
        "<ul><li><a href=\"world/flood.html?id=1&amp;ref=top\">Floods close the coastal road for a week</a>"
        "<li><a href=\"/sport/final.html\">City wins the cup final after extra time</a>"
        "<li><a href=\"//cdn.example.org/tech.html\">New phones arrive with longer battery life</a></ul>";
    Scan("<html><head><base href=\"https://static.example.com/news/\"><base href=\"http://ignored.example/\">"
         "</head><body>" + links + "</body></html>",
         "http://www.example.com/index.html");
    ASSERT_TRUE(FindStory(archive, "Floods close the coastal road for a week"));
    EXPECT_EQ(FindStory(archive, "Floods close the coastal road for a week")->GetUrl(),
              "https://static.example.com/news/world/flood.html?id=1&ref=top");
    EXPECT_EQ(FindStory(archive, "City wins the cup final after extra time")->GetUrl(), "https://static.example.com/sport/final.html");
    EXPECT_EQ(FindStory(archive, "New phones arrive with longer battery life")->GetUrl(), "https://cdn.example.org/tech.html");

    // A relative base is itself resolved against the page's address.
    Scan("<html><head><base href=\"/edition/\"></head><body><ul><li><a href=\"a.html\">Markets rally as the "
         "central bank holds rates</a></ul></body></html>",
         "http://www.example.com/index.html");
    EXPECT_EQ(FindStory(archive, "Markets rally as the central bank holds rates")->GetUrl(), "http://www.example.com/edition/a.html");
}

}  // namespace
