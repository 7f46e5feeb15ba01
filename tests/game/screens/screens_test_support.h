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

inline std::string Numbered(const char* format, int n)
{
    char name[64];
    snprintf(name, sizeof(name), format, n);
    return name;
}

class ScreensTest : public town_test::TownTest
{
protected:
    void SetUp() override
    {
        for (const char* folder : {"common", "MAP", "LOGIN"})
            mkdir(m_Dir.File(folder).c_str(), 0755);
        // Buttons of 5 frames of 30 x 20 and pictures of their own sizes.
        for (const char* name :
             {"common/yn_yes", "common/yn_no", "common/sellexitbtn", "common/selllinkbtn",
              "common/sellplaybtn", "LOGIN/si_play", "LOGIN/si_exit", "common/arrwcur", "common/targcur"})
            WriteImage(std::string(name) + ".tga", 150, 20);
        for (const char* name : {"common/sellbg", "MAP/map_bg", "LOGIN/si_bg"})
            WriteImage(std::string(name) + ".tga", 640, 480);
        WriteImage("common/yn_bg.tga", 400, 300);
        WriteImage("common/playagain_bg.tga", 300, 200);
        m_Dir.Write("common/yndl_btn_sfx.wav", truck_test::MakeWave(200));
        for (const char* name :
             {"Exit", "DeletePlayer", "LeaveRoom", "CloseHud", "ChangeCar", "PlayAgain", "BuyGame"})
            m_Dir.Write(std::string("common/") + name + ".seq", "# silent\n");
        for (int n = -2; n < 14; ++n)
        {
            WriteShape(n >= 0    ? Numbered("MAP/map_b%02d.tga", n)
                       : n == -1 ? "MAP/map_go.tga"
                                 : "MAP/map_exit.tga");
            m_Dir.Write(Numbered("MAP/vo_b%02d.wav", n + 2), truck_test::MakeWave(400));
        }
        TownTest::SetUp();
        Steps({});
        // The window's first messages (activation) are taken before any question.
        for (int i = 0; i < 5; ++i)
            m_pApp->PumpMessage();
        AddMainLoopFunction(RunStep);
    }
    void TearDown() override
    {
        RemoveMainLoopFunction(RunStep);
        TownTest::TearDown();
    }
    // The steps of the next modal loop, each followed by two passes without one.
    static void Steps(std::initializer_list<std::function<void()>> steps)
    {
        s_Steps.clear();
        s_nPass = 0;
        for (const auto& step : steps)
            s_Steps.insert(s_Steps.end(), {step, [] {}, [] {}});
    }
    // Two frames of 20 x 20 whose top-left 10 x 10 is transparent.
    void WriteShape(const std::string& name)
    {
        CxDrawSurface image(40, 20, 24);
        image.FillRect(nullptr, 0x804020);
        for (const CxRect& corner : {CxRect(0, 0, 9, 9), CxRect(20, 0, 29, 9)})
            image.FillRect(&corner, 0xFF00FF);
        ASSERT_EQ(image.Save(m_Dir.File(name).c_str()), CX_ERR_NONE) << name;
    }
};
} // namespace screens_test
