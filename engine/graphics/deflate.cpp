// The DEFLATE encoder (method 1). LZ77 matching with one step of lazy
// evaluation, then each block of up to 16 K items is sent with dynamic or
// fixed Huffman codes, whichever is shorter. Stored blocks are never sent:
// their layout in this format differs from RFC 1951.
#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/graphics/compress.h"
#include "engine/graphics/deflate_tables.h"
#include "engine/graphics/match_finder.h"

#include <cstring>

namespace {
using namespace deflate;

constexpr uint32_t LITERAL_CODES = 286;
constexpr uint32_t DISTANCE_CODES = 30;
constexpr uint32_t MAX_BITS = 15;
constexpr uint32_t BLOCK_ITEMS = 16384;

uint32_t LengthCode(uint32_t length) // 3..258 -> 0..28
{
    uint32_t code = 28;
    while (LENGTH_BASE[code] > length)
        --code;
    return code;
}

uint32_t DistanceCode(uint32_t distance) // 1..32768 -> 0..29
{
    uint32_t code = 29;
    while (DISTANCE_BASE[code] > distance)
        --code;
    return code;
}

// Bits least significant first, as DEFLATE sends them.
class LsbBitWriter
{
public:
    explicit LsbBitWriter(CxByteSink& sink) : m_Sink(sink) {}
    void Write(uint32_t value, uint32_t count)
    {
        m_nBits |= static_cast<uint64_t>(value) << m_nCount;
        m_nCount += count;
        while (m_nCount >= 8)
        {
            m_Sink.Put(static_cast<uint8_t>(m_nBits));
            m_nBits >>= 8;
            m_nCount -= 8;
        }
    }
    void Flush()
    {
        if (m_nCount > 0)
            m_Sink.Put(static_cast<uint8_t>(m_nBits));
        m_nBits = 0;
        m_nCount = 0;
    }

private:
    CxByteSink& m_Sink;
    uint64_t m_nBits = 0;
    uint32_t m_nCount = 0;
};

// Huffman code lengths of at most maxBits for the symbols with a non-zero
// frequency. When the optimal tree is too deep the frequencies are flattened
// (halved, rounding up) until it fits.
void BuildLengths(const uint32_t* frequencies, uint32_t count, uint32_t maxBits, uint8_t* lengths)
{
    memset(lengths, 0, count);
    uint32_t freq[LITERAL_CODES];
    uint32_t used = 0;
    for (uint32_t s = 0; s < count; ++s)
    {
        freq[s] = frequencies[s];
        used += freq[s] ? 1 : 0;
    }
    if (used == 0)
        return;
    if (used == 1)
    {
        for (uint32_t s = 0; s < count; ++s)
            if (freq[s])
                lengths[s] = 1;
        return;
    }
    for (;;)
    {
        // Nodes 0..count-1 are leaves; inner nodes follow. A simple binary
        // heap of node indices ordered by weight.
        uint32_t weight[2 * LITERAL_CODES];
        int32_t parent[2 * LITERAL_CODES];
        uint32_t heap[LITERAL_CODES];
        uint32_t heapSize = 0;
        auto less = [&](uint32_t a, uint32_t b) {
            return weight[a] < weight[b] || (weight[a] == weight[b] && a < b);
        };
        auto push = [&](uint32_t node) {
            uint32_t i = heapSize++;
            while (i > 0 && less(node, heap[(i - 1) / 2]))
            {
                heap[i] = heap[(i - 1) / 2];
                i = (i - 1) / 2;
            }
            heap[i] = node;
        };
        auto pop = [&]() {
            const uint32_t top = heap[0];
            const uint32_t last = heap[--heapSize];
            uint32_t i = 0;
            for (;;)
            {
                uint32_t child = 2 * i + 1;
                if (child >= heapSize)
                    break;
                if (child + 1 < heapSize && less(heap[child + 1], heap[child]))
                    ++child;
                if (!less(heap[child], last))
                    break;
                heap[i] = heap[child];
                i = child;
            }
            heap[i] = last;
            return top;
        };
        for (uint32_t s = 0; s < count; ++s)
        {
            weight[s] = freq[s];
            parent[s] = -1;
            if (freq[s])
                push(s);
        }
        uint32_t next = count;
        while (heapSize > 1)
        {
            const uint32_t a = pop();
            const uint32_t b = pop();
            weight[next] = weight[a] + weight[b];
            parent[next] = -1;
            parent[a] = parent[b] = static_cast<int32_t>(next);
            push(next++);
        }
        uint32_t deepest = 0;
        for (uint32_t s = 0; s < count; ++s)
        {
            if (!freq[s])
                continue;
            uint32_t depth = 0;
            for (int32_t n = parent[s]; n >= 0; n = parent[n])
                ++depth;
            lengths[s] = static_cast<uint8_t>(depth > 255 ? 255 : depth);
            deepest = depth > deepest ? depth : deepest;
        }
        if (deepest <= maxBits)
            return;
        for (uint32_t s = 0; s < count; ++s)
            if (freq[s])
                freq[s] = (freq[s] + 1) / 2;
    }
}

// Canonical codes, bit-reversed for sending least significant bit first.
void BuildCodes(const uint8_t* lengths, uint32_t count, uint16_t* codes)
{
    uint32_t lengthCount[MAX_BITS + 1] = {};
    for (uint32_t s = 0; s < count; ++s)
        ++lengthCount[lengths[s]];
    lengthCount[0] = 0;
    uint32_t nextCode[MAX_BITS + 1] = {};
    for (uint32_t len = 1, code = 0; len <= MAX_BITS; ++len)
    {
        code = (code + lengthCount[len - 1]) << 1;
        nextCode[len] = code;
    }
    for (uint32_t s = 0; s < count; ++s)
    {
        const uint32_t len = lengths[s];
        if (!len)
            continue;
        uint32_t code = nextCode[len]++;
        uint32_t r = 0;
        for (uint32_t b = 0; b < len; ++b, code >>= 1)
            r = (r << 1) | (code & 1);
        codes[s] = static_cast<uint16_t>(r);
    }
}

struct Item
{
    uint16_t lengthOrLiteral; // a literal byte, or 256 + match length
    uint16_t distance;        // 0 for a literal
};

// The fixed code is defined over 288 literal/length symbols (286 and 287
// unused), which shifts the canonical numbering of its 9-bit codes; dynamic
// codes use the first 286 entries.
constexpr uint32_t FIXED_LITERAL_CODES = 288;

struct BlockCodes
{
    uint8_t literalLengths[FIXED_LITERAL_CODES];
    uint8_t distanceLengths[DISTANCE_CODES];
    uint16_t literalCodes[FIXED_LITERAL_CODES];
    uint16_t distanceCodes[DISTANCE_CODES];
};

// The run-length form of the code lengths: symbols 0-18 with their extra bits.
struct LengthRuns
{
    uint8_t symbol[LITERAL_CODES + DISTANCE_CODES];
    uint8_t extra[LITERAL_CODES + DISTANCE_CODES];
    uint32_t count = 0;
};

void RunLengthEncode(const uint8_t* lengths, uint32_t total, LengthRuns& runs)
{
    for (uint32_t i = 0; i < total;)
    {
        const uint8_t value = lengths[i];
        uint32_t run = 1;
        while (i + run < total && lengths[i + run] == value)
            ++run;
        uint32_t left = run;
        if (value == 0)
        {
            while (left >= 11)
            {
                const uint32_t n = left < 138 ? left : 138;
                runs.symbol[runs.count] = 18;
                runs.extra[runs.count++] = static_cast<uint8_t>(n - 11);
                left -= n;
            }
            if (left >= 3)
            {
                runs.symbol[runs.count] = 17;
                runs.extra[runs.count++] = static_cast<uint8_t>(left - 3);
                left = 0;
            }
        }
        else
        {
            runs.symbol[runs.count] = value;
            runs.extra[runs.count++] = 0;
            --left;
            while (left >= 3)
            {
                const uint32_t n = left < 6 ? left : 6;
                runs.symbol[runs.count] = 16;
                runs.extra[runs.count++] = static_cast<uint8_t>(n - 3);
                left -= n;
            }
        }
        while (left-- > 0)
        {
            runs.symbol[runs.count] = value;
            runs.extra[runs.count++] = 0;
        }
        i += run;
    }
}

constexpr uint32_t RunExtraBits(uint32_t symbol)
{
    return symbol == 16 ? 2 : symbol == 17 ? 3 : symbol == 18 ? 7 : 0;
}

void FixedCodes(BlockCodes& codes)
{
    for (uint32_t s = 0; s < FIXED_LITERAL_CODES; ++s)
        codes.literalLengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    memset(codes.distanceLengths, 5, DISTANCE_CODES);
    BuildCodes(codes.literalLengths, FIXED_LITERAL_CODES, codes.literalCodes);
    BuildCodes(codes.distanceLengths, DISTANCE_CODES, codes.distanceCodes);
}

uint64_t DataBits(const uint32_t* literalFreq, const uint32_t* distanceFreq, const BlockCodes& codes)
{
    uint64_t bits = 0;
    for (uint32_t s = 0; s < LITERAL_CODES; ++s)
        bits += static_cast<uint64_t>(literalFreq[s]) * codes.literalLengths[s];
    for (uint32_t s = 0; s < DISTANCE_CODES; ++s)
        bits += static_cast<uint64_t>(distanceFreq[s]) * codes.distanceLengths[s];
    return bits;
}

void WriteItems(LsbBitWriter& bits, const Item* items, uint32_t count, const BlockCodes& codes)
{
    for (uint32_t i = 0; i < count; ++i)
    {
        const Item& item = items[i];
        if (item.distance == 0)
        {
            bits.Write(codes.literalCodes[item.lengthOrLiteral], codes.literalLengths[item.lengthOrLiteral]);
            continue;
        }
        const uint32_t length = item.lengthOrLiteral - 256u;
        const uint32_t lc = LengthCode(length);
        bits.Write(codes.literalCodes[257 + lc], codes.literalLengths[257 + lc]);
        bits.Write(length - LENGTH_BASE[lc], LENGTH_EXTRA[lc]);
        const uint32_t dc = DistanceCode(item.distance);
        bits.Write(codes.distanceCodes[dc], codes.distanceLengths[dc]);
        bits.Write(item.distance - DISTANCE_BASE[dc], DISTANCE_EXTRA[dc]);
    }
    bits.Write(codes.literalCodes[256], codes.literalLengths[256]);
}

void WriteBlock(LsbBitWriter& bits, const Item* items, uint32_t count, bool last)
{
    uint32_t literalFreq[LITERAL_CODES] = {};
    uint32_t distanceFreq[DISTANCE_CODES] = {};
    for (uint32_t i = 0; i < count; ++i)
    {
        if (items[i].distance == 0)
            ++literalFreq[items[i].lengthOrLiteral];
        else
        {
            ++literalFreq[257 + LengthCode(items[i].lengthOrLiteral - 256u)];
            ++distanceFreq[DistanceCode(items[i].distance)];
        }
    }
    literalFreq[256] = 1;

    BlockCodes fixed;
    FixedCodes(fixed);
    const uint64_t fixedBits = 3 + DataBits(literalFreq, distanceFreq, fixed);

    // Keep at least two codes in each set so that both are complete codes,
    // which every inflater accepts.
    uint32_t literalUsed = 0;
    uint32_t distanceUsed = 0;
    for (uint32_t s = 0; s < LITERAL_CODES; ++s)
        literalUsed += literalFreq[s] ? 1 : 0;
    for (uint32_t s = 0; s < DISTANCE_CODES; ++s)
        distanceUsed += distanceFreq[s] ? 1 : 0;
    uint32_t literalShape[LITERAL_CODES];
    uint32_t distanceShape[DISTANCE_CODES];
    memcpy(literalShape, literalFreq, sizeof(literalShape));
    memcpy(distanceShape, distanceFreq, sizeof(distanceShape));
    if (literalUsed < 2)
        literalShape[literalFreq[0] ? 1 : 0] = 1;
    for (uint32_t s = 0; distanceUsed < 2 && s < DISTANCE_CODES; ++s)
        if (!distanceShape[s])
        {
            distanceShape[s] = 1;
            ++distanceUsed;
        }

    BlockCodes dynamic{};
    BuildLengths(literalShape, LITERAL_CODES, MAX_BITS, dynamic.literalLengths);
    BuildLengths(distanceShape, DISTANCE_CODES, MAX_BITS, dynamic.distanceLengths);
    BuildCodes(dynamic.literalLengths, LITERAL_CODES, dynamic.literalCodes);
    BuildCodes(dynamic.distanceLengths, DISTANCE_CODES, dynamic.distanceCodes);
    uint32_t literalCount = LITERAL_CODES;
    while (literalCount > 257 && !dynamic.literalLengths[literalCount - 1])
        --literalCount;
    uint32_t distanceCount = DISTANCE_CODES;
    while (distanceCount > 1 && !dynamic.distanceLengths[distanceCount - 1])
        --distanceCount;
    uint8_t allLengths[LITERAL_CODES + DISTANCE_CODES];
    memcpy(allLengths, dynamic.literalLengths, literalCount);
    memcpy(allLengths + literalCount, dynamic.distanceLengths, distanceCount);
    LengthRuns runs;
    RunLengthEncode(allLengths, literalCount + distanceCount, runs);
    uint32_t runFreq[19] = {};
    for (uint32_t i = 0; i < runs.count; ++i)
        ++runFreq[runs.symbol[i]];
    uint8_t runLengths[19];
    uint16_t runCodes[19] = {};
    BuildLengths(runFreq, 19, 7, runLengths);
    BuildCodes(runLengths, 19, runCodes);
    uint32_t runCodeCount = 19;
    while (runCodeCount > 4 && !runLengths[CODE_LENGTH_ORDER[runCodeCount - 1]])
        --runCodeCount;
    uint64_t dynamicBits = 3 + 14 + 3 * runCodeCount + DataBits(literalFreq, distanceFreq, dynamic);
    for (uint32_t i = 0; i < runs.count; ++i)
        dynamicBits += runLengths[runs.symbol[i]] + RunExtraBits(runs.symbol[i]);

    if (fixedBits <= dynamicBits)
    {
        bits.Write(last ? 1 : 0, 1);
        bits.Write(1, 2);
        WriteItems(bits, items, count, fixed);
        return;
    }
    bits.Write(last ? 1 : 0, 1);
    bits.Write(2, 2);
    bits.Write(literalCount - 257, 5);
    bits.Write(distanceCount - 1, 5);
    bits.Write(runCodeCount - 4, 4);
    for (uint32_t i = 0; i < runCodeCount; ++i)
        bits.Write(runLengths[CODE_LENGTH_ORDER[i]], 3);
    for (uint32_t i = 0; i < runs.count; ++i)
    {
        bits.Write(runCodes[runs.symbol[i]], runLengths[runs.symbol[i]]);
        bits.Write(runs.extra[i], RunExtraBits(runs.symbol[i]));
    }
    WriteItems(bits, items, count, dynamic);
}
} // namespace

uint32_t EncodeDeflate(CxByteSink& out, const uint8_t* source, uint32_t sourceSize)
{
    CxMatchFinder finder;
    Item* items = static_cast<Item*>(CX_ALLOC(BLOCK_ITEMS * sizeof(Item)));
    if (!items || !finder.Init(source, sourceSize, 32768, 3, 258, 128))
    {
        if (items)
            CX_FREE(items);
        return CX_ERR_OUT_OF_MEMORY;
    }
    LsbBitWriter bits(out);
    uint32_t count = 0;
    uint32_t i = 0;
    // Lazy matching: a match is taken only when the next position does not
    // start a longer one; otherwise a literal goes out and the longer wins.
    uint32_t distance = 0;
    uint32_t length = sourceSize ? finder.Find(0, &distance) : 0;
    while (i < sourceSize && !out.HasFailed())
    {
        finder.Insert(i);
        uint32_t nextDistance = 0;
        uint32_t nextLength = 0;
        if (length > 0 && length < 32 && i + 1 < sourceSize)
            nextLength = finder.Find(i + 1, &nextDistance);
        if (length == 0 || nextLength > length)
        {
            items[count++] = Item{source[i], 0};
            ++i;
            if (nextLength > length)
            {
                length = nextLength;
                distance = nextDistance;
            }
            else
                length = i < sourceSize ? finder.Find(i, &distance) : 0;
        }
        else
        {
            items[count++] = Item{static_cast<uint16_t>(256 + length), static_cast<uint16_t>(distance)};
            for (uint32_t k = 1; k < length; ++k)
                finder.Insert(i + k);
            i += length;
            length = i < sourceSize ? finder.Find(i, &distance) : 0;
        }
        if (count == BLOCK_ITEMS)
        {
            WriteBlock(bits, items, count, i >= sourceSize);
            count = 0;
        }
    }
    if (count > 0 || sourceSize == 0 || i == 0)
        WriteBlock(bits, items, count, true);
    bits.Flush();
    CX_FREE(items);
    return out.HasFailed() ? CX_ERR_OUT_OF_MEMORY : CX_ERR_NONE;
}
