#include "engine/core/event.h"

#include "engine/base/array.h"
#include "engine/core/error.h"
#include "engine/core/main_loop.h"

#include <new>
#include <unordered_map>

namespace {
using ChannelList = CxLinkedList<CxEventChannel*>;
using ChannelNode = CxListNode<CxEventChannel*>;

// One walk of the pump over the active list. Callbacks may destroy channels
// and events, or run a nested pump (a modal dialog), while a walk is under
// way; removals keep every walk's position valid through these frames.
struct WalkFrame
{
    ChannelNode* m_pLast = nullptr; // the last visited node still in the list (null: before the head)
    CxEvent* m_pEvent = nullptr;    // the event being finished
    bool m_bTaken = false;          // that event left the channel by other hands
    WalkFrame* m_pOuter = nullptr;
};
WalkFrame* s_pFrames = nullptr;
uint32_t s_nNextChannelID = 1;

// The lists are never destroyed: listeners and events that are static
// objects may be destroyed after any static list would be.
CxLinkedList<CxEventListener*>& Listeners()
{
    static auto* list = new CxLinkedList<CxEventListener*>;
    return *list;
}

void MarkTaken(CxEvent* event)
{
    for (WalkFrame* frame = s_pFrames; frame; frame = frame->m_pOuter)
        if (frame->m_pEvent == event)
            frame->m_bTaken = true;
}

uint32_t InvalidChannel(const char* operation)
{
    ReportError(CX_ERR_INVALID_ARGUMENT, "CxEvent::%s(nChannelID) - nChannelID is not a valid event channel",
                operation);
    return CX_ERR_INVALID_ARGUMENT;
}

void InsertListener(CxEventListener* listener)
{
    const uint32_t priority = listener->GetPriority();
    auto& list = Listeners();
    if (priority == CX_LISTENER_LAST)
    {
        list.AddTail(listener);
        return;
    }
    if (priority == CX_LISTENER_FIRST)
    {
        list.AddHead(listener);
        return;
    }
    for (auto* node = list.GetHead(); node; node = node->GetNext())
        if (node->m_Value->GetPriority() < priority)
        {
            list.InsertBefore(node, listener);
            return;
        }
    list.AddTail(listener);
}
} // namespace

// The channel registry: the active and idle lists and an index by ID, so
// that every lookup costs the same however many channels exist.
class CxEventChannels
{
public:
    static ChannelList& Active()
    {
        static auto* list = new ChannelList;
        return *list;
    }

    static ChannelList& Idle()
    {
        static auto* list = new ChannelList;
        return *list;
    }

    static std::unordered_map<uint32_t, CxEventChannel*>& Index()
    {
        static auto* index = new std::unordered_map<uint32_t, CxEventChannel*>;
        return *index;
    }

    static CxEventChannel* Find(uint32_t id)
    {
        if (id == 0)
            return nullptr;
        auto& index = Index();
        auto found = index.find(id);
        return found == index.end() ? nullptr : found->second;
    }

    static bool Alive(uint32_t id, const CxEventChannel* channel) { return Find(id) == channel; }

    static uint32_t Create(uint32_t* id)
    {
        // IDs count up and are not reused until the counter wraps, so an old
        // ID kept somewhere does not name a newer channel.
        uint32_t candidate = s_nNextChannelID;
        while (candidate == 0 || Find(candidate))
            ++candidate;
        s_nNextChannelID = candidate + 1;
        CxEventChannel* channel = new (std::nothrow) CxEventChannel(candidate);
        if (channel)
            channel->m_pNode = Idle().AddTail(channel);
        if (!channel || !channel->m_pNode)
        {
            delete channel;
            ReportError(CX_ERR_OUT_OF_MEMORY, "CxEvent::CreateChannel() - out of memory");
            return CX_ERR_OUT_OF_MEMORY;
        }
        Index()[candidate] = channel;
        *id = candidate;
        return CX_ERR_NONE;
    }

    // Takes the channel out of its list (keeping every walk's position).
    static void Unlink(CxEventChannel* channel)
    {
        if (!channel->m_pNode)
            return;
        if (channel->IsActive())
        {
            for (WalkFrame* frame = s_pFrames; frame; frame = frame->m_pOuter)
                if (frame->m_pLast == channel->m_pNode)
                    frame->m_pLast = channel->m_pNode->GetPrev();
            Active().RemoveNode(channel->m_pNode);
        }
        else
            Idle().RemoveNode(channel->m_pNode);
        channel->m_pNode = nullptr;
    }

    // Moves the channel to the end of the active or idle list.
    static bool MoveTo(CxEventChannel* channel, bool active)
    {
        ChannelNode* node = (active ? Active() : Idle()).AddTail(channel);
        if (!node)
            return false;
        Unlink(channel);
        channel->m_pNode = node;
        channel->m_bActive = active;
        return true;
    }

    static void Destroy(CxEventChannel* channel)
    {
        Unlink(channel);
        Index().erase(channel->GetID());
        delete channel;
    }

    static void SetPosted(CxEvent* event, uint32_t channel) { event->m_nChannel = channel; }
    static uint32_t& Posted(CxEvent* event) { return event->m_nPosted; }
};

namespace {
void NotifyListeners(uint32_t id, CxEvent* event, WalkFrame& frame)
{
    CxArray<CxEventListener*> listeners;
    for (auto* node = Listeners().GetHead(); node; node = node->GetNext())
        listeners.Add(node->m_Value);
    for (uint32_t i = 0; i < listeners.GetCount(); ++i)
    {
        CxEventListener* listener = listeners[i];
        if (!Listeners().Find(listener) || !listener->IsListening(id))
            continue;
        if (listener->OnEvent(id, event) != 0 || frame.m_bTaken)
            return;
    }
}

// Moves one channel forward: finishes its front event (and, with
// EVENT_CONTINUE, the following ones) as far as they are finished.
void RunChannel(WalkFrame& frame, CxEventChannel* channel)
{
    const uint32_t id = channel->GetID();
    for (;;)
    {
        if (!CxEventChannels::Alive(id, channel) || channel->IsEmpty())
            return;
        CxEvent* event = channel->Peek();
        frame.m_pEvent = event;
        frame.m_bTaken = false;
        auto gone = [&]() { return frame.m_bTaken || !CxEventChannels::Alive(id, channel); };

        if (event->IsBlocked() || gone())
            return;
        if (!event->IsStarted())
        {
            event->Start();
            if (gone())
                return;
        }
        if (!event->IsFinished() || gone())
            return;
        const bool next = (event->GetFlags() & EVENT_CONTINUE) != 0;
        event->OnFinish();
        if (gone())
            return;
        NotifyListeners(id, event, frame);
        if (gone())
            return;
        // The front entry is still this event: only Unpost could have taken
        // it (noticed above), and nested walks skip a busy channel.
        channel->RemoveHead();
        uint32_t& posted = CxEventChannels::Posted(event);
        if (posted > 0)
            --posted;
        if (posted == 0)
            CxEventChannels::SetPosted(event, 0);
        frame.m_pEvent = nullptr;
        if (event->GetFlags() & EVENT_AUTO_DELETE)
            delete event;
        else
            event->Release();
        if (!next)
            return;
    }
}
} // namespace

CxEvent::~CxEvent()
{
    Unpost();
    MarkTaken(this);
}

uint32_t CxEvent::Post(uint32_t channel)
{
    CxEventChannel* queue = CxEventChannels::Find(channel);
    if (!queue)
        return InvalidChannel("Post");
    if (m_nChannel != 0 && m_nChannel != channel)
        Unpost();
    if (!queue->IsActive() && !CxEventChannels::MoveTo(queue, true))
    {
        ReportError(CX_ERR_OUT_OF_MEMORY, "CxEvent::Post(nChannelID) - out of memory");
        return CX_ERR_OUT_OF_MEMORY;
    }
    if (!queue->Enqueue(this))
    {
        ReportError(CX_ERR_OUT_OF_MEMORY, "CxEvent::Post(nChannelID) - out of memory");
        return CX_ERR_OUT_OF_MEMORY;
    }
    m_nChannel = channel;
    ++m_nPosted;
    return CX_ERR_NONE;
}

void CxEvent::Unpost()
{
    if (m_nChannel == 0)
        return;
    if (CxEventChannel* queue = CxEventChannels::Find(m_nChannel))
    {
        // Entries are searched from the front, where a running event sits,
        // and only until the last one is gone.
        auto* node = queue->GetHead();
        while (node && m_nPosted > 0)
        {
            if (node->m_Value == this)
            {
                node = queue->RemoveNode(node);
                --m_nPosted;
            }
            else
                node = node->GetNext();
        }
    }
    m_nChannel = 0;
    m_nPosted = 0;
    MarkTaken(this);
}

CxEventListener::CxEventListener(uint32_t priority) : m_nPriority(priority)
{
    InsertListener(this);
    AddMainLoopFunction(PumpEvents);
}

CxEventListener::~CxEventListener()
{
    Listeners().Remove(this);
    if (Listeners().IsEmpty())
        RemoveMainLoopFunction(PumpEvents);
}

void CxEventListener::Listen(uint32_t channel)
{
    if (!m_Channels.Find(channel))
        m_Channels.AddTail(channel);
}

void CxEventListener::StopListening(uint32_t channel)
{
    m_Channels.Remove(channel);
}

void CxEventListener::SetPriority(uint32_t priority)
{
    Listeners().Remove(this);
    m_nPriority = priority;
    InsertListener(this);
}

uint32_t CreateChannel(uint32_t* id)
{
    if (!id)
        return InvalidChannel("CreateChannel");
    *id = 0;
    return CxEventChannels::Create(id);
}

uint32_t DestroyChannel(uint32_t id)
{
    if (!CxEventChannels::Find(id))
        return InvalidChannel("DestroyChannel");
    FlushChannel(id);
    // Flushed events may have destroyed the channel themselves.
    if (CxEventChannel* channel = CxEventChannels::Find(id))
        CxEventChannels::Destroy(channel);
    return CX_ERR_NONE;
}

uint32_t FlushChannel(uint32_t id)
{
    CxEventChannel* channel = CxEventChannels::Find(id);
    if (!channel)
        return InvalidChannel("FlushChannel");
    if (!channel->IsActive())
        return CX_ERR_NONE;
    // Every round takes at least one entry; events posted while the flush
    // runs (by Stop or Release) stay in the channel.
    uint32_t rounds = 0;
    for (auto* node = channel->GetHead(); node; node = node->GetNext())
        ++rounds;
    while (rounds-- > 0)
    {
        channel = CxEventChannels::Find(id);
        if (!channel || channel->IsEmpty())
            break;
        CxEvent* event = channel->Peek();
        if (event->GetChannel() == id)
            event->Unpost();
        else
        {
            channel->RemoveHead();
            MarkTaken(event);
        }
        if (event->IsRunning())
            event->Stop();
        if (event->GetFlags() & EVENT_AUTO_DELETE)
            delete event;
        else
            event->Release();
    }
    return CX_ERR_NONE;
}

bool IsChannelEmpty(uint32_t id)
{
    CxEventChannel* channel = CxEventChannels::Find(id);
    return !channel || channel->IsEmpty();
}

void PauseChannel(uint32_t id)
{
    if (CxEvent* event = GetChannelFront(id))
        event->Pause();
}

void ResumeChannel(uint32_t id)
{
    if (CxEvent* event = GetChannelFront(id))
        event->Resume();
}

bool IsChannelBlocked(uint32_t id)
{
    CxEvent* event = GetChannelFront(id);
    return event && event->IsBlocked();
}

bool IsChannelValid(uint32_t id)
{
    return CxEventChannels::Find(id) != nullptr;
}

CxEvent* GetChannelFront(uint32_t id)
{
    CxEventChannel* channel = CxEventChannels::Find(id);
    return channel && !channel->IsEmpty() ? channel->Peek() : nullptr;
}

uint16_t GetChannelCount(uint32_t id)
{
    CxEventChannel* channel = CxEventChannels::Find(id);
    return channel ? channel->GetCount() : 0;
}

void PumpEvents()
{
    WalkFrame frame;
    frame.m_pOuter = s_pFrames;
    s_pFrames = &frame;
    for (;;)
    {
        ChannelNode* node = frame.m_pLast ? frame.m_pLast->GetNext() : CxEventChannels::Active().GetHead();
        if (!node)
            break;
        frame.m_pLast = node;
        CxEventChannel* channel = node->m_Value;
        if (channel->m_nBusy)
            continue;
        const uint32_t id = channel->GetID();
        ++channel->m_nBusy;
        RunChannel(frame, channel);
        if (CxEventChannels::Alive(id, channel))
            --channel->m_nBusy;
    }
    s_pFrames = frame.m_pOuter;

    // Channels found empty rest in the idle list until something is posted.
    ChannelNode* node = CxEventChannels::Active().GetHead();
    while (node)
    {
        ChannelNode* next = node->GetNext();
        CxEventChannel* channel = node->m_Value;
        if (channel->IsEmpty() && channel->m_nBusy == 0)
            CxEventChannels::MoveTo(channel, false);
        node = next;
    }
}

const CxLinkedList<CxEventListener*>& GetEventListeners()
{
    return Listeners();
}

const CxLinkedList<CxEventChannel*>& GetActiveChannels()
{
    return CxEventChannels::Active();
}

const CxLinkedList<CxEventChannel*>& GetIdleChannels()
{
    return CxEventChannels::Idle();
}
