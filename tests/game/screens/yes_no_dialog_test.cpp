#include "game/screens/yes_no_dialog.h"

#include "engine/core/event.h"
#include "engine/platform/open_url.h"
#include "tests/game/screens/screens_test_support.h"

#include <gtest/gtest.h>

namespace {
using screens_test::s_Steps;
using screens_test::ScreensTest;

TEST_F(ScreensTest, EveryTypeShowsItsPicturesAtTheirPlaces)
{
    const struct
    {
        int32_t width;
        CxPoint yes, no;
    } expected[] = {{400, {58, 329}, {260, 327}}, {400, {58, 329}, {260, 327}}, {400, {58, 329}, {260, 327}},
                    {400, {58, 329}, {260, 327}}, {400, {58, 329}, {260, 327}}, {300, {58, 329}, {260, 327}},
                    {640, {440, 353}, {160, 349}}};
    for (int32_t type = 0; type < YES_NO_TYPE_COUNT; ++type)
    {
        std::unique_ptr<CYesNoQuestion> question(CreateYesNoDialog(type));
        auto* dialog = dynamic_cast<CYesNoDialog*>(question.get());
        ASSERT_NE(dialog, nullptr) << type;
        EXPECT_EQ(dialog->GetWidth(), expected[type].width) << type;
        EXPECT_EQ(dialog->GetYesButton().GetPosition(), expected[type].yes) << type;
        EXPECT_EQ(dialog->GetNoButton().GetPosition(), expected[type].no) << type;
        EXPECT_EQ(dialog->GetYesButton().GetFrameCount(), 5) << type;
        EXPECT_EQ(dialog->GetThirdButton().GetParent() == dialog, type == YES_NO_TYPE_CLOSING) << type;
        EXPECT_EQ(dialog->HasOwnPlace(), type == YES_NO_TYPE_CLOSING) << type;
        EXPECT_TRUE(dialog->GetWave().IsLoaded()) << type;
        EXPECT_EQ(FindEventCreator(YES_NO_CATEGORY), static_cast<CxEventCreator*>(dialog)) << type;
    }
    EXPECT_EQ(CYesNoDialog(YES_NO_TYPE_CLOSING).GetThirdButton().GetPosition(), CxPoint(277, 362));
    EXPECT_EQ(CreateYesNoDialog(7), nullptr);
    EXPECT_EQ(CreateYesNoDialog(-1), nullptr);
    EXPECT_EQ(FindEventCreator(YES_NO_CATEGORY), nullptr) << "a deleted dialog gives the category up";
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}

TEST_F(ScreensTest, TheSequenceFlashesOnlyTheNamedButtons)
{
    m_Dir.Write("common/LeaveRoom.seq",
                "Event YesNo.StartFlashButton(Maybe)\nEvent YesNo.StartFlashButton(No)\n"
                "Event YesNo.Wiggle(Yes)\nEvent system.Sleep(1000)\n"
                "Event YesNo.StopFlashButton(No)\n");
    CYesNoDialog dialog(YES_NO_TYPE_LEAVE_ROOM);
    for (int i = 0; i < 5; ++i)
        Tick(10);
    EXPECT_FALSE(dialog.GetYesButton().IsFlashing()) << "Maybe and Wiggle do nothing";
    EXPECT_TRUE(dialog.GetNoButton().IsFlashing());
    for (int i = 0; i < 5; ++i)
        Tick(1000);
    EXPECT_FALSE(dialog.GetNoButton().IsFlashing());
}

// Answers by the keys: "y" while the explanation speaks ends it at once.
TEST_F(ScreensTest, KeysAnswerAndSilenceTheExplanation)
{
    m_Dir.Write("common/Exit.seq", "Event system.Sleep(5000)\nEvent YesNo.StartFlashButton(Yes)\n");
    const struct
    {
        uint32_t key;
        int32_t answer; // -1: not answered
    } keys[] = {{'y', 1}, {'Y', 1}, {'n', 0}, {'N', 0}, {'x', -1}, {27, -1}};
    for (const auto& k : keys)
    {
        CYesNoDialog dialog(YES_NO_TYPE_EXIT);
        Tick(10);
        ASSERT_FALSE(IsChannelEmpty(dialog.GetChannel()));
        dialog.OnKeyDown(k.key, 0);
        EXPECT_EQ(dialog.IsDone(), k.answer >= 0) << k.key;
        if (k.answer < 0)
            continue;
        EXPECT_EQ(dialog.GetAnswer(), k.answer) << k.key;
        EXPECT_TRUE(IsChannelEmpty(dialog.GetChannel())) << k.key;
        EXPECT_EQ(FindEventCreator(YES_NO_CATEGORY), nullptr) << k.key;
        Tick(6000);
        EXPECT_FALSE(dialog.GetYesButton().IsFlashing()) << "the rest of the sequence never runs";
    }
}

// Clicks on each picture of the closing screen, through the room's question:
// the room is paused exactly while the dialog is open.
TEST_F(ScreensTest, ClicksAnswerWhileTheRoomIsPaused)
{
    CYesNoHook::SetDialogFactory(CreateYesNoDialog);
    const struct
    {
        CxPoint at;
        int32_t answer;
    } clicks[] = {{{445, 358}, 1}, {{165, 354}, 0}, {{282, 367}, 2}};
    for (const auto& c : clicks)
    {
        int32_t pausedInside = -1;
        s_Steps = {[&] {
            pausedInside = m_pTown->GetPauseCount();
            screens_test::Click(c.at.x, c.at.y);
        }};
        screens_test::s_nPass = 0;
        bool shown = false;
        EXPECT_EQ(m_pTown->AskYesNo(YES_NO_TYPE_CLOSING, &shown), c.answer);
        EXPECT_TRUE(shown);
        EXPECT_EQ(pausedInside, 1) << c.answer;
        EXPECT_EQ(m_pTown->GetPauseCount(), 0);
        EXPECT_FALSE(m_pApp->IsQuitting());
    }
}

// The closing screen: what each answer does to the game.
struct ClosingCase
{
    int32_t answer; // -1: the dialog is not made
    bool quits;
    int pages;
    int entries; // town entries after the close
};

int s_nPages = 0;
std::string s_strPage;
int32_t s_nFakeAnswer = 0;

class CFixedAnswer : public CYesNoQuestion
{
public:
    int32_t GetAnswer() const override { return s_nFakeAnswer; }
    void ResetAnswer() override {}
    uint32_t DoModal() override
    {
        m_bDone = 1;
        return 0;
    }
};

class ClosingScreenTest : public ScreensTest, public testing::WithParamInterface<ClosingCase>
{
};

TEST_P(ClosingScreenTest, AnswersPlayOnQuitOrOpenThePage)
{
    const ClosingCase& c = GetParam();
    s_nPages = 0;
    s_strPage.clear();
    s_nFakeAnswer = c.answer;
    PFN_OPEN_WEB_PAGE previous = SetWebPageOpener([](const char* url, std::string*) {
        ++s_nPages;
        s_strPage = url;
        return CX_OPEN_URL_STARTED;
    });
    if (c.answer >= 0)
        CYesNoHook::SetDialogFactory([](int32_t) -> CYesNoQuestion* { return new CFixedAnswer; });
    else
        CYesNoHook::SetDialogFactory([](int32_t) -> CYesNoQuestion* { return nullptr; });
    m_pApp->SetString("Options", "PublisherPage", "https://example.org/a b;c");
    OutputCapture output;
    m_pApp->CloseAndQuit();
    EXPECT_EQ(m_pApp->IsQuitting(), c.quits);
    EXPECT_EQ(s_nPages, c.pages);
    EXPECT_EQ(s_strPage, c.pages ? "https://example.org/a b;c" : "");
    size_t entries = 0;
    for (size_t at = output.m_Text.find("town: ready"); at != std::string::npos;
         at = output.m_Text.find("town: ready", at + 1))
        ++entries;
    EXPECT_EQ(entries, static_cast<size_t>(c.entries));
    SetWebPageOpener(previous);
}

INSTANTIATE_TEST_SUITE_P(Answers, ClosingScreenTest,
                         testing::Values(ClosingCase{2, false, 0, 1}, ClosingCase{1, true, 0, 0},
                                         ClosingCase{0, true, 1, 0}, ClosingCase{-1, true, 0, 0}));
} // namespace
