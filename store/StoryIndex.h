// CStoryIndex: the in-memory index of one story file: an unbalanced binary
// search tree plus a list of the nodes in file order, all held in a
// StoryNodePool. A sentinel node in the pool's first slot heads both: its
// right child is the tree's root, its successor the first story.
//
// The tree is ordered by headline key, then by a hash of the whole headline
// (HeadlineHash). Different headlines can share both, so a node is only the
// story looked for once the caller has compared the headline in its record;
// thanks to the hash that comparison is needed about once per story found
// and almost never for a story that is not there.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

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

    // Asked of a node whose key and hash equal those of the headline looked
    // for: whether the node's record carries that headline.
    using SameHeadline = std::function<bool(const StoryIndexNode&)>;

    // The live story with that headline: a node that is superseded or holds
    // another headline with the same key and hash sends the search on to the
    // right, where Insert hangs such nodes. Null when there is none.
    StoryIndexNode* Find(std::string_view headline, const SameHeadline& same) const;
    // The node with that headline, whatever its state.
    StoryIndexNode* FindAny(std::string_view headline, const SameHeadline& same) const;

    // Records a story at a file offset. A node with the same key and hash
    // for which same says yes (whatever its state) takes the new state, time
    // and offset; otherwise (and always when same is empty) a new node is
    // hung below the last node visited and appended to the file order. The
    // new node is pSpare when given (see AllocateSpare), else allocated here;
    // an unused spare is given back. Null only when memory runs out.
    StoryIndexNode* Insert(std::string_view headline, std::int8_t nState, std::int32_t tFound, std::uint32_t nOffset,
                           const SameHeadline& same, StoryIndexNode* pSpare = nullptr);

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
