// CLinkedList: the program's doubly linked list of items (pointers or numbers)
// with exactly one cursor. Every operation reports a status code; the list
// never frees what its items point to.
#pragma once

#include <cstddef>
#include <new>

enum ListStatus : int {
    LIST_OK = 0,          // done
    LIST_NO_MEMORY = 1,   // out of memory
    LIST_EMPTY = 2,       // list empty or no cursor
    LIST_AT_TAIL = 3,     // cursor already at the tail
    LIST_AT_HEAD = 4,     // cursor already at the head
    LIST_NO_CURSOR = 5,   // no cursor
};

template <typename T>
class CLinkedList {
public:
    struct Node {
        T item;
        Node* prev;  // toward the head
        Node* next;  // toward the tail
    };
    using Position = const Node*;

    CLinkedList() = default;
    CLinkedList(const CLinkedList&) = delete;
    CLinkedList& operator=(const CLinkedList&) = delete;
    ~CLinkedList() { RemoveAll(); }

    int AddHead(T item) {
        Node* n = new (std::nothrow) Node{item, nullptr, m_pHead};
        if (!n) return LIST_NO_MEMORY;
        if (m_pHead) m_pHead->prev = n; else m_pTail = n;
        m_pHead = n;
        ++m_nCount;
        return LIST_OK;
    }

    int AddTail(T item) {
        Node* n = new (std::nothrow) Node{item, m_pTail, nullptr};
        if (!n) return LIST_NO_MEMORY;
        if (m_pTail) m_pTail->next = n; else m_pHead = n;
        m_pTail = n;
        ++m_nCount;
        return LIST_OK;
    }

    int RemoveHead(T& item) {
        if (!m_pHead) return LIST_EMPTY;
        Node* n = m_pHead;
        item = n->item;
        Unlink(n);
        if (m_pCursor == n) m_pCursor = m_pHead;
        delete n;
        return LIST_OK;
    }

    int First(T& item) {
        if (!m_pHead) return LIST_EMPTY;
        m_pCursor = m_pHead;
        item = m_pCursor->item;
        return LIST_OK;
    }

    int Last(T& item) {
        if (!m_pTail) return LIST_EMPTY;
        m_pCursor = m_pTail;
        item = m_pCursor->item;
        return LIST_OK;
    }

    int Next(T& item) {
        if (!m_pHead) return LIST_EMPTY;
        if (!m_pCursor) return LIST_NO_CURSOR;
        if (!m_pCursor->next) return LIST_AT_TAIL;
        m_pCursor = m_pCursor->next;
        item = m_pCursor->item;
        return LIST_OK;
    }

    int Prev(T& item) {
        if (!m_pHead) return LIST_EMPTY;
        if (!m_pCursor) return LIST_NO_CURSOR;
        if (!m_pCursor->prev) return LIST_AT_HEAD;
        m_pCursor = m_pCursor->prev;
        item = m_pCursor->item;
        return LIST_OK;
    }

    int GetCurrent(T& item) const {
        if (!m_pCursor) return LIST_EMPTY;
        item = m_pCursor->item;
        return LIST_OK;
    }

    // Removes the cursor's node; the cursor moves to the node that followed it
    // toward the tail, or to the new tail when the removed node was the tail.
    int RemoveCurrent(T& item) {
        if (!m_pCursor) return LIST_EMPTY;
        Node* n = m_pCursor;
        item = n->item;
        m_pCursor = n->next ? n->next : n->prev;
        Unlink(n);
        delete n;
        return LIST_OK;
    }

    // The cursor's node, to be given back to RestoreCursor later.
    Position GetCursor() const { return m_pCursor; }
    void ClearCursor() { m_pCursor = nullptr; }

    // Puts the cursor back on a remembered node, only if it is still listed.
    int RestoreCursor(Position pos) {
        if (!pos) return LIST_NO_CURSOR;
        for (Node* n = m_pHead; n; n = n->next) {
            if (n == pos) {
                m_pCursor = n;
                return LIST_OK;
            }
        }
        return LIST_NO_CURSOR;
    }

    int RemoveAll() {
        Node* n = m_pHead;
        while (n) {
            Node* next = n->next;
            delete n;
            n = next;
        }
        m_pHead = m_pTail = m_pCursor = nullptr;
        m_nCount = 0;
        return LIST_OK;
    }

    int GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    // Read-only walks that leave the cursor alone (head to tail).
    Position HeadPosition() const { return m_pHead; }
    Position TailPosition() const { return m_pTail; }
    static Position NextPosition(Position p) { return p ? p->next : nullptr; }
    static Position PrevPosition(Position p) { return p ? p->prev : nullptr; }
    static const T& ItemAt(Position p) { return p->item; }

private:
    void Unlink(Node* n) {
        if (n->prev) n->prev->next = n->next; else m_pHead = n->next;
        if (n->next) n->next->prev = n->prev; else m_pTail = n->prev;
        --m_nCount;
    }

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    Node* m_pCursor = nullptr;
    int m_nCount = 0;
};
