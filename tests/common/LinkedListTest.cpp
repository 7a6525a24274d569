#include <gtest/gtest.h>

#include "common/LinkedList.h"

namespace {

// Fills a list with AddHead so that it walks newest-first, as most lists do.
void FillHead(CLinkedList<int>& list, std::initializer_list<int> items) {
    for (int i : items) ASSERT_EQ(list.AddHead(i), LIST_OK);
}

TEST(LinkedList, EmptyListReportsEmptyOrNoCursor) {
    CLinkedList<int> list;
    int item = -1;
    EXPECT_EQ(list.First(item), LIST_EMPTY);
    EXPECT_EQ(list.Last(item), LIST_EMPTY);
    EXPECT_EQ(list.Next(item), LIST_EMPTY);
    EXPECT_EQ(list.Prev(item), LIST_EMPTY);
    EXPECT_EQ(list.GetCurrent(item), LIST_EMPTY);
    EXPECT_EQ(list.RemoveCurrent(item), LIST_EMPTY);
    EXPECT_EQ(list.RemoveHead(item), LIST_EMPTY);
    EXPECT_EQ(item, -1) << "failed operations must not touch the out item";
}

TEST(LinkedList, CursorWalksAndStopsAtTheEnds) {
    CLinkedList<int> list;
    FillHead(list, {1, 2, 3});  // head 3, tail 1
    int item = 0;
    EXPECT_EQ(list.Next(item), LIST_NO_CURSOR) << "a filled list has no cursor until First/Last";
    ASSERT_EQ(list.First(item), LIST_OK);
    EXPECT_EQ(item, 3);
    ASSERT_EQ(list.Next(item), LIST_OK);
    ASSERT_EQ(list.Next(item), LIST_OK);
    EXPECT_EQ(item, 1);
    EXPECT_EQ(list.Next(item), LIST_AT_TAIL);
    EXPECT_EQ(list.GetCurrent(item), LIST_OK);
    EXPECT_EQ(item, 1) << "Next at the tail leaves the cursor where it was";
    ASSERT_EQ(list.First(item), LIST_OK);
    EXPECT_EQ(list.Prev(item), LIST_AT_HEAD);
    EXPECT_EQ(item, 3);
}

TEST(LinkedList, AddingDoesNotMoveTheCursor) {
    CLinkedList<int> list;
    FillHead(list, {1, 2});
    int item = 0;
    list.First(item);  // on 2
    list.AddHead(9);
    list.AddTail(0);
    EXPECT_EQ(list.GetCurrent(item), LIST_OK);
    EXPECT_EQ(item, 2);
    EXPECT_EQ(list.GetCount(), 4);
}

TEST(LinkedList, RemoveCurrentMovesTowardTheTailOrToTheNewTail) {
    CLinkedList<int> list;
    FillHead(list, {1, 2, 3});  // 3 2 1
    int item = 0;
    list.First(item);
    list.Next(item);  // on 2
    ASSERT_EQ(list.RemoveCurrent(item), LIST_OK);
    EXPECT_EQ(item, 2);
    list.GetCurrent(item);
    EXPECT_EQ(item, 1) << "the node that followed toward the tail";
    ASSERT_EQ(list.RemoveCurrent(item), LIST_OK);  // removes the tail
    list.GetCurrent(item);
    EXPECT_EQ(item, 3) << "removing the tail puts the cursor on the new tail";
    ASSERT_EQ(list.RemoveCurrent(item), LIST_OK);
    EXPECT_EQ(list.GetCurrent(item), LIST_EMPTY);
    EXPECT_TRUE(list.IsEmpty());
}

TEST(LinkedList, RemoveHeadOfTheCursorNode) {
    CLinkedList<int> list;
    FillHead(list, {1, 2});
    int item = 0;
    list.First(item);
    ASSERT_EQ(list.RemoveHead(item), LIST_OK);
    EXPECT_EQ(item, 2);
    EXPECT_EQ(list.GetCurrent(item), LIST_OK) << "the cursor must not dangle";
    EXPECT_EQ(item, 1);
}

TEST(LinkedList, RestoreCursorOnlyToANodeStillListed) {
    CLinkedList<int> list;
    FillHead(list, {1, 2, 3});
    int item = 0;
    list.First(item);
    list.Next(item);
    auto saved = list.GetCursor();
    list.Last(item);
    ASSERT_EQ(list.RestoreCursor(saved), LIST_OK);
    list.GetCurrent(item);
    EXPECT_EQ(item, 2);
    list.RemoveCurrent(item);
    list.Last(item);
    EXPECT_NE(list.RestoreCursor(saved), LIST_OK);
    list.GetCurrent(item);
    EXPECT_EQ(item, 1) << "a failed restore leaves the cursor alone";
}

}  // namespace
