#include "game/screens/yes_no_dialog.h"

#include "engine/core/event.h"
#include "engine/platform/open_url.h"
#include "tests/game/screens/screens_test_support.h"

#include <gtest/gtest.h>

namespace {
using screens_test::ScreensTest;

TEST_F(ScreensTest, EveryTypeShowsItsPicturesAtTheirPlaces)
{
    for (int32_t type = 0; type < YES_NO_TYPE_COUNT; ++type)
    {
        const bool closing = type == YES_NO_TYPE_CLOSING;
        CYesNoDialog dialog(type);
        EXPECT_EQ(dialog.GetWidth(), closing ? 640 : type == YES_NO_TYPE_PLAY_AGAIN ? 300 : 400) << type;
        EXPECT_EQ(dialog.GetYesButton().GetPosition(), closing ? CxPoint(440, 353) : CxPoint(58, 329))
            << type;
        EXPECT_EQ(dialog.GetNoButton().GetPosition(), closing ? CxPoint(160, 349) : CxPoint(260, 327))
            << type;
        EXPECT_EQ(dialog.GetNoButton().GetFrameCount(), 5) << type;
        EXPECT_EQ(dialog.GetThirdButton().GetParent() == &dialog, closing) << type;
        EXPECT_TRUE(dialog.GetWave().IsLoaded()) << type;
        EXPECT_EQ(FindEventCreator(YES_NO_CATEGORY), static_cast<CxEventCreator*>(&dialog)) << type;
    }
    EXPECT_EQ(CYesNoDialog(YES_NO_TYPE_CLOSING).GetThirdButton().GetPosition(), CxPoint(277, 362));
    EXPECT_TRUE(CreateYesNoDialog(7) == nullptr && CreateYesNoDialog(-1) == nullptr);
    EXPECT_EQ(FindEventCreator(YES_NO_CATEGORY), nullptr) << "a deleted dialog gives the category up";
    EXPECT_TRUE(m_Capture.Errors().empty()) << m_Capture.Errors()[0].text;
}

// The sequence flashes the named buttons only; answers by the keys: "y"
// while the explanation speaks ends it at once.
TEST_F(ScreensTest, KeysAnswerAndSilenceTheExplanation)
{
    m_Dir.Write("common/Exit.seq", "Event YesNo.StartFlashButton(Maybe)\nEvent YesNo.Wiggle(Yes)\n"
                                   "Event YesNo.StartFlashButton(No)\nEvent YesNo.StartFlashButton(Yes)\n"
                                   "Event YesNo.StopFlashButton(Yes)\nEvent system.Sleep(5000)\n"
                                   "Event YesNo.StartFlashButton(Yes)\n");
    const std::pair<uint32_t, int32_t> keys[] = {{'y', 1}, {'Y', 1}, {'n', 0}, {'N', 0}, {'x', -1}, {27, -1}};
    for (const auto& [key, answer] : keys)
    {
        CYesNoDialog dialog(YES_NO_TYPE_EXIT);
        for (int i = 0; i < 8; ++i)
            Tick(10);
        ASSERT_FALSE(IsChannelEmpty(dialog.GetChannel()));
        EXPECT_TRUE(dialog.GetNoButton().IsFlashing());
        EXPECT_FALSE(dialog.GetYesButton().IsFlashing()) << "started, stopped; Maybe and Wiggle do nothing";
        dialog.OnKeyDown(key, 0);
        EXPECT_EQ(dialog.IsDone(), answer >= 0) << key;
        if (answer < 0)
            continue;
        EXPECT_EQ(dialog.GetAnswer(), answer) << key;
        EXPECT_TRUE(IsChannelEmpty(dialog.GetChannel())) << key;
        EXPECT_EQ(FindEventCreator(YES_NO_CATEGORY), nullptr) << key;
        Tick(6000);
        EXPECT_FALSE(dialog.GetYesButton().IsFlashing()) << "the rest of the sequence never runs";
    }
}

// The closing screen: what each answer does to the game (-1: no dialog is
// made). The real dialog's pictures answer in the end-to-end test.
struct ClosingCase
{
    int32_t answer;
    bool quits;
    const char* page;
    bool entered; // the town is entered again
};

std::string s_strPages;
int32_t s_nFakeAnswer = 0, s_nPausedInside = -1;

class CFixedAnswer : public CYesNoQuestion
{
public:
    int32_t GetAnswer() const override { return s_nFakeAnswer; }
    void ResetAnswer() override {}
    uint32_t DoModal() override
    {
        s_nPausedInside = dynamic_cast<CxGameApp*>(GetApp())->GetCurRoom()->GetPauseCount();
        return m_bDone = 1, 0;
    }
};

class ClosingScreenTest : public ScreensTest, public testing::WithParamInterface<ClosingCase>
{
};

TEST_P(ClosingScreenTest, AnswersPlayOnQuitOrOpenThePage)
{
    const ClosingCase& c = GetParam();
    s_strPages.clear();
    s_nFakeAnswer = c.answer;
    s_nPausedInside = -1;
    PFN_OPEN_WEB_PAGE previous = SetWebPageOpener([](const char* url, std::string*) {
        s_strPages += url + std::string("\n");
        return CX_OPEN_URL_STARTED;
    });
    CYesNoHook::SetDialogFactory(c.answer >= 0 ? +[](int32_t) -> CYesNoQuestion* { return new CFixedAnswer; }
                                               : +[](int32_t) -> CYesNoQuestion* { return nullptr; });
    m_pApp->SetString("Options", "PublisherPage", "https://example.org/a b;c");
    OutputCapture output;
    m_pApp->CloseAndQuit();
    EXPECT_EQ(m_pApp->IsQuitting(), c.quits);
    EXPECT_EQ(s_nPausedInside, c.answer >= 0 ? 1 : -1) << "the room is paused while the question is open";
    EXPECT_EQ(s_strPages, c.page);
    EXPECT_EQ(output.m_Text.find("town: ready") != std::string::npos, c.entered);
    SetWebPageOpener(previous);
}

INSTANTIATE_TEST_SUITE_P(Answers, ClosingScreenTest,
                         testing::Values(ClosingCase{2, false, "", true}, ClosingCase{1, true, "", false},
                                         ClosingCase{0, true, "https://example.org/a b;c\n", false},
                                         ClosingCase{-1, true, "", false}));
} // namespace
