// The source update: the index and update file read from a loopback host,
// the starter catalogue taken without one, and the merge into sources.txt.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/SourceUpdate.h"
#include "common/FileUtil.h"
#include "config/SourceCatalogue.h"
#include "platform/Registry.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"

namespace {

const char* const kUpdate =
    "0 Morning Courier\r\n0 1 Top_Stories http://courier.example/top\r\n0 2 World http://courier.example/world\r\n"
    "0 Evening Post\r\n0 1 Headlines http://post.example/\r\n";

class SourceUpdateTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.File("Data"));
        catalogue.SetFileName(dir.Path());
        ASSERT_TRUE(WriteFileAtomically(dir.File("Data/sources.txt"), "1 Old Gazette\n1 1 News http://old.example/\n"));
        catalogue.Load();
        update.SetHost("127.0.0.1:" + std::to_string(server.Port()));
        FetchTimeouts quick;
        quick.connectRetries = 0;
        update.Fetcher().SetTimeoutsForTesting(quick);
    }
    std::string SourcesFile() {
        std::string text;
        ReadWholeFile(dir.File("Data/sources.txt"), text);
        return text;
    }

    CTempDir dir;
    CTestHttpServer server;
    CSourceCatalogue catalogue;
    CSourceUpdate update{catalogue};
};

TEST_F(SourceUpdateTest, ReadsTheIndexFollowsItsAddressAndMergesTheFile) {
    // The address ends at the line end, whether CR LF or LF alone.
    for (const char* lineEnd : {"\r\n", "\n"}) {
        server.ClearLog();
        server.SetPage(CSourceUpdate::INDEX_PATH,
                       std::string("<p>latest\r\nsourceupdate=") + server.Url("/files/update7.txt") + lineEnd + "more");
        server.SetPage("/files/update7.txt", kUpdate, "text/plain");
        std::string why;
        ASSERT_TRUE(update.Fetch(why)) << why;
        std::string stored;
        ASSERT_TRUE(ReadWholeFile(catalogue.GetUpdateFileName(), stored));
        EXPECT_EQ(stored.find('\r'), std::string::npos);
        ASSERT_TRUE(update.Merge());
        EXPECT_FALSE(FileExists(catalogue.GetUpdateFileName()));
        ASSERT_EQ(server.RequestCount(), 2);
        EXPECT_EQ(server.Requests()[0].path, "/products/update001/");
        EXPECT_EQ(server.Requests()[1].path, "/files/update7.txt");
    }
    const std::string sources = SourcesFile();
    EXPECT_NE(sources.find("0 Morning Courier\r\n1 1 Top_Stories http://courier.example/top\r\n"), std::string::npos);
    EXPECT_NE(sources.find("0 Evening Post"), std::string::npos);
    EXPECT_EQ(sources.find("Old Gazette"), std::string::npos);
}

TEST_F(SourceUpdateTest, AFailedReadOrAnIndexWithoutAddressLeavesTheCatalogueAlone) {
    const std::string before = SourcesFile();
    std::string why;
    EXPECT_FALSE(update.Fetch(why));  // no index at all
    EXPECT_NE(why.find("404"), std::string::npos) << why;
    server.SetPage(CSourceUpdate::INDEX_PATH, "no update today");
    EXPECT_FALSE(update.Fetch(why));
    server.SetPage(CSourceUpdate::INDEX_PATH, "sourceupdate=" + server.Url("/gone.txt"));
    EXPECT_FALSE(update.Fetch(why));
    EXPECT_FALSE(FileExists(catalogue.GetUpdateFileName()));
    // A file that holds no source is refused by the merge.
    server.SetPage("/gone.txt", "\r\n", "text/plain");
    EXPECT_TRUE(update.Fetch(why));
    EXPECT_FALSE(update.Merge());
    EXPECT_EQ(SourcesFile(), before);
}

TEST_F(SourceUpdateTest, WithoutAHostTheStarterCatalogueIsMergedWithoutAnyRead) {
    update.SetHost("");
    update.SetStarterFile(dir.File("starter.txt"));
    std::string why;
    EXPECT_FALSE(update.Fetch(why));  // not installed
    ASSERT_TRUE(WriteFileAtomically(dir.File("starter.txt"), kUpdate));
    ASSERT_TRUE(update.Fetch(why)) << why;
    ASSERT_TRUE(update.Merge());
    EXPECT_NE(SourcesFile().find("Morning Courier"), std::string::npos);
    EXPECT_EQ(server.RequestCount(), 0);
}

TEST(SourceUpdateHost, IndexAddressAndRegistryValue) {
    CSourceCatalogue catalogue;
    CSourceUpdate update(catalogue);
    EXPECT_EQ(update.IndexUrl(), "");
    update.SetHost("updates.example:8080");
    EXPECT_EQ(update.IndexUrl(), "http://updates.example:8080/products/update001/");
    update.SetHost("https://updates.example/");
    EXPECT_EQ(update.IndexUrl(), "https://updates.example/products/update001/");
    EXPECT_EQ(CSourceUpdate::FindUpdateAddress("x sourceupdate=/u/file.txt\r\n", "http://h:1/products/update001/"),
              "http://h:1/u/file.txt");

    CTempDir dir;
    CRegistry registry(dir.File("registry.ini"));
    EXPECT_EQ(ReadUpdateHost(registry.GetFile()), "");
    registry.SetValue("SOFTWARE\\Vantrel Group\\Skimbolt\\0.01k", "UpdateHost", "127.0.0.1:8123");
    ASSERT_TRUE(registry.Save());
    EXPECT_EQ(ReadUpdateHost(registry.GetFile()), "127.0.0.1:8123");
}

}  // namespace
