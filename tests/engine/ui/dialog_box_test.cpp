#include "engine/platform/message_box.h"
#include "engine/ui/dialog_box.h"

#include "engine/core/timer.h"
#include "engine/core/window_app.h"
#include "engine/platform/clock.h"
#include "engine/platform/window.h"
#include "tests/support/scoped_clock.h"
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

class CEndOnTimer : public CxTimerListener
{
public:
    explicit CEndOnTimer(CxDialogBox& dialog) : m_Dialog(dialog) {}
    void OnTimer(CxTimer*) override
    {
        ++m_nCalls;
        m_Dialog.EndDialog();
    }
    CxDialogBox& m_Dialog;
    int m_nCalls = 0;
};

class DialogBoxTest : public testing::Test
{
protected:
    void SetUp() override
    {
        unsetenv("RUMBO_MESSAGEBOX");
        app = std::make_unique<CDialogTestApp>();
        ASSERT_EQ(app->Init(), 0u);
        app->Create();
        FlushPlatformMessages();
        CxInjectFocus(true);
        for (int i = 0; i < 8; ++i)
            app->PumpMessage();
        // A runaway modal loop ends through the application's pass limit.
        app->m_nPassLimit = app->m_nPasses + 500;
        dialog.Create(100, 100, 200, 100);
    }
    void TearDown() override
    {
        dialog.Destroy();
        app->PreDestroy();
        app->Destroy();
        app->ExitInstance();
        SetErrorHandler(ShowErrorBox);
    }
    // Passes run since the call, for callbacks that act on a given pass.
    int PassesSince(int start) const { return app->m_nPasses - start; }

    std::unique_ptr<CDialogTestApp> app;
    CKeyDialog dialog;
};
} // namespace

TEST(DialogBox, StartsIdleWithItsHitMask)
{
    CxDialogBox box;
    EXPECT_EQ(box.GetHitMask(), DIALOG_BOX_HIT_MASK);
    EXPECT_EQ(box.GetHitMask(), 5u);
    EXPECT_FALSE(box.IsDone());
    EXPECT_FALSE(box.IsModal());
    box.EndDialog();
    EXPECT_TRUE(box.IsDone());
}

TEST(DialogBox, WithoutAnApplicationDoModalFailsAtOnce)
{
    ASSERT_EQ(GetApp(), nullptr);
    CxDialogBox box;
    EXPECT_NE(box.DoModal(), CX_ERR_NONE);
    EXPECT_FALSE(box.IsModal());
    // The failure is not kept: the dialog can still run under an application.
    EXPECT_EQ(box.GetError(), CX_ERR_NONE);
}

// ---- Ending the loop -------------------------------------------------------

TEST_F(DialogBoxTest, EndDialogFromAnIdlePassEndsAfterThatPass)
{
    const int start = app->m_nPasses;
    int endedAt = -1;
    app->m_OnPass = [&] {
        EXPECT_TRUE(dialog.IsModal());
        if (PassesSince(start) == 5)
        {
            dialog.EndDialog();
            endedAt = PassesSince(start);
        }
    };
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    EXPECT_EQ(endedAt, 5);
    EXPECT_EQ(PassesSince(start), 5);
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_FALSE(app->IsQuitting());
}

TEST_F(DialogBoxTest, EndDialogFromATimerEndsTheLoop)
{
    ScopedManualClock clock(5000);
    CEndOnTimer ender(dialog);
    CxTimerCallBack timer(&ender, 100);
    timer.Start(0);
    app->m_OnPass = [&] { clock.Advance(10); };
    const int start = app->m_nPasses;
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    EXPECT_EQ(ender.m_nCalls, 1);
    // Timers run in the idle pass: the dialog waited for the 100 ms.
    EXPECT_GE(PassesSince(start), 10);
    EXPECT_LT(PassesSince(start), 15);
    EXPECT_FALSE(app->IsQuitting());
}

TEST_F(DialogBoxTest, KeysReachTheDialogWhichEndsItself)
{
    CxInjectKey('A', true);
    CxInjectKey('A', false);
    CxInjectKey(CX_VK_F1, true);
    CxInjectKey(CX_VK_F1, false);
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    ASSERT_FALSE(dialog.m_Keys.empty());
    EXPECT_EQ(dialog.m_Keys.back(), CX_KEY_F1);
    EXPECT_FALSE(app->IsQuitting());
}

TEST_F(DialogBoxTest, DialogCanRunAgainAfterEnding)
{
    app->m_OnPass = [&] { dialog.EndDialog(); };
    const int start = app->m_nPasses;
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    EXPECT_TRUE(dialog.IsDone());
    // The done flag is cleared on entry, so the second run loops again.
    EXPECT_EQ(dialog.DoModal(), CX_ERR_NONE);
    EXPECT_EQ(PassesSince(start), 2);
}

TEST_F(DialogBoxTest, DialogWithAnErrorReturnsItWithoutRunning)
{
    CFocusSprite other;
    other.Create(0, 0, 10, 10);
    other.SetFocus();
    dialog.SetErrorCode(CX_ERR_FILE_NOT_FOUND);
    const int start = app->m_nPasses;
    EXPECT_EQ(dialog.DoModal(), CX_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(PassesSince(start), 0);
    EXPECT_TRUE(other.HasFocus());
    EXPECT_FALSE(dialog.HasCapture());
}

// ---- Quitting and errors ---------------------------------------------------

TEST_F(DialogBoxTest, QuitMessageEndsTheLoopAndTheMainLoopToo)
{
    const int start = app->m_nPasses;
    app->m_OnPass = [&] {
        if (PassesSince(start) == 3)
            CxInjectQuit();
    };
    dialog.DoModal();
    EXPECT_LE(PassesSince(start), 4);
    EXPECT_FALSE(dialog.IsModal());
    // The dialog took the quit message off the queue; the quit must not be lost.
    EXPECT_TRUE(app->IsQuitting());
    const int before = app->m_nPasses;
    app->MainLoop();
    EXPECT_EQ(app->m_nPasses, before);
}

TEST_F(DialogBoxTest, ClosingTheWindowEndsTheLoop)
{
    const int start = app->m_nPasses;
    app->m_OnPass = [&] {
        if (PassesSince(start) == 2)
            CxInjectWindowClose();
    };
    dialog.DoModal();
    EXPECT_LE(PassesSince(start), 3);
    EXPECT_TRUE(app->IsQuitting());
    EXPECT_FALSE(dialog.IsModal());
}

TEST_F(DialogBoxTest, ThirdReportedErrorEndsTheLoop)
{
    ErrorCapture capture;
    const int start = app->m_nPasses;
    int reports = 0;
    app->m_OnPass = [&] {
        if (PassesSince(start) % 2 == 0 && reports < 3)
        {
            ++reports;
            ReportError(CX_ERR_FILE_READ, "report %d", reports);
        }
    };
    dialog.DoModal();
    EXPECT_EQ(reports, 3);
    EXPECT_EQ(capture.Errors().size(), 3u);
    // Reports on passes 2 and 4 do not end it; the one on pass 6 does.
    EXPECT_EQ(PassesSince(start), 6);
    EXPECT_FALSE(app->IsQuitting());
    EXPECT_FALSE(dialog.HasCapture());
}

TEST_F(DialogBoxTest, TwoErrorsDoNotEndTheLoop)
{
    ErrorCapture capture;
    const int start = app->m_nPasses;
    app->m_OnPass = [&] {
        if (PassesSince(start) <= 2)
            ReportError(CX_ERR_FILE_READ, "report");
        if (PassesSince(start) == 10)
            dialog.EndDialog();
    };
    dialog.DoModal();
    EXPECT_EQ(PassesSince(start), 10);
}

TEST_F(DialogBoxTest, ThrownDisplayAppErrorPassesThroughAndRestoresState)
{
    CFocusSprite other;
    other.Create(0, 0, 10, 10);
    other.SetFocus();
    const int32_t depth = CxDisplayObject::GetCaptureDepth();
    CxDisplayObject* capture = CxDisplayObject::GetCapture();
    app->m_OnPass = [&] { throw "DisplayAppError"; };
    EXPECT_THROW(dialog.DoModal(), const char*);
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_TRUE(other.HasFocus());
    EXPECT_EQ(CxDisplayObject::GetCapture(), capture);
    EXPECT_EQ(CxDisplayObject::GetCaptureDepth(), depth);
}

// ---- Focus, capture and pending messages -----------------------------------

TEST_F(DialogBoxTest, FocusAndCaptureAreTheDialogsWhileItRunsAndComeBackAfter)
{
    CFocusSprite other;
    other.Create(0, 0, 10, 10);
    other.SetFocus();
    other.CaptureMouse();
    const int32_t depth = CxDisplayObject::GetCaptureDepth();
    bool checked = false;
    app->m_OnPass = [&] {
        EXPECT_TRUE(dialog.HasFocus());
        EXPECT_TRUE(dialog.HasCapture());
        EXPECT_FALSE(other.HasFocus());
        checked = true;
        dialog.EndDialog();
    };
    dialog.DoModal();
    EXPECT_TRUE(checked);
    EXPECT_TRUE(other.HasFocus());
    EXPECT_EQ(other.m_nGained, 2);
    EXPECT_EQ(other.m_nLost, 1);
    EXPECT_TRUE(other.HasCapture());
    EXPECT_EQ(CxDisplayObject::GetCaptureDepth(), depth);
    EXPECT_FALSE(dialog.HasFocus());
    other.ReleaseMouse();
}

TEST_F(DialogBoxTest, FocusIsClearedWhenNobodyHadIt)
{
    CxDisplayObject::ClearFocus();
    ASSERT_EQ(CxDisplayObject::GetFocus(), nullptr);
    app->m_OnPass = [&] { dialog.EndDialog(); };
    dialog.DoModal();
    EXPECT_EQ(CxDisplayObject::GetFocus(), nullptr);
    EXPECT_EQ(CxDisplayObject::GetCapture(), nullptr);
}

TEST_F(DialogBoxTest, FocusHolderDeletedMeanwhileIsNotCalled)
{
    auto* other = new CFocusSprite;
    other->Create(0, 0, 10, 10);
    other->SetFocus();
    app->m_OnPass = [&] {
        delete other;
        other = nullptr;
        dialog.EndDialog();
    };
    dialog.DoModal();
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(CxDisplayObject::GetFocus(), nullptr);
}

TEST_F(DialogBoxTest, DialogThatHadTheFocusKeepsIt)
{
    dialog.SetFocus();
    app->m_OnPass = [&] { dialog.EndDialog(); };
    dialog.DoModal();
    EXPECT_TRUE(dialog.HasFocus());
    EXPECT_FALSE(dialog.HasCapture());
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

// ---- Nested dialogs --------------------------------------------------------

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
