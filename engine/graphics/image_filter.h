// The registry of image filters: which function loads (and which saves) an
// image file with a given extension. CxDrawSurface::Load and Save look files
// up here; the game registers its loaders at start and clears the table at
// shutdown.
#pragma once

#include <cstdint>

class CxDrawSurface;

typedef uint32_t (*CxImageFilterFunction)(CxDrawSurface* surface, const char* fileName, int32_t option);

constexpr uint32_t CX_IMAGE_FILTER_COUNT = 20;
constexpr uint32_t CX_IMAGE_EXTENSION_SIZE = 8; // a period, at most 6 more characters, the terminator

struct ST_IMAGE_FILTER
{
    char szExtension[CX_IMAGE_EXTENSION_SIZE]; // empty: a free entry
    CxImageFilterFunction pLoad;
    CxImageFilterFunction pSave;
};

// Fills the first free entry. The extension must start with a period
// (error 16) and fit the entry (error 16). With all entries in use nothing is
// registered and 0 is returned.
uint32_t RegisterImageFilter(const char* extension, CxImageFilterFunction load, CxImageFilterFunction save);
// Clears every entry whose extension matches one of the wildcard patterns
// ("*" and "?", letter case ignored) of a ";"-separated list. Returns 0.
uint32_t UnregisterImageFilter(const char* pattern);

// The entry Load uses: the first whose extension ends the file name (letter
// case ignored); null when none does.
const ST_IMAGE_FILTER* FindImageFilterForLoad(const char* fileName);
// The entry Save uses: the first whose extension, found first in the file
// name, runs to its end (letter case ignored); null when none does.
const ST_IMAGE_FILTER* FindImageFilterForSave(const char* fileName);
const ST_IMAGE_FILTER* GetImageFilter(uint32_t index);

// The game's image files in its order: ".TGA", ".QEX", ".PCX", ".BMP", each with
// its loader and its writer (Save of a ".QEX" takes the method as its option).
void RegisterStandardImageFilters();
