// The encoders of the engine's compression methods (the codes of
// decompress.h). Every stream they produce decodes with Decompress into the
// original bytes; the engine bitmap writer and the tools use them.
#pragma once

#include "engine/core/buffer.h"
#include "engine/graphics/byte_sink.h"

#include <cstdint>

// Compresses sourceSize bytes with method into destination (reallocated to
// the stream's size). Method 0 and codes 10-255 store the bytes as they are.
// Returns 0, 1 when memory is refused, or 16 for input the method cannot
// represent (method 3 needs an even number of bytes).
uint32_t Compress(CxBuffer& destination, const void* source, uint32_t sourceSize, uint8_t method);

// The same into a growing sink (appended after what it holds).
uint32_t CompressInto(CxByteSink& out, const void* source, uint32_t sourceSize, uint8_t method);

// Method 1 on its own: dynamic or fixed Huffman blocks, never stored blocks
// (whose layout differs from RFC 1951 here), so any RFC 1951 inflater reads
// the stream too.
uint32_t EncodeDeflate(CxByteSink& out, const uint8_t* source, uint32_t sourceSize);
