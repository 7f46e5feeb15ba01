// The lines of a sequence file as the loader reads them (see sequence.h for
// the format): WalkSequenceText hands over each "Event" text and "Sequence"
// name in order, with the line it starts on and its "Dynamic" and
// "continue" marks. The loader makes events of them; the sequence linter
// checks them.
#pragma once

#include "engine/base/cx_string.h"

#include <cstdint>
#include <functional>

struct ST_SEQUENCE_ITEM
{
    bool bSequence = false; // a "Sequence" line (strText is the name), else an "Event" line
    bool bDynamic = false;
    bool bNext = false; // "continue": starts in the same pass as the one before
    uint32_t nLine = 0; // 1 for the first line
    CxString strText;   // "Category.Command(arguments)" up to and including ")", or the name
};

enum class ESequenceWalk
{
    Complete,
    Stopped,  // visit returned false
    Unclosed, // an "Event" without a closing ")" ended the walk
    NoMemory,
};

// Carriage returns end lines like line feeds do.
ESequenceWalk WalkSequenceText(const char* data, uint32_t size,
                               const std::function<bool(const ST_SEQUENCE_ITEM&)>& visit);
