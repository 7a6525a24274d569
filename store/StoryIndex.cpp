#include "store/StoryIndex.h"

#include <cstring>

#include "store/Story.h"

namespace {

int Compare(const HeadlineKey& key, const StoryIndexNode* pNode) {
    return CompareHeadlineKeys(key.szPrefix, key.nSum, key.nLength, pNode->szPrefix, pNode->nSum, pNode->nLength);
}

}  // namespace

CStoryIndex::CStoryIndex() {
    m_pHead = m_pool.Allocate();
    m_pTail = m_pHead;
}

StoryIndexNode* CStoryIndex::Find(const HeadlineKey& key) const {
    StoryIndexNode* pNode = m_pHead ? m_pHead->pRight : nullptr;
    while (pNode) {
        const int c = Compare(key, pNode);
        if (c == 0 && pNode->nState != STORY_SUPERSEDED) return pNode;
        pNode = c < 0 ? pNode->pLeft : pNode->pRight;
    }
    return nullptr;
}

StoryIndexNode* CStoryIndex::FindAny(const HeadlineKey& key) const {
    StoryIndexNode* pNode = m_pHead ? m_pHead->pRight : nullptr;
    while (pNode) {
        const int c = Compare(key, pNode);
        if (c == 0) return pNode;
        pNode = c < 0 ? pNode->pLeft : pNode->pRight;
    }
    return nullptr;
}

StoryIndexNode* CStoryIndex::Insert(const HeadlineKey& key, std::int8_t nState, std::int32_t tFound,
                                    std::uint32_t nOffset, StoryIndexNode* pSpare) {
    if (!m_pHead) {
        m_pool.Release(pSpare);
        return nullptr;
    }
    StoryIndexNode* pParent = m_pHead;
    bool bLeft = false;  // the root hangs on the sentinel's right
    for (StoryIndexNode* pNode = m_pHead->pRight; pNode;) {
        const int c = Compare(key, pNode);
        if (c == 0) {
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
    std::memcpy(pNew->szPrefix, key.szPrefix, sizeof pNew->szPrefix);
    pNew->nSum = key.nSum;
    pNew->nLength = key.nLength;
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
