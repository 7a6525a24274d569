// The source update's addresses: the index on the update host and the
// update file the index names. (The download itself is tested through the
// News Sources page against a loopback host.)
#include <gtest/gtest.h>

#include "app/SourceUpdate.h"
#include "config/SourceCatalogue.h"

namespace {

TEST(SourceUpdate, IndexAddressAndUpdateAddress) {
    CSourceCatalogue catalogue;
    CSourceUpdate update(catalogue);
    EXPECT_EQ(update.IndexUrl(), "");
    update.SetHost("updates.example:8080");
    EXPECT_EQ(update.IndexUrl(), "http://updates.example:8080/products/update001/");
    update.SetHost("https://updates.example/");
    EXPECT_EQ(update.IndexUrl(), "https://updates.example/products/update001/");

    const std::string index = "http://h:1/products/update001/";
    EXPECT_EQ(CSourceUpdate::FindUpdateAddress("x sourceupdate=/u/file.txt\r\nmore", index), "http://h:1/u/file.txt");
    // A line may end with LF alone; the address never runs into the next line.
    EXPECT_EQ(CSourceUpdate::FindUpdateAddress("sourceupdate http://a.example/u.txt\nnext", index),
              "http://a.example/u.txt");
    EXPECT_EQ(CSourceUpdate::FindUpdateAddress("sourceupdate=http://a.example/u.txt", index), "http://a.example/u.txt");
    EXPECT_EQ(CSourceUpdate::FindUpdateAddress("no marker here", index), "");
    EXPECT_EQ(CSourceUpdate::FindUpdateAddress("sourceupdate=\r\n", index), "");
}

}  // namespace
