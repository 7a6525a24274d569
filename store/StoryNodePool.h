// StoryIndexNode and StoryNodePool: the per-story index node of a story file
// and the block allocator the nodes live in (512 slots per block with an
// occupancy bitmap), so that the index costs one allocation per 512 stories.
#pragma once

#include <cstdint>

#include "common/LinkedList.h"

// One story in a story file's index: its headline key and hash, state, age and where
// its record starts in the file, linked into the search tree and the
// file-order list. The headline text itself stays on disk.
struct StoryIndexNode {
    char szPrefix[7];         // first up to six characters of the headline, zero-filled
    std::int8_t nState;       // the record's StoryState
    std::uint16_t nSum;       // headline key sum
    std::uint16_t nLength;    // headline key length
    std::int32_t tFound;      // the record's time found
    std::uint32_t nOffset;    // file position of the record's 0xFF marker
    std::uint32_t nHash;      // HeadlineHash of the headline (fills what would be padding)
    StoryIndexNode* pLeft;    // smaller keys
    StoryIndexNode* pRight;   // larger keys
    StoryIndexNode* pNext;    // successor in file order
};

static_assert(sizeof(StoryIndexNode) <= 48, "an index node must stay small: one per story is held in memory");

constexpr int STORY_POOL_BLOCK_SLOTS = 512;

struct StoryNodeBlock {
    std::uint32_t nUsed;                                  // slots in use
    std::uint8_t bitmap[STORY_POOL_BLOCK_SLOTS / 8];      // slot i is bit 0x80 >> (i % 8) of byte i / 8
    StoryIndexNode slots[STORY_POOL_BLOCK_SLOTS];
};

class StoryNodePool {
public:
    StoryNodePool() = default;
    StoryNodePool(const StoryNodePool&) = delete;
    StoryNodePool& operator=(const StoryNodePool&) = delete;
    ~StoryNodePool();

    // Takes the first free slot of the first block that has one, adding a new
    // block at the end when all are full. The node comes back zeroed (no
    // children, no successor). Null when memory runs out.
    StoryIndexNode* Allocate();
    // Gives a node's slot back; a block left empty is freed.
    void Release(StoryIndexNode* pNode);

    int BlockCount() const { return m_blocks.GetCount(); }
    // Bytes held by the pool's blocks (not counting the list's own nodes).
    std::size_t BlockBytes() const { return static_cast<std::size_t>(BlockCount()) * sizeof(StoryNodeBlock); }

private:
    CLinkedList<StoryNodeBlock*> m_blocks;
};
