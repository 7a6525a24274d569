#include <gtest/gtest.h>

#include <functional>

#include "config/ConfigStore.h"
#include "ConfigTestUtil.h"
#include "support/TempDir.h"

using namespace std::string_literals;

namespace {

struct StoreFixture : ::testing::Test {
    CTempDir dir;
    CConfigStore store;
    std::string path = dir.File("Data/config.txt");
    void SetUp() override { store.SetFileName(dir.Path()); }
};

}  // namespace

TEST(ConfigLine, ParsesRecordsAndFormatsThemExactly) {
    // Each line is read and written back; null: not a record.
    const struct { const char* in; const char* out; } cases[] = {
        {"D F0000003 Poll_Period 600 300", "D F0000003 Poll_Period 600 300\r\n"},
        {"D F0000012 Use_Proxy -1 0", "D F0000012 Use_Proxy -1 0\r\n"},
        {"B F0000009 Sound_File  ", "B F0000009 Sound_File  \r\n"},
        {"C f000000e Proxy_Server_Name host", "C F000000E Proxy_Server_Name host \r\n"},  // lower-case hex, one value
        {"D F0000003 Poll_Period ten 12x", "D F0000003 Poll_Period 0 12\r\n"},            // no numbers
        {"D F0000003 Poll_Period 99999999999 -99999999999", "D F0000003 Poll_Period 2147483647 -2147483648\r\n"},
        {"E 00000001 Ratio 1.5 -2", "E 00000001 Ratio 1.500000 -2.000000\r\n"},
        {"F 00ABCDEF Scale 0.1 1e20", "F 00ABCDEF Scale 0.1 1e+20\r\n"},
        {"F 00000001 Scale 2.5 x", "F 00000001 Scale 2.5 0\r\n"},
        {"", nullptr}, {" D F0000003 Poll_Period 1 1", nullptr}, {"A F0000003 Poll_Period 1 1", nullptr},
        {"G F0000003 Poll_Period 1 1", nullptr}, {"d F0000003 Poll_Period 1 1", nullptr}, {"D", nullptr},
        {"D F0000003", nullptr}, {"D F00G0003 Poll_Period 1 1", nullptr}, {"D 1F0000003 Poll_Period 1 1", nullptr},
        {"D -0000003 Poll_Period 1 1", nullptr}, {"D 0xF00003 Poll_Period 1 1", nullptr},
    };
    for (const auto& c : cases) {
        CConfigItem item;
        ASSERT_EQ(ParseConfigLine(c.in, item), c.out != nullptr) << c.in;
        if (c.out) {
            EXPECT_EQ(FormatConfigLine(item), c.out) << c.in;
        }
    }
}

TEST_F(StoreFixture, EveryLoadAndSaveReversesTheRecordOrder) {
    const std::string l1 = "D 00000001 One 1 1\r\n", l2 = "B 00000002 Two a b\r\n", l3 = "C 00000003 Three c d\r\n";
    WriteText(path, l1 + l2 + l3);
    for (const std::string& expected : {l3 + l2 + l1, l1 + l2 + l3}) {
        ASSERT_EQ(store.Load(), 1);
        EXPECT_EQ(store.GetCount(), 3) << "a load replaces the records";
        ASSERT_TRUE(store.Save());
        EXPECT_EQ(ReadText(path), expected);
    }
}

TEST_F(StoreFixture, LoadSkipsDamagedLinesAndCutsOverlongOnes) {
    // The part of a line beyond 599 characters looks like a record of its own.
    const std::string value(599 - std::string("B 00000005 Long ").size(), 'v');
    WriteText(path, "D 00000001 One 1 1\n\r\n# comment\nD F00G0001 Bad 1 1\r\nB 00000002 Two a\n"
                    "C 00000003 Three c d\0junk\r\n"s +
                        "B 00000005 Long " + value + "D 00000006 Injected 7 7\r\n" + "D 00000004");
    ASSERT_EQ(store.Load(), 1);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadText(path), "B 00000005 Long " + value + " \r\nC 00000003 Three c d\r\n" +
                                  "B 00000002 Two a \r\nD 00000001 One 1 1\r\n");
}

TEST_F(StoreFixture, EnumerationDeliversNewestFirstAndLastWithFalse) {
    for (const char* v : {"first", "second"}) store.AddString(7, "X", v, "");
    store.AddInteger(8, "Other", 5, 5);
    store.AddString(7, "X", "third", "");
    const auto all = [&] { return Drain([&](std::string& v) { return store.GetString(7, v); }); };
    const std::vector<std::string> newestFirst{"third", "second", "first"};
    EXPECT_EQ(all(), newestFirst);
    EXPECT_EQ(all(), newestFirst) << "the next call starts over";

    // Reading another identifier, adding a record or a reset ends a running enumeration.
    std::string v;
    std::int32_t n = 0;
    const std::function<void()> interruptions[] = {[&] { store.GetInteger(8, n); },
                                                   [&] { store.AddInteger(9, "Y", 1, 1); },
                                                   [&] { store.ResetEnumeration(); }};
    for (const auto& interrupt : interruptions) {
        ASSERT_TRUE(store.GetString(7, v));
        interrupt();
        EXPECT_TRUE(store.GetString(7, v));
        EXPECT_EQ(v, "third");
    }
    EXPECT_EQ(n, 5);

    ASSERT_TRUE(store.GetString(7, v));
    EXPECT_TRUE(store.RemoveAll(7)) << "removing the enumerated records ends it too";
    v = "none";
    EXPECT_FALSE(store.GetString(7, v));
    EXPECT_EQ(v, "none") << "no record: value left as it was";
    EXPECT_EQ(store.GetCount(), 2);
}

TEST_F(StoreFixture, AddItemRefusesDuplicatesAndRemoveAllAlwaysSaves) {
    store.SetAutoSave();
    EXPECT_TRUE(store.AddInteger(3, "Poll_Period", 600, 600));
    std::filesystem::remove(path);
    EXPECT_FALSE(store.AddInteger(3, "Poll_Period", 600, 1)) << "same first value";
    EXPECT_FALSE(FileExists(path)) << "a refused record does not rewrite the file";
    EXPECT_FALSE(store.RemoveAll(99));
    EXPECT_EQ(ReadText(path), "D 00000003 Poll_Period 600 600\r\n") << "saved though nothing was removed";

    EXPECT_TRUE(store.AddInteger(3, "Poll_Period", 300, 300));
    EXPECT_TRUE(store.AddString(3, "Poll_Period", "600", "600")) << "other type";
    EXPECT_TRUE(store.AddPlainString(3, "Poll_Period", "600", "600")) << "types 1 and 2 differ";
    EXPECT_TRUE(store.AddInteger(4, "Other", 600, 600)) << "other identifier";
    EXPECT_FALSE(store.AddString(3, "Poll_Period", "600", "x"));
    EXPECT_TRUE(store.AddString(3, "Poll_Period", "600 ", "x")) << "strings compare exactly";
    EXPECT_FALSE(store.AddItem(CConfigItem(5, "Bad", 9))) << "unknown record type";
    EXPECT_EQ(store.GetCount(), 6);
}

TEST_F(StoreFixture, FileIsOwnerOnlyAndAFailedSaveKeepsTheRecords) {
    ASSERT_EQ(store.Load(), 0);
    EXPECT_EQ(ReadText(path), "") << "the base store has no defaults";
    EXPECT_EQ(FileMode(path), 0600u);
    WriteText(path, "D 00000001 One 1 1\r\n");
    ::chmod(path.c_str(), 0644);
    ASSERT_EQ(store.Load(), 1);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(FileMode(path), 0600u) << "an older, open file is made owner-only";

    WriteText(dir.File("app"), "not a folder");  // no Data folder can exist below a file
    store.SetFileName(dir.File("app"));
    ::testing::internal::CaptureStderr();
    const bool saved = store.Save();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(saved);
    EXPECT_NE(err.find("config.txt"), std::string::npos) << err;
    std::int32_t n = 0;
    EXPECT_FALSE(store.GetInteger(1, n));
    EXPECT_EQ(n, 1);
}
