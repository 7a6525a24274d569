// CStoryIndex: the in-memory index of one story file: an unbalanced binary
// search tree over headline keys plus a list of the nodes in file order,
// all held in a StoryNodePool. A sentinel node in the pool's first slot heads
// both: its right child is the tree's root, its successor the first story.
#pragma once

#include <cstdint>

#include "common/HeadlineKey.h"
#include "store/StoryNodePool.h"

class CStoryIndex {
public:
    CStoryIndex();
    ~CStoryIndex() = default;  // the nodes go with the pool's blocks
    CStoryIndex(const CStoryIndex&) = delete;
    CStoryIndex& operator=(const CStoryIndex&) = delete;

    // False when not even the sentinel could be allocated.
    bool IsValid() const { return m_pHead != nullptr; }

    StoryIndexNode* Head() const { return m_pHead; }
    StoryIndexNode* Tail() const { return m_pTail; }
    StoryIndexNode* First() const { return m_pHead ? m_pHead->pNext : nullptr; }
    int Count() const { return m_nCount; }

    // The live story with that key: an equal node that is superseded sends
    // the search on to the right. Null when there is none.
    StoryIndexNode* Find(const HeadlineKey& key) const;
    // The node with that key, whatever its state.
    StoryIndexNode* FindAny(const HeadlineKey& key) const;

    // Records a story at a file offset. A node with an equal key (whatever its
    // state) takes the new state, time and offset; otherwise a new node is
    // hung below the last node visited and appended to the file order. The
    // new node is pSpare when given (see AllocateSpare), else allocated here;
    // an unused spare is given back. Null only when memory runs out.
    StoryIndexNode* Insert(const HeadlineKey& key, std::int8_t nState, std::int32_t tFound, std::uint32_t nOffset,
                           StoryIndexNode* pSpare = nullptr);

    // A node allocated ahead of an Insert, so that a caller can make sure of
    // the memory before it writes anything to disk.
    StoryIndexNode* AllocateSpare() { return m_pool.Allocate(); }
    void ReleaseSpare(StoryIndexNode* pNode) { m_pool.Release(pNode); }

    const StoryNodePool& Pool() const { return m_pool; }

private:
    StoryNodePool m_pool;  // declared first: the nodes live in it
    StoryIndexNode* m_pHead = nullptr;
    StoryIndexNode* m_pTail = nullptr;
    int m_nCount = 0;
};
