#include "game/missions/interp_option.h"

#include "engine/core/app.h"
#include "engine/core/interpolator.h"
#include "engine/frame/game_app.h"

uint32_t CInterpOption::GetString(const char* section, const char* name, char* out, const char* defaultText,
                                  uint32_t size)
{
    if (!out || size == 0)
        return 0;
    char raw[INTERP_OPTION_TEXT];
    CxOptions::GetString(section, name, raw, defaultText, sizeof(raw));
    CxInterpolator* interpolator = m_pInterpolator;
    if (!interpolator)
        if (CxGameApp* app = dynamic_cast<CxGameApp*>(GetApp()))
            interpolator = &app->GetInterpolator();
    const CxString expanded = interpolator ? interpolator->Expand(raw) : CxString(raw);
    const uint32_t limit = size < INTERP_OPTION_TEXT ? size : INTERP_OPTION_TEXT;
    CxCopyText(out, expanded.c_str(), limit);
    return 0;
}
