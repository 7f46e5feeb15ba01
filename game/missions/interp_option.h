// CInterpOption: an option file whose string values arrive with the game's
// variables expanded ("$GAMEPATH\mission\...", "$MISSIONNAME"). Numbers and
// points are read as by any option file.
#pragma once

#include "engine/core/options.h"

#include <cstdint>

class CxInterpolator;

// The size of the buffer every string of a mission file is read into;
// longer expanded values are cut to fit.
constexpr uint32_t INTERP_OPTION_TEXT = 256;

class CInterpOption : public CxOptions
{
public:
    // interpolator: null takes the application's.
    explicit CInterpOption(CxInterpolator* interpolator = nullptr) : m_pInterpolator(interpolator) {}

    // The value (or the default) expanded, cut to size - 1 characters and
    // to the 256-byte buffer.
    uint32_t GetString(const char* section, const char* name, char* out, const char* defaultText,
                       uint32_t size) override;

private:
    CxInterpolator* m_pInterpolator;
};
