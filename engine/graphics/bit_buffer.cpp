#include "engine/graphics/bit_buffer.h"

CxBitBuffer::CxBitBuffer(void* data, uint32_t size, bool borrowed) : CxBuffer(data, size, borrowed) {}

CxBitBuffer::~CxBitBuffer()
{
    if (m_bWriting && m_nMask != 0x80 && m_nPosition < GetSize() && m_pData)
        m_pData[m_nPosition] = m_nCurrent;
}

uint32_t CxBitBuffer::Allocate(uint32_t size)
{
    const uint32_t result = CxBuffer::Allocate(size);
    Reset();
    return result;
}

void CxBitBuffer::Reset()
{
    m_nPosition = 0;
    m_nCurrent = 0;
    m_nMask = 0x80;
    m_bWriting = false;
}

uint32_t CxBitBuffer::ReadBit()
{
    if (m_nError != CX_ERR_NONE || !m_pData)
        return 0;
    if (m_nMask == 0x80)
    {
        if (m_nPosition >= GetSize())
        {
            // Running out of data is an ordinary event for a decoder: it is
            // recorded here and judged by the caller, not reported.
            SetErrorCode(CX_ERR_UNKNOWN);
            return 0;
        }
        m_nCurrent = m_pData[m_nPosition++];
    }
    const uint32_t bit = (m_nCurrent & m_nMask) ? 1 : 0;
    m_nMask >>= 1;
    if (m_nMask == 0)
        m_nMask = 0x80;
    return bit;
}

uint32_t CxBitBuffer::ReadBits(uint32_t count)
{
    if (count > 32)
        count = 32;
    uint32_t value = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        if (m_nError != CX_ERR_NONE)
            break;
        const uint32_t bit = ReadBit();
        if (m_nError != CX_ERR_NONE)
            break;
        value = (value << 1) | bit;
    }
    return value;
}

void CxBitBuffer::StoreCurrent()
{
    if (m_pData && m_nPosition < GetSize())
        m_pData[m_nPosition++] = m_nCurrent;
    else
        SetErrorCode(CX_ERR_UNKNOWN);
    m_nCurrent = 0;
    m_nMask = 0x80;
}

void CxBitBuffer::WriteBit(uint32_t bit)
{
    m_bWriting = true;
    if (bit)
        m_nCurrent |= m_nMask;
    m_nMask >>= 1;
    if (m_nMask == 0)
        StoreCurrent();
}

void CxBitBuffer::WriteBits(uint32_t value, uint32_t count)
{
    if (count > 32)
        count = 32;
    for (uint32_t i = count; i > 0; --i)
        WriteBit((value >> (i - 1)) & 1);
}

void CxBitBuffer::Flush()
{
    if (m_nMask == 0x80)
        return;
    if (m_bWriting)
    {
        StoreCurrent();
        return;
    }
    // A reader just drops the rest of the current byte.
    m_nMask = 0x80;
}
