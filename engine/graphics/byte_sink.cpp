#include "engine/graphics/byte_sink.h"

#include "engine/core/error.h"
#include "engine/core/memory.h"

#include <cstring>

CxByteSink::~CxByteSink()
{
    if (m_pData)
        CX_FREE(m_pData);
}

bool CxByteSink::Reserve(uint32_t count)
{
    if (m_bFailed)
        return false;
    if (count <= m_nCapacity - m_nSize)
        return true;
    const uint64_t needed = static_cast<uint64_t>(m_nSize) + count;
    if (needed > CX_BUFFER_MAX_SIZE)
    {
        m_bFailed = true;
        return false;
    }
    uint64_t capacity = m_nCapacity ? m_nCapacity : 4096;
    while (capacity < needed)
        capacity *= 2;
    if (capacity > CX_BUFFER_MAX_SIZE)
        capacity = CX_BUFFER_MAX_SIZE;
    uint8_t* block = static_cast<uint8_t*>(CX_ALLOC(static_cast<size_t>(capacity)));
    if (!block)
    {
        m_bFailed = true;
        return false;
    }
    if (m_nSize)
        memcpy(block, m_pData, m_nSize);
    if (m_pData)
        CX_FREE(m_pData);
    m_pData = block;
    m_nCapacity = static_cast<uint32_t>(capacity);
    return true;
}

void CxByteSink::Append(const void* data, uint32_t count)
{
    if (count == 0 || !Reserve(count))
        return;
    memcpy(m_pData + m_nSize, data, count);
    m_nSize += count;
}

uint32_t CxByteSink::CopyTo(CxBuffer& destination) const
{
    if (m_bFailed)
        return CX_ERR_OUT_OF_MEMORY;
    destination.Free();
    if (m_nSize == 0)
        return CX_ERR_NONE;
    const uint32_t result = destination.Allocate(m_nSize);
    if (result != CX_ERR_NONE)
        return result;
    memcpy(destination.GetData(), m_pData, m_nSize);
    return CX_ERR_NONE;
}
