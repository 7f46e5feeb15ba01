// CxHashTable: a fixed number of buckets, each a CxLinkedList of values.
// Strings hash with CxString::Hash and compare without regard to case, so
// "$GAMEPATH" lookups of file names ignore letter case.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"

inline uint32_t CxHashOf(const CxString& value)
{
    return value.Hash();
}
inline bool CxHashEquals(const CxString& a, const CxString& b)
{
    return a.CompareNoCase(b.c_str()) == 0;
}

template <class T, int N>
class CxHashTable
{
    static_assert(N > 0, "a hash table needs buckets");

public:
    static constexpr int BUCKETS = N;

    bool Add(const T& value) { return m_Buckets[BucketOf(value)].AddTail(value) != nullptr; }

    // The stored value equal to value, or null.
    const T* Find(const T& value) const
    {
        for (auto* node = m_Buckets[BucketOf(value)].GetHead(); node; node = node->GetNext())
            if (CxHashEquals(node->m_Value, value))
                return &node->m_Value;
        return nullptr;
    }

    bool Contains(const T& value) const { return Find(value) != nullptr; }

    bool Remove(const T& value)
    {
        auto& bucket = m_Buckets[BucketOf(value)];
        for (auto* node = bucket.GetHead(); node; node = node->GetNext())
            if (CxHashEquals(node->m_Value, value))
            {
                bucket.RemoveNode(node);
                return true;
            }
        return false;
    }

    void RemoveAll()
    {
        for (auto& bucket : m_Buckets)
            bucket.RemoveAll();
    }

    uint32_t GetCount() const
    {
        uint32_t count = 0;
        for (const auto& bucket : m_Buckets)
            count += bucket.GetCount();
        return count;
    }

    const CxLinkedList<T>& GetBucket(int index) const { return m_Buckets[index]; }
    static int BucketOf(const T& value) { return static_cast<int>(CxHashOf(value) % N); }

private:
    CxLinkedList<T> m_Buckets[N];
};
