// CxStack: an array-backed stack whose 16-bit capacity is fixed when it is
// allocated. CxArray: a growable array. Both copy their values by assignment.
#pragma once

#include <cstdint>
#include <new>

template <class T>
class CxStack
{
public:
    CxStack() = default;
    explicit CxStack(uint16_t capacity) { Allocate(capacity); }
    CxStack(const CxStack&) = delete;
    CxStack& operator=(const CxStack&) = delete;
    virtual ~CxStack() { delete[] m_pItems; }

    // Drops the contents and makes room for exactly capacity values.
    bool Allocate(uint16_t capacity)
    {
        delete[] m_pItems;
        m_pItems = capacity ? new (std::nothrow) T[capacity] : nullptr;
        m_nCount = 0;
        m_nCapacity = m_pItems ? capacity : 0;
        return m_pItems != nullptr || capacity == 0;
    }

    bool Push(const T& value)
    {
        if (m_nCount >= m_nCapacity)
            return false;
        m_pItems[m_nCount++] = value;
        return true;
    }

    // Takes the top value into out; false when empty.
    bool Pop(T& out)
    {
        if (m_nCount == 0)
            return false;
        out = m_pItems[--m_nCount];
        return true;
    }

    // The top value (depth 0) or one below it; false past the bottom.
    bool Peek(T& out, uint16_t depth = 0) const
    {
        if (depth >= m_nCount)
            return false;
        out = m_pItems[m_nCount - 1 - depth];
        return true;
    }

    void Clear() { m_nCount = 0; }
    uint16_t GetCount() const { return m_nCount; }
    uint16_t GetCapacity() const { return m_nCapacity; }
    bool IsEmpty() const { return m_nCount == 0; }
    bool IsFull() const { return m_nCount >= m_nCapacity; }

private:
    T* m_pItems = nullptr;
    uint16_t m_nCount = 0;
    uint16_t m_nCapacity = 0;
};

template <class T>
class CxArray
{
public:
    CxArray() = default;
    CxArray(const CxArray&) = delete;
    CxArray& operator=(const CxArray&) = delete;
    virtual ~CxArray() { delete[] m_pItems; }

    uint32_t GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    T& operator[](uint32_t index) { return m_pItems[index]; }
    const T& operator[](uint32_t index) const { return m_pItems[index]; }
    T* GetData() { return m_pItems; }

    bool Add(const T& value)
    {
        if (m_nCount == m_nCapacity && !Grow(m_nCapacity ? m_nCapacity * 2 : 8))
            return false;
        m_pItems[m_nCount++] = value;
        return true;
    }

    bool InsertAt(uint32_t index, const T& value)
    {
        if (index > m_nCount)
            index = m_nCount;
        if (!Add(value))
            return false;
        for (uint32_t i = m_nCount - 1; i > index; --i)
            m_pItems[i] = m_pItems[i - 1];
        m_pItems[index] = value;
        return true;
    }

    void RemoveAt(uint32_t index)
    {
        if (index >= m_nCount)
            return;
        for (uint32_t i = index + 1; i < m_nCount; ++i)
            m_pItems[i - 1] = m_pItems[i];
        --m_nCount;
    }

    // Sets the count, growing as needed; new slots hold default values.
    bool SetCount(uint32_t count)
    {
        if (count > m_nCapacity && !Grow(count))
            return false;
        for (uint32_t i = m_nCount; i < count; ++i)
            m_pItems[i] = T();
        m_nCount = count;
        return true;
    }

    void RemoveAll() { m_nCount = 0; }

private:
    bool Grow(uint32_t capacity)
    {
        T* items = new (std::nothrow) T[capacity];
        if (!items)
            return false;
        for (uint32_t i = 0; i < m_nCount; ++i)
            items[i] = m_pItems[i];
        delete[] m_pItems;
        m_pItems = items;
        m_nCapacity = capacity;
        return true;
    }

    T* m_pItems = nullptr;
    uint32_t m_nCount = 0;
    uint32_t m_nCapacity = 0;
};
