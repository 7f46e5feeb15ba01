#include "engine/platform/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
// The platform window on the dummy video driver, its queue emptied first.
class PlatformWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StartPlatformVideo());
        ASSERT_TRUE(CreatePlatformWindow("Platform Test", CxRect(0, 0, 319, 239), CX_WINDOW_DOUBLE_CLICKS));
        FlushPlatformMessages();
    }
    void TearDown() override { StopPlatformVideo(); }

    std::vector<ST_WINDOW_MESSAGE> TakeAll()
    {
        std::vector<ST_WINDOW_MESSAGE> out;
        ST_WINDOW_MESSAGE message;
        while (out.size() < 256 && PeekPlatformMessage(&message))
            out.push_back(message);
        return out;
    }
};

TEST_F(PlatformWindowTest, KeyStateFollowsTheEventsReceived)
{
    CxInjectKey(CX_VK_ESCAPE, true);
    PollPlatformInput();
    EXPECT_TRUE(IsPlatformKeyDown(CX_VK_ESCAPE));
    CxInjectKey(CX_VK_ESCAPE, false);
    PollPlatformInput();
    EXPECT_FALSE(IsPlatformKeyDown(CX_VK_ESCAPE));
    CxInjectKey(CX_VK_ESCAPE, true);
    PollPlatformInput();
    ResetPlatformKeyState(CX_VK_ESCAPE);
    EXPECT_FALSE(IsPlatformKeyDown(CX_VK_ESCAPE));
}

TEST_F(PlatformWindowTest, ButtonStateComesFromEventsNotFromSdl)
{
    CxInjectMouseButton(1, true, 4, 5);
    CxInjectMouseMotion(6, 7);
    CxInjectMouseButton(1, false, 6, 7);
    const auto messages = TakeAll();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].m_nMessage, CX_WM_LBUTTONDOWN);
    EXPECT_EQ(messages[0].m_nWParam & CX_MK_LBUTTON, CX_MK_LBUTTON);
    EXPECT_EQ(messages[1].m_nMessage, CX_WM_MOUSEMOVE);
    EXPECT_EQ(messages[1].m_nWParam & CX_MK_LBUTTON, CX_MK_LBUTTON) << "dragging";
    EXPECT_EQ(CxParamX(messages[1].m_nLParam), 6);
    EXPECT_EQ(CxParamY(messages[1].m_nLParam), 7);
    EXPECT_EQ(messages[2].m_nMessage, CX_WM_LBUTTONUP);
    EXPECT_EQ(GetPlatformMouseButtons(), 0u);
}

TEST_F(PlatformWindowTest, WheelCarriesSignedNotchesTimesOneHundredTwenty)
{
    CxInjectMouseWheel(-3, 10, 20);
    const auto messages = TakeAll();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].m_nMessage, CX_WM_MOUSEWHEEL);
    EXPECT_EQ(static_cast<int16_t>((messages[1].m_nWParam >> 16) & 0xFFFF), -360);
    EXPECT_EQ(CxParamX(messages[1].m_nLParam), 10);
}

TEST_F(PlatformWindowTest, PostedMessagesComeBeforeLaterEvents)
{
    PostPlatformMessage(CX_WM_USER, 7, 8);
    ST_WINDOW_MESSAGE message;
    ASSERT_TRUE(PeekPlatformMessage(&message));
    EXPECT_EQ(message.m_nMessage, CX_WM_USER);
    EXPECT_EQ(message.m_nWParam, 7u);
    EXPECT_FALSE(PeekPlatformMessage(&message));
    EXPECT_FALSE(WaitPlatformMessage(0));
}

TEST_F(PlatformWindowTest, AnEventPushedAfterALookComesAtTheNextLook)
{
    // Two looks with an event pushed before each, as a replay's passes do:
    // each look gets its own event, whatever the look before left in the queue.
    ST_WINDOW_MESSAGE message;
    for (int32_t x = 1; x <= 3; ++x)
    {
        CxInjectMouseMotion(x, 5);
        ASSERT_TRUE(PeekPlatformMessage(&message)) << "look " << x;
        EXPECT_EQ(message.m_nMessage, CX_WM_MOUSEMOVE);
        EXPECT_EQ(CxParamX(message.m_nLParam), x);
    }
    EXPECT_FALSE(PeekPlatformMessage(&message));
}

// Events and the messages they become, each with its first parameter.
struct EventCase
{
    const char* what;
    void (*inject)();
    std::vector<std::pair<uint32_t, uint64_t>> messages;
};

class PlatformEvents : public PlatformWindowTest, public testing::WithParamInterface<EventCase>
{
};

TEST_P(PlatformEvents, BecomeTheirMessagesInOrder)
{
    GetParam().inject();
    std::vector<std::pair<uint32_t, uint64_t>> got;
    for (const ST_WINDOW_MESSAGE& m : TakeAll())
        got.emplace_back(m.m_nMessage, m.m_nWParam);
    EXPECT_EQ(got, GetParam().messages);
}

void PrintTo(const EventCase& c, std::ostream* os)
{
    *os << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Events, PlatformEvents,
    testing::Values(
        // A key with Alt is a system key and character (the game's key codes are the application's tests).
        EventCase{"alt",
                  [] { CxInjectKey('X', true, CX_MOD_ALT); },
                  {{CX_WM_SYSKEYDOWN, 'X'}, {CX_WM_SYSCHAR, 'x'}}},
        // Text typed with Control is its control code, not doubled by the key's own character.
        EventCase{"control",
                  [] {
                      CxInjectKey('C', true, CX_MOD_CONTROL);
                      CxInjectText("c");
                  },
                  {{CX_WM_KEYDOWN, 'C'}, {CX_WM_CHAR, 3}}},
        // Text beyond the single-byte set is dropped.
        EventCase{"text",
                  [] {
                      CxInjectText("a\xE2\x82\xAC"
                                   "b\xF0\x9F\x99\x82"
                                   "\xC3");
                  },
                  {{CX_WM_CHAR, 'a'}, {CX_WM_CHAR, 'b'}}},
        EventCase{
            "double click",
            [] {
                CxInjectMouseButton(3, true, 1, 1, 1);
                CxInjectMouseButton(3, false, 1, 1, 1);
                CxInjectMouseButton(3, true, 1, 1, 2);
            },
            {{CX_WM_RBUTTONDOWN, CX_MK_RBUTTON}, {CX_WM_RBUTTONUP, 0}, {CX_WM_RBUTTONDBLCLK, CX_MK_RBUTTON}}},
        // Activation changes once each.
        EventCase{"focus",
                  [] {
                      CxInjectFocus(true);
                      CxInjectFocus(true);
                      CxInjectFocus(false);
                  },
                  {{CX_WM_ACTIVATE, CX_WA_ACTIVE},
                   {CX_WM_ACTIVATEAPP, 1},
                   {CX_WM_ACTIVATE, CX_WA_INACTIVE},
                   {CX_WM_ACTIVATEAPP, 0}}},
        EventCase{"window",
                  [] {
                      CxInjectMove(30, 40);
                      CxInjectResize(800, 600);
                      CxInjectMinimize(true);
                      CxInjectExpose();
                      CxInjectWindowClose();
                      CxInjectQuit();
                  },
                  {{CX_WM_MOVE, 0},
                   {CX_WM_SIZE, CX_SIZE_RESTORED},
                   {CX_WM_SIZE, CX_SIZE_MINIMIZED},
                   {CX_WM_PAINT, 0},
                   {CX_WM_CLOSE, 0},
                   {CX_WM_QUIT, 0}}},
        // Restoring from minimised is a restore command; a restore that was not minimised is none.
        EventCase{"restore",
                  [] {
                      CxInjectMinimize(true);
                      CxInjectMinimize(false);
                      CxInjectMinimize(false);
                  },
                  {{CX_WM_SIZE, CX_SIZE_MINIMIZED},
                   {CX_WM_SYSCOMMAND, CX_SC_RESTORE},
                   {CX_WM_SIZE, CX_SIZE_RESTORED},
                   {CX_WM_SIZE, CX_SIZE_RESTORED}}}));

TEST(PlatformParams, PointsAreSignedSixteenBitHalves)
{
    const int64_t p = CxMakePointParam(-2, 70000);
    EXPECT_EQ(CxParamX(p), -2);
    EXPECT_EQ(CxParamY(p), static_cast<int16_t>(70000 & 0xFFFF));
}

TEST(PlatformWithoutVideo, EverythingIsHarmless)
{
    ASSERT_FALSE(IsPlatformVideoStarted());
    CxInjectKey('A', true);
    ST_WINDOW_MESSAGE message;
    EXPECT_FALSE(PeekPlatformMessage(&message));
    EXPECT_FALSE(WaitPlatformMessage(10));
    EXPECT_FALSE(CreatePlatformWindow("x", CxRect(0, 0, 9, 9), 0));
    ShowPlatformWindow();
    StopPlatformVideo();
}
} // namespace

TEST_F(PlatformWindowTest, RemovingMessagesDropsOnlyThatNumberAlsoFromSdlsQueue)
{
    PostPlatformMessage(CX_WM_USER, 1);
    PostPlatformMessage(CX_WM_PAINT);
    PostPlatformMessage(CX_WM_USER, 2);
    // Still in SDL's queue: an expose (a paint request) and a key press.
    CxInjectExpose();
    CxInjectKey('B', true);
    EXPECT_EQ(RemovePlatformMessages(CX_WM_PAINT), 2u);
    EXPECT_EQ(RemovePlatformMessages(CX_WM_PAINT), 0u);
    const std::vector<ST_WINDOW_MESSAGE> rest = TakeAll();
    ASSERT_GE(rest.size(), 3u);
    EXPECT_EQ(rest[0].m_nMessage, CX_WM_USER);
    EXPECT_EQ(rest[0].m_nWParam, 1u);
    EXPECT_EQ(rest[1].m_nMessage, CX_WM_USER);
    EXPECT_EQ(rest[1].m_nWParam, 2u);
    EXPECT_EQ(rest[2].m_nMessage, CX_WM_KEYDOWN);
    EXPECT_EQ(rest[2].m_nWParam, uint32_t{'B'});
    for (const ST_WINDOW_MESSAGE& m : rest)
        EXPECT_NE(m.m_nMessage, CX_WM_PAINT);
}
