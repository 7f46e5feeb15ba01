// The dispatcher and the small decoders: stored copy, the two run-length
// methods, LZSS and the 16-bit-token LZ77.
#include "engine/graphics/decompress.h"

#include "engine/core/error.h"
#include "engine/graphics/bit_buffer.h"

#include <cstring>

namespace {
uint32_t CopyStored(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                    uint32_t sourceSize, uint32_t* produced)
{
    const uint32_t count = sourceSize < destinationSize ? sourceSize : destinationSize;
    if (count)
        memcpy(destination, source, count);
    *produced = count;
    return sourceSize > destinationSize ? CX_ERR_UNKNOWN : CX_ERR_NONE;
}

// Literal byte b (bit 7 clear), or a count (b & 0x7F) and the byte to repeat.
uint32_t DecodeRle8(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                    uint32_t sourceSize, uint32_t* produced)
{
    uint32_t in = 0;
    uint32_t out = 0;
    uint32_t result = CX_ERR_NONE;
    while (in < sourceSize)
    {
        const uint8_t b = source[in++];
        if (!(b & 0x80))
        {
            if (out >= destinationSize)
            {
                result = CX_ERR_UNKNOWN;
                break;
            }
            destination[out++] = b;
            continue;
        }
        if (in >= sourceSize)
        {
            result = CX_ERR_UNKNOWN; // a run without its value byte
            break;
        }
        const uint8_t value = source[in++];
        uint32_t count = b & 0x7F;
        if (count > destinationSize - out)
        {
            count = destinationSize - out;
            result = CX_ERR_UNKNOWN;
        }
        memset(destination + out, value, count);
        out += count;
        if (result != CX_ERR_NONE)
            break;
    }
    *produced = out;
    return result;
}

// Literal word w (bit 15 clear), or a count (w & 0x7FFF) and the word to
// repeat; words are little-endian and an odd last byte is ignored.
uint32_t DecodeRle16(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                     uint32_t sourceSize, uint32_t* produced)
{
    const uint32_t words = sourceSize / 2;
    uint32_t in = 0;
    uint32_t out = 0;
    uint32_t result = CX_ERR_NONE;
    auto word = [&](uint32_t index) {
        return static_cast<uint16_t>(source[2 * index] | source[2 * index + 1] << 8);
    };
    while (in < words)
    {
        const uint16_t w = word(in++);
        if (!(w & 0x8000))
        {
            if (destinationSize - out < 2)
            {
                result = CX_ERR_UNKNOWN;
                break;
            }
            destination[out++] = static_cast<uint8_t>(w);
            destination[out++] = static_cast<uint8_t>(w >> 8);
            continue;
        }
        if (in >= words)
        {
            result = CX_ERR_UNKNOWN;
            break;
        }
        const uint16_t value = word(in++);
        uint32_t count = w & 0x7FFF;
        if (count > (destinationSize - out) / 2)
        {
            count = (destinationSize - out) / 2;
            result = CX_ERR_UNKNOWN;
        }
        for (uint32_t i = 0; i < count; ++i)
        {
            destination[out++] = static_cast<uint8_t>(value);
            destination[out++] = static_cast<uint8_t>(value >> 8);
        }
        if (result != CX_ERR_NONE)
            break;
    }
    *produced = out;
    return result;
}

constexpr uint32_t LZSS_WINDOW = 16384;
constexpr uint32_t LZSS_INDEX_BITS = 14;
constexpr uint32_t LZSS_LENGTH_BITS = 4;

uint32_t DecodeLzss(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                    uint32_t sourceSize, uint32_t* produced)
{
    // The window is a local: decoding needs no state outside this call.
    uint8_t window[LZSS_WINDOW] = {};
    uint32_t current = 1;
    CxBitBuffer input(const_cast<uint8_t*>(source), sourceSize, true);
    uint32_t out = 0;
    uint32_t result = CX_ERR_NONE;
    for (;;)
    {
        const uint32_t literal = input.ReadBit();
        if (input.GetError())
        {
            // Without an end marker the stream may still end once the
            // destination is full.
            if (out < destinationSize)
                result = CX_ERR_UNKNOWN;
            break;
        }
        if (literal)
        {
            const uint8_t c = static_cast<uint8_t>(input.ReadBits(8));
            if (input.GetError() || out >= destinationSize)
            {
                // Padding bits after a full destination are no error.
                if (!input.GetError() || out < destinationSize)
                    result = CX_ERR_UNKNOWN;
                break;
            }
            destination[out++] = c;
            window[current] = c;
            current = (current + 1) % LZSS_WINDOW;
            continue;
        }
        const uint32_t position = input.ReadBits(LZSS_INDEX_BITS);
        if (input.GetError())
        {
            if (out < destinationSize)
                result = CX_ERR_UNKNOWN;
            break;
        }
        if (position == 0)
            break;
        const uint32_t length = input.ReadBits(LZSS_LENGTH_BITS) + 3;
        if (input.GetError() || out == destinationSize)
        {
            result = CX_ERR_UNKNOWN;
            break;
        }
        for (uint32_t k = 0; k < length; ++k)
        {
            const uint8_t c = window[(position + k) % LZSS_WINDOW];
            destination[out++] = c;
            window[current] = c;
            current = (current + 1) % LZSS_WINDOW;
            if (out == destinationSize && k + 1 < length)
            {
                result = CX_ERR_UNKNOWN; // the match runs past the destination
                break;
            }
        }
        if (result != CX_ERR_NONE)
            break;
    }
    *produced = out;
    return result;
}

// Copies length bytes from distance bytes back; bytes before the start of the
// output read as 0. Overlapping ranges repeat the pattern, as a byte-by-byte
// copy would.
void CopyMatch(uint8_t* destination, uint32_t out, uint32_t distance, uint32_t length)
{
    uint32_t k = 0;
    for (; k < length && distance > out + k; ++k)
        destination[out + k] = 0;
    if (k == length)
        return;
    uint8_t* to = destination + out + k;
    const uint8_t* from = to - distance;
    length -= k;
    if (distance >= length)
        memcpy(to, from, length);
    else
        for (uint32_t i = 0; i < length; ++i)
            to[i] = from[i];
}

uint32_t DecodeLz77(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                    uint32_t sourceSize, uint32_t* produced)
{
    uint32_t in = 0;
    uint32_t out = 0;
    uint32_t result = CX_ERR_NONE;
    while (in < sourceSize)
    {
        if (sourceSize - in < 2)
        {
            result = CX_ERR_UNKNOWN;
            break;
        }
        const uint32_t token = source[in] | source[in + 1] << 8;
        in += 2;
        if (token > 32768)
        {
            const uint32_t count = token & 0x7FFF;
            if (count > sourceSize - in || count > destinationSize - out)
            {
                result = CX_ERR_UNKNOWN;
                break;
            }
            memcpy(destination + out, source + in, count);
            in += count;
            out += count;
            continue;
        }
        if (sourceSize - in < 2 || token == 0)
        {
            result = CX_ERR_UNKNOWN; // no length word, or a distance that points at itself
            break;
        }
        const uint32_t length = (source[in] | source[in + 1] << 8) + 4u;
        in += 2;
        if (length > destinationSize - out)
        {
            result = CX_ERR_UNKNOWN;
            break;
        }
        CopyMatch(destination, out, token, length);
        out += length;
    }
    *produced = out;
    return result;
}
} // namespace

uint32_t Decompress(void* destination, uint32_t destinationSize, const void* source, uint32_t sourceSize,
                    uint8_t method, uint32_t* produced)
{
    uint32_t count = 0;
    uint32_t* written = produced ? produced : &count;
    *written = 0;
    uint8_t* to = static_cast<uint8_t*>(destination);
    const uint8_t* from = static_cast<const uint8_t*>(source);
    if (!to)
        destinationSize = 0;
    if (!from)
        sourceSize = 0;
    if (!to)
        to = reinterpret_cast<uint8_t*>(&count); // never written: the size is 0
    if (!from)
        from = reinterpret_cast<const uint8_t*>(&count);
    switch (method)
    {
    case CX_COMPRESS_DEFLATE:
        return InflateStream(to, destinationSize, from, sourceSize, written);
    case CX_COMPRESS_RLE8:
        return DecodeRle8(to, destinationSize, from, sourceSize, written);
    case CX_COMPRESS_RLE16:
        return DecodeRle16(to, destinationSize, from, sourceSize, written);
    case CX_COMPRESS_LZW12:
        return DecodeLzw12(to, destinationSize, from, sourceSize, written);
    case CX_COMPRESS_LZW:
        return DecodeLzwGrowing(to, destinationSize, from, sourceSize, written);
    case CX_COMPRESS_LZSS:
        return DecodeLzss(to, destinationSize, from, sourceSize, written);
    case CX_COMPRESS_HUFFMAN:
        return DecodeAdaptiveHuffman(to, destinationSize, from, sourceSize, written);
    case CX_COMPRESS_ARITHMETIC:
        return DecodeArithmetic(to, destinationSize, from, sourceSize, written);
    case CX_COMPRESS_LZ77:
        return DecodeLz77(to, destinationSize, from, sourceSize, written);
    default:
        return CopyStored(to, destinationSize, from, sourceSize, written);
    }
}
