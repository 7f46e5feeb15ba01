#include "engine/graphics/image_filter.h"

#include "engine/core/find_file.h"

#include "engine/base/cx_string.h"
#include "engine/core/error.h"
#include "engine/graphics/image_files.h"

#include <cstring>

namespace {
ST_IMAGE_FILTER s_Filters[CX_IMAGE_FILTER_COUNT] = {};

bool EndsWithNoCase(const char* name, const char* tail)
{
    const size_t nameLength = strlen(name);
    const size_t tailLength = strlen(tail);
    return tailLength <= nameLength && CxCompareNoCase(name + nameLength - tailLength, tail) == 0;
}

// The first occurrence of text in name, letter case ignored; null when absent.
const char* FindNoCase(const char* name, const char* text)
{
    const size_t length = strlen(text);
    for (const char* p = name; *p; ++p)
        if (CxCompareNoCaseN(p, text, static_cast<uint32_t>(length)) == 0)
            return p;
    return nullptr;
}
} // namespace

uint32_t RegisterImageFilter(const char* extension, CxImageFilterFunction load, CxImageFilterFunction save)
{
    if (!extension || extension[0] != '.')
    {
        ReportError(CX_ERR_INVALID_ARGUMENT, "Extension MUST include the period as in '.pcx'");
        return CX_ERR_INVALID_ARGUMENT;
    }
    if (strlen(extension) >= CX_IMAGE_EXTENSION_SIZE)
    {
        // The entry holds 7 characters; a longer one would not fit.
        ReportError(CX_ERR_INVALID_ARGUMENT, "Extension '%s' is longer than 7 characters", extension);
        return CX_ERR_INVALID_ARGUMENT;
    }
    for (ST_IMAGE_FILTER& filter : s_Filters)
    {
        if (filter.szExtension[0] != '\0')
            continue;
        CxCopyText(filter.szExtension, extension, CX_IMAGE_EXTENSION_SIZE);
        filter.pLoad = load;
        filter.pSave = save;
        return CX_ERR_NONE;
    }
    return CX_ERR_NONE; // a full table ignores further registrations
}

uint32_t UnregisterImageFilter(const char* pattern)
{
    if (!pattern)
        return CX_ERR_NONE;
    CxString patterns(pattern);
    for (ST_IMAGE_FILTER& filter : s_Filters)
    {
        if (filter.szExtension[0] == '\0')
            continue;
        if (CxMatchWildcard(filter.szExtension, patterns.c_str()))
            filter = ST_IMAGE_FILTER{};
    }
    return CX_ERR_NONE;
}

const ST_IMAGE_FILTER* FindImageFilterForLoad(const char* fileName)
{
    if (!fileName || !*fileName)
        return nullptr;
    for (const ST_IMAGE_FILTER& filter : s_Filters)
        if (filter.szExtension[0] != '\0' && EndsWithNoCase(fileName, filter.szExtension))
            return &filter;
    return nullptr;
}

const ST_IMAGE_FILTER* FindImageFilterForSave(const char* fileName)
{
    if (!fileName || !*fileName)
        return nullptr;
    for (const ST_IMAGE_FILTER& filter : s_Filters)
    {
        if (filter.szExtension[0] == '\0')
            continue;
        const char* found = FindNoCase(fileName, filter.szExtension);
        if (found && CxCompareNoCase(found, filter.szExtension) == 0)
            return &filter;
    }
    return nullptr;
}

const ST_IMAGE_FILTER* GetImageFilter(uint32_t index)
{
    return index < CX_IMAGE_FILTER_COUNT ? &s_Filters[index] : nullptr;
}

void RegisterStandardImageFilters()
{
    RegisterImageFilter(".TGA", LoadTgaFile, SaveImageFileByFilter);
    RegisterImageFilter(".QEX", LoadQexFile, SaveImageFileByFilter);
    RegisterImageFilter(".PCX", LoadPcxFile, SaveImageFileByFilter);
    RegisterImageFilter(".BMP", LoadBmpFile, SaveImageFileByFilter);
}
