// The dispatcher and the encoders of the run-length, LZW, LZSS and LZ77
// methods. The DEFLATE, adaptive Huffman and arithmetic encoders live with
// their models (deflate.cpp, adaptive_huffman.cpp, arithmetic_coder.cpp).
#include "engine/graphics/compress.h"

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/graphics/adaptive_huffman.h"
#include "engine/graphics/arithmetic_coder.h"
#include "engine/graphics/decompress.h"
#include "engine/graphics/match_finder.h"

#include <cstring>

namespace {
uint32_t SinkResult(const CxByteSink& out)
{
    return out.HasFailed() ? CX_ERR_OUT_OF_MEMORY : CX_ERR_NONE;
}

uint32_t RunLength(const uint8_t* p, uint32_t left, uint32_t limit)
{
    uint32_t run = 1;
    while (run < left && run < limit && p[run] == p[0])
        ++run;
    return run;
}

// A byte below 0x80 standing alone is itself; anything else is a run.
uint32_t EncodeRle8(CxByteSink& out, const uint8_t* source, uint32_t size)
{
    for (uint32_t i = 0; i < size && !out.HasFailed();)
    {
        const uint32_t run = RunLength(source + i, size - i, 127);
        if (run == 1 && source[i] < 0x80)
            out.Put(source[i]);
        else
        {
            out.Put(static_cast<uint8_t>(0x80 | run));
            out.Put(source[i]);
        }
        i += run;
    }
    return SinkResult(out);
}

uint32_t EncodeRle16(CxByteSink& out, const uint8_t* source, uint32_t size)
{
    if (size % 2)
        return CX_ERR_INVALID_ARGUMENT; // an odd last byte cannot be represented
    const uint32_t words = size / 2;
    auto word = [&](uint32_t i) { return static_cast<uint16_t>(source[2 * i] | source[2 * i + 1] << 8); };
    for (uint32_t i = 0; i < words && !out.HasFailed();)
    {
        const uint16_t value = word(i);
        uint32_t run = 1;
        while (i + run < words && run < 0x7FFF && word(i + run) == value)
            ++run;
        if (run == 1 && !(value & 0x8000))
            out.PutWord(value);
        else
        {
            out.PutWord(static_cast<uint16_t>(0x8000 | run));
            out.PutWord(value);
        }
        i += run;
    }
    return SinkResult(out);
}

// The LZW string table of the encoders: (prefix code, byte) -> code, by
// open addressing in a table a good deal larger than the dictionary.
class LzwTable
{
public:
    explicit LzwTable(uint32_t capacity) : m_nSlots(capacity * 2)
    {
        m_pKeys = static_cast<uint32_t*>(CX_ALLOC(m_nSlots * sizeof(uint32_t) * 2));
        m_pCodes = m_pKeys ? m_pKeys + m_nSlots : nullptr;
        Clear();
    }
    ~LzwTable()
    {
        if (m_pKeys)
            CX_FREE(m_pKeys);
    }
    LzwTable(const LzwTable&) = delete;
    LzwTable& operator=(const LzwTable&) = delete;

    bool IsValid() const { return m_pKeys != nullptr; }
    void Clear()
    {
        if (m_pKeys)
            memset(m_pKeys, 0xFF, m_nSlots * sizeof(uint32_t));
    }
    // The code of (prefix, byte), or -1; slot receives where it is or would go.
    int32_t Find(uint32_t prefix, uint8_t byte, uint32_t* slot) const
    {
        const uint32_t key = prefix << 8 | byte;
        uint32_t i = (key * 2654435761u) % m_nSlots;
        while (m_pKeys[i] != 0xFFFFFFFFu)
        {
            if (m_pKeys[i] == key)
            {
                *slot = i;
                return static_cast<int32_t>(m_pCodes[i]);
            }
            i = i + 1 == m_nSlots ? 0 : i + 1;
        }
        *slot = i;
        return -1;
    }
    void Add(uint32_t slot, uint32_t prefix, uint8_t byte, uint32_t code)
    {
        m_pKeys[slot] = prefix << 8 | byte;
        m_pCodes[slot] = code;
    }

private:
    uint32_t m_nSlots;
    uint32_t* m_pKeys = nullptr;
    uint32_t* m_pCodes = nullptr;
};

constexpr uint32_t LZW_END = 256;
constexpr uint32_t LZW_WIDEN = 257;
constexpr uint32_t LZW_CLEAR = 258;

// Method 4: 12-bit codes, entries from 257 until 4095, never cleared.
uint32_t EncodeLzw12(CxByteSink& out, const uint8_t* source, uint32_t size)
{
    LzwTable table(4096);
    if (!table.IsValid())
        return CX_ERR_OUT_OF_MEMORY;
    CxBitSink bits(out);
    uint32_t next = 257;
    if (size > 0)
    {
        uint32_t current = source[0];
        for (uint32_t i = 1; i < size; ++i)
        {
            uint32_t slot;
            const int32_t code = table.Find(current, source[i], &slot);
            if (code >= 0)
            {
                current = static_cast<uint32_t>(code);
                continue;
            }
            bits.WriteBits(current, 12);
            if (next < 4096)
                table.Add(slot, current, source[i], next++);
            current = source[i];
        }
        bits.WriteBits(current, 12);
    }
    bits.WriteBits(LZW_END, 12);
    bits.Flush();
    return SinkResult(out);
}

// Method 5: codes start at 9 bits; a width-increase code comes before the
// first code that needs more bits, and a full dictionary is cleared.
uint32_t EncodeLzwGrowing(CxByteSink& out, const uint8_t* source, uint32_t size)
{
    const uint32_t capacity = 1u << CX_LZW_MAX_BITS;
    LzwTable table(capacity);
    if (!table.IsValid())
        return CX_ERR_OUT_OF_MEMORY;
    const uint32_t start = out.GetSize();
    CxBitSink bits(out);
    uint32_t width = 9;
    uint32_t next = 259;
    auto emit = [&](uint32_t code) {
        while (code >= (1u << width))
        {
            bits.WriteBits(LZW_WIDEN, width);
            ++width;
        }
        bits.WriteBits(code, width);
    };
    if (size > 0)
    {
        uint32_t current = source[0];
        for (uint32_t i = 1; i < size && !out.HasFailed(); ++i)
        {
            uint32_t slot;
            const int32_t code = table.Find(current, source[i], &slot);
            if (code >= 0)
            {
                current = static_cast<uint32_t>(code);
                continue;
            }
            emit(current);
            if (next < capacity)
                table.Add(slot, current, source[i], next++);
            else
            {
                bits.WriteBits(LZW_CLEAR, width);
                table.Clear();
                width = 9;
                next = 259;
            }
            current = source[i];
        }
        emit(current);
    }
    emit(LZW_END);
    bits.Flush();
    // Readers may take the stream in whole 32-bit words.
    while ((out.GetSize() - start) % 4)
        out.Put(0);
    return SinkResult(out);
}

// Method 6: flag 1 and a byte, or flag 0, a 14-bit window position and a
// 4-bit length - 3. The window position of input byte i is (1 + i) mod 16384.
uint32_t EncodeLzss(CxByteSink& out, const uint8_t* source, uint32_t size)
{
    constexpr uint32_t window = 16384;
    CxMatchFinder finder;
    if (!finder.Init(source, size, window - 1, 3, 18, 64))
        return CX_ERR_OUT_OF_MEMORY;
    // Position 0 is the end marker, so bytes that land there cannot be named.
    finder.SetExclusion(window - 1, window - 1);
    CxBitSink bits(out);
    for (uint32_t i = 0; i < size && !out.HasFailed();)
    {
        uint32_t distance;
        const uint32_t length = finder.Find(i, &distance);
        if (length == 0)
        {
            bits.WriteBit(1);
            bits.WriteBits(source[i], 8);
            finder.Insert(i++);
            continue;
        }
        bits.WriteBit(0);
        bits.WriteBits((1 + i - distance) % window, 14);
        bits.WriteBits(length - 3, 4);
        for (uint32_t k = 0; k < length; ++k)
            finder.Insert(i++);
    }
    bits.WriteBit(0);
    bits.WriteBits(0, 14);
    bits.Flush();
    return SinkResult(out);
}

// Method 9: little-endian tokens; a distance (1-32768) and a length word
// (length - 4), or 0x8000 + n and n literal bytes.
uint32_t EncodeLz77(CxByteSink& out, const uint8_t* source, uint32_t size)
{
    CxMatchFinder finder;
    if (!finder.Init(source, size, 32768, 4, 65535 + 4, 64))
        return CX_ERR_OUT_OF_MEMORY;
    uint32_t literalStart = 0;
    auto flushLiterals = [&](uint32_t end) {
        while (literalStart < end)
        {
            const uint32_t count = end - literalStart < 0x7FFF ? end - literalStart : 0x7FFF;
            out.PutWord(static_cast<uint16_t>(0x8000 | count));
            out.Append(source + literalStart, count);
            literalStart += count;
        }
    };
    for (uint32_t i = 0; i < size && !out.HasFailed();)
    {
        uint32_t distance;
        const uint32_t length = finder.Find(i, &distance);
        if (length == 0)
        {
            finder.Insert(i++);
            continue;
        }
        flushLiterals(i);
        out.PutWord(static_cast<uint16_t>(distance));
        out.PutWord(static_cast<uint16_t>(length - 4));
        for (uint32_t k = 0; k < length; ++k)
            finder.Insert(i++);
        literalStart = i;
    }
    flushLiterals(size);
    return SinkResult(out);
}
} // namespace

uint32_t CompressInto(CxByteSink& out, const void* source, uint32_t sourceSize, uint8_t method)
{
    const uint8_t* data = static_cast<const uint8_t*>(source);
    if (!data)
        sourceSize = 0;
    switch (method)
    {
    case CX_COMPRESS_DEFLATE:
        return EncodeDeflate(out, data, sourceSize);
    case CX_COMPRESS_RLE8:
        return EncodeRle8(out, data, sourceSize);
    case CX_COMPRESS_RLE16:
        return EncodeRle16(out, data, sourceSize);
    case CX_COMPRESS_LZW12:
        return EncodeLzw12(out, data, sourceSize);
    case CX_COMPRESS_LZW:
        return EncodeLzwGrowing(out, data, sourceSize);
    case CX_COMPRESS_LZSS:
        return EncodeLzss(out, data, sourceSize);
    case CX_COMPRESS_HUFFMAN:
        return EncodeAdaptiveHuffman(out, data, sourceSize);
    case CX_COMPRESS_ARITHMETIC:
        return EncodeArithmetic(out, data, sourceSize);
    case CX_COMPRESS_LZ77:
        return EncodeLz77(out, data, sourceSize);
    default:
        out.Append(data, sourceSize);
        return SinkResult(out);
    }
}

uint32_t Compress(CxBuffer& destination, const void* source, uint32_t sourceSize, uint8_t method)
{
    CxByteSink out;
    const uint32_t result = CompressInto(out, source, sourceSize, method);
    if (result != CX_ERR_NONE)
        return result;
    return out.CopyTo(destination);
}
