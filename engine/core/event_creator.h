// Event creators and the registry of event categories.
//
// An event text reads "Category.Command(arg1, arg2, ...)". The category picks
// a creator registered under that name (letter case ignored), and the
// creator turns the command and its arguments into an event.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/event.h"

#include <cstdint>

class CxInterpolator;

class CxEventCreator
{
public:
    virtual ~CxEventCreator() = default;
    // A new event, or null when this creator makes none for the command.
    virtual CxEvent* CreateEvent(const CxString& category, const CxString& command,
                                 const CxLinkedList<CxString>& arguments) = 0;
};

constexpr uint32_t CX_EVENT_CATEGORY_SIZE = 32;

struct ST_EVENT_DEF
{
    uint32_t m_nReserved;
    char m_szCategory[CX_EVENT_CATEGORY_SIZE];
    CxEventCreator* m_pCreator; // not owned
};

// Stores a copy of definition under category (at most 31 characters),
// replacing an earlier record of that category. Returns 0, or 1 when out of memory.
uint32_t RegisterEventCreator(const char* category, const ST_EVENT_DEF& definition);
// Deletes every record of the category.
void UnregisterEventCreator(const char* category);
CxEventCreator* FindEventCreator(const char* category);
const CxLinkedList<ST_EVENT_DEF*>& GetEventCreators();

// Splits an event text. The category is the text before the first ".", the
// command the text after it up to the first "("; the arguments are the text
// after that up to the first ")" (or the end), split at every ",", each with
// leading blanks and every double quote removed. "()" gives no argument,
// "( )" one empty one. False when the text has no "." or no "(".
bool SplitEventText(const char* text, CxString& category, CxString& command,
                    CxLinkedList<CxString>& arguments);

// Expands text with interpolator (when given), splits it and asks creator
// (when given) and then the registry for the event. Returns null when no
// event is made: an unknown category is only logged; a registered creator
// that makes nothing reports error 13.
// Called by a creator that returns no event on purpose (a line it knows but
// whose arguments do not fit): the line is then dropped without an error
// report, which would otherwise count towards the three-error stop.
void DropEventQuietly();

CxEvent* CreateEventFromText(const char* text, const CxInterpolator* interpolator, CxEventCreator* creator);
