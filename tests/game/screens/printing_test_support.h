// The printing room's pictures made in a scratch game folder, and the game
// application entered into the printing room on them.
#pragma once

#include "engine/core/game_path.h"
#include "engine/graphics/draw_surface.h"
#include "engine/graphics/image_filter.h"
#include "game/screens/printing.h"
#include "game/world/base_window.h"
#include "tests/game/world/town_test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>

// A picture of one colour (a button: five frames of 20 x 20).
inline void WritePicture(const TempDir& dir, const std::string& name, int32_t width, int32_t height,
                         uint8_t shade)
{
    CxDrawSurface image(width, height, 16);
    image.FillRect(nullptr, image.MakeColor(shade, shade, 255 - shade));
    ASSERT_EQ(image.Save(dir.File(name).c_str()), CX_ERR_NONE) << name;
}

inline void WritePrintingData(const TempDir& dir)
{
    RegisterStandardImageFilters();
    for (const char* sub : {"COMMON", "printing", "mission", "mission/printing"})
        mkdir(dir.File(sub).c_str(), 0755);
    for (const char* name : {"COMMON/arrwcur.tga", "COMMON/targcur.tga"})
        WritePicture(dir, name, 8, 8, 9);
    for (const char* name : {"bg_print", "bg_color", "bg_certf"})
        WritePicture(dir, std::string("printing/") + name + ".tga", 64, 48, 40);
    for (const char* name : {"bt_back", "bt_color", "bt_certf", "bt_print"})
        WritePicture(dir, std::string("printing/") + name + ".tga", 100, 20, 80);
    char name[64];
    for (int i = 0; i < PRINTING_COLOR_PAGES; ++i)
    {
        snprintf(name, sizeof(name), "printing/bt_col%02d.tga", i);
        WritePicture(dir, name, 100, 20, static_cast<uint8_t>(i));
        snprintf(name, sizeof(name), "printing/bg_col%02d.tga", i);
        WritePicture(dir, name, 64, 48, static_cast<uint8_t>(100 + i));
        snprintf(name, sizeof(name), "printing/bg_col%02d.bmp", i);
        WritePicture(dir, name, 64, 48, static_cast<uint8_t>(100 + i));
    }
    for (int i = 0; i < 10; ++i)
    {
        snprintf(name, sizeof(name), "printing/bt_cer%02d.tga", i);
        WritePicture(dir, name, 100, 20, static_cast<uint8_t>(200 + i));
        snprintf(name, sizeof(name), "printing/bg_cer%02d.tga", i);
        WritePicture(dir, name, 640, 480, 250);
    }
    // The room's sequences flash the buttons as the voice would name them.
    dir.Write("mission/printing/PrintIntro.seq", "Event Printing.StartFlashButton(Back)\n");
    dir.Write("mission/printing/ColorSelectIntro.seq", "Event Printing.StopFlashButton(Back)\n");
    dir.Write("mission/printing/CertSelectIntro.seq", "Event Printing.StopFlashButton(Back)\n");
}

// What a click on the button tells its parent.
inline void Click(CxButton* button)
{
    ASSERT_NE(button, nullptr);
    button->NotifyParent(0, reinterpret_cast<intptr_t>(static_cast<CxDisplayObject*>(button)),
                         BUTTON_NOTIFY_CLICKED, 0);
}

// The game entered into the printing room from the town, fades skipped.
class PrintingRoomTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previousFade = CBaseWindow::SetFadePlayer([](const char*) { return CX_ERR_NONE; });
        WritePrintingData(dir);
    }
    void TearDown() override
    {
        if (started)
            app.Stop();
        CBaseWindow::SetFadePlayer(previousFade);
    }
    // Starts the game with the completed bits and enters the printing room.
    CPrinting* Enter(uint32_t completed)
    {
        app.Start();
        started = true;
        app.RunIdlePass();
        app.GetProfile().completed = completed;
        app.PushRoom(RUMBO_ROOM_PRINTING);
        Pump();
        return dynamic_cast<CPrinting*>(app.GetCurRoom());
    }
    void Pump(int passes = 3)
    {
        for (int i = 0; i < passes; ++i)
            app.RunIdlePass();
    }

    PFN_PLAY_FADE previousFade = nullptr;
    TempDir dir;
    ErrorCapture capture;
    CTownTestApp app{dir.Path()};
    bool started = false;
};
