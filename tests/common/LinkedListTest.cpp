#include <gtest/gtest.h>

#include "common/LinkedList.h"

namespace {

TEST(LinkedList, CursorWalksStopsAtTheEndsAndStaysPutWhileAdding) {
    CLinkedList<int> list;
    int item = -1;
    EXPECT_EQ(list.First(item), LIST_EMPTY);
    EXPECT_EQ(list.Next(item), LIST_EMPTY);
    EXPECT_EQ(list.RemoveCurrent(item), LIST_EMPTY);
    EXPECT_EQ(list.RemoveHead(item), LIST_EMPTY);
    EXPECT_EQ(item, -1) << "failed operations must not touch the out item";

    for (int i : {1, 2, 3}) list.AddHead(i);  // 3 2 1
    EXPECT_EQ(list.Next(item), LIST_NO_CURSOR) << "a filled list has no cursor until First/Last";
    ASSERT_EQ(list.First(item), LIST_OK);
    EXPECT_EQ(list.Prev(item), LIST_AT_HEAD);
    EXPECT_EQ(item, 3);
    ASSERT_EQ(list.Next(item), LIST_OK);
    list.AddHead(9);
    list.AddTail(0);
    ASSERT_EQ(list.Next(item), LIST_OK);
    EXPECT_EQ(item, 1) << "adding does not move the cursor";
    ASSERT_EQ(list.Next(item), LIST_OK);
    EXPECT_EQ(list.Next(item), LIST_AT_TAIL);
    EXPECT_EQ(item, 0);
    EXPECT_EQ(list.GetCount(), 5);
}

TEST(LinkedList, RemovalsAndRestoreKeepTheCursorOnAListedNode) {
    CLinkedList<int> list;
    for (int i : {1, 2, 3, 4}) list.AddHead(i);  // 4 3 2 1
    int item = 0;
    list.First(item);
    ASSERT_EQ(list.RemoveHead(item), LIST_OK);
    list.GetCurrent(item);
    EXPECT_EQ(item, 3) << "removing the cursor's head node moves the cursor to the new head";
    const auto saved = list.GetCursor();
    list.Next(item);  // on 2
    ASSERT_EQ(list.RemoveCurrent(item), LIST_OK);
    EXPECT_EQ(item, 2);
    list.GetCurrent(item);
    EXPECT_EQ(item, 1) << "the node that followed toward the tail";
    ASSERT_EQ(list.RemoveCurrent(item), LIST_OK);
    list.GetCurrent(item);
    EXPECT_EQ(item, 3) << "removing the tail puts the cursor on the new tail";

    ASSERT_EQ(list.RestoreCursor(saved), LIST_OK);
    list.RemoveCurrent(item);
    EXPECT_EQ(list.GetCurrent(item), LIST_EMPTY);
    EXPECT_NE(list.RestoreCursor(saved), LIST_OK) << "the saved node is gone";
    EXPECT_TRUE(list.IsEmpty());
}

}  // namespace
