#include "engine/core/event_creator.h"

#include "engine/core/interpolator.h"
#include "engine/core/log.h"

#include <cstring>
#include <new>

namespace {
// Never destroyed, so records registered by static objects stay reachable.
CxLinkedList<ST_EVENT_DEF*>& Registry()
{
    static auto* registry = new CxLinkedList<ST_EVENT_DEF*>;
    return *registry;
}

bool SameCategory(const ST_EVENT_DEF* record, const char* category)
{
    return CxCompareNoCaseN(record->m_szCategory, category, CX_EVENT_CATEGORY_SIZE - 1) == 0 &&
           strlen(category) < CX_EVENT_CATEGORY_SIZE;
}

ST_EVENT_DEF* FindRecord(const char* category)
{
    if (!category)
        return nullptr;
    for (auto* node = Registry().GetHead(); node; node = node->GetNext())
        if (SameCategory(node->m_Value, category))
            return node->m_Value;
    return nullptr;
}

void AddArgument(CxLinkedList<CxString>& arguments, const char* piece, int32_t length)
{
    CxString argument(piece, length);
    argument.TrimLeft(" \t");
    argument.Remove('"');
    arguments.AddTail(argument);
}
} // namespace

uint32_t RegisterEventCreator(const char* category, const ST_EVENT_DEF& definition)
{
    if (!category)
        return CX_ERR_INVALID_ARGUMENT;
    ST_EVENT_DEF copy = definition;
    // The record is found by the name it was registered under.
    CxCopyText(copy.m_szCategory, category, CX_EVENT_CATEGORY_SIZE);
    if (ST_EVENT_DEF* record = FindRecord(copy.m_szCategory))
    {
        *record = copy;
        return CX_ERR_NONE;
    }
    ST_EVENT_DEF* record = new (std::nothrow) ST_EVENT_DEF(copy);
    if (!record || !Registry().AddTail(record))
    {
        delete record;
        ReportError(CX_ERR_OUT_OF_MEMORY, "Could not register the event category %s", copy.m_szCategory);
        return CX_ERR_OUT_OF_MEMORY;
    }
    return CX_ERR_NONE;
}

void UnregisterEventCreator(const char* category)
{
    if (!category)
        return;
    auto* node = Registry().GetHead();
    while (node)
    {
        if (SameCategory(node->m_Value, category))
        {
            delete node->m_Value;
            node = Registry().RemoveNode(node);
        }
        else
            node = node->GetNext();
    }
}

CxEventCreator* FindEventCreator(const char* category)
{
    ST_EVENT_DEF* record = FindRecord(category);
    return record ? record->m_pCreator : nullptr;
}

const CxLinkedList<ST_EVENT_DEF*>& GetEventCreators()
{
    return Registry();
}

bool SplitEventText(const char* text, CxString& category, CxString& command,
                    CxLinkedList<CxString>& arguments)
{
    category.Empty();
    command.Empty();
    arguments.RemoveAll();
    if (!text)
        return false;
    const char* dot = strchr(text, '.');
    if (!dot)
        return false;
    const char* open = strchr(dot + 1, '(');
    if (!open)
        return false;
    category.Assign(text, static_cast<int32_t>(dot - text));
    command.Assign(dot + 1, static_cast<int32_t>(open - dot - 1));

    const char* piece = open + 1;
    const char* close = strchr(piece, ')');
    const char* end = close ? close : piece + strlen(piece);
    for (;;)
    {
        const char* comma = static_cast<const char*>(memchr(piece, ',', static_cast<size_t>(end - piece)));
        if (!comma)
            break;
        AddArgument(arguments, piece, static_cast<int32_t>(comma - piece));
        piece = comma + 1;
    }
    // The last piece counts only when something stands before the ")".
    if (end > piece)
        AddArgument(arguments, piece, static_cast<int32_t>(end - piece));
    return true;
}

namespace {
bool s_bDropQuietly = false;
} // namespace

void DropEventQuietly()
{
    s_bDropQuietly = true;
}

CxEvent* CreateEventFromText(const char* text, const CxInterpolator* interpolator, CxEventCreator* creator)
{
    const CxString expanded = interpolator ? interpolator->Expand(text) : CxString(text);
    CxString category;
    CxString command;
    CxLinkedList<CxString> arguments;
    if (!SplitEventText(expanded.c_str(), category, command, arguments))
    {
        LogEntry(CX_LOG_WARNING, "Event text without a category or an argument list: %.200s",
                 expanded.c_str());
        return nullptr;
    }
    if (creator)
        if (CxEvent* event = creator->CreateEvent(category, command, arguments))
            return event;
    ST_EVENT_DEF* record = FindRecord(category.c_str());
    if (!record)
    {
        LogEntry(CX_LOG_WARNING, "No event creator for the category \"%.64s\"", category.c_str());
        return nullptr;
    }
    s_bDropQuietly = false;
    CxEvent* event =
        record->m_pCreator ? record->m_pCreator->CreateEvent(category, command, arguments) : nullptr;
    if (!event && s_bDropQuietly)
        LogEntry(CX_LOG_WARNING, "Dropped the line %.200s", expanded.c_str());
    else if (!event)
        ReportError(CX_ERR_UNKNOWN, "Event Create Procedure returned NULL");
    s_bDropQuietly = false;
    return event;
}
