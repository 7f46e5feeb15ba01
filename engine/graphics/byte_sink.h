// CxByteSink: a growing block of bytes in engine memory that the encoders
// write their streams into; CxBitSink writes single bits into one, most
// significant bit of each byte first (the order of CxBitBuffer).
#pragma once

#include "engine/core/buffer.h"

#include <cstdint>

class CxByteSink
{
public:
    CxByteSink() = default;
    CxByteSink(const CxByteSink&) = delete;
    CxByteSink& operator=(const CxByteSink&) = delete;
    ~CxByteSink();

    // Makes room for count more bytes; false (and the sink failed) when the
    // memory is refused or the size would pass 2^31 - 1 bytes.
    bool Reserve(uint32_t count);
    void Put(uint8_t value)
    {
        if (m_nSize < m_nCapacity || Reserve(1))
            m_pData[m_nSize++] = value;
    }
    void PutWord(uint16_t value) // little-endian
    {
        Put(static_cast<uint8_t>(value));
        Put(static_cast<uint8_t>(value >> 8));
    }
    void Append(const void* data, uint32_t count);

    uint8_t* GetData() { return m_pData; }
    uint32_t GetSize() const { return m_nSize; }
    bool HasFailed() const { return m_bFailed; }
    // Copies the bytes into destination, sized to fit. Returns an error code.
    uint32_t CopyTo(CxBuffer& destination) const;

private:
    uint8_t* m_pData = nullptr;
    uint32_t m_nSize = 0;
    uint32_t m_nCapacity = 0;
    bool m_bFailed = false;
};

class CxBitSink
{
public:
    explicit CxBitSink(CxByteSink& sink) : m_Sink(sink) {}

    void WriteBit(uint32_t bit)
    {
        if (bit)
            m_nCurrent |= m_nMask;
        m_nMask >>= 1;
        if (m_nMask == 0)
        {
            m_Sink.Put(m_nCurrent);
            m_nCurrent = 0;
            m_nMask = 0x80;
        }
    }
    // The low count bits of value (0 to 32), most significant first.
    void WriteBits(uint32_t value, uint32_t count)
    {
        while (count > 0)
        {
            --count;
            WriteBit((value >> count) & 1);
        }
    }
    // Stores a partly written byte, its unused low bits zero.
    void Flush()
    {
        if (m_nMask != 0x80)
        {
            m_Sink.Put(m_nCurrent);
            m_nCurrent = 0;
            m_nMask = 0x80;
        }
    }

private:
    CxByteSink& m_Sink;
    uint8_t m_nCurrent = 0;
    uint8_t m_nMask = 0x80;
};
