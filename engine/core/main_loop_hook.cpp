#include "engine/core/main_loop_hook.h"

#include "engine/base/array.h"
#include "engine/core/main_loop.h"

namespace {
CxLinkedList<CxMainLoopHook*>& Hooks()
{
    // Never destroyed: hooks that are static objects may outlive any static list.
    static auto* hooks = new CxLinkedList<CxMainLoopHook*>;
    return *hooks;
}
} // namespace

CxMainLoopHook::CxMainLoopHook()
{
    Hooks().AddTail(this);
    AddMainLoopFunction(DispatchMainLoopHooks);
}

CxMainLoopHook::~CxMainLoopHook()
{
    Hooks().Remove(this);
    if (Hooks().IsEmpty())
        RemoveMainLoopFunction(DispatchMainLoopHooks);
}

const CxLinkedList<CxMainLoopHook*>& GetMainLoopHooks()
{
    return Hooks();
}

void DispatchMainLoopHooks()
{
    // A hook may destroy itself or others while it runs: call from a copy
    // and skip the hooks that left the list in the meantime.
    CxArray<CxMainLoopHook*> pass;
    for (auto* node = Hooks().GetHead(); node; node = node->GetNext())
        pass.Add(node->m_Value);
    for (uint32_t i = 0; i < pass.GetCount(); ++i)
        if (Hooks().Find(pass[i]))
            pass[i]->OnMainLoop();
}
