// CxArithmeticModel: the order-1 adaptive frequency model of the arithmetic
// coding method (code 8), shared by its encoder and decoder. There is one
// table of cumulative counts for every possible previous byte; symbols are
// the 256 bytes and the end symbol 256. The coder is the 16-bit integer
// arithmetic coder of Witten, Neal and Cleary.
#pragma once

#include "engine/graphics/byte_sink.h"

#include <cstdint>

class CxArithmeticModel
{
public:
    static constexpr uint32_t END_SYMBOL = 256;
    static constexpr uint32_t COUNTS = 258; // cumulative counts: entry s is the total below symbol s
    // A table whose total reaches this is halved, so range × total fits 32 bits.
    static constexpr uint32_t MAX_TOTAL = 16383;

    CxArithmeticModel();

    const uint16_t* GetTotals(uint8_t context) const { return m_Totals[context]; }
    // Counts one more symbol in the context's table.
    void Update(uint8_t context, uint32_t symbol);

private:
    uint16_t m_Totals[256][COUNTS];
};

// The encoder of method 8 (the decoder is DecodeArithmetic in decompress.h).
uint32_t EncodeArithmetic(CxByteSink& out, const uint8_t* source, uint32_t sourceSize);
