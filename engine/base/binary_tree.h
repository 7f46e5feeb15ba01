// CxBinaryTree: a sorted (unbalanced) binary search tree of key/value pairs
// with an in-order iterator. Keys are compared with operator<; inserting an
// existing key replaces its value.
#pragma once

#include <cstdint>
#include <new>

template <class K, class V>
struct CxTreeNode
{
    K m_Key;
    V m_Value;
    CxTreeNode* m_pLeft = nullptr;
    CxTreeNode* m_pRight = nullptr;
    CxTreeNode* m_pParent = nullptr;
    CxTreeNode(const K& key, const V& value) : m_Key(key), m_Value(value) {}
};

template <class K, class V>
class CxBinaryTree
{
public:
    using Node = CxTreeNode<K, V>;

    CxBinaryTree() = default;
    CxBinaryTree(const CxBinaryTree&) = delete;
    CxBinaryTree& operator=(const CxBinaryTree&) = delete;
    virtual ~CxBinaryTree() { RemoveAll(); }

    bool Insert(const K& key, const V& value)
    {
        Node* parent = nullptr;
        Node** link = &m_pRoot;
        while (*link)
        {
            parent = *link;
            if (key < parent->m_Key)
                link = &parent->m_pLeft;
            else if (parent->m_Key < key)
                link = &parent->m_pRight;
            else
            {
                parent->m_Value = value;
                return true;
            }
        }
        Node* node = new (std::nothrow) Node(key, value);
        if (!node)
            return false;
        node->m_pParent = parent;
        *link = node;
        ++m_nCount;
        return true;
    }

    Node* FindNode(const K& key) const
    {
        Node* node = m_pRoot;
        while (node)
        {
            if (key < node->m_Key)
                node = node->m_pLeft;
            else if (node->m_Key < key)
                node = node->m_pRight;
            else
                return node;
        }
        return nullptr;
    }

    V* Find(const K& key) const
    {
        Node* node = FindNode(key);
        return node ? &node->m_Value : nullptr;
    }

    bool Remove(const K& key)
    {
        Node* node = FindNode(key);
        if (!node)
            return false;
        if (node->m_pLeft && node->m_pRight)
        {
            // Move the in-order successor's pair here and delete the successor instead.
            Node* next = node->m_pRight;
            while (next->m_pLeft)
                next = next->m_pLeft;
            node->m_Key = next->m_Key;
            node->m_Value = next->m_Value;
            node = next;
        }
        Node* child = node->m_pLeft ? node->m_pLeft : node->m_pRight;
        if (child)
            child->m_pParent = node->m_pParent;
        if (!node->m_pParent)
            m_pRoot = child;
        else if (node->m_pParent->m_pLeft == node)
            node->m_pParent->m_pLeft = child;
        else
            node->m_pParent->m_pRight = child;
        delete node;
        --m_nCount;
        return true;
    }

    void RemoveAll()
    {
        DeleteSubtree(m_pRoot);
        m_pRoot = nullptr;
        m_nCount = 0;
    }

    uint32_t GetCount() const { return m_nCount; }
    Node* GetRoot() const { return m_pRoot; }

    Node* First() const
    {
        Node* node = m_pRoot;
        while (node && node->m_pLeft)
            node = node->m_pLeft;
        return node;
    }

    static Node* Next(Node* node)
    {
        if (!node)
            return nullptr;
        if (node->m_pRight)
        {
            node = node->m_pRight;
            while (node->m_pLeft)
                node = node->m_pLeft;
            return node;
        }
        while (node->m_pParent && node->m_pParent->m_pRight == node)
            node = node->m_pParent;
        return node->m_pParent;
    }

private:
    static void DeleteSubtree(Node* node)
    {
        // Iterative, so a degenerate (list-shaped) tree cannot exhaust the stack.
        while (node)
        {
            if (node->m_pLeft)
            {
                Node* left = node->m_pLeft;
                node->m_pLeft = left->m_pRight;
                left->m_pRight = node;
                node = left;
            }
            else
            {
                Node* right = node->m_pRight;
                delete node;
                node = right;
            }
        }
    }

    Node* m_pRoot = nullptr;
    uint32_t m_nCount = 0;
};

// Walks a tree in key order: for (CxBinaryTreeIterator it(tree); it.IsValid(); it.Next()).
template <class K, class V>
class CxBinaryTreeIterator
{
public:
    explicit CxBinaryTreeIterator(const CxBinaryTree<K, V>& tree) : m_pNode(tree.First()) {}
    bool IsValid() const { return m_pNode != nullptr; }
    void Next() { m_pNode = CxBinaryTree<K, V>::Next(m_pNode); }
    const K& GetKey() const { return m_pNode->m_Key; }
    V& GetValue() const { return m_pNode->m_Value; }

private:
    CxTreeNode<K, V>* m_pNode;
};
