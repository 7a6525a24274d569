#include "store/StoryNodePool.h"

#include <cstring>
#include <new>

StoryNodePool::~StoryNodePool() {
    StoryNodeBlock* pBlock = nullptr;
    while (m_blocks.RemoveHead(pBlock) == LIST_OK) delete pBlock;
}

StoryIndexNode* StoryNodePool::Allocate() {
    for (auto pos = m_blocks.HeadPosition(); pos; pos = m_blocks.NextPosition(pos)) {
        StoryNodeBlock* pBlock = m_blocks.ItemAt(pos);
        if (pBlock->nUsed >= STORY_POOL_BLOCK_SLOTS) continue;
        for (int byte = 0; byte < STORY_POOL_BLOCK_SLOTS / 8; ++byte) {
            if (pBlock->bitmap[byte] == 0xFF) continue;
            for (int bit = 0; bit < 8; ++bit) {
                const std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> bit);
                if (pBlock->bitmap[byte] & mask) continue;
                pBlock->bitmap[byte] |= mask;
                ++pBlock->nUsed;
                StoryIndexNode* pNode = &pBlock->slots[byte * 8 + bit];
                std::memset(pNode, 0, sizeof *pNode);
                return pNode;
            }
        }
    }
    auto* pBlock = new (std::nothrow) StoryNodeBlock;
    if (!pBlock) return nullptr;
    pBlock->nUsed = 1;
    std::memset(pBlock->bitmap, 0, sizeof pBlock->bitmap);
    pBlock->bitmap[0] = 0x80;
    if (m_blocks.AddTail(pBlock) != LIST_OK) {
        delete pBlock;
        return nullptr;
    }
    StoryIndexNode* pNode = &pBlock->slots[0];
    std::memset(pNode, 0, sizeof *pNode);
    return pNode;
}

void StoryNodePool::Release(StoryIndexNode* pNode) {
    if (!pNode) return;
    for (auto pos = m_blocks.HeadPosition(); pos; pos = m_blocks.NextPosition(pos)) {
        StoryNodeBlock* pBlock = m_blocks.ItemAt(pos);
        const auto first = reinterpret_cast<std::uintptr_t>(pBlock->slots);
        const auto addr = reinterpret_cast<std::uintptr_t>(pNode);
        if (addr < first || addr >= first + sizeof pBlock->slots) continue;
        const std::size_t slot = (addr - first) / sizeof(StoryIndexNode);
        const std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (slot % 8));
        if (!(pBlock->bitmap[slot / 8] & mask)) return;  // already free
        pBlock->bitmap[slot / 8] &= static_cast<std::uint8_t>(~mask);
        if (--pBlock->nUsed == 0) {
            m_blocks.RestoreCursor(pos);
            StoryNodeBlock* pRemoved = nullptr;
            m_blocks.RemoveCurrent(pRemoved);
            m_blocks.ClearCursor();
            delete pRemoved;
        }
        return;
    }
}
