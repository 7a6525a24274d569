#include <gtest/gtest.h>

#include "common/LinkedList.h"

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
