#include "engine/core/buffer.h"

#include "engine/core/memory.h"

CxBuffer::CxBuffer(void* data, uint32_t size, bool borrowed)
    : m_pData(static_cast<uint8_t*>(data)),
      m_nSize((size & CX_BUFFER_MAX_SIZE) | (borrowed ? CX_BUFFER_BORROWED : 0))
{
}

CxBuffer::~CxBuffer()
{
    Free();
}

uint32_t CxBuffer::Allocate(uint32_t size)
{
    if (m_nError != CX_ERR_NONE)
        return m_nError;
    if (m_pData && GetSize() == size)
        return m_nError;
    Free();
    m_nSize = 0; // the new block is our own
    if (size == 0)
        return m_nError;
    if (size <= CX_BUFFER_MAX_SIZE)
        m_pData = static_cast<uint8_t*>(CX_ALLOC(size));
    if (!m_pData)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate %ld bytes for a CxBuffer object",
                 static_cast<long>(size));
        return m_nError;
    }
    m_nSize = size;
    return m_nError;
}

void CxBuffer::Free()
{
    if (m_pData && !IsBorrowed())
        CX_FREE(m_pData);
    m_pData = nullptr;
    m_nSize &= CX_BUFFER_BORROWED;
}
