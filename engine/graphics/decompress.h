// The engine's decompressors, selected by a one-byte method code (the code
// stored in engine bitmaps). Every decoder stops at the end of its input and
// at the end of its destination: a stream that needs more input than it has
// or more room than the destination gives error 13 (CX_ERR_UNKNOWN), with the
// bytes decoded so far left in the destination. Nothing is reported through
// the program-wide error path; the caller decides what a failure means.
#pragma once

#include <cstdint>

constexpr uint8_t CX_COMPRESS_STORED = 0;
constexpr uint8_t CX_COMPRESS_DEFLATE = 1;       // raw DEFLATE, stored blocks without length complement
constexpr uint8_t CX_COMPRESS_RLE8 = 2;          // byte run-length
constexpr uint8_t CX_COMPRESS_RLE16 = 3;         // 16-bit word run-length
constexpr uint8_t CX_COMPRESS_LZW12 = 4;         // LZW with fixed 12-bit codes
constexpr uint8_t CX_COMPRESS_LZW = 5;           // LZW with growing codes and explicit width/clear codes
constexpr uint8_t CX_COMPRESS_LZSS = 6;          // LZSS over a 16 KiB window
constexpr uint8_t CX_COMPRESS_HUFFMAN = 7;       // adaptive Huffman coding
constexpr uint8_t CX_COMPRESS_ARITHMETIC = 8;    // order-1 adaptive arithmetic coding
constexpr uint8_t CX_COMPRESS_LZ77 = 9;          // LZ77 with 16-bit tokens
constexpr uint8_t CX_COMPRESS_METHOD_COUNT = 10; // codes from here on are stored copies

// The longest code width the growing-code LZW accepts, and so its dictionary size.
constexpr uint32_t CX_LZW_MAX_BITS = 16;

// Decodes sourceSize bytes of method's stream into destination. Returns 0 on
// success or an error code: 13 for a truncated or malformed stream or one
// that does not fit the destination, 1 when working memory is refused.
// Method 0 and codes 10-255 copy the source; a source longer than the
// destination is copied as far as it fits and gives 13. When produced is
// given it receives the number of bytes written, also after a failure.
//
// Methods 0, 2, 3 and 9 have no end marker and end with their input, so a
// stream cut at an item boundary decodes to fewer bytes without error (check
// produced). The others end at their end code. Methods 4, 5 and 6 may also
// end without it when their input runs out just as the destination is full;
// any further item gives 13. Methods 1, 7 and 8 always need their end.
uint32_t Decompress(void* destination, uint32_t destinationSize, const void* source, uint32_t sourceSize,
                    uint8_t method, uint32_t* produced = nullptr);

// The decoders behind Decompress, one per method family. Same contract; they
// always store the produced count.
uint32_t InflateStream(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                       uint32_t sourceSize, uint32_t* produced);
uint32_t DecodeLzw12(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                     uint32_t sourceSize, uint32_t* produced);
uint32_t DecodeLzwGrowing(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                          uint32_t sourceSize, uint32_t* produced);
uint32_t DecodeAdaptiveHuffman(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                               uint32_t sourceSize, uint32_t* produced);
uint32_t DecodeArithmetic(uint8_t* destination, uint32_t destinationSize, const uint8_t* source,
                          uint32_t sourceSize, uint32_t* produced);
