#include <gtest/gtest.h>

#include "config/SourceCatalogue.h"
#include "ConfigTestUtil.h"
#include "support/TempDir.h"

namespace {

using Names = std::vector<std::string>;

struct CatalogueFixture : ::testing::Test {
    CTempDir dir;
    CSourceCatalogue catalogue;
    std::string sources = dir.File("Data/sources.txt");
    std::string update = dir.File("Data/sourceupdate.txt");

    void SetUp() override { catalogue.SetFileName(dir.Path()); }
    void LoadText(const std::string& text) {
        catalogue.RemoveAllSources();
        WriteText(sources, text);
        ASSERT_EQ(catalogue.Load(0), 1);
    }
    Names Sources(bool bEnabledOnly) {
        Names out;
        CRecursiveLockGuard guard(catalogue);
        for (CNewsSource* s = catalogue.FirstSource(bEnabledOnly); s; s = catalogue.NextSource(bEnabledOnly))
            out.push_back(s->GetName());
        return out;
    }
    Names Categories(const std::string& source, bool bSelectedOnly) {
        Names out;
        CNewsSource* s = catalogue.FindSource(source);
        for (CNewsCategory* c = s->FirstCategory(bSelectedOnly); c; c = s->NextCategory(bSelectedOnly))
            out.push_back(c->m_strName);
        return out;
    }
};

}  // namespace

TEST_F(CatalogueFixture, SaveWritesSourcesInOrderAndCategoriesById) {
    CNewsSource* mc = catalogue.AddSource("Morning Courier", 1);
    mc->AddCategory("http://mc.example/top", 1, 13, "Top Stories");
    mc->AddCategory("http://mc.example/head", 0, 1, "Headlines");
    mc->AddCategory("http://mc.example/extra", 1, 14, "Extra");  // numbers outside 1..13 are not written
    mc->AddCategory("http://mc.example/dropped", 1, 0, "Dropped");
    mc->AddCategory("http://mc.example/sci", 5, 2, "Science Tech");
    catalogue.AddSource("Daily (UK) Post", 0)->AddCategory("http://ep.example/world", 0, 1, "World");
    catalogue.AddSource("Arts Weekly", 1)->AddCategory("http://aw.example/a b", 1, 1, "Arts And Culture");
    EXPECT_EQ(catalogue.AddSource("Morning Courier", 0), nullptr);
    EXPECT_EQ(catalogue.AddSource("", 1), nullptr);

    const std::string expected =
        "1 Morning Courier\r\n0 1 Headlines http://mc.example/head\r\n1 2 Science_Tech http://mc.example/sci\r\n"
        "1 13 Top_Stories http://mc.example/top\r\n0 Daily (UK) Post\r\n0 1 World http://ep.example/world\r\n"
        "1 Arts Weekly\r\n1 1 Arts_And_Culture http://aw.example/a%20b\r\n";
    ASSERT_TRUE(catalogue.Save());
    EXPECT_EQ(ReadText(sources), expected);

    // Read back, only the first '_' of a name is a space; saved again, the file is the same.
    LoadText(expected);
    EXPECT_EQ(catalogue.FindSource("Morning Courier")->GetCategory(2)->m_strName, "Science Tech");
    EXPECT_EQ(catalogue.FindSource("Arts Weekly")->GetCategory(1)->m_strName, "Arts And_Culture");
    EXPECT_EQ(catalogue.FindSource("Daily (UK) Post")->GetEnabled(), 0);
    ASSERT_TRUE(catalogue.Save());
    EXPECT_EQ(ReadText(sources), expected);
}

TEST_F(CatalogueFixture, ReadingFollowsTheThirdCharacterRuleAndSkipsDamagedLines) {
    catalogue.AddSource("Kept", 1);
    EXPECT_EQ(catalogue.Load(0), 0);
    EXPECT_EQ(catalogue.Load(1), 0);
    EXPECT_EQ(Sources(false), Names{"Kept"}) << "a missing file changes nothing";

    LoadText("1 1 Orphan http://o.example/\n\n1 2 AfterBlank http://x.example/\n1\n"  // no source yet
             "1 Morning Courier\n1 1 Headlines http://mc.example/h\n"
             "1 1 Again http://mc.example/h\n1 3 Short\n0 3\n"  // same URL, no URL, nothing
             "0 7 Days\n1 2 World http://7d.example/w\r\n"       // a source name may not start with a digit
             "0 Evening Post\r\n1 1 World http://ep.example/w\r\n"
             "1 Morning Courier\r\n1 3 Sports http://mc.example/s\r\n" +  // a second occurrence is ignored
             std::string(700, 'Z') + "\n");                                // an overlong name is cut
    EXPECT_EQ(Sources(false), (Names{"Morning Courier", "Evening Post", std::string(597, 'Z')}));
    EXPECT_EQ(Categories("Morning Courier", false), (Names{"Headlines", "World"}));
    EXPECT_EQ(catalogue.FindSource("Morning Courier")->GetCategory(2)->m_strUrl, "http://7d.example/w");
}

TEST_F(CatalogueFixture, WalksSkipDisabledSourcesAndUnselectedCategoriesAndNamePages) {
    LoadText("1 A\r\n1 1 A1 http://a/1\r\n0 2 A2 http://a/2\r\n1 3 A3 http://a/3\r\n0 B\r\n1 1 B1 http://b/1\r\n"
             "1 C (UK)\r\n0 1 C1 http://a/2\r\n1 2 C2 http://c/2\r\n");
    EXPECT_EQ(Sources(false), (Names{"A", "B", "C (UK)"}));
    EXPECT_EQ(Categories("A", false), (Names{"A1", "A2", "A3"}));
    EXPECT_EQ(catalogue.CountSelected(), 3) << "the selected pages of enabled sources";

    // The scanning engine names each page's source while it walks: lookups
    // must not move the walk's cursor.
    Names seen;
    CRecursiveLockGuard guard(catalogue);
    for (CNewsSource* s = catalogue.FirstSource(true); s; s = catalogue.NextSource(true)) {
        for (CNewsCategory* c = s->FirstCategory(true); c; c = s->NextCategory(true)) {
            seen.push_back(catalogue.GetDescriptorFor(c->m_strUrl, 1));
            catalogue.CountSelected();
            catalogue.GetUrlFor("A (A3)");
        }
    }
    EXPECT_EQ(seen, (Names{"A (A1)", "A (A3)", "C (UK) (C2)"}));
    EXPECT_EQ(catalogue.GetDescriptorFor("http://a/2", 1), "A (A2)") << "first in catalogue order";
    EXPECT_EQ(catalogue.GetDescriptorFor("http://a/1", 0), "A");
    EXPECT_EQ(catalogue.GetDescriptorFor("http://x/", 1), "Custom: http://x/");
    EXPECT_EQ(catalogue.GetUrlFor("C (UK) (C1)"), "http://a/2");
    for (const char* unknown : {"A (A9)", "Nobody (A1)", "A", "Custom:", ""})
        EXPECT_EQ(catalogue.GetUrlFor(unknown), "") << unknown;
    EXPECT_FALSE(catalogue.FindSource("A")->AddCategory("http://a/1", 0, 4, "Dup"));
}

TEST_F(CatalogueFixture, MergeUpdatesKeepsDropsAndAddsAsTheUpdateSays) {
    LoadText("1 A\r\n1 1 Head http://a/1\r\n1 2 World http://a/2\r\n0 3 Sport http://a/3\r\n1 5 Arts http://a/5\r\n"
             "0 B\r\n1 1 Head http://b/1\r\n1 C\r\n1 1 Head http://c/1\r\n");
    WriteText(update, "0 A\n1 1 Headlines http://a/1new\n1 3 Sport http://a/3\n0 4 Tech http://a/4\n"
                      "1 6 Arts http://a/5\n1 C\n1 1 Head http://c/1\n1 D\n0 1 Top http://d/1\n1 2 More http://d/2\n");
    EXPECT_TRUE(catalogue.MergeUpdate());
    EXPECT_FALSE(FileExists(update)) << "the update file is deleted";
    EXPECT_EQ(ReadText(sources),
              "1 A\r\n1 1 Headlines http://a/1new\r\n"  // URL and name from the update, selection kept
              "0 3 Sport http://a/3\r\n0 4 Tech http://a/4\r\n"  // new category of an old source: not selected
              "1 6 Arts http://a/5\r\n"  // a page that changed number keeps its selection
              "1 C\r\n1 1 Head http://c/1\r\n"
              "0 D\r\n1 1 Top http://d/1\r\n0 2 More http://d/2\r\n");  // new source: disabled, page 1 selected
    EXPECT_EQ(catalogue.FindSource("A")->GetCategory(2), nullptr);
}

TEST_F(CatalogueFixture, MergeRemovesAMissingSourceWhateverItsPosition) {
    const std::string parts[] = {"1 A\r\n1 1 H http://a/1\r\n", "1 B\r\n1 1 H http://b/1\r\n",
                                 "1 C\r\n1 1 H http://c/1\r\n"};
    for (int missing = 0; missing < 3; ++missing) {
        LoadText(parts[0] + parts[1] + parts[2]);
        std::string text;
        for (int i = 0; i < 3; ++i) text += i == missing ? "" : parts[i];
        WriteText(update, text);
        EXPECT_TRUE(catalogue.MergeUpdate());
        EXPECT_EQ(ReadText(sources), text) << "missing " << missing;
        EXPECT_EQ(catalogue.GetCount(), 2) << "missing " << missing;
    }
}

TEST_F(CatalogueFixture, UnusableUpdateOrFailedSaveLeavesTheFilesAlone) {
    const std::string text = "1 A\r\n1 1 H http://a/1\r\n";
    for (bool present : {false, true}) {
        LoadText(text);
        if (present) WriteText(update, "\r\n1 2 Orphan http://x/\r\n");
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(catalogue.MergeUpdate());
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(Sources(false), Names{"A"});
        EXPECT_EQ(ReadText(sources), text);
        EXPECT_FALSE(FileExists(update));
    }

    catalogue.FindSource("A")->SetEnabled(0);
    std::filesystem::remove(sources);
    std::filesystem::create_directory(sources);  // cannot be replaced by a file
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(catalogue.Save());
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("sources.txt"), std::string::npos) << err;
    EXPECT_TRUE(std::filesystem::is_directory(sources));
}
