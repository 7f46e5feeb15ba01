// CxBitBuffer: a byte buffer read or written one bit at a time, most
// significant bit of each byte first. The decoders of the engine's codecs
// wrap their source in one without copying it.
#pragma once

#include "engine/core/buffer.h"

#include <cstdint>

class CxBitBuffer : public CxBuffer
{
public:
    CxBitBuffer() = default;
    // Wraps existing memory (see CxBuffer); reading starts at its first bit.
    CxBitBuffer(void* data, uint32_t size, bool borrowed);
    // A partially written byte is stored when there is room for it.
    ~CxBitBuffer() override;

    // Allocates as CxBuffer does and starts again at the first bit.
    uint32_t Allocate(uint32_t size) override;
    // Back to the first bit: position 0, current byte 0, mask 0x80.
    void Reset();

    // The next bit (0 or 1). Past the end of the data the buffer takes error
    // 13 and every further read gives 0.
    uint32_t ReadBit();
    // count bits (1 to 32), the first one read becoming the most significant.
    // When the data ends midway the bits gathered so far are returned.
    uint32_t ReadBits(uint32_t count);

    // Appends one bit; a completed byte is stored at the byte position. Past
    // the end of the buffer the byte is dropped and the buffer takes error 13.
    void WriteBit(uint32_t bit);
    // Appends the low count bits of value (1 to 32), most significant first.
    void WriteBits(uint32_t value, uint32_t count);
    // Stores a partially written byte (its unused low bits zero) and moves on
    // to the next byte boundary.
    void Flush();

    // Bytes fetched (reading) or stored (writing) so far.
    uint32_t GetPosition() const { return m_nPosition; }
    // True when no bits of a partly read or written byte are pending.
    bool IsAligned() const { return m_nMask == 0x80; }

private:
    void StoreCurrent();

    uint32_t m_nPosition = 0; // bit 31 unused: positions are 31-bit like the size
    uint8_t m_nCurrent = 0;
    uint8_t m_nMask = 0x80;
    bool m_bWriting = false;
};
