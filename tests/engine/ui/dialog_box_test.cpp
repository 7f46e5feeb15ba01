#include "engine/platform/message_box.h"
#include "engine/ui/dialog_box.h"

#include "engine/core/window_app.h"
#include "engine/platform/window.h"
#include "tests/support/test_app.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {
// An application that also counts the paint requests and user messages it handles.
class CDialogTestApp : public CModalTestApp
{
public:
    void OnPaint(const CxRect& rect) override
    {
        ++m_nPaints;
        CTestApp::OnPaint(rect);
    }
    void OnUserMessage(uint64_t wParam, int64_t) override { m_UserMessages.push_back(wParam); }

    int m_nPaints = 0;
    std::vector<uint64_t> m_UserMessages;
};

// A dialog that records the keys it receives and ends on F1.
class CKeyDialog : public CxDialogBox
{
public:
    void OnKeyDown(uint32_t key, uint32_t) override
    {
        m_Keys.push_back(key);
        if (key == CX_KEY_F1)
            EndDialog();
    }
    std::vector<uint32_t> m_Keys;
};

// A sprite that records the focus changes it is told about.
class CFocusSprite : public CxSprite
{
public:
    void OnSetFocus() override { ++m_nGained; }
    void OnKillFocus() override { ++m_nLost; }
    int m_nGained = 0;
    int m_nLost = 0;
};

class DialogBoxTest : public testing::Test
{
protected:
    void SetUp() override
    {
        app = std::make_unique<CDialogTestApp>();
        StartTestApp(*app);
        // A runaway modal loop ends through the application's pass limit.
        app->m_nPassLimit = app->m_nPasses + 500;
        dialog.Create(100, 100, 200, 100);
    }
    void TearDown() override
    {
        dialog.Destroy();
        StopTestApp(*app);
    }
    // Passes run since the call, for callbacks that act on a given pass.
    int PassesSince(int start) const { return app->m_nPasses - start; }

    std::unique_ptr<CDialogTestApp> app;
    CKeyDialog dialog;
};
} // namespace

TEST(DialogBox, WithoutAnApplicationDoModalFailsAtOnce)
{
    ASSERT_EQ(GetApp(), nullptr);
    CxDialogBox box;
    EXPECT_NE(box.DoModal(), CX_ERR_NONE);
    EXPECT_FALSE(box.IsModal());
    // The failure is not kept: the dialog can still run under an application.
    EXPECT_EQ(box.GetError(), CX_ERR_NONE);
}

// What happens on a pass of the loop (counted from 1), and how the loop ends.
struct EndCase
{
    const char* what;
    void (*onPass)(CxDialogBox& dialog, int pass);
    int minPasses, maxPasses;
    bool quitting;
    size_t reports;
};

void PrintTo(const EndCase& c, std::ostream* os)
{
    *os << c.what;
}

class DialogEnd : public DialogBoxTest, public testing::WithParamInterface<EndCase>
{
};

TEST_P(DialogEnd, TheLoopEndsOnEndDialogQuitCloseOrTheThirdError)
{
    const EndCase& c = GetParam();
    ErrorCapture capture;
    const int start = app->m_nPasses;
    app->m_OnPass = [&] {
        EXPECT_TRUE(dialog.IsModal());
        c.onPass(dialog, PassesSince(start));
    };
    dialog.DoModal();
    EXPECT_GE(PassesSince(start), c.minPasses);
    EXPECT_LE(PassesSince(start), c.maxPasses);
    EXPECT_EQ(app->IsQuitting(), c.quitting);
    EXPECT_EQ(capture.Errors().size(), c.reports);
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_FALSE(dialog.HasCapture());
    if (c.quitting)
    {
        // The dialog took the quit message off the queue; the quit must not be lost.
        app->m_OnPass = nullptr;
        const int before = app->m_nPasses;
        app->MainLoop();
        EXPECT_EQ(app->m_nPasses, before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Causes, DialogEnd,
    testing::Values(
        EndCase{"EndDialog", [](CxDialogBox& d, int pass) { pass == 5 ? d.EndDialog() : void(); }, 5, 5,
                false, 0},
        EndCase{"quit", [](CxDialogBox&, int pass) { pass == 3 ? CxInjectQuit() : void(); }, 3, 4, true, 0},
        EndCase{"close", [](CxDialogBox&, int pass) { pass == 2 ? CxInjectWindowClose() : void(); }, 2, 3,
                true, 0},
        // Reports on passes 2 and 4 do not end it; the one on pass 6 does.
        EndCase{"three errors",
                [](CxDialogBox&, int pass) {
                    pass % 2 == 0 ? (void)ReportError(CX_ERR_FILE_READ, "report") : void();
                },
                6, 6, false, 3}));

TEST_F(DialogBoxTest, KeysReachTheDialogWhichMayRunAgainAfterEnding)
{
    CxInjectKey('A', true);
    CxInjectKey('A', false);
    CxInjectKey(CX_VK_F1, true);
    CxInjectKey(CX_VK_F1, false);
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    ASSERT_FALSE(dialog.m_Keys.empty());
    EXPECT_EQ(dialog.m_Keys.back(), CX_KEY_F1);
    EXPECT_TRUE(dialog.IsDone());
    // The done flag is cleared on entry, so the second run loops again.
    const int start = app->m_nPasses;
    app->m_OnPass = [&] {
        if (PassesSince(start) == 2)
            dialog.EndDialog();
    };
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    EXPECT_EQ(PassesSince(start), 2);
    EXPECT_FALSE(app->IsQuitting());
}

// Who holds the focus and the mouse before the dialog runs, what happens
// while it runs, and who holds them after.
struct FocusCase
{
    const char* what;
    bool otherFocus, otherCapture, dialogFocus;
    enum
    {
        END,
        DELETE_OTHER,
        THROW,
        IN_ERROR
    } during;
    char focusAfter, captureAfter; // 'o' the other sprite, 'd' the dialog, 0 nobody
};

TEST_F(DialogBoxTest, FocusAndCaptureAreTheDialogsWhileItRunsAndComeBackAfter)
{
    const FocusCase cases[] = {
        {"other had both", true, true, false, FocusCase::END, 'o', 'o'},
        {"nobody had them", false, false, false, FocusCase::END, 0, 0},
        {"the holder is deleted meanwhile", true, false, false, FocusCase::DELETE_OTHER, 0, 0},
        {"the dialog had the focus", false, false, true, FocusCase::END, 'd', 0},
        {"an error is thrown through", true, true, false, FocusCase::THROW, 'o', 'o'},
        {"the dialog is in error and does not run", true, false, false, FocusCase::IN_ERROR, 'o', 0},
    };
    for (const FocusCase& c : cases)
    {
        CxDisplayObject::ClearFocus();
        auto* other = new CFocusSprite;
        other->Create(0, 0, 10, 10);
        if (c.otherFocus)
            other->SetFocus();
        if (c.otherCapture)
            other->CaptureMouse();
        if (c.dialogFocus)
            dialog.SetFocus();
        const int32_t depth = CxDisplayObject::GetCaptureDepth();
        dialog.SetErrorCode(c.during == FocusCase::IN_ERROR ? CX_ERR_FILE_NOT_FOUND : CX_ERR_NONE);
        int passes = 0;
        app->m_OnPass = [&] {
            ++passes;
            EXPECT_TRUE(dialog.HasFocus()) << c.what;
            EXPECT_TRUE(dialog.HasCapture()) << c.what;
            if (c.during == FocusCase::THROW)
                throw "DisplayAppError";
            if (c.during == FocusCase::DELETE_OTHER)
            {
                delete other;
                other = nullptr;
            }
            dialog.EndDialog();
        };
        if (c.during == FocusCase::THROW)
        {
            EXPECT_THROW(dialog.DoModal(), const char*);
        }
        else
        {
            EXPECT_EQ(dialog.DoModal(),
                      c.during == FocusCase::IN_ERROR ? CX_ERR_FILE_NOT_FOUND : CX_ERR_NONE);
        }
        app->m_OnPass = nullptr;
        EXPECT_EQ(passes, c.during == FocusCase::IN_ERROR ? 0 : 1) << c.what;
        EXPECT_FALSE(dialog.IsModal());
        auto holder = [&](char who) -> CxDisplayObject* {
            return who == 'o' ? static_cast<CxDisplayObject*>(other) : who == 'd' ? &dialog : nullptr;
        };
        EXPECT_EQ(CxDisplayObject::GetFocus(), holder(c.focusAfter)) << c.what;
        EXPECT_EQ(CxDisplayObject::GetCapture(), holder(c.captureAfter)) << c.what;
        EXPECT_EQ(CxDisplayObject::GetCaptureDepth(), depth) << c.what;
        if (other && c.otherFocus && c.during != FocusCase::IN_ERROR)
        {
            // Told once of the loss and once of the return.
            EXPECT_EQ(other->m_nGained, 2) << c.what;
            EXPECT_EQ(other->m_nLost, 1) << c.what;
        }
        if (other && c.otherCapture)
            other->ReleaseMouse();
        delete other;
    }
}

TEST_F(DialogBoxTest, PendingPaintRequestsAreDroppedAndOtherMessagesKept)
{
    PostPlatformMessage(CX_WM_PAINT);
    PostPlatformMessage(CX_WM_USER, 7);
    PostPlatformMessage(CX_WM_PAINT);
    PostPlatformMessage(CX_WM_USER, 8);
    const int paints = app->m_nPaints;
    const int start = app->m_nPasses;
    app->m_OnPass = [&] {
        if (PassesSince(start) == 4)
            dialog.EndDialog();
    };
    dialog.DoModal();
    EXPECT_EQ(app->m_nPaints, paints);
    EXPECT_EQ(app->m_UserMessages, (std::vector<uint64_t>{7, 8}));
}

TEST_F(DialogBoxTest, InnerDialogEndsAloneAndGivesFocusBackToTheOuter)
{
    CFocusSprite other;
    other.Create(0, 0, 10, 10);
    other.SetFocus();
    CxDialogBox inner;
    inner.Create(120, 120, 50, 50);
    std::vector<std::string> log;
    int outerPasses = 0;
    int innerPasses = 0;
    app->m_OnPass = [&] {
        if (inner.IsModal())
        {
            EXPECT_TRUE(inner.HasFocus());
            EXPECT_TRUE(inner.HasCapture());
            if (++innerPasses == 3)
                inner.EndDialog();
            return;
        }
        ++outerPasses;
        EXPECT_TRUE(dialog.HasFocus());
        EXPECT_TRUE(dialog.HasCapture());
        if (outerPasses == 2)
        {
            log.push_back("inner " + std::to_string(inner.DoModal()));
            log.push_back(dialog.HasFocus() ? "outer focus" : "outer lost focus");
            log.push_back(dialog.HasCapture() ? "outer capture" : "outer lost capture");
            log.push_back(dialog.IsDone() ? "outer done" : "outer running");
        }
        if (outerPasses == 4)
            dialog.EndDialog();
    };
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    EXPECT_EQ(log, (std::vector<std::string>{"inner 0", "outer focus", "outer capture", "outer running"}));
    EXPECT_EQ(innerPasses, 3);
    EXPECT_EQ(outerPasses, 4);
    EXPECT_TRUE(other.HasFocus());
    EXPECT_EQ(CxDisplayObject::GetCapture(), nullptr);
    inner.Destroy();
}

TEST_F(DialogBoxTest, QuitInsideTheInnerDialogEndsBoth)
{
    CxDialogBox inner;
    inner.Create(120, 120, 50, 50);
    int outerPasses = 0;
    bool innerReturned = false;
    app->m_OnPass = [&] {
        if (inner.IsModal())
        {
            CxInjectQuit();
            return;
        }
        if (++outerPasses == 1)
        {
            inner.DoModal();
            innerReturned = true;
        }
    };
    dialog.DoModal();
    EXPECT_TRUE(innerReturned);
    EXPECT_EQ(outerPasses, 1);
    EXPECT_TRUE(app->IsQuitting());
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_FALSE(inner.IsModal());
    inner.Destroy();
}
