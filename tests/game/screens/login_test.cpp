#include "game/screens/login.h"

#include "tests/game/screens/screens_test_support.h"

#include <gtest/gtest.h>

namespace {
using screens_test::ScreensTest;

// The title room, entered from the town: its buttons at their places; play
// goes back to the town (leaving frees the buttons and the picture), exit
// closes the game and quits.
TEST_F(ScreensTest, TitleButtonsPlayOrQuit)
{
    for (const bool play : {true, false})
    {
        m_pApp->PushRoom(RUMBO_ROOM_LOGIN);
        m_pApp->OnIdle();
        auto* login = dynamic_cast<CLogin*>(m_pApp->GetCurRoom());
        ASSERT_TRUE(login && login->GetPlayButton() && login->GetExitButton());
        EXPECT_EQ(login->GetPlayButton()->GetPosition(), CxPoint(460, 341));
        EXPECT_EQ(login->GetExitButton()->GetPosition(), CxPoint(53, 356));
        EXPECT_EQ(login->GetWidth(), 640) << "the title picture is the room's own";
        const CxPoint at = (play ? login->GetPlayButton() : login->GetExitButton())->GetPosition();
        screens_test::Click(at.x + 5, at.y + 5);
        for (int i = 0; i < 6; ++i)
            m_pApp->PumpMessage();
        EXPECT_EQ(m_pApp->GetCurRoomID(), play ? RUMBO_ROOM_TOWN : RUMBO_ROOM_LOGIN);
        EXPECT_EQ(m_pApp->IsQuitting(), !play);
        EXPECT_EQ(login->GetPlayButton() == nullptr && login->GetImage() == nullptr, play);
    }
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
