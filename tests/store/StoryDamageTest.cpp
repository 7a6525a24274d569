// Damaged and foreign files in the data folder: one bad byte costs one
// story, the original is kept before a repair, and a file that is not a
// story file is never deleted or emptied.
#include <gtest/gtest.h>

#include <filesystem>

#include "store/StoreTestUtil.h"
#include "store/StoryFile.h"
#include "store/StoryFileName.h"

namespace {

class StoryDamageTest : public StoreTest {
protected:
    const std::string kKey = "Daily News";
    const std::string kName = StoryFileStem(kKey) + ".dat";

    // Ten stories and the offset where each record begins.
    std::string TenStories(std::vector<std::size_t>& starts) {
        std::vector<CStory> stories;
        std::string bytes;
        for (int i = 0; i < 10; ++i) {
            starts.push_back(bytes.size());
            bytes += EncodeStories({MakeStory(kKey, "Story " + std::to_string(i), Age(60), STORY_UNREAD)});
        }
        return bytes;
    }
    int DamagedCopies() {
        std::error_code ec;
        int n = 0;
        for (std::filesystem::directory_iterator it(m_strData + "damaged", ec), end; !ec && it != end; it.increment(ec))
            ++n;
        return n;
    }
};

TEST_F(StoryDamageTest, ABadByteLosesOnlyItsStoryAndTheOriginalIsKept) {
    std::vector<std::size_t> starts;
    const std::string good = TenStories(starts);
    const struct {
        const char* where;
        std::size_t offset;
        char value;
    } cases[] = {
        {"the marker of the first record", starts[0], 0x00},
        {"the marker of a middle record", starts[5], 0x41},
        {"a text length in the last record", starts[9] + 13, 0x7F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        std::filesystem::remove_all(m_strData + "damaged");
        std::string bytes = good;
        bytes[c.offset] = c.value;
        WriteBytes(m_strData + kName, bytes);

        auto f = NewFile("");
        EXPECT_TRUE(ReportsDiagnostic("9 stories read", [&] { EXPECT_EQ(f->LoadFromFile(kName), 1); }));
        EXPECT_EQ(f->StoryCount(), 9);
        EXPECT_EQ(DamagedCopies(), 1);
        // The repaired file reads whole: a second load finds nothing to repair.
        auto again = NewFile("");
        EXPECT_FALSE(ReportsDiagnostic("damaged", [&] { EXPECT_EQ(again->LoadFromFile(kName), 1); }));
        EXPECT_EQ(again->StoryCount(), 9);
    }
}

TEST_F(StoryDamageTest, ForeignFilesAreLeftAloneAndEmptyOnesRemoved) {
    const std::string foreign = "just some notes, not stories\n";
    WriteBytes(m_strData + "notes.dat", foreign);
    WriteBytes(m_strData + "empty.dat", "");
    auto f = NewFile("");
    EXPECT_TRUE(ReportsDiagnostic("not a story file", [&] { EXPECT_EQ(f->LoadFromFile("notes.dat"), 0); }));
    EXPECT_EQ(FileBytes(m_strData + "notes.dat"), foreign);
    EXPECT_EQ(f->LoadFromFile("empty.dat"), 0);
    EXPECT_FALSE(std::filesystem::exists(m_strData + "empty.dat"));

    // A configured source's file that holds no story at all is kept aside
    // before the source starts a new one in its place.
    WriteBytes(m_strData + kName, foreign);
    NewFile(kKey);
    EXPECT_EQ(DamagedCopies(), 1);
    EXPECT_EQ(FileBytes(m_strData + kName), "");
}

}  // namespace
