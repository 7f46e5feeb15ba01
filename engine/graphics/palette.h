// CxOSPalette: the palette of 8-bit screen modes.
//
// 256 entries of blue, green, red and a flags byte. The default palette is a
// grey ramp with the 20 static system colours at entries 0-9 and 246-255.
// The "logical palette" is the list of entries with their flags as the
// screen hands them to the display (red, green, blue, flags), kept beside
// the entries and rebuilt whenever they change.
#pragma once

#include "engine/base/object.h"
#include "engine/core/error.h"

#include <cstdint>
#include <memory>

// Entry flags of the logical palette.
constexpr uint8_t CX_PC_RESERVED = 0x01;
constexpr uint8_t CX_PC_EXPLICIT = 0x02;
constexpr uint8_t CX_PC_NOCOLLAPSE = 0x04;

// Options of CreateLogicalPalette.
constexpr uint32_t CX_PALETTE_RESERVED = 0x01;
constexpr uint32_t CX_PALETTE_EXPLICIT = 0x02;

constexpr uint16_t CX_PALETTE_VERSION = 0x300;

struct ST_PALETTE_ENTRY
{
    uint8_t nBlue;
    uint8_t nGreen;
    uint8_t nRed;
    uint8_t nFlags;
};

class CxOSPalette : public CxError, public CxObject
{
public:
    CxOSPalette();
    ~CxOSPalette() override;

    // The grey ramp with the static colours; builds the logical palette.
    virtual uint32_t Initialize();
    // Rebuilds the logical palette from the entries with the given options.
    virtual uint32_t CreateLogicalPalette(uint32_t options = 0);
    // 768 bytes of red, green, blue; the logical palette is made again.
    virtual uint32_t SetEntries(const uint8_t* rgb);
    // 768 bytes of red, green, blue.
    virtual void GetEntries(uint8_t* rgb) const;

    const ST_PALETTE_ENTRY& GetEntry(int32_t index) const { return m_Entries[index & 0xFF]; }
    // The logical palette: version, count, then count entries of red, green, blue, flags.
    const uint8_t* GetLogicalPalette() const { return m_pLogical.get(); }
    uint32_t GetLogicalPaletteSize() const { return m_nLogicalSize; }

private:
    ST_PALETTE_ENTRY m_Entries[256] = {};
    std::unique_ptr<uint8_t[]> m_pLogical;
    uint32_t m_nLogicalSize = 0;
};
