#include "engine/base/error_codes.h"

namespace {
const char* const s_ErrorTexts[CX_ERR_COUNT] = {
    "No Error",
    "Out of memory",
    "Error opening file",
    "Error closing file",
    "Error creating file",
    "Error reading file",
    "Error writing file",
    "Error seeking file",
    "Error deleting file",
    "Could not find file",
    "Invalid file type",
    "Invalid Path",
    "Disk error",
    "Unknown Error",
    "CRC failure",
    "Not enough disk space",
    "Invalid arguement",
    "Assertion Failure",
    "CD is missing",
};
} // namespace

const char* GetErrorText(uint32_t code)
{
    return code < CX_ERR_COUNT ? s_ErrorTexts[code] : s_ErrorTexts[CX_ERR_UNKNOWN];
}
