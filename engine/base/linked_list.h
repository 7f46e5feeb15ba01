// CxLinkedList: a doubly linked list of values with head, tail and a 16-bit
// count. The list owns its nodes only: destroying it (or removing a node)
// never deletes what a pointer value points to. CxQueue uses the same nodes
// first in, first out.
#pragma once

#include <cstdint>
#include <new>

template <class T>
struct CxListNode
{
    T m_Value;
    CxListNode* m_pPrev = nullptr;
    CxListNode* m_pNext = nullptr;

    explicit CxListNode(const T& value) : m_Value(value) {}
    CxListNode* GetNext() const { return m_pNext; }
    CxListNode* GetPrev() const { return m_pPrev; }
};

template <class T>
class CxLinkedList
{
public:
    using Node = CxListNode<T>;

    CxLinkedList() = default;
    CxLinkedList(const CxLinkedList&) = delete;
    CxLinkedList& operator=(const CxLinkedList&) = delete;
    virtual ~CxLinkedList() { RemoveAll(); }

    Node* GetHead() const { return m_pHead; }
    Node* GetTail() const { return m_pTail; }
    uint16_t GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_pHead == nullptr; }

    // Each insertion returns the new node, or null when memory ran out.
    Node* AddTail(const T& value) { return InsertAfter(m_pTail, value); }
    Node* AddHead(const T& value) { return InsertBefore(m_pHead, value); }

    Node* InsertAfter(Node* where, const T& value)
    {
        Node* node = new (std::nothrow) Node(value);
        if (!node)
            return nullptr;
        node->m_pPrev = where;
        node->m_pNext = where ? where->m_pNext : m_pHead;
        Link(node);
        return node;
    }

    Node* InsertBefore(Node* where, const T& value)
    {
        Node* node = new (std::nothrow) Node(value);
        if (!node)
            return nullptr;
        node->m_pNext = where;
        node->m_pPrev = where ? where->m_pPrev : m_pTail;
        Link(node);
        return node;
    }

    // Unlinks and deletes the node; returns the node that followed it.
    Node* RemoveNode(Node* node)
    {
        if (!node)
            return nullptr;
        Node* next = node->m_pNext;
        (node->m_pPrev ? node->m_pPrev->m_pNext : m_pHead) = node->m_pNext;
        (node->m_pNext ? node->m_pNext->m_pPrev : m_pTail) = node->m_pPrev;
        delete node;
        --m_nCount;
        return next;
    }

    // Removes the first node holding value; true when one was found.
    bool Remove(const T& value)
    {
        Node* node = Find(value);
        if (!node)
            return false;
        RemoveNode(node);
        return true;
    }

    T RemoveHead()
    {
        T value = m_pHead->m_Value;
        RemoveNode(m_pHead);
        return value;
    }

    T RemoveTail()
    {
        T value = m_pTail->m_Value;
        RemoveNode(m_pTail);
        return value;
    }

    void RemoveAll()
    {
        while (m_pHead)
            RemoveNode(m_pHead);
    }

    Node* Find(const T& value) const
    {
        for (Node* node = m_pHead; node; node = node->m_pNext)
            if (node->m_Value == value)
                return node;
        return nullptr;
    }

    Node* GetAt(uint32_t index) const
    {
        Node* node = m_pHead;
        while (node && index--)
            node = node->m_pNext;
        return node;
    }

private:
    void Link(Node* node)
    {
        (node->m_pPrev ? node->m_pPrev->m_pNext : m_pHead) = node;
        (node->m_pNext ? node->m_pNext->m_pPrev : m_pTail) = node;
        ++m_nCount;
    }

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    uint16_t m_nCount = 0;
};

template <class T>
class CxQueue : public CxLinkedList<T>
{
public:
    CxListNode<T>* Enqueue(const T& value) { return this->AddTail(value); }
    // The oldest value; the queue must not be empty.
    T Dequeue() { return this->RemoveHead(); }
    const T& Peek() const { return this->GetHead()->m_Value; }
};
