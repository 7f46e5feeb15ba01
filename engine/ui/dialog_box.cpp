#include "engine/ui/dialog_box.h"

#include "engine/core/app.h"
#include "engine/core/error.h"
#include "engine/platform/window.h"

namespace {
// Puts the focus and the mouse capture back when DoModal leaves, also when
// the display application's "DisplayAppError" passes through on its way to
// the run cycle.
class CModalScope
{
public:
    CModalScope(CxDialogBox& dialog, int32_t& depth) : m_Dialog(dialog), m_nDepth(depth)
    {
        m_pFocus = CxDisplayObject::GetFocus();
        ++m_nDepth;
        m_Dialog.CaptureMouse();
        m_Dialog.SetFocus();
    }
    CModalScope(const CModalScope&) = delete;
    CModalScope& operator=(const CModalScope&) = delete;
    ~CModalScope()
    {
        --m_nDepth;
        // The object that held the focus may have been deleted while the
        // dialog ran; it must not be called then, and nobody gets the focus.
        if (m_pFocus && CxDisplayObject::IsLiveObject(m_pFocus))
        {
            if (!m_pFocus->HasFocus())
                m_pFocus->SetFocus();
        }
        else
        {
            CxDisplayObject::ClearFocus();
        }
        m_Dialog.ReleaseAllCaptures();
    }

private:
    CxDialogBox& m_Dialog;
    int32_t& m_nDepth;
    CxDisplayObject* m_pFocus = nullptr;
};

// Errors counted toward the limit that ends the loops: since the application
// started, or since the program started when there is no application.
uint32_t ReportedErrors(const CxApp* app)
{
    return app ? app->GetReportedErrorCount() : GetErrorCount();
}
} // namespace

CxDialogBox::CxDialogBox()
{
    m_nHitMask = DIALOG_BOX_HIT_MASK;
    // The dialog's capture must not cut its own buttons off the mouse.
    m_nFlags |= DO_CAPTURE_KEEPS_CHILDREN;
}

CxDialogBox::~CxDialogBox() = default;

uint32_t CxDialogBox::DoModal()
{
    if (GetError() != CX_ERR_NONE)
        return GetError();
    CxApp* app = GetApp();
    if (!app)
    {
        // Without an application there is no loop to run and nothing could
        // end one; the caller learns that no answer was given.
        return CX_ERR_UNKNOWN;
    }

    // Requests to paint the whole window are answered by the redraws of the
    // loop below; they are dropped rather than repainting everything first.
    RemovePlatformMessages(CX_WM_PAINT);

    CModalScope scope(*this, m_nModalDepth);
    m_bDone = 0;
    while (!m_bDone && !app->IsQuitting())
    {
        if (ReportedErrors(app) >= CX_MAX_REPORTED_ERRORS)
            break;
        if (app->PumpMessage())
        {
            // The pump has taken the quit message off the queue; the main
            // loop would never see it, so the quit is recorded in the
            // application for the main loop (and outer dialogs) to end too.
            app->Quit();
            break;
        }
    }
    return GetError();
}

void CxDialogBox::EndDialog()
{
    m_bDone = 1;
}
