// CxMainLoopHook: an object that wants a call on every idle pass.
//
// Every hook sits in one global list, appended on construction and removed
// on destruction. While the list holds any hook, one dispatch function is a
// registered main-loop function; it calls OnMainLoop of each hook in list
// order. The timer manager is such a hook.
#pragma once

#include "engine/base/linked_list.h"

class CxMainLoopHook
{
public:
    CxMainLoopHook();
    CxMainLoopHook(const CxMainLoopHook&) = delete;
    CxMainLoopHook& operator=(const CxMainLoopHook&) = delete;
    virtual ~CxMainLoopHook();

    virtual void OnMainLoop() = 0;
};

// The hooks alive, in dispatch order.
const CxLinkedList<CxMainLoopHook*>& GetMainLoopHooks();
// The main-loop function that calls the hooks (registered while any hook exists).
void DispatchMainLoopHooks();
