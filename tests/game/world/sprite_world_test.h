// The set-up every game sprite test shares: a fresh 640 x 480 display root,
// the standard image filters, errors as codes (no blue screen), a temporary
// game path and a manual clock.
#pragma once

#include "engine/core/file.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/image_filter.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/temp_game_path.h"

#include <gtest/gtest.h>

class SpriteWorldTest : public testing::Test
{
protected:
    SpriteWorldTest()
    {
        CxDisplayObject::DestroyRoot();
        CxDisplayObject::SetRootSize(640, 480);
        RegisterStandardImageFilters();
        SetBlueScreenError(false);
    }
    ~SpriteWorldTest() override { CxDisplayObject::DestroyRoot(); }

    TempGamePath m_Dir;
    ScopedManualClock m_Clock{1000};
};
