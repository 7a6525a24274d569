// The shared helpers: atomic file writes, the cursor list and the recursive lock.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/Diagnostics.h"
#include "common/FileUtil.h"
#include "common/LinkedList.h"
#include "common/PrintableText.h"
#include "common/RecursiveLock.h"
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

// The cursor stops at the ends, stays put while nodes are added and, when its
// node is removed, moves toward the tail or onto the new tail; a saved cursor
// is restored only onto a node still listed.
TEST(LinkedList, CursorMovesAndRemovalsKeepItOnAListedNode) {
    CLinkedList<int> list;
    int item = -1;
    EXPECT_EQ(list.First(item), LIST_EMPTY);
    EXPECT_EQ(list.RemoveCurrent(item), LIST_EMPTY);
    EXPECT_EQ(item, -1) << "failed operations must not touch the out item";
    for (int i : {1, 2, 3, 4}) list.AddHead(i);  // 4 3 2 1
    EXPECT_EQ(list.Next(item), LIST_NO_CURSOR) << "a filled list has no cursor until First/Last";
    list.First(item);
    EXPECT_EQ(list.Prev(item), LIST_AT_HEAD);
    ASSERT_EQ(list.RemoveHead(item), LIST_OK);
    list.GetCurrent(item);
    EXPECT_EQ(item, 3) << "removing the cursor's head node moves the cursor to the new head";
    const auto saved = list.GetCursor();
    list.AddHead(9);
    list.Next(item);  // on 2
    ASSERT_EQ(list.RemoveCurrent(item), LIST_OK);
    EXPECT_EQ(item, 2);
    list.GetCurrent(item);
    EXPECT_EQ(item, 1) << "the node that followed toward the tail";
    EXPECT_EQ(list.Next(item), LIST_AT_TAIL);
    ASSERT_EQ(list.RemoveCurrent(item), LIST_OK);
    list.GetCurrent(item);
    EXPECT_EQ(item, 3) << "removing the tail puts the cursor on the new tail";

    ASSERT_EQ(list.RestoreCursor(saved), LIST_OK);
    list.RemoveCurrent(item);
    EXPECT_NE(list.RestoreCursor(saved), LIST_OK) << "the saved node is gone";
    EXPECT_EQ(list.GetCount(), 1);
}

// The lock is free for another thread only after the holder's last unlock;
// an unlock by a thread that does not hold it does nothing.
TEST(RecursiveLock, ReleasedOnlyByTheHoldersLastUnlock) {
    CRecursiveLock lock;
    lock.Lock();
    lock.Lock();
    std::atomic<bool> acquired{false};
    std::thread([&] { lock.Unlock(); }).join();
    EXPECT_TRUE(lock.IsHeldByCaller());
    std::thread other([&] {
        lock.Lock();
        acquired = true;
        lock.Unlock();
    });
    lock.Unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(acquired.load()) << "one unlock of two must keep the lock";
    lock.Unlock();
    other.join();
    EXPECT_TRUE(acquired.load());
}

// A diagnostic reaches the sink once per kind and file in a run (a full disk
// gives one line per file, not one per failed write); control characters of
// web text never reach a terminal.
TEST(Diagnostics, RepeatsForTheSameFileAreCollapsed) {
    struct : CDiagnosticSink {
        std::vector<std::string> lines;
        void OnDiagnostic(const Diagnostic& d) override { lines.push_back(FormatDiagnostic(d)); }
    } sink;
    ClearDiagnostics();
    SetDiagnosticSink(&sink);
    for (int i = 0; i < 100; ++i) ReportDiagnostic(DiagnosticKind::SaveFailed, "/d/a.dat", "No space left");
    ReportDiagnostic(DiagnosticKind::SaveFailed, "/d/b.dat", "No space left");
    ReportDiagnostic(DiagnosticKind::DamagedFile, "/d/a.dat", "bad record");
    SetDiagnosticSink(nullptr);
    EXPECT_EQ(sink.lines, (std::vector<std::string>{"cannot save /d/a.dat: No space left",
                                                    "cannot save /d/b.dat: No space left",
                                                    "damaged file /d/a.dat: bad record"}));
    EXPECT_EQ(RecordedDiagnostics().size(), 3u);

    EXPECT_EQ(StripControlCharacters("a\x1b]0;t\x07\tb\r\nc\xC2\x9B" "d \xC3\xA9"), "a]0;t b  cd \xC3\xA9");
    EXPECT_EQ(StripControlCharacters("one\ntwo\r\n", true), "one\ntwo \n");
}

// In place, text is looked at sixteen and eight bytes at a time: a control
// anywhere in a block is found, and characters led by 0xC2 that are no C1
// control stay.
TEST(PrintableText, StrippedInPlace) {
    struct Case { const char *why, *text, *expected; } const cases[] = {
        {"clean text stays", "Plain headline, no controls", "Plain headline, no controls"},
        {"a no-break space and a copyright sign stay", "a\xC2\xA0" "b \xC2\xA9 2024 and more", "a\xC2\xA0" "b \xC2\xA9 2024 and more"},
        {"a C1 control in the second block goes", "12345678ab\xC2\x85" "cd", "12345678abcd"},
        {"a control in the tail goes", "12345678\x01", "12345678"},
        {"DEL in a block goes", "abc\x7F" "defgh", "abcdefgh"},
        {"an escape in a sixteen-byte block goes", "0123456789abcd\x1B" "ef", "0123456789abcdef"},
        {"DEL in a sixteen-byte block goes", "\x7F" "0123456789abcdef", "0123456789abcdef"},
        {"a control after the last whole sixteen bytes goes", "0123456789abcdef01\x01", "0123456789abcdef01"},
        {"a lone 0xC2 at the end stays", "12345678\xC2", "12345678\xC2"},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        StripControlCharactersInPlace(text);
        EXPECT_EQ(text, c.expected) << c.why;
        EXPECT_EQ(text, StripControlCharacters(c.text)) << c.why;
    }
}
