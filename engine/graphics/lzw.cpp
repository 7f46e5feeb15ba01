// The two LZW decoders. Both read codes most significant bit first; method 4
// uses 12-bit codes and a dictionary that fills once, method 5 starts at 9
// bits and follows explicit width-increase and clear codes in the stream.
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/graphics/bit_buffer.h"
#include "engine/graphics/decompress.h"

namespace {
constexpr uint32_t LZW_END = 256;
constexpr uint32_t LZW_WIDEN = 257; // growing codes only
constexpr uint32_t LZW_CLEAR = 258; // growing codes only

struct LzwLayout
{
    bool growing;        // method 5: width and clear codes
    uint32_t firstEntry; // first dictionary code
    uint32_t capacity;   // dictionary codes 0 .. capacity - 1
};

// The dictionary: for every code its prefix code, its last byte and the
// length of its string. Strings are written straight into the destination
// from their last byte back to their first, so no stack is needed.
struct LzwDictionary
{
    uint16_t* prefix;
    uint16_t* length;
    uint8_t* last;
    uint32_t capacity; // codes 0 .. capacity - 1
};

// Writes the string of code at out; false when it does not fit.
bool WriteString(const LzwDictionary& dict, uint32_t code, uint8_t* destination, uint32_t out,
                 uint32_t destinationSize)
{
    const uint32_t length = code < 256 ? 1 : dict.length[code];
    if (length > destinationSize - out)
        return false;
    uint8_t* p = destination + out + length - 1;
    while (code >= 256)
    {
        *p-- = dict.last[code];
        code = dict.prefix[code];
    }
    *p = static_cast<uint8_t>(code);
    return true;
}

// Writes the string of a code after the previous one and defines the next
// dictionary entry (the previous string plus this one's first byte). The code
// may be the entry being defined right now. False for a code that is not
// defined yet or a string that does not fit.
bool ExpandCode(LzwDictionary& dict, uint32_t firstEntry, uint32_t code, uint32_t previous, uint32_t& next,
                uint8_t* destination, uint32_t& out, uint32_t destinationSize)
{
    const uint32_t capacity = dict.capacity;
    const uint32_t start = out;
    if (code < 256 || (code >= firstEntry && code < next))
    {
        if (!WriteString(dict, code, destination, out, destinationSize))
            return false;
        out += code < 256 ? 1 : dict.length[code];
    }
    else if (code == next && next < capacity)
    {
        if (!WriteString(dict, previous, destination, out, destinationSize) ||
            (previous < 256 ? 1u : dict.length[previous]) >= destinationSize - out)
            return false;
        out += previous < 256 ? 1 : dict.length[previous];
        destination[out] = destination[start];
        ++out;
    }
    else
        return false;
    if (next < capacity)
    {
        dict.prefix[next] = static_cast<uint16_t>(previous);
        dict.last[next] = destination[start];
        dict.length[next] = static_cast<uint16_t>((previous < 256 ? 1 : dict.length[previous]) + 1);
        ++next;
    }
    return true;
}

uint32_t DecodeLzw(const LzwLayout& layout, uint8_t* destination, uint32_t destinationSize,
                   const uint8_t* source, uint32_t sourceSize, uint32_t* produced)
{
    *produced = 0;
    const uint32_t capacity = layout.capacity;
    uint8_t* memory = static_cast<uint8_t*>(CX_ALLOC(capacity * 5));
    if (!memory)
        return CX_ERR_OUT_OF_MEMORY;
    LzwDictionary dict{reinterpret_cast<uint16_t*>(memory), reinterpret_cast<uint16_t*>(memory) + capacity,
                       memory + capacity * 4, capacity};
    CxBitBuffer input(const_cast<uint8_t*>(source), sourceSize, true);
    uint32_t width = layout.growing ? 9 : 12;
    uint32_t next = layout.firstEntry;
    uint32_t previous = 0;
    bool first = true;
    uint32_t out = 0;
    uint32_t result = CX_ERR_NONE;
    for (;;)
    {
        const uint32_t code = input.ReadBits(width);
        if (input.GetError())
        {
            // Without an end code the stream may still end once the
            // destination is full.
            if (out < destinationSize)
                result = CX_ERR_UNKNOWN;
            break;
        }
        if (code == LZW_END)
            break;
        if (layout.growing && code == LZW_WIDEN)
        {
            if (++width > CX_LZW_MAX_BITS)
            {
                result = CX_ERR_UNKNOWN;
                break;
            }
            continue;
        }
        if (layout.growing && code == LZW_CLEAR)
        {
            width = 9;
            next = layout.firstEntry;
            first = true;
            continue;
        }
        if (out >= destinationSize)
        {
            result = CX_ERR_UNKNOWN; // more data than the destination holds
            break;
        }
        if (first)
        {
            // A fresh dictionary knows only the single bytes.
            if (code > 255)
            {
                result = CX_ERR_UNKNOWN;
                break;
            }
            destination[out++] = static_cast<uint8_t>(code);
            previous = code;
            first = false;
            continue;
        }
        if (!ExpandCode(dict, layout.firstEntry, code, previous, next, destination, out, destinationSize))
        {
            result = CX_ERR_UNKNOWN;
            break;
        }
        previous = code;
    }
    CX_FREE(memory);
    *produced = out;
    return result;
}
} // namespace

uint32_t DecodeLzw12(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                     uint32_t sourceSize, uint32_t* produced)
{
    return DecodeLzw(LzwLayout{false, 257, 4096}, destination, destinationSize, source, sourceSize, produced);
}

uint32_t DecodeLzwGrowing(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                          uint32_t sourceSize, uint32_t* produced)
{
    return DecodeLzw(LzwLayout{true, 259, 1u << CX_LZW_MAX_BITS}, destination, destinationSize, source,
                     sourceSize, produced);
}
