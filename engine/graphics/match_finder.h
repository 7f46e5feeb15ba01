// CxMatchFinder: finds earlier occurrences of the bytes at a position for the
// LZ-style encoders (DEFLATE, LZSS, 16-bit-token LZ77), through hash chains
// over the first three bytes of every position.
#pragma once

#include <cstdint>

class CxMatchFinder
{
public:
    CxMatchFinder() = default;
    CxMatchFinder(const CxMatchFinder&) = delete;
    CxMatchFinder& operator=(const CxMatchFinder&) = delete;
    ~CxMatchFinder();

    // maxDistance at most 65535; false when the tables cannot be allocated.
    bool Init(const uint8_t* data, uint32_t size, uint32_t maxDistance, uint32_t minLength,
              uint32_t maxLength, uint32_t maxChain);
    // Candidates whose position p has (p & excludeMask) == excludeValue are
    // skipped (the LZSS window cannot name position 0).
    void SetExclusion(uint32_t excludeMask, uint32_t excludeValue)
    {
        m_nExcludeMask = excludeMask;
        m_nExcludeValue = excludeValue;
    }

    // The longest earlier match at pos (0 when shorter than the minimum);
    // distance receives how far back it starts. Does not insert pos.
    uint32_t Find(uint32_t pos, uint32_t* distance) const;
    // Makes pos findable by later positions; positions must be inserted in order.
    void Insert(uint32_t pos);

private:
    static constexpr uint32_t HASH_BITS = 15;

    uint32_t Hash(uint32_t pos) const
    {
        const uint32_t v = m_pData[pos] | m_pData[pos + 1] << 8 | m_pData[pos + 2] << 16;
        return (v * 2654435761u) >> (32 - HASH_BITS);
    }

    const uint8_t* m_pData = nullptr;
    uint32_t m_nSize = 0;
    uint32_t m_nMaxDistance = 0;
    uint32_t m_nMinLength = 3;
    uint32_t m_nMaxLength = 0;
    uint32_t m_nMaxChain = 0;
    uint32_t m_nExcludeMask = 0;
    uint32_t m_nExcludeValue = 1;
    int32_t* m_pHead = nullptr;
    int32_t* m_pPrevious = nullptr; // indexed by position modulo the window
};
