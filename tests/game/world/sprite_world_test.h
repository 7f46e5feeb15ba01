// The set-up every game sprite test shares: a fresh 640 x 480 display root,
// the standard image filters, errors as codes (no blue screen), a temporary
// game path and a manual clock whose ticks run the main loop's functions.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/event.h"
#include "engine/core/file.h"
#include "engine/core/main_loop.h"
#include "engine/graphics/display_object.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_filter.h"
#include "tests/support/scoped_clock.h"
#include "tests/support/temp_game_path.h"

#include <gtest/gtest.h>

#include <initializer_list>

// A listener that hears nothing: while one exists, the main loop delivers
// the events posted to the channels.
class CEventPump : public CxEventListener
{
public:
    int32_t OnEvent(uint32_t, CxEvent*) override { return 0; }
};

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
    // A 24-bit picture of one colour in the game folder.
    void WriteImage(const std::string& name, int32_t w, int32_t h, uint32_t colour = 0x303030)
    {
        CxDrawSurface image(w, h, 24);
        image.FillRect(nullptr, colour);
        ASSERT_EQ(image.Save(m_Dir.File(name.c_str()).c_str()), CX_ERR_NONE) << name;
    }
    // Runs the timers after ms more milliseconds.
    void Tick(uint32_t ms)
    {
        m_Clock.Advance(ms);
        RunMainLoopFunctions();
    }
    // Event or command arguments; the list is reused by the next call.
    static CxLinkedList<CxString>& Args(std::initializer_list<const char*> values)
    {
        static CxLinkedList<CxString> list;
        list.RemoveAll();
        for (const char* v : values)
            list.AddTail(CxString(v));
        return list;
    }

    TempGamePath m_Dir;
    ScopedManualClock m_Clock{1000};
};
