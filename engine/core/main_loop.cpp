#include "engine/core/main_loop.h"

#include "engine/base/array.h"
#include "engine/base/linked_list.h"

namespace {
CxLinkedList<CxMainLoopFunction>& Functions()
{
    static CxLinkedList<CxMainLoopFunction> functions;
    return functions;
}
} // namespace

void AddMainLoopFunction(CxMainLoopFunction function)
{
    if (function && !Functions().Find(function))
        Functions().AddTail(function);
}

void RemoveMainLoopFunction(CxMainLoopFunction function)
{
    Functions().Remove(function);
}

bool HasMainLoopFunction(CxMainLoopFunction function)
{
    return Functions().Find(function) != nullptr;
}

void RunMainLoopFunctions()
{
    CxArray<CxMainLoopFunction> pass;
    for (auto* node = Functions().GetHead(); node; node = node->GetNext())
        pass.Add(node->m_Value);
    for (uint32_t i = 0; i < pass.GetCount(); ++i)
        if (pass[i])
            pass[i]();
}
