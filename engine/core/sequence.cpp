#include "engine/core/sequence.h"

#include "engine/core/buffer.h"
#include "engine/core/event_creator.h"
#include "engine/core/file.h"
#include "engine/core/game_path.h"
#include "engine/core/interpolator.h"
#include "engine/core/sequence_text.h"

#include <cstring>
#include <memory>
#include <new>

// ---- CxSequence ----

CxSequence::CxSequence()
{
    CreateChannel(&m_nPrivateChannel);
}

CxSequence::~CxSequence()
{
    DeleteEvents();
    if (m_nPrivateChannel)
        DestroyChannel(m_nPrivateChannel);
}

bool CxSequence::AddEvent(CxEvent* event)
{
    if (!event)
        return false;
    event->RemoveFlags(EVENT_AUTO_DELETE);
    if (!AddTail(event))
    {
        delete event;
        return false;
    }
    return true;
}

void CxSequence::DeleteEvents()
{
    if (m_nPrivateChannel)
        FlushChannel(m_nPrivateChannel);
    while (!CxLinkedList<CxEvent*>::IsEmpty())
        delete RemoveHead();
    m_bStarted = false;
}

void CxSequence::Start()
{
    for (auto* node = GetHead(); node; node = node->GetNext())
        node->m_Value->Post(m_nPrivateChannel);
    m_bStarted = true;
}

void CxSequence::Stop()
{
    if (m_nPrivateChannel)
        FlushChannel(m_nPrivateChannel);
}

bool CxSequence::IsFinished()
{
    return IsChannelEmpty(m_nPrivateChannel);
}

void CxSequence::Pause()
{
    PauseChannel(m_nPrivateChannel);
}

void CxSequence::Resume()
{
    ResumeChannel(m_nPrivateChannel);
}

bool CxSequence::IsBlocked()
{
    return IsChannelBlocked(m_nPrivateChannel);
}

// ---- CxEventSequenceFile ----

// The files being loaded, innermost first, and what may still be built.
struct CxEventSequenceFile::LoadContext
{
    const LoadContext* m_pOuter = nullptr;
    CxString m_strPath;
    uint32_t m_nDepth = 0;
    uint32_t* m_pBudget = nullptr;
    const char* m_pName = "";
};

uint32_t CxEventSequenceFile::Load(const char* fileName, const CxInterpolator* interpolator)
{
    uint32_t budget = CX_SEQUENCE_MAX_EVENTS;
    LoadContext context;
    context.m_pBudget = &budget;
    return LoadNested(fileName, interpolator, context);
}

uint32_t CxEventSequenceFile::LoadNested(const char* fileName, const CxInterpolator* interpolator,
                                         LoadContext& context)
{
    DeleteEvents();
    ClearError();
    if (fileName != m_strFileName.c_str())
        m_strFileName = fileName ? fileName : "";
    if (!fileName)
        return SetError(CX_ERR_INVALID_ARGUMENT, "CxEventSequenceFile::Load() without a file name"), m_nError;
    const CxString path = strchr(fileName, '$') ? ExpandGamePath(fileName) : CxString(fileName);
    if (IsDirectory(path.c_str()))
        return SetError(CX_ERR_INVALID_FILE_TYPE, "%s is a directory, not a sequence file", path.c_str()),
               m_nError;
    CxFile file;
    if (file.Open(path.c_str(), CX_FILE_DEFAULT) != CX_ERR_NONE)
    {
        SetErrorCode(file.GetError());
        return m_nError;
    }
    // Sequence files are a few lines; anything huge is not one (and a
    // device or special file may report any length at all).
    const long length = file.GetLength();
    if (length < 0 || static_cast<unsigned long>(length) > CX_SEQUENCE_MAX_FILE_SIZE)
        return SetError(CX_ERR_INVALID_FILE_TYPE, "Sequence file %s is too large", path.c_str()), m_nError;
    CxBuffer buffer;
    if (length > 0 && buffer.Allocate(static_cast<uint32_t>(length)) != CX_ERR_NONE)
        return SetErrorCode(buffer.GetError()), m_nError;
    if (length > 0 && file.Read(buffer.GetData(), length) != length)
    {
        if (file.GetError() == CX_ERR_NONE)
            SetError(CX_ERR_FILE_READ, "Unable to read %s", path.c_str());
        else
            SetErrorCode(file.GetError());
        return m_nError;
    }
    file.Close();
    context.m_strPath = file.GetPath();
    context.m_pName = fileName;
    for (const LoadContext* outer = context.m_pOuter; outer; outer = outer->m_pOuter)
        if (outer->m_strPath == context.m_strPath)
        {
            SetError(CX_ERR_INVALID_FILE_TYPE, "Sequence file %s names itself through \"Sequence\" lines",
                     fileName);
            return m_nError;
        }
    ParseNested(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize(), interpolator, context);
    return CX_ERR_NONE;
}

void CxEventSequenceFile::Parse(const char* text, uint32_t size, const CxInterpolator* interpolator)
{
    uint32_t budget = CX_SEQUENCE_MAX_EVENTS;
    LoadContext context;
    context.m_pBudget = &budget;
    context.m_pName = "(text)";
    ParseNested(text, size, interpolator, context);
}

void CxEventSequenceFile::ParseNested(const char* data, uint32_t size, const CxInterpolator* interpolator,
                                      LoadContext& context)
{
    const ESequenceWalk walk = WalkSequenceText(data, size, [&](const ST_SEQUENCE_ITEM& item) {
        CxEvent* event = item.bSequence ? MakeNestedSequence(item.strText, interpolator, context)
                                        : MakeLineEvent(item.strText, item.bDynamic, interpolator);
        return !event || AddParsedEvent(event, item.bNext, context);
    });
    if (walk == ESequenceWalk::NoMemory)
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate %u bytes for sequence file %s", size,
                 context.m_pName);
    else if (walk == ESequenceWalk::Unclosed)
        ReportError(CX_ERR_INVALID_FILE_TYPE, "Sequence file %s: \"Event\" without a closing \")\"",
                    context.m_pName);
}

CxEvent* CxEventSequenceFile::MakeLineEvent(const CxString& line, bool dynamic,
                                            const CxInterpolator* interpolator)
{
    if (!dynamic)
        return CreateEventFromText(line.c_str(), interpolator, m_pCreator);
    CxEvent* event = new (std::nothrow) CxEventString(line.c_str(), interpolator, m_pCreator);
    if (!event)
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a CxEventString");
    return event;
}

CxEvent* CxEventSequenceFile::MakeNestedSequence(CxString name, const CxInterpolator* interpolator,
                                                 LoadContext& context)
{
    if (interpolator)
        name = interpolator->Expand(name.c_str());
    if (name.IsEmpty())
    {
        ReportError(CX_ERR_INVALID_FILE_TYPE, "Sequence file %s: \"Sequence\" without a file name",
                    context.m_pName);
        return nullptr;
    }
    if (context.m_nDepth + 1 >= CX_SEQUENCE_MAX_DEPTH)
    {
        ReportError(CX_ERR_INVALID_FILE_TYPE, "Sequence file %s: sequences nested deeper than %u levels",
                    context.m_pName, CX_SEQUENCE_MAX_DEPTH);
        return nullptr;
    }
    if (*context.m_pBudget == 0)
        return nullptr;
    CxEventSequenceFile* child = new (std::nothrow) CxEventSequenceFile(m_pCreator);
    if (!child)
    {
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate a CxEventSequenceFile");
        return nullptr;
    }
    LoadContext inner;
    inner.m_pOuter = &context;
    inner.m_nDepth = context.m_nDepth + 1;
    inner.m_pBudget = context.m_pBudget;
    child->LoadNested(name.c_str(), interpolator, inner);
    return child;
}

bool CxEventSequenceFile::AddParsedEvent(CxEvent* event, bool next, LoadContext& context)
{
    if (*context.m_pBudget == 0)
    {
        delete event;
        ReportError(CX_ERR_INVALID_FILE_TYPE, "Sequence file %s: more than %u events", context.m_pName,
                    CX_SEQUENCE_MAX_EVENTS);
        return false;
    }
    --*context.m_pBudget;
    if (next)
        event->AddFlags(EVENT_CONTINUE);
    if (!AddEvent(event))
        SetError(CX_ERR_OUT_OF_MEMORY, "Could not add an event to sequence file %s", context.m_pName);
    return true;
}

// ---- CxEventString ----

CxEventString::CxEventString(const char* text, const CxInterpolator* interpolator, CxEventCreator* creator)
    : m_strText(text), m_pInterpolator(interpolator), m_pCreator(creator)
{
}

CxEventString::~CxEventString()
{
    delete m_pEvent;
}

void CxEventString::Start()
{
    delete m_pEvent;
    m_pEvent = CreateEventFromText(m_strText.c_str(), m_pInterpolator, m_pCreator);
    m_bStarted = true;
    if (m_pEvent)
        m_pEvent->Start();
}

void CxEventString::Stop()
{
    if (m_pEvent)
        m_pEvent->Stop();
}

bool CxEventString::IsFinished()
{
    return m_pEvent ? m_pEvent->IsFinished() : m_bStarted;
}

void CxEventString::Pause()
{
    if (m_pEvent)
        m_pEvent->Pause();
}

void CxEventString::Resume()
{
    if (m_pEvent)
        m_pEvent->Resume();
}

bool CxEventString::IsBlocked()
{
    return m_pEvent && m_pEvent->IsBlocked();
}

void CxEventString::OnFinish()
{
    if (!m_pEvent)
        return;
    m_pEvent->OnFinish();
    SetData(m_pEvent->GetData());
    delete m_pEvent;
    m_pEvent = nullptr;
}

void CxEventString::Release()
{
    if (m_pEvent)
        m_pEvent->Release();
    m_bStarted = false;
}
