#include "game/screens/login.h"

#include "tests/game/screens/screens_test_support.h"

#include <gtest/gtest.h>

namespace {
using screens_test::ScreensTest;

// The title room, entered from the town: its buttons at their places; a
// click on play goes back to the town, on exit the game closes and quits.
TEST_F(ScreensTest, TitleButtonsPlayOrQuit)
{
    const struct
    {
        bool play;
        long room;
        bool quits;
    } cases[] = {{true, RUMBO_ROOM_TOWN, false}, {false, RUMBO_ROOM_LOGIN, true}};
    for (const auto& c : cases)
    {
        m_pApp->PushRoom(RUMBO_ROOM_LOGIN);
        m_pApp->OnIdle();
        auto* login = dynamic_cast<CLogin*>(m_pApp->GetCurRoom());
        ASSERT_NE(login, nullptr);
        ASSERT_NE(login->GetPlayButton(), nullptr);
        EXPECT_EQ(login->GetPlayButton()->GetPosition(), CxPoint(460, 341));
        EXPECT_EQ(login->GetExitButton()->GetPosition(), CxPoint(53, 356));
        EXPECT_EQ(login->GetExitButton()->GetParent(), login);
        EXPECT_EQ(login->GetWidth(), 640) << "the title picture is the room's own";
        const CxPoint at = (c.play ? login->GetPlayButton() : login->GetExitButton())->GetPosition();
        screens_test::Click(at.x + 5, at.y + 5);
        for (int i = 0; i < 6; ++i)
            m_pApp->PumpMessage();
        EXPECT_EQ(m_pApp->GetCurRoomID(), c.room);
        EXPECT_EQ(m_pApp->IsQuitting(), c.quits);
        if (c.play)
        {
            EXPECT_EQ(login->GetPlayButton(), nullptr) << "leaving frees the buttons";
            EXPECT_EQ(login->GetImage(), nullptr) << "and the picture";
        }
    }
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}
} // namespace
