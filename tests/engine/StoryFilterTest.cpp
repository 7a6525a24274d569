// The story filter after the link rules, and the mends of the rules for
// today's pages: what each filter rule drops, one link per story, cleaned
// headlines, and the rules on pages in scripts without blanks.
#include <gtest/gtest.h>

#include "engine/ElementTraits.h"
#include "engine/LinkRules.h"
#include "engine/StoryLinks.h"
#include "engine/StoryUrl.h"
#include "engine/WordString.h"
#include "tests/engine/EngineTestUtil.h"

namespace {

constexpr const char* kPage = "http://news.test/index.html";
// A story the filter keeps on every page below.
constexpr const char* kStory = R"(<ul><li><a href="/2024/05/01/flood.html">Flood waters rise in the valley town</a></ul>)";

const StoryCandidate* Find(const std::vector<StoryCandidate>& links, const std::string& headline) {
    for (const StoryCandidate& link : links)
        if (link.headline == headline) return &link;
    return nullptr;
}

TEST(StoryFilter, EachRuleDropsItsKindAndKeepsTheStoryBesideIt) {
    struct { const char* rule; const char* html; const char* headline; } const cases[] = {
        {"chrome", R"(<nav><ul><li><a href="/2024/05/02/m.html">Markets rally after the rate decision</a></ul></nav>)",
         "Markets rally after the rate decision"},
        {"chrome", R"(<div role="navigation"><ul><li><a href="/2024/05/02/m.html">Markets rally after the rate decision</a></ul></div>)",
         "Markets rally after the rate decision"},
        {"no-letter", R"(<ul><li><a href="/2024/05/03/c.html">42</a></ul>)", "42"},
        {"generic-text", R"(<p>Some lines about the flood.</p><ul><li><a href="/2024/05/04/x.html">Continue reading</a></ul>)",
         "Continue reading"},
        {"inline", R"(<p>Officials said, as <a href="/2024/05/05/r.html">the agency reported earlier</a>, that the river would crest.</p>)",
         "the agency reported earlier"},
        {"short-in-body", R"(<div>The river crested overnight and the town is cleaning up after the worst flood in years.<br><a href="/2024/05/06/s.html">Source</a></div>)",
         "Source"},
        {"section-target", R"(<ul><li><a href="/climate/">Climate and environment</a></ul>)", "Climate and environment"},
        {"section-target", R"(<ul><li><a href="/Author/jane-doe-12">Jane Doe on the floods of the year</a></ul>)",
         "Jane Doe on the floods of the year"},
        {"media-file", R"(<ul><li><a href="/2024/05/07/flood-from-the-air.jpeg">See the flooded valley from the air</a></ul>)",
         "See the flooded valley from the air"},
        {"discussion", R"(<ul><li><a href="/forum/threads/flood-talk.123/">Talk about the flood with readers</a></ul>)",
         "Talk about the flood with readers"},
        {"ad-click", R"(<ul><li><a href="https://adclick.g.doubleclick.net/pcs/click?x=1">Win a holiday in the sun now</a></ul>)",
         "Win a holiday in the sun now"},
        {"pager", R"(<ul><li><a href="/news/page/2">Load older stories from today</a></ul>)", "Load older stories from today"},
        {"pager", R"(<ul><li><a href="/archiv/seite-2.html">Load older stories from the archive</a></ul>)",
         "Load older stories from the archive"},
    };
    for (const auto& c : cases) {
        const std::string html = std::string("<html><body>") + kStory + c.html + "</body></html>";
        const std::vector<StoryCandidate> all = LinksOf(html, kPage, false);
        const StoryCandidate* dropped = Find(all, c.headline);
        const StoryCandidate* story = Find(all, "Flood waters rise in the valley town");
        ASSERT_TRUE(dropped && story) << c.html << ": the rules take both links";
        EXPECT_STREQ(dropped->dropRule ? dropped->dropRule : "(kept)", c.rule) << c.html;
        EXPECT_EQ(story->dropRule, nullptr) << c.html;
        const std::vector<StoryCandidate> kept = LinksOf(html, kPage);
        EXPECT_FALSE(Find(kept, c.headline)) << c.html;
        EXPECT_TRUE(Find(kept, "Flood waters rise in the valley town")) << c.html;
    }
}

TEST(StoryFilter, WhatTheRulesLeaveAlone) {
    const char* const pages[] = {
        // An article's own header is no page banner.
        R"(<article><header><h2><a href="/2024/05/08/a.html">Dam holds as the river crests</a></h2></header></article>)",
        // A short headline of a story-shaped target; a Chinese headline of few characters.
        R"(<ul><li><a href="/reviews/6811/evoken">Anchorman</a></ul>)",
        R"(<ul><li><a href="/ch/tech">科技新闻今天发布重要消息</a></ul>)",
        // An aggregator's link to the front page of another site.
        R"(<ul><li><a href="http://tweetmap.example.org/">The one million tweet map</a></ul>)",
        // Words after the link but not before it: a teaser.
        R"(<div><a href="/2024/05/09/b.html">Bridge reopens after repairs</a> Traffic flows again on the old bridge.</div>)",
    };
    for (const char* body : pages) {
        const std::string html = std::string("<html><body>") + kStory + body + "</body></html>";
        const std::vector<StoryCandidate> all = LinksOf(html, kPage, false);
        ASSERT_EQ(all.size(), 2u) << body;
        EXPECT_EQ(all[1].dropRule, nullptr) << body << " dropped by " << all[1].dropRule;
    }
}

// One link per story: of the links to one target (fragment and tracking
// parameters aside) the one in a heading, else the longest, is kept.
TEST(StoryFilter, OneLinkPerStory) {
    const std::vector<StoryCandidate> kept = LinksOf(R"(<html><body>
<ul><li><a href="/2024/05/10/d.html?utm_source=home#top">Dam</a> holds up well</ul>
<h3><a href="/2024/05/10/d.html">Dam holds as the river crests</a></h3>
<ul><li><a href="https://news.test/2024/05/10/d.html?utm_medium=x">Dam holds as the river crests, officials say today</a></ul>
<ul><li><a href="/2024/05/10/e.html?id=7">Evacuees return to their homes</a></ul>
<ul><li><a href="/2024/05/10/e.html?id=8">Evacuees return home at last</a></ul></body></html>)",
                                                     kPage);
    std::vector<std::string> headlines;
    for (const StoryCandidate& link : kept) headlines.push_back(link.headline);
    EXPECT_EQ(headlines, (std::vector<std::string>{"Dam holds as the river crests", "Evacuees return to their homes",
                                                   "Evacuees return home at last"}));
    EXPECT_EQ(NormalizedStoryUrl("HTTPS://News.Test:443/a?utm_source=x&id=3&fbclid=1#c"), "http://news.test/a?id=3");
    EXPECT_EQ(NormalizedStoryUrl("HTTP://WWW.ZEITUNG.TEST/Z"), "http://www.zeitung.test/Z");
    EXPECT_EQ(NormalizedStoryUrl("http://News.Test?id=3&nl=x"), "http://news.test/?id=3");
}

// A rank number in a text of its own and a trailing arrow are no part of the
// headline.
TEST(StoryFilter, CleanedHeadlinesAndTheFormStoredBefore) {
    const std::string html = R"(<html><body><ol><li><a href="/2024/05/11/e.html"><span>1</span>The elephant that flew over the town</a>
<li><a href="/2024/05/11/f.html">10 Things to know for today &#187;</a></ol></body></html>)";
    const std::vector<StoryCandidate> kept = LinksOf(html, kPage);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].headline, "The elephant that flew over the town");
    EXPECT_EQ(kept[0].rawHeadline, "1The elephant that flew over the town");
    EXPECT_EQ(kept[1].headline, "10 Things to know for today");

}

// Pages in scripts written without blanks, and blog posts whose title is an
// unlinked heading with a "permalink" under the post.
TEST(StoryFilter, MendsOfTheRules) {
    EXPECT_EQ(CWordString("央视新闻今天发布").CountWords(0), 4) << "two characters count as a word";
    EXPECT_EQ(CWordString("MH17事件调查 最新").CountWords(0), 4);
    EXPECT_EQ(IsAllCaps(CWordString("马航MH17坠毁事件调查报告公布")), 0) << "mostly Han: not judged by its capitals";
    EXPECT_EQ(IsAllCaps(CWordString("阿里巴巴IPO")), 0);
    EXPECT_EQ(IsAllCaps(CWordString("OFFICIAL STATEMENT")), 1);

    // After a section-like link, a box of Chinese headlines is stories, not
    // more section heads.
    const std::vector<StoryCandidate> box = LinksOf(R"(<html><body><div><a href="/news/">News</a></div>
<div><a href="/a/20200701/1.html">北京今日发布暴雨橙色预警</a></div><div><a href="/a/20200701/2.html">上海地铁新线路正式开通运营</a></div>
<div><a href="/a/20200701/3.html">广州举办国际美食文化节</a></div></body></html>)",
                                                    "http://news.test/", false);
    std::vector<std::string> headlines;
    for (const StoryCandidate& link : box) headlines.push_back(link.headline);
    EXPECT_EQ(headlines, (std::vector<std::string>{"北京今日发布暴雨橙色预警", "上海地铁新线路正式开通运营",
                                                   "广州举办国际美食文化节"}));

    // A "permalink" takes the heading of its post; "Link" in the post does not.
    const std::vector<StoryCandidate> posts = LinksOf(R"(<html><body><div>
<h3>Robot builds a chair from sticks</h3>A fine robot. <a href="http://elsewhere.test/robot">Link</a>
<p>posted at 10:00 <a href="/2006/06/14/robot.html">permalink</a> | <a href="/2006/06/14/robot.html#c">comments</a></p>
<h3>Lyrebird mimics a camera</h3>The bird sings. <p>posted at 11:00 <a href="/2006/06/14/bird.html">permalink</a></p>
</div></body></html>)",
                                                      "http://blog.test/");
    headlines.clear();
    for (const StoryCandidate& link : posts) headlines.push_back(link.headline + " " + link.url);
    EXPECT_EQ(headlines, (std::vector<std::string>{"Robot builds a chair from sticks http://blog.test/2006/06/14/robot.html",
                                                   "Lyrebird mimics a camera http://blog.test/2006/06/14/bird.html"}));
}

}  // namespace

// The page layout knows an element by its name, looked up as one packed word
// up to eight bytes and by comparison beyond.
TEST(ElementTraits, KnownNamesOnly) {
    EXPECT_EQ(ElementTraitsOf("p"), kElementBlock | kElementClosesItsLike);
    EXPECT_EQ(ElementTraitsOf("h6"), kElementBlock | kElementHeading);
    EXPECT_EQ(ElementTraitsOf("nav"), kElementBlock | kElementNav | kElementSectioning | kElementFurniture);
    EXPECT_EQ(ElementTraitsOf("aside"), kElementBlock | kElementSectioning | kElementFurniture);
    EXPECT_EQ(ElementTraitsOf("section"), kElementBlock | kElementSectioning);
    EXPECT_EQ(ElementTraitsOf("template"), kElementBreaksText | kElementHidden);  // eight bytes
    EXPECT_EQ(ElementTraitsOf("blockquote"), kElementBlock);                      // longer
    EXPECT_EQ(ElementTraitsOf("figcaption"), kElementBlock | kElementFurniture);
    for (const char* name : {"", "h7", "na", "navs", "pp", "asides", "sectio", "templates", "blockquot", "blockquotes", "NAV", "p\x01"})
        EXPECT_EQ(ElementTraitsOf(name), 0) << name;
}

