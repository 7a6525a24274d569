#include <gtest/gtest.h>

#include <sys/stat.h>

#include "common/FileUtil.h"
#include "support/TempDir.h"

TEST(FileUtil, AtomicWriteReplacesContentKeepsTheModeAndFailsWithoutAFolder) {
    CTempDir dir;
    const std::string path = dir.File("config.txt");
    ASSERT_TRUE(WriteFileAtomically(path, "one\r\n", 0600));
    ASSERT_TRUE(WriteFileAtomically(path, "two\r\n", 0644));
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "two\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "an existing file keeps its own mode";

    EXPECT_FALSE(WriteFileAtomically(dir.File("missing-folder/config.txt"), "x"));
    EXPECT_FALSE(FileExists(dir.File("missing-folder/config.txt")));
}
