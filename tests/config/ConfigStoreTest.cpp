#include <gtest/gtest.h>

#include <sys/stat.h>

#include "config/ConfigStore.h"
#include "ConfigTestUtil.h"
#include "support/TempDir.h"

using namespace std::string_literals;

namespace {

CConfigItem Int(std::uint32_t id, const char* name, std::int32_t a, std::int32_t b) {
    CConfigItem item(id, name, CONFIG_INTEGER);
    item.m_nValue1 = a;
    item.m_nValue2 = b;
    return item;
}

CConfigItem Str(std::uint32_t id, const char* name, std::int32_t type, const char* a, const char* b) {
    CConfigItem item(id, name, type);
    item.m_strValue1 = a;
    item.m_strValue2 = b;
    return item;
}

struct StoreFixture : ::testing::Test {
    CTempDir dir;
    CConfigStore store;
    std::string path;
    void SetUp() override {
        store.SetFileName(dir.Path());
        path = dir.File("Data/config.txt");
    }
};

}  // namespace

TEST(ConfigLine, FormatsEachTypeExactly) {
    CConfigItem f(0x1, "Ratio", CONFIG_FLOAT);
    f.m_fValue1 = 1.5f;
    f.m_fValue2 = -2.0f;
    CConfigItem d(0xABCDEF, "Scale", CONFIG_DOUBLE);
    d.m_dValue1 = 0.1;
    d.m_dValue2 = 1e20;
    const struct {
        CConfigItem item;
        const char* line;
    } cases[] = {
        {Int(0xF0000003, "Poll_Period", 600, 600), "D F0000003 Poll_Period 600 600\r\n"},
        {Int(0xF0000012, "Use_Proxy", -1, 0), "D F0000012 Use_Proxy -1 0\r\n"},
        {Str(0xF000000E, "Proxy_Server_Name", CONFIG_PLAIN_STRING, ".", "."),
         "C F000000E Proxy_Server_Name . .\r\n"},
        {Str(0xF0000009, "Sound_File", CONFIG_STRING, "", ""), "B F0000009 Sound_File  \r\n"},
        {Str(0xF0000001, "Keyword", CONFIG_STRING, "+a_b", "+a_b"), "B F0000001 Keyword +a_b +a_b\r\n"},
        {f, "E 00000001 Ratio 1.500000 -2.000000\r\n"},
        {d, "F 00ABCDEF Scale 0.1 1e+20\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatConfigLine(c.item), c.line);
}

TEST(ConfigLine, LineBreaksInsideValuesCannotAddRecords) {
    CConfigItem item = Str(0xF0000011, "Proxy_User_Password", CONFIG_STRING, "pw\r\nD F0000003 Poll_Period 1 1", "x");
    const std::string line = FormatConfigLine(item);
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_EQ(line.find('\r'), line.size() - 2);
}

TEST(ConfigLine, ParsesRecordsAndRejectsDamagedLines) {
    CConfigItem item;
    ASSERT_TRUE(ParseConfigLine("D F0000003 Poll_Period 600 300", item));
    EXPECT_EQ(item.m_nType, CONFIG_INTEGER);
    EXPECT_EQ(item.m_nId, 0xF0000003u);
    EXPECT_EQ(item.m_strName, "Poll_Period");
    EXPECT_EQ(item.m_nValue1, 600);
    EXPECT_EQ(item.m_nValue2, 300);

    ASSERT_TRUE(ParseConfigLine("B F0000009 Sound_File  ", item));
    EXPECT_EQ(item.m_nType, CONFIG_STRING);
    EXPECT_EQ(item.m_strValue1, "");
    EXPECT_EQ(item.m_strValue2, "");

    ASSERT_TRUE(ParseConfigLine("C f000000e Proxy_Server_Name host", item)) << "lower-case hex, one value";
    EXPECT_EQ(item.m_nId, 0xF000000Eu);
    EXPECT_EQ(item.m_strValue1, "host");
    EXPECT_EQ(item.m_strValue2, "");

    ASSERT_TRUE(ParseConfigLine("D F0000003 Poll_Period ten 12x", item)) << "words that are no number";
    EXPECT_EQ(item.m_nValue1, 0);
    EXPECT_EQ(item.m_nValue2, 12);

    ASSERT_TRUE(ParseConfigLine("D F0000003 Poll_Period 99999999999 -99999999999", item));
    EXPECT_EQ(item.m_nValue1, INT32_MAX);
    EXPECT_EQ(item.m_nValue2, INT32_MIN);

    ASSERT_TRUE(ParseConfigLine("F 00000001 Scale 2.5 x", item));
    EXPECT_DOUBLE_EQ(item.m_dValue1, 2.5);
    EXPECT_DOUBLE_EQ(item.m_dValue2, 0.0);

    for (const char* bad : {"", " D F0000003 Poll_Period 1 1", "A F0000003 Poll_Period 1 1",
                            "G F0000003 Poll_Period 1 1", "d F0000003 Poll_Period 1 1", "D",
                            "D F0000003", "D F00G0003 Poll_Period 1 1", "D 1F0000003 Poll_Period 1 1",
                            "D -0000003 Poll_Period 1 1", "D 0xF00003 Poll_Period 1 1"})
        EXPECT_FALSE(ParseConfigLine(bad, item)) << bad;
}

TEST_F(StoreFixture, SaveReversesTheOrderOfTheFileItWasLoadedFrom) {
    const std::string l1 = "D 00000001 One 1 1\r\n", l2 = "B 00000002 Two a b\r\n", l3 = "C 00000003 Three c d\r\n";
    WriteText(path, l1 + l2 + l3);
    ASSERT_EQ(store.Load(), 1);
    EXPECT_EQ(store.GetCount(), 3);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadText(path), l3 + l2 + l1);
    ASSERT_EQ(store.Load(), 1);
    EXPECT_EQ(store.GetCount(), 3) << "a second load replaces the records";
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadText(path), l1 + l2 + l3);
}

TEST_F(StoreFixture, LoadReadsLfAndCrLfAndSkipsDamagedLines) {
    std::string text = "D 00000001 One 1 1\n"
                       "\r\n"
                       "# comment\n"
                       "D F00G0001 Bad 1 1\r\n"
                       "B 00000002 Two a\n";
    text += "C 00000003 Three c d\0junk\r\n"s;
    text += "D 00000004";  // no name, no line end
    WriteText(path, text);
    ASSERT_EQ(store.Load(), 1);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadText(path), "C 00000003 Three c d\r\nB 00000002 Two a \r\nD 00000001 One 1 1\r\n");
}

TEST_F(StoreFixture, OverlongLineIsCutAndItsRestIsNotARecord) {
    // The part beyond 599 characters looks like a record of its own.
    std::string value(599 - std::string("B 00000001 Long ").size(), 'v');
    std::string text = "B 00000001 Long " + value + "D 00000002 Injected 7 7\r\nD 00000003 Next 1 1\r\n";
    WriteText(path, text);
    ASSERT_EQ(store.Load(), 1);
    EXPECT_EQ(store.GetCount(), 2);
    std::int32_t n = -1;
    store.GetInteger(2, n);
    EXPECT_EQ(n, -1) << "no record from the rest of the long line";
    std::string s;
    store.GetString(1, s);
    EXPECT_EQ(s, value);
    store.GetInteger(3, n);
    EXPECT_EQ(n, 1);
}

TEST_F(StoreFixture, EnumerationDeliversNewestFirstAndLastWithFalse) {
    store.AddString(7, "X", "first", "");
    store.AddString(7, "X", "second", "");
    store.AddInteger(8, "Other", 5, 5);
    store.AddString(7, "X", "third", "");
    std::string v;
    EXPECT_TRUE(store.GetString(7, v));
    EXPECT_EQ(v, "third");
    EXPECT_TRUE(store.GetString(7, v));
    EXPECT_EQ(v, "second");
    EXPECT_FALSE(store.GetString(7, v));
    EXPECT_EQ(v, "first");
    EXPECT_TRUE(store.GetString(7, v)) << "a fourth call starts over";
    EXPECT_EQ(v, "third");

    // Reading another identifier, or adding a record, ends the enumeration.
    std::int32_t n = 0;
    EXPECT_FALSE(store.GetInteger(8, n));
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(store.GetString(7, v));
    EXPECT_EQ(v, "third");
    store.AddInteger(9, "Y", 1, 1);
    EXPECT_TRUE(store.GetString(7, v));
    EXPECT_EQ(v, "third");
    store.ResetEnumeration();
    EXPECT_TRUE(store.GetString(7, v));
    EXPECT_EQ(v, "third");

    v = "untouched";
    EXPECT_FALSE(store.GetString(42, v));
    EXPECT_EQ(v, "untouched") << "no record: value left as it was";
}

TEST_F(StoreFixture, RemovingTheEnumeratedRecordsEndsTheEnumeration) {
    store.AddString(7, "X", "a", "");
    store.AddString(7, "X", "b", "");
    store.AddString(7, "X", "c", "");
    std::string v;
    ASSERT_TRUE(store.GetString(7, v));
    EXPECT_TRUE(store.RemoveAll(7));
    v = "none";
    EXPECT_FALSE(store.GetString(7, v));
    EXPECT_EQ(v, "none");
    EXPECT_EQ(store.GetCount(), 0);
}

TEST_F(StoreFixture, AddItemIgnoresDuplicatesOfIdTypeAndFirstValue) {
    store.SetAutoSave();
    EXPECT_TRUE(store.AddInteger(3, "Poll_Period", 600, 600));
    ASSERT_TRUE(FileExists(path));
    std::filesystem::remove(path);
    EXPECT_FALSE(store.AddInteger(3, "Poll_Period", 600, 1)) << "same first value";
    EXPECT_FALSE(FileExists(path)) << "a refused record does not rewrite the file";
    EXPECT_EQ(store.GetCount(), 1);

    EXPECT_TRUE(store.AddInteger(3, "Poll_Period", 300, 300));
    EXPECT_TRUE(store.AddString(3, "Poll_Period", "600", "600")) << "other type";
    EXPECT_TRUE(store.AddPlainString(3, "Poll_Period", "600", "600")) << "types 1 and 2 differ";
    EXPECT_TRUE(store.AddInteger(4, "Other", 600, 600)) << "other identifier";
    EXPECT_FALSE(store.AddString(3, "Poll_Period", "600", "x"));
    EXPECT_TRUE(store.AddString(3, "Poll_Period", "600 ", "x")) << "strings compare exactly";
    EXPECT_EQ(store.GetCount(), 6);

    CConfigItem bad(5, "Bad", 9);
    EXPECT_FALSE(store.AddItem(bad)) << "unknown record type";
}

TEST_F(StoreFixture, RemoveAllSavesEvenWhenNothingWasRemoved) {
    store.SetAutoSave();
    store.AddInteger(3, "Poll_Period", 600, 600);
    std::filesystem::remove(path);
    EXPECT_FALSE(store.RemoveAll(99));
    EXPECT_EQ(ReadText(path), "D 00000003 Poll_Period 600 600\r\n");
    EXPECT_TRUE(store.RemoveAll(3));
    EXPECT_EQ(ReadText(path), "");
}

TEST_F(StoreFixture, MissingFileIsCreatedOwnerOnly) {
    ASSERT_EQ(store.Load(), 0);
    ASSERT_TRUE(FileExists(path));
    EXPECT_EQ(ReadText(path), "") << "the base store has no defaults";
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(StoreFixture, AnOpenOlderFileIsTightenedToOwnerOnly) {
    WriteText(path, "D 00000001 One 1 1\r\n");
    ::chmod(path.c_str(), 0644);
    ASSERT_EQ(store.Load(), 1);
    ASSERT_TRUE(store.Save());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(StoreFixture, FailedSaveKeepsRecordsAndReportsOnStandardError) {
    // The application directory is a plain file: no Data folder can exist.
    WriteText(dir.File("app"), "not a folder");
    store.SetFileName(dir.File("app"));
    store.SetAutoSave();
    ::testing::internal::CaptureStderr();
    store.AddInteger(3, "Poll_Period", 600, 600);
    const bool saved = store.Save();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(saved);
    EXPECT_NE(err.find("config.txt"), std::string::npos) << err;
    std::int32_t n = 0;
    store.GetInteger(3, n);
    EXPECT_EQ(n, 600);
}
