// The image file formats: Windows bitmaps (.BMP), Truevision Targa (.TGA),
// ZSoft PCX (.PCX) and the engine bitmap (.QEX, pixel data compressed by one
// of the engine's codecs and protected by a CRC).
//
// Every loader validates the file before it creates the surface: sizes and
// offsets must lie inside the file, the pixel memory must be backed by file
// data (or, for compressed data, by what the format could expand it to), and
// decoders stop at the end of their input and output. A malformed file gives
// error 10, so no file can make a loader read or write outside its buffers or
// allocate far more than its own size.
#pragma once

#include "engine/graphics/byte_sink.h"
#include "engine/graphics/draw_surface.h"

#include <cstdint>

// Largest width or height any loader accepts.
constexpr int32_t CX_IMAGE_MAX_DIMENSION = 32767;

// The registry's load functions: read the file and fill the surface.
uint32_t LoadBmpFile(CxDrawSurface* surface, const char* fileName, int32_t option);
uint32_t LoadTgaFile(CxDrawSurface* surface, const char* fileName, int32_t option);
uint32_t LoadPcxFile(CxDrawSurface* surface, const char* fileName, int32_t option);
uint32_t LoadQexFile(CxDrawSurface* surface, const char* fileName, int32_t option);

// The same from bytes in memory; name appears in messages.
uint32_t LoadBmp(CxDrawSurface* surface, const uint8_t* data, uint32_t size, const char* name);
uint32_t LoadTga(CxDrawSurface* surface, const uint8_t* data, uint32_t size, const char* name);
uint32_t LoadPcx(CxDrawSurface* surface, const uint8_t* data, uint32_t size, const char* name);
uint32_t LoadQex(CxDrawSurface* surface, const uint8_t* data, uint32_t size, const char* name);

// Writers. BMP: depths 1, 4, 8, 16 (as 5-5-5), 24 and 32, bottom-up rows.
// TGA: depth 8 with a colour map, 16 (5-5-5), 24 and 32, top-down rows.
// PCX: depths 1, 4 and 8 in one plane with the 256-colour palette at the end.
// QEX: any depth, pixel data compressed with method; the long header carries
// a full 256-entry palette area. Unsupported depths give error 16.
uint32_t WriteBmp(CxDrawSurface* surface, CxByteSink& out);
uint32_t WriteTga(CxDrawSurface* surface, CxByteSink& out);
uint32_t WritePcx(CxDrawSurface* surface, CxByteSink& out);
uint32_t WriteQex(CxDrawSurface* surface, CxByteSink& out, uint8_t method, bool longHeader = false);
// Writes the surface in the format named by the file's extension (.bmp,
// .tga, .pcx or .qex, letter case ignored); method applies to .qex. Error 13
// for any other extension.
uint32_t SaveImageFile(CxDrawSurface* surface, const char* fileName, uint8_t method);
// Save functions for the filter registry. For ".QEX" the option is the
// compression method (1 to 9; anything else means 1).
uint32_t SaveImageFileByFilter(CxDrawSurface* surface, const char* fileName, int32_t option);

// Stores and reports a loader's or writer's failure on the surface (through
// the program-wide error path) and returns the code.
uint32_t FailImage(CxDrawSurface* surface, uint32_t code, const char* format, ...) CX_PRINTF(3, 4);
// The surface a writer stores: the surface itself, or for a 16-bit surface
// in another format a 5-5-5 copy made in converted (BMP and Targa files hold
// 16-bit pixels as 5-5-5). Null when the copy fails; its error is in converted.
CxDrawSurface* SurfaceAs555(CxDrawSurface* surface, CxDrawSurface& converted);

// Little-endian fields of image headers.
inline uint16_t ReadLe16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t ReadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline void PutLe32(CxByteSink& out, uint32_t value)
{
    out.PutWord(static_cast<uint16_t>(value));
    out.PutWord(static_cast<uint16_t>(value >> 16));
}

// Depths a surface can have.
inline bool IsImageDepth(uint32_t depth)
{
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}
