#include "game/world/yes_no_hook.h"

namespace {
PFN_CREATE_YES_NO s_pfnCreate = nullptr;
} // namespace

PFN_CREATE_YES_NO CYesNoHook::SetDialogFactory(PFN_CREATE_YES_NO factory)
{
    PFN_CREATE_YES_NO previous = s_pfnCreate;
    s_pfnCreate = factory;
    return previous;
}

CYesNoHook::~CYesNoHook()
{
    delete m_pDialog;
}

int32_t CYesNoHook::Ask(int32_t type, bool* shown)
{
    if (shown)
        *shown = false;
    // A question asked while one is open (from inside its own modal loop) gets no.
    if (m_pDialog || !s_pfnCreate)
        return YES_NO_ANSWER_NO;
    m_pDialog = s_pfnCreate(type);
    if (!m_pDialog)
        return YES_NO_ANSWER_NO;
    m_pDialog->ResetAnswer();
    // On top of everything, with no parent but the display root.
    m_pDialog->SetDepth(0);
    m_pDialog->AttachTo(CxDisplayObject::GetRoot());
    if (m_pDialog->HasOwnPlace())
        m_pDialog->MoveTo(m_pDialog->GetPosition());
    else
        m_pDialog->MoveTo(0, 0);
    m_pDialog->DoModal();
    m_pDialog->Hide();
    if (shown)
        *shown = m_pDialog->IsDone();
    const int32_t answer = m_pDialog->GetAnswer();
    CYesNoQuestion* dialog = m_pDialog;
    m_pDialog = nullptr;
    delete dialog;
    return answer;
}
