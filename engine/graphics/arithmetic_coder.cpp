#include "engine/graphics/arithmetic_coder.h"

#include "engine/core/error.h"
#include "engine/core/memory.h"
#include "engine/graphics/decompress.h"

#include <new>

CxArithmeticModel::CxArithmeticModel()
{
    for (uint32_t c = 0; c < 256; ++c)
        for (uint32_t s = 0; s < COUNTS; ++s)
            m_Totals[c][s] = static_cast<uint16_t>(s);
}

void CxArithmeticModel::Update(uint8_t context, uint32_t symbol)
{
    uint16_t* totals = m_Totals[context];
    for (uint32_t s = symbol + 1; s < COUNTS; ++s)
        ++totals[s];
    if (totals[COUNTS - 1] < MAX_TOTAL)
        return;
    // Halve, keeping every symbol at a count of at least 1.
    for (uint32_t s = 1; s < COUNTS; ++s)
    {
        totals[s] = static_cast<uint16_t>(totals[s] / 2);
        if (totals[s] <= totals[s - 1])
            totals[s] = static_cast<uint16_t>(totals[s - 1] + 1);
    }
}

namespace {
// Reads bits most significant first and pads the end of the input with zero
// bits, which the coder's last steps may legitimately need. More padding
// than one code register's worth means the stream was cut short.
class PaddedBitReader
{
public:
    PaddedBitReader(const uint8_t* data, uint32_t size) : m_pData(data), m_nSize(size) {}

    uint32_t ReadBit()
    {
        if (m_nMask == 0)
        {
            if (m_nPosition < m_nSize)
                m_nCurrent = m_pData[m_nPosition++];
            else
            {
                m_nCurrent = 0;
                m_nPadding += 8;
            }
            m_nMask = 0x80;
        }
        const uint32_t bit = (m_nCurrent & m_nMask) ? 1 : 0;
        m_nMask >>= 1;
        return bit;
    }
    bool IsOverrun() const { return m_nPadding > 16 + 8; }

private:
    const uint8_t* m_pData;
    uint32_t m_nSize;
    uint32_t m_nPosition = 0;
    uint32_t m_nPadding = 0;
    uint8_t m_nCurrent = 0;
    uint8_t m_nMask = 0;
};
} // namespace

uint32_t DecodeArithmetic(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                          uint32_t sourceSize, uint32_t* produced)
{
    *produced = 0;
    void* block = CX_ALLOC(sizeof(CxArithmeticModel));
    if (!block)
        return CX_ERR_OUT_OF_MEMORY;
    CxArithmeticModel* model = new (block) CxArithmeticModel;
    PaddedBitReader input(source, sourceSize);
    uint32_t low = 0;
    uint32_t high = 0xFFFF;
    uint32_t code = 0;
    for (int i = 0; i < 16; ++i)
        code = (code << 1) | input.ReadBit();
    uint8_t context = 0;
    uint32_t out = 0;
    uint32_t result = CX_ERR_NONE;
    for (;;)
    {
        const uint16_t* totals = model->GetTotals(context);
        const uint32_t scale = totals[CxArithmeticModel::COUNTS - 1];
        const uint32_t range = high - low + 1;
        const uint32_t count = ((code - low + 1) * scale - 1) / range;
        if (code < low || code > high || count >= scale)
        {
            result = CX_ERR_UNKNOWN; // bits no encoder could have produced
            break;
        }
        // The symbol s with totals[s] <= count < totals[s + 1].
        uint32_t first = 0;
        uint32_t last = CxArithmeticModel::END_SYMBOL;
        while (first < last)
        {
            const uint32_t middle = (first + last + 1) / 2;
            if (totals[middle] <= count)
                first = middle;
            else
                last = middle - 1;
        }
        const uint32_t symbol = first;
        if (symbol == CxArithmeticModel::END_SYMBOL)
            break;
        if (out >= destinationSize)
        {
            result = CX_ERR_UNKNOWN;
            break;
        }
        destination[out++] = static_cast<uint8_t>(symbol);
        high = low + (range * totals[symbol + 1]) / scale - 1;
        low = low + (range * totals[symbol]) / scale;
        for (;;)
        {
            if ((high & 0x8000) == (low & 0x8000))
            {
            }
            else if ((low & 0x4000) && !(high & 0x4000))
            {
                // Underflow: the range straddles the middle closely.
                code ^= 0x4000;
                low &= 0x3FFF;
                high |= 0x4000;
            }
            else
                break;
            low = (low << 1) & 0xFFFF;
            high = ((high << 1) | 1) & 0xFFFF;
            code = ((code << 1) | input.ReadBit()) & 0xFFFF;
        }
        if (input.IsOverrun())
        {
            result = CX_ERR_UNKNOWN;
            break;
        }
        model->Update(context, symbol);
        context = static_cast<uint8_t>(symbol);
    }
    model->~CxArithmeticModel();
    CX_FREE(block);
    *produced = out;
    return result;
}

namespace {
class ArithmeticEncoder
{
public:
    explicit ArithmeticEncoder(CxBitSink& bits) : m_Bits(bits) {}

    void Encode(const uint16_t* totals, uint32_t symbol)
    {
        const uint32_t scale = totals[CxArithmeticModel::COUNTS - 1];
        const uint32_t range = m_nHigh - m_nLow + 1;
        m_nHigh = m_nLow + (range * totals[symbol + 1]) / scale - 1;
        m_nLow = m_nLow + (range * totals[symbol]) / scale;
        for (;;)
        {
            if ((m_nHigh & 0x8000) == (m_nLow & 0x8000))
            {
                const uint32_t bit = (m_nHigh & 0x8000) ? 1 : 0;
                m_Bits.WriteBit(bit);
                for (; m_nPending > 0; --m_nPending)
                    m_Bits.WriteBit(bit ^ 1);
            }
            else if ((m_nLow & 0x4000) && !(m_nHigh & 0x4000))
            {
                ++m_nPending;
                m_nLow &= 0x3FFF;
                m_nHigh |= 0x4000;
            }
            else
                return;
            m_nLow = (m_nLow << 1) & 0xFFFF;
            m_nHigh = ((m_nHigh << 1) | 1) & 0xFFFF;
        }
    }

    // Two more bits pin the final range; 16 zero bits follow so that a
    // decoder never has to read past the stream.
    void Finish()
    {
        const uint32_t bit = (m_nLow & 0x4000) ? 1 : 0;
        m_Bits.WriteBit(bit);
        for (++m_nPending; m_nPending > 0; --m_nPending)
            m_Bits.WriteBit(bit ^ 1);
        m_Bits.WriteBits(0, 16);
        m_Bits.Flush();
    }

private:
    CxBitSink& m_Bits;
    uint32_t m_nLow = 0;
    uint32_t m_nHigh = 0xFFFF;
    uint32_t m_nPending = 0;
};
} // namespace

uint32_t EncodeArithmetic(CxByteSink& out, const uint8_t* source, uint32_t sourceSize)
{
    void* block = CX_ALLOC(sizeof(CxArithmeticModel));
    if (!block)
        return CX_ERR_OUT_OF_MEMORY;
    CxArithmeticModel* model = new (block) CxArithmeticModel;
    CxBitSink bits(out);
    ArithmeticEncoder encoder(bits);
    uint8_t context = 0;
    for (uint32_t i = 0; i < sourceSize && !out.HasFailed(); ++i)
    {
        encoder.Encode(model->GetTotals(context), source[i]);
        model->Update(context, source[i]);
        context = source[i];
    }
    encoder.Encode(model->GetTotals(context), CxArithmeticModel::END_SYMBOL);
    encoder.Finish();
    model->~CxArithmeticModel();
    CX_FREE(block);
    return out.HasFailed() ? CX_ERR_OUT_OF_MEMORY : CX_ERR_NONE;
}
