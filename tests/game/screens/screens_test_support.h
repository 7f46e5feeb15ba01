// The screens' tests: the town of the town tests with the pictures, sounds
// and sequences of the title, map and question screens written beside it,
// and a modal loop driven pass by pass.
#pragma once

#include "engine/core/main_loop.h"
#include "engine/platform/window.h"
#include "tests/game/world/town_fixture.h"

#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace screens_test {
// Runs one step per pass of the loop; past the steps, quits after a limit
// so that no dialog can hang a test.
inline std::vector<std::function<void()>> s_Steps;
inline size_t s_nPass = 0;
inline void RunStep()
{
    const size_t pass = s_nPass++;
    if (pass < s_Steps.size())
        s_Steps[pass]();
    else if (pass > s_Steps.size() + 200 && GetApp())
        GetApp()->Quit();
}

inline void Click(int32_t x, int32_t y)
{
    CxInjectMouseMotion(x, y);
    CxInjectMouseButton(1, true, x, y);
    CxInjectMouseButton(1, false, x, y);
}

class ScreensTest : public town_test::TownTest
{
protected:
    void SetUp() override
    {
        for (const char* folder : {"common", "MAP", "LOGIN"})
            mkdir(m_Dir.File(folder).c_str(), 0755);
        // Buttons of 5 frames of 30 x 20; the map's of 2 frames of 20 x 20
        // whose top-left quarter is transparent.
        for (const char* name : {"yn_yes", "yn_no", "sellexitbtn", "selllinkbtn", "sellplaybtn"})
            WriteImage(std::string("common/") + name + ".tga", 150, 20, 0x2040A0);
        WriteImage("common/yn_bg.tga", 400, 300);
        WriteImage("common/arrwcur.tga", 16, 16);
        WriteImage("common/targcur.tga", 32, 32);
        WriteImage("common/playagain_bg.tga", 300, 200);
        WriteImage("common/sellbg.tga", 640, 480);
        m_Dir.Write("common/yndl_btn_sfx.wav", truck_test::MakeWave(200));
        for (const char* name :
             {"Exit", "DeletePlayer", "LeaveRoom", "CloseHud", "ChangeCar", "PlayAgain", "BuyGame"})
            m_Dir.Write(std::string("common/") + name + ".seq", "# silent\n");
        WriteImage("MAP/map_bg.tga", 640, 480, 0x80A080);
        for (int n = 0; n < 14; ++n)
            WriteShape(BuildName("MAP/map_b%02d.tga", n));
        WriteShape("MAP/map_exit.tga");
        WriteShape("MAP/map_go.tga");
        for (int n = 0; n < 14; ++n)
            m_Dir.Write(BuildName("MAP/vo_b%02d.wav", n), truck_test::MakeWave(400));
        WriteImage("LOGIN/si_bg.tga", 640, 480);
        WriteImage("LOGIN/si_play.tga", 150, 20);
        WriteImage("LOGIN/si_exit.tga", 150, 20);
        TownTest::SetUp();
        s_Steps.clear();
        s_nPass = 0;
        // The window's first messages (activation) are taken before any question.
        for (int i = 0; i < 5; ++i)
            m_pApp->PumpMessage();
        AddMainLoopFunction(RunStep);
    }
    void TearDown() override
    {
        RemoveMainLoopFunction(RunStep);
        s_Steps.clear();
        TownTest::TearDown();
    }
    static std::string BuildName(const char* format, int n)
    {
        char name[64];
        snprintf(name, sizeof(name), format, n);
        return name;
    }
    void WriteShape(const std::string& name)
    {
        CxDrawSurface image(40, 20, 24);
        image.FillRect(nullptr, 0x804020);
        for (int frame = 0; frame < 2; ++frame)
        {
            const CxRect corner(frame * 20, 0, frame * 20 + 9, 9);
            image.FillRect(&corner, 0xFF00FF);
        }
        ASSERT_EQ(image.Save(m_Dir.File(name).c_str()), CX_ERR_NONE) << name;
    }
};
} // namespace screens_test
