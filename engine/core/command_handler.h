// CCommandHandler: receives named commands with text arguments, such as the
// lines of a sequence file that no event creator turns into a special event.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"

class CCommandHandler
{
public:
    virtual ~CCommandHandler() = default;
    virtual void HandleCommand(const CxString& command, const CxLinkedList<CxString>& arguments) = 0;
};
