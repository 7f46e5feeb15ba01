#include "engine/graphics/match_finder.h"

#include "engine/core/memory.h"

#include <bit>
#include <cstring>

namespace {
// How many leading bytes of a and b agree, at most limit; eight at a time.
uint32_t CommonLength(const uint8_t* a, const uint8_t* b, uint32_t limit)
{
    uint32_t length = 0;
    if constexpr (std::endian::native == std::endian::little)
    {
        while (limit - length >= 8)
        {
            uint64_t x;
            uint64_t y;
            memcpy(&x, a + length, 8);
            memcpy(&y, b + length, 8);
            if (x != y)
                return length + static_cast<uint32_t>(std::countr_zero(x ^ y)) / 8;
            length += 8;
        }
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}
} // namespace

CxMatchFinder::~CxMatchFinder()
{
    if (m_pHead)
        CX_FREE(m_pHead);
}

bool CxMatchFinder::Init(const uint8_t* data, uint32_t size, uint32_t maxDistance, uint32_t minLength,
                         uint32_t maxLength, uint32_t maxChain)
{
    m_pData = data;
    m_nSize = size;
    m_nMaxDistance = maxDistance > 65535 ? 65535 : maxDistance;
    m_nMinLength = minLength < 3 ? 3 : minLength;
    m_nMaxLength = maxLength;
    m_nMaxChain = maxChain;
    if (!m_pHead)
    {
        // One block: the hash heads, then one link per window position.
        m_pHead = static_cast<int32_t*>(CX_ALLOC(((1u << HASH_BITS) + 65536) * sizeof(int32_t)));
        if (!m_pHead)
            return false;
        m_pPrevious = m_pHead + (1u << HASH_BITS);
    }
    for (uint32_t i = 0; i < (1u << HASH_BITS); ++i)
        m_pHead[i] = -1;
    return true;
}

void CxMatchFinder::Insert(uint32_t pos)
{
    if (pos + 3 > m_nSize)
        return;
    const uint32_t h = Hash(pos);
    m_pPrevious[pos & 0xFFFF] = m_pHead[h];
    m_pHead[h] = static_cast<int32_t>(pos);
}

uint32_t CxMatchFinder::Find(uint32_t pos, uint32_t* distance) const
{
    *distance = 0;
    if (pos + m_nMinLength > m_nSize)
        return 0;
    const uint32_t limit = m_nSize - pos < m_nMaxLength ? m_nSize - pos : m_nMaxLength;
    const uint8_t* current = m_pData + pos;
    uint32_t best = 0;
    uint32_t chain = m_nMaxChain;
    for (int32_t candidate = m_pHead[Hash(pos)]; candidate >= 0 && chain > 0;
         candidate = m_pPrevious[candidate & 0xFFFF], --chain)
    {
        const uint32_t back = pos - static_cast<uint32_t>(candidate);
        if (back > m_nMaxDistance)
            break;
        if ((static_cast<uint32_t>(candidate) & m_nExcludeMask) == m_nExcludeValue)
            continue;
        const uint8_t* earlier = m_pData + candidate;
        // Only a candidate that beats the best so far at its last byte can win.
        if (earlier[best] != current[best] && best > 0)
            continue;
        const uint32_t length = CommonLength(earlier, current, limit);
        if (length > best)
        {
            best = length;
            *distance = back;
            if (length >= limit)
                break;
        }
    }
    if (best < m_nMinLength)
    {
        *distance = 0;
        return 0;
    }
    return best;
}
