#include "store/StoryIndex.h"

#include <cstring>

#include "store/Story.h"

namespace {

// A headline's place in the tree: its key, then its hash.
struct TreeKey {
    explicit TreeKey(std::string_view headline) : key(MakeHeadlineKey(headline)), nHash(HeadlineHash(headline)) {}
    HeadlineKey key;
    std::uint32_t nHash;
};

int Compare(const TreeKey& k, const StoryIndexNode* pNode) {
    if (const int c = CompareHeadlineKeys(k.key.szPrefix, k.key.nSum, k.key.nLength, pNode->szPrefix, pNode->nSum,
                                          pNode->nLength))
        return c;
    if (k.nHash != pNode->nHash) return k.nHash < pNode->nHash ? -1 : 1;
    return 0;
}

}  // namespace

CStoryIndex::CStoryIndex() {
    m_pHead = m_pool.Allocate();
    m_pTail = m_pHead;
}

StoryIndexNode* CStoryIndex::Find(std::string_view headline, const SameHeadline& same) const {
    const TreeKey key(headline);
    StoryIndexNode* pNode = m_pHead ? m_pHead->pRight : nullptr;
    while (pNode) {
        const int c = Compare(key, pNode);
        if (c == 0 && pNode->nState != STORY_SUPERSEDED && same(*pNode)) return pNode;
        pNode = c < 0 ? pNode->pLeft : pNode->pRight;
    }
    return nullptr;
}

StoryIndexNode* CStoryIndex::FindAny(std::string_view headline, const SameHeadline& same) const {
    const TreeKey key(headline);
    StoryIndexNode* pNode = m_pHead ? m_pHead->pRight : nullptr;
    while (pNode) {
        const int c = Compare(key, pNode);
        if (c == 0 && same(*pNode)) return pNode;
        pNode = c < 0 ? pNode->pLeft : pNode->pRight;
    }
    return nullptr;
}

StoryIndexNode* CStoryIndex::Insert(std::string_view headline, std::int8_t nState, std::int32_t tFound,
                                    std::uint32_t nOffset, const SameHeadline& same, StoryIndexNode* pSpare) {
    const TreeKey key(headline);
    if (!m_pHead) {
        m_pool.Release(pSpare);
        return nullptr;
    }
    StoryIndexNode* pParent = m_pHead;
    bool bLeft = false;  // the root hangs on the sentinel's right
    for (StoryIndexNode* pNode = m_pHead->pRight; pNode;) {
        const int c = Compare(key, pNode);
        if (c == 0 && same && same(*pNode)) {
            pNode->nState = nState;
            pNode->tFound = tFound;
            pNode->nOffset = nOffset;
            m_pool.Release(pSpare);
            return pNode;
        }
        pParent = pNode;
        bLeft = c < 0;
        pNode = bLeft ? pNode->pLeft : pNode->pRight;
    }

    StoryIndexNode* pNew = pSpare ? pSpare : m_pool.Allocate();
    if (!pNew) return nullptr;
    std::memcpy(pNew->szPrefix, key.key.szPrefix, sizeof pNew->szPrefix);
    pNew->nSum = key.key.nSum;
    pNew->nLength = key.key.nLength;
    pNew->nHash = key.nHash;
    pNew->nState = nState;
    pNew->tFound = tFound;
    pNew->nOffset = nOffset;
    pNew->pLeft = pNew->pRight = pNew->pNext = nullptr;
    (bLeft ? pParent->pLeft : pParent->pRight) = pNew;
    m_pTail->pNext = pNew;
    m_pTail = pNew;
    ++m_nCount;
    return pNew;
}
