// Events, channels and event listeners.
//
// An event is work that starts, runs over many idle passes and finishes. A
// channel is a first-in-first-out queue of events of which only the front
// one runs; when it finishes the next one starts. Channels are named by a
// non-zero 32-bit ID. Listeners are told when an event finishes in a channel
// they listen to. The event pump, a main-loop function registered while at
// least one listener exists, moves every channel forward once per idle pass.
//
// Every operation takes the channel by ID and checks it: an ID that names no
// live channel is refused (error 16 where the caller is told), so a stale ID
// kept by a script or a destroyed room cannot reach freed memory.
#pragma once

#include "engine/base/linked_list.h"
#include "engine/base/object.h"

#include <cstdint>

constexpr uint32_t EVENT_AUTO_DELETE = 0x01; // delete the event when it is done
constexpr uint32_t EVENT_CONTINUE = 0x02;    // start the channel's next event in the same pass

constexpr uint32_t CX_LISTENER_DEFAULT_PRIORITY = 0x7FFFFFFFu;
constexpr uint32_t CX_LISTENER_FIRST = 0xFFFFFFFFu; // always in front of the others
constexpr uint32_t CX_LISTENER_LAST = 0;            // always behind the others

class CxEvent;

// A channel: the queue of posted events (not owned) and its ID.
class CxEventChannel : public CxQueue<CxEvent*>
{
public:
    explicit CxEventChannel(uint32_t id) : m_nID(id) {}
    uint32_t GetID() const { return m_nID; }
    bool IsActive() const { return m_bActive; }

private:
    friend class CxEventChannels;
    friend void PumpEvents();
    uint32_t m_nID;
    uint32_t m_nBusy = 0; // the pump is finishing this channel's front event
    bool m_bActive = false;
    CxListNode<CxEventChannel*>* m_pNode = nullptr; // in the active or the idle list
};

class CxEvent : public CxObject
{
public:
    CxEvent() = default;
    CxEvent(const CxEvent&) = delete;
    CxEvent& operator=(const CxEvent&) = delete;
    // Takes the event out of its channel.
    ~CxEvent() override;

    // Called instead of deleting when an event without EVENT_AUTO_DELETE is
    // done: clears the started flag, so the event can be posted and run again.
    virtual void Release() { m_bStarted = false; }
    virtual void Start() = 0;
    virtual bool IsStarted() { return m_bStarted; }
    virtual void Stop() = 0;
    virtual bool IsFinished() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
    // True while the event must be neither started nor tested.
    virtual bool IsBlocked() = 0;
    // Called once when the pump sees the event finished, before the listeners.
    virtual void OnFinish() {}
    virtual bool IsRunning() { return IsStarted() && !IsFinished(); }

    // Appends the event to the channel's queue. Returns 0, or 16 for an
    // invalid channel. Posting to another channel than the one the event
    // waits in moves it (an event lives in one queue at a time).
    virtual uint32_t Post(uint32_t channel);
    // Removes every entry of the event from its channel.
    virtual void Unpost();

    uint32_t GetChannel() const { return m_nChannel; }
    uint32_t GetFlags() const { return m_nFlags; }
    void SetFlags(uint32_t flags) { m_nFlags = flags; }
    void AddFlags(uint32_t flags) { m_nFlags |= flags; }
    void RemoveFlags(uint32_t flags) { m_nFlags &= ~flags; }
    uint32_t GetData() const { return m_nData; }
    void SetData(uint32_t data) { m_nData = data; }

protected:
    // Set by Start in the events that keep no other state for it.
    bool m_bStarted = false;

private:
    friend void PumpEvents();
    friend class CxEventChannels;
    uint32_t m_nChannel = 0;
    uint32_t m_nPosted = 0; // entries of this event in its channel's queue
    uint32_t m_nData = 0;
    uint32_t m_nFlags = 0;
};

class CxEventListener
{
public:
    // Inserted into the global list by priority (see SetPriority). The first
    // listener registers the event pump.
    explicit CxEventListener(uint32_t priority = CX_LISTENER_DEFAULT_PRIORITY);
    CxEventListener(const CxEventListener&) = delete;
    CxEventListener& operator=(const CxEventListener&) = delete;
    // The last listener removes the event pump.
    virtual ~CxEventListener();

    // Non-zero when the listener has consumed the notice: later listeners do not hear it.
    virtual int32_t OnEvent(uint32_t channel, CxEvent* event) = 0;

    void Listen(uint32_t channel);
    void StopListening(uint32_t channel);
    bool IsListening(uint32_t channel) const { return m_Channels.Find(channel) != nullptr; }
    uint32_t GetPriority() const { return m_nPriority; }
    // Moves the listener to its place for the new priority: 0 goes last,
    // 0xFFFFFFFF first, any other value before the first listener with a
    // lower priority (so equal priorities keep their order of arrival).
    void SetPriority(uint32_t priority);

private:
    CxLinkedList<uint32_t> m_Channels;
    uint32_t m_nPriority;
};

// Channel operations. Those returning a code report failures through the
// global error path.
uint32_t CreateChannel(uint32_t* id);
uint32_t DestroyChannel(uint32_t id);
// Takes every event out of the channel, stopping the running one, and
// releases or deletes each; listeners hear nothing.
uint32_t FlushChannel(uint32_t id);
bool IsChannelEmpty(uint32_t id);
void PauseChannel(uint32_t id);
void ResumeChannel(uint32_t id);
bool IsChannelBlocked(uint32_t id);
bool IsChannelValid(uint32_t id);
// The event at the front of the channel, or null.
CxEvent* GetChannelFront(uint32_t id);
uint16_t GetChannelCount(uint32_t id);

// One run of the pump (the main-loop function).
void PumpEvents();

const CxLinkedList<CxEventListener*>& GetEventListeners();
const CxLinkedList<CxEventChannel*>& GetActiveChannels();
const CxLinkedList<CxEventChannel*>& GetIdleChannels();
