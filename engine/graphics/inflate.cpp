// The DEFLATE decoder (method 1): raw RFC 1951 blocks, except that a stored
// block carries only its 16-bit length, without the one's complement copy.
//
// Huffman codes are decoded through lookup tables rather than by walking a
// tree bit by bit: a root table indexed by the next 10 (literal/length) or 8
// (distance) bits gives the symbol and its code length directly, and codes
// longer than the root lead to a second-level table. Any set of code lengths
// decodes exactly as a tree walk would; codes that a tree would not contain
// (an incomplete set) lead to entries marked invalid, which end decoding with
// an error instead of following a missing branch.
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/graphics/decompress.h"
#include "engine/graphics/deflate_tables.h"

#include <bit>
#include <cstring>

namespace {
using namespace deflate;

// A table entry: bits 0-4 the number of bits to consume, bits 5-7 the kind,
// bits 8-15 the extra-bit count (or the width of a second-level table),
// bits 16-31 the value (byte, base length or distance, or table offset).
constexpr uint32_t ENTRY_BITS = 0x1F;
constexpr uint32_t ENTRY_LITERAL = 0x20;
constexpr uint32_t ENTRY_LINK = 0x40;
constexpr uint32_t ENTRY_SPECIAL = 0x80; // value 0: end of block; value 1: invalid
constexpr uint32_t ENTRY_END = ENTRY_SPECIAL;
constexpr uint32_t ENTRY_INVALID = ENTRY_SPECIAL | (1u << 16);

constexpr uint32_t MAX_CODE_BITS = 15;
constexpr uint32_t LITERAL_ROOT_BITS = 10;
constexpr uint32_t DISTANCE_ROOT_BITS = 8;
constexpr uint32_t CODE_LENGTH_ROOT_BITS = 7;
constexpr uint32_t MAX_LITERAL_CODES = 288;
constexpr uint32_t MAX_DISTANCE_CODES = 32;
// Room for the root table plus a full-size second-level table behind every
// code that could need one: never too small, whatever the lengths.
constexpr uint32_t LITERAL_TABLE_SIZE =
    (1u << LITERAL_ROOT_BITS) + MAX_LITERAL_CODES * (1u << (MAX_CODE_BITS - LITERAL_ROOT_BITS));
constexpr uint32_t DISTANCE_TABLE_SIZE =
    (1u << DISTANCE_ROOT_BITS) + MAX_DISTANCE_CODES * (1u << (MAX_CODE_BITS - DISTANCE_ROOT_BITS));
constexpr uint32_t CODE_LENGTH_TABLE_SIZE = 1u << CODE_LENGTH_ROOT_BITS;

constexpr uint32_t MakeEntry(uint32_t kind, uint32_t extra, uint32_t value)
{
    return kind | extra << 8 | value << 16;
}

// What each symbol decodes to, without its code length.
struct SymbolInfo
{
    uint32_t literal[MAX_LITERAL_CODES];
    uint32_t distance[MAX_DISTANCE_CODES];
    uint32_t codeLength[19];
};

constexpr SymbolInfo MakeSymbolInfo()
{
    SymbolInfo info{};
    for (uint32_t s = 0; s < 256; ++s)
        info.literal[s] = MakeEntry(ENTRY_LITERAL, 0, s);
    info.literal[256] = ENTRY_END;
    for (uint32_t s = 257; s < 286; ++s)
        info.literal[s] = MakeEntry(0, LENGTH_EXTRA[s - 257], LENGTH_BASE[s - 257]);
    info.literal[286] = info.literal[287] = ENTRY_INVALID;
    for (uint32_t s = 0; s < 30; ++s)
        info.distance[s] = MakeEntry(0, DISTANCE_EXTRA[s], DISTANCE_BASE[s]);
    info.distance[30] = info.distance[31] = ENTRY_INVALID;
    for (uint32_t s = 0; s < 19; ++s)
        info.codeLength[s] = MakeEntry(ENTRY_LITERAL, 0, s);
    return info;
}

constexpr SymbolInfo s_SymbolInfo = MakeSymbolInfo();

// Fills table from the code lengths of count symbols. False for a set of
// lengths that claims more codes than exist (over-subscribed).
bool BuildTable(const uint8_t* lengths, uint32_t count, const uint32_t* info, uint32_t* table,
                uint32_t rootBits)
{
    uint32_t lengthCount[MAX_CODE_BITS + 1] = {};
    for (uint32_t s = 0; s < count; ++s)
        ++lengthCount[lengths[s]];
    lengthCount[0] = 0;
    int32_t left = 1;
    for (uint32_t len = 1; len <= MAX_CODE_BITS; ++len)
    {
        left = left * 2 - static_cast<int32_t>(lengthCount[len]);
        if (left < 0)
            return false;
    }
    uint32_t nextCode[MAX_CODE_BITS + 1] = {};
    for (uint32_t len = 1, code = 0; len <= MAX_CODE_BITS; ++len)
    {
        code = (code + lengthCount[len - 1]) << 1;
        nextCode[len] = code;
    }
    const uint32_t rootSize = 1u << rootBits;
    for (uint32_t i = 0; i < rootSize; ++i)
        table[i] = ENTRY_INVALID;

    // Codes are sent most significant bit first but read from the low end of
    // the bit buffer, so tables are indexed by the reversed code.
    uint16_t reversed[MAX_LITERAL_CODES];
    uint8_t longest[1u << LITERAL_ROOT_BITS] = {};
    for (uint32_t s = 0; s < count; ++s)
    {
        const uint32_t len = lengths[s];
        if (len == 0)
            continue;
        uint32_t code = nextCode[len]++;
        uint32_t r = 0;
        for (uint32_t b = 0; b < len; ++b, code >>= 1)
            r = (r << 1) | (code & 1);
        reversed[s] = static_cast<uint16_t>(r);
        if (len > rootBits)
        {
            uint8_t& l = longest[r & (rootSize - 1)];
            if (len > l)
                l = static_cast<uint8_t>(len);
        }
    }
    uint32_t offset = rootSize;
    for (uint32_t prefix = 0; prefix < rootSize; ++prefix)
    {
        if (!longest[prefix])
            continue;
        const uint32_t subBits = longest[prefix] - rootBits;
        table[prefix] = MakeEntry(ENTRY_LINK | rootBits, subBits, offset);
        for (uint32_t i = 0; i < (1u << subBits); ++i)
            table[offset + i] = ENTRY_INVALID;
        offset += 1u << subBits;
    }
    for (uint32_t s = 0; s < count; ++s)
    {
        const uint32_t len = lengths[s];
        if (len == 0)
            continue;
        const uint32_t r = reversed[s];
        if (len <= rootBits)
        {
            for (uint32_t i = r; i < rootSize; i += 1u << len)
                table[i] = info[s] | len;
            continue;
        }
        const uint32_t link = table[r & (rootSize - 1)];
        const uint32_t base = link >> 16;
        const uint32_t subSize = 1u << ((link >> 8) & 0xFF);
        const uint32_t subLen = len - rootBits;
        for (uint32_t i = r >> rootBits; i < subSize; i += 1u << subLen)
            table[base + i] = info[s] | subLen;
    }
    return true;
}

struct InflateState
{
    uint32_t literal[LITERAL_TABLE_SIZE];
    uint32_t distance[DISTANCE_TABLE_SIZE];
    uint32_t codeLength[CODE_LENGTH_TABLE_SIZE];
    uint8_t lengths[MAX_LITERAL_CODES + MAX_DISTANCE_CODES];
};

uint64_t Load64(const uint8_t* p)
{
    uint64_t value;
    memcpy(&value, p, sizeof(value));
    if constexpr (std::endian::native == std::endian::big)
        value = __builtin_bswap64(value);
    return value;
}

// The bit reader: up to 64 bits in a register, least significant first.
// Past the end of the input it adds zero bytes and counts them; consuming any
// of those bits means the stream was cut short.
struct BitReader
{
    const uint8_t* in;
    const uint8_t* end;
    uint64_t bits = 0;
    uint32_t count = 0;
    uint32_t padding = 0; // zero bytes added past the end

    // At least 56 bits in the register afterwards; false once padding was consumed.
    bool Refill()
    {
        if (end - in >= 8)
        {
            bits |= Load64(in) << count;
            in += (63 - count) >> 3;
            count |= 56;
            return true;
        }
        while (count <= 56)
        {
            if (in < end)
                bits |= static_cast<uint64_t>(*in++) << count;
            else
                ++padding;
            count += 8;
        }
        return count >= padding * 8;
    }
    bool Overrun() const { return count < padding * 8; }
    uint32_t Peek(uint32_t n) const { return static_cast<uint32_t>(bits & ((uint64_t(1) << n) - 1)); }
    void Drop(uint32_t n)
    {
        bits >>= n;
        count -= n;
    }
    uint32_t Take(uint32_t n)
    {
        const uint32_t value = Peek(n);
        Drop(n);
        return value;
    }
};

// Looks up the next symbol (the reader holds enough bits) and consumes its code.
inline uint32_t DecodeEntry(BitReader& reader, const uint32_t* table, uint32_t rootBits)
{
    uint32_t entry = table[reader.Peek(rootBits)];
    if (entry & ENTRY_LINK)
    {
        reader.Drop(rootBits);
        entry = table[(entry >> 16) + reader.Peek((entry >> 8) & 0xFF)];
    }
    reader.Drop(entry & ENTRY_BITS);
    return entry;
}

bool ReadDynamicHeader(BitReader& reader, InflateState& state)
{
    if (!reader.Refill())
        return false;
    const uint32_t header = reader.Take(14);
    const uint32_t literalCount = (header & 0x1F) + 257;
    const uint32_t distanceCount = ((header >> 5) & 0x1F) + 1;
    const uint32_t codeLengthCount = (header >> 10) + 4;
    uint8_t codeLengths[19] = {};
    for (uint32_t i = 0; i < codeLengthCount; ++i)
    {
        if (!reader.Refill())
            return false;
        codeLengths[CODE_LENGTH_ORDER[i]] = static_cast<uint8_t>(reader.Take(3));
    }
    if (!BuildTable(codeLengths, 19, s_SymbolInfo.codeLength, state.codeLength, CODE_LENGTH_ROOT_BITS))
        return false;
    const uint32_t total = literalCount + distanceCount;
    uint32_t i = 0;
    while (i < total)
    {
        if (!reader.Refill())
            return false;
        const uint32_t entry = DecodeEntry(reader, state.codeLength, CODE_LENGTH_ROOT_BITS);
        if (entry & ENTRY_SPECIAL)
            return false;
        const uint32_t symbol = entry >> 16;
        if (symbol < 16)
        {
            state.lengths[i++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t value = 0;
        uint32_t repeat;
        if (symbol == 16)
        {
            if (i == 0)
                return false; // nothing to repeat
            value = state.lengths[i - 1];
            repeat = 3 + reader.Take(2);
        }
        else if (symbol == 17)
            repeat = 3 + reader.Take(3);
        else
            repeat = 11 + reader.Take(7);
        if (repeat > total - i)
            return false;
        memset(state.lengths + i, value, repeat);
        i += repeat;
    }
    return BuildTable(state.lengths, literalCount, s_SymbolInfo.literal, state.literal, LITERAL_ROOT_BITS) &&
           BuildTable(state.lengths + literalCount, distanceCount, s_SymbolInfo.distance, state.distance,
                      DISTANCE_ROOT_BITS);
}

void BuildFixedTables(InflateState& state)
{
    uint8_t* lengths = state.lengths;
    memset(lengths, 8, 144);
    memset(lengths + 144, 9, 112);
    memset(lengths + 256, 7, 24);
    memset(lengths + 280, 8, 8);
    BuildTable(lengths, MAX_LITERAL_CODES, s_SymbolInfo.literal, state.literal, LITERAL_ROOT_BITS);
    memset(lengths, 5, MAX_DISTANCE_CODES);
    BuildTable(lengths, MAX_DISTANCE_CODES, s_SymbolInfo.distance, state.distance, DISTANCE_ROOT_BITS);
}

// Copies a match of length bytes from distance back (the caller checked the room).
inline uint8_t* CopyMatch(uint8_t* out, const uint8_t* start, const uint8_t* end, uint32_t distance,
                          uint32_t length)
{
    if (distance > static_cast<uint32_t>(out - start))
    {
        // Bytes before the start of the output read as 0.
        for (uint32_t k = 0; k < length; ++k, ++out)
            *out = distance > static_cast<uint32_t>(out - start) ? 0 : *(out - distance);
        return out;
    }
    const uint8_t* from = out - distance;
    uint8_t* stop = out + length;
    if (distance >= 8 && static_cast<uint32_t>(end - out) >= length + 8)
    {
        // Whole words; the few bytes written past the match are overwritten later.
        do
        {
            uint64_t word;
            memcpy(&word, from, 8);
            memcpy(out, &word, 8);
            from += 8;
            out += 8;
        } while (out < stop);
        return stop;
    }
    if (distance == 1)
    {
        memset(out, *from, length);
        return stop;
    }
    while (out < stop)
        *out++ = *from++;
    return stop;
}

// A stored block: give the whole bytes still in the register back to the
// input, then a 16-bit length and the bytes themselves.
uint32_t CopyStoredBlock(BitReader& reader, uint8_t*& out, uint8_t* outEnd)
{
    reader.Drop(reader.count & 7);
    if (reader.Overrun())
        return CX_ERR_UNKNOWN;
    reader.in -= reader.count / 8 - reader.padding;
    reader.bits = 0;
    reader.count = 0;
    reader.padding = 0;
    if (reader.end - reader.in < 2)
        return CX_ERR_UNKNOWN;
    const uint32_t length = reader.in[0] | reader.in[1] << 8;
    reader.in += 2;
    if (length > static_cast<uint32_t>(reader.end - reader.in) ||
        length > static_cast<uint32_t>(outEnd - out))
        return CX_ERR_UNKNOWN;
    memcpy(out, reader.in, length);
    out += length;
    reader.in += length;
    return CX_ERR_NONE;
}

// The items of one Huffman-coded block, up to its end code.
uint32_t DecodeHuffmanBlock(BitReader& reader, const InflateState& state, uint8_t* destination, uint8_t*& out,
                            uint8_t* outEnd)
{
    const uint32_t* literalTable = state.literal;
    const uint32_t* distanceTable = state.distance;
    for (;;)
    {
        // One refill covers the longest item: a 15-bit length code with 5
        // extra bits and a 15-bit distance code with 13 extra bits.
        if (!reader.Refill())
            return CX_ERR_UNKNOWN;
        uint32_t entry = DecodeEntry(reader, literalTable, LITERAL_ROOT_BITS);
        if (entry & ENTRY_LITERAL)
        {
            if (out == outEnd)
                return CX_ERR_UNKNOWN;
            *out++ = static_cast<uint8_t>(entry >> 16);
            continue;
        }
        if (entry & ENTRY_SPECIAL)
            return (entry >> 16) ? CX_ERR_UNKNOWN
                                 : CX_ERR_NONE; // a code the lengths left unassigned, or the end
        const uint32_t length = (entry >> 16) + reader.Take((entry >> 8) & 0xFF);
        entry = DecodeEntry(reader, distanceTable, DISTANCE_ROOT_BITS);
        if (entry & ENTRY_SPECIAL)
            return CX_ERR_UNKNOWN;
        const uint32_t distance = (entry >> 16) + reader.Take((entry >> 8) & 0xFF);
        if (length > static_cast<uint32_t>(outEnd - out))
            return CX_ERR_UNKNOWN;
        out = CopyMatch(out, destination, outEnd, distance, length);
    }
}
} // namespace

uint32_t InflateStream(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                       uint32_t sourceSize, uint32_t* produced)
{
    *produced = 0;
    InflateState* state = static_cast<InflateState*>(CX_ALLOC(sizeof(InflateState)));
    if (!state)
        return CX_ERR_OUT_OF_MEMORY;
    BitReader reader{source, source + sourceSize};
    uint8_t* out = destination;
    uint8_t* const outEnd = destination + destinationSize;
    uint32_t result = CX_ERR_NONE;
    bool fixedTablesReady = false;
    bool last = false;
    while (!last && result == CX_ERR_NONE)
    {
        if (!reader.Refill())
        {
            result = CX_ERR_UNKNOWN;
            break;
        }
        last = reader.Take(1) != 0;
        const uint32_t type = reader.Take(2);
        if (reader.Overrun())
            result = CX_ERR_UNKNOWN;
        else if (type == 0)
            result = CopyStoredBlock(reader, out, outEnd);
        else
        {
            if (type == 1 && !fixedTablesReady)
                BuildFixedTables(*state);
            fixedTablesReady = type == 1;
            if (type != 1 && !ReadDynamicHeader(reader, *state))
                result = CX_ERR_UNKNOWN;
            else
                result = DecodeHuffmanBlock(reader, *state, destination, out, outEnd);
        }
    }
    if (result == CX_ERR_NONE && reader.Overrun())
        result = CX_ERR_UNKNOWN;
    CX_FREE(state);
    *produced = static_cast<uint32_t>(out - destination);
    return result;
}
