// Sequences: one event made of a list of events that run one after the
// other through a private channel, and the sequence files that list them.
//
// File format, one item per line:
//   # comment
//   Event Category.Command(arg, "arg", ...)
//   Sequence "other file.seq"      (or a bare name up to a blank)
//   Dynamic Event ...              (the event is made when it starts)
//   continue Event ...             (the next one starts in the same pass)
// Keywords ignore letter case and count only at the start of a line (an
// indented line is skipped). "Event" text runs to the first ")".
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/linked_list.h"
#include "engine/core/error.h"
#include "engine/core/event.h"

#include <cstdint>

class CxEventCreator;
class CxInterpolator;

// Bounds on what a set of sequence files may build, so that files that name
// each other or grow exponentially end with an error instead of exhausting
// the stack or memory.
constexpr uint32_t CX_SEQUENCE_MAX_DEPTH = 16;
constexpr uint32_t CX_SEQUENCE_MAX_EVENTS = 100000;
constexpr uint32_t CX_SEQUENCE_MAX_FILE_SIZE = 16u << 20;

class CxSequence : public CxLinkedList<CxEvent*>, public CxEvent
{
public:
    // Creates the private channel.
    CxSequence();
    // Flushes the private channel, deletes every listed event, destroys the channel.
    ~CxSequence() override;

    // Appends an event the sequence then owns; it is deleted with the
    // sequence, never by the pump (EVENT_AUTO_DELETE is cleared). Returns
    // false, deleting the event, when out of memory.
    bool AddEvent(CxEvent* event);
    // Flushes the private channel and deletes every listed event.
    void DeleteEvents();
    uint32_t GetPrivateChannel() const { return m_nPrivateChannel; }

    // Posts every listed event to the private channel.
    void Start() override;
    void Stop() override;
    // True when the private channel has run empty.
    bool IsFinished() override;
    void Pause() override;
    void Resume() override;
    bool IsBlocked() override;
    // Clears the started flag, so the sequence can be posted and run again.

protected:
    uint32_t m_nPrivateChannel = 0;
};

class CxEventSequenceFile : public CxSequence, public CxError
{
public:
    // creator, when given, is asked first for every line.
    explicit CxEventSequenceFile(CxEventCreator* creator = nullptr) : m_pCreator(creator) {}

    // Empties the sequence and loads the file: the name goes through the
    // path roots ("$GAMEPATH\..."), then the file is read whole and parsed.
    // Lines that cannot be used are reported and skipped. Returns an error
    // code (that of opening or reading the file; 0 when it was read).
    uint32_t Load(const char* fileName, const CxInterpolator* interpolator);
    // Parses text as the contents of a sequence file, adding its events.
    void Parse(const char* text, uint32_t size, const CxInterpolator* interpolator);

    CxEventCreator* GetCreator() const { return m_pCreator; }
    // The name the last Load was given (a "Sequence" line's name after expansion).
    const CxString& GetFileName() const { return m_strFileName; }
    const CxString& GetText() const { return m_strText; }
    void SetText(const char* text) { m_strText = text; }

private:
    struct LoadContext;
    uint32_t LoadNested(const char* fileName, const CxInterpolator* interpolator, LoadContext& context);
    void ParseNested(const char* text, uint32_t size, const CxInterpolator* interpolator,
                     LoadContext& context);
    // The steps of parsing: the event of an "Event" line (made when it starts
    // when the line is dynamic), the nested file of a "Sequence" line, and
    // adding a parsed event within the budget (false: stop parsing).
    CxEvent* MakeLineEvent(const CxString& line, bool dynamic, const CxInterpolator* interpolator);
    CxEvent* MakeNestedSequence(CxString name, const CxInterpolator* interpolator, LoadContext& context);
    bool AddParsedEvent(CxEvent* event, bool next, LoadContext& context);

    CxEventCreator* m_pCreator;
    CxString m_strFileName;
    CxString m_strText;
};

// An event made from its text only when it starts, so that its command is
// looked up and its variables expanded at that moment.
class CxEventString : public CxEvent
{
public:
    CxEventString(const char* text, const CxInterpolator* interpolator, CxEventCreator* creator);
    ~CxEventString() override;

    // Makes the real event (deleting an earlier one) and starts it. When no
    // event can be made the line counts as done at once.
    void Start() override;
    void Stop() override;
    bool IsFinished() override;
    void Pause() override;
    void Resume() override;
    bool IsBlocked() override;
    // Passes the notice on, keeps the real event's data word for the
    // listeners, and deletes the real event.
    void OnFinish() override;
    void Release() override;

    const CxString& GetText() const { return m_strText; }
    CxEvent* GetRealEvent() const { return m_pEvent; }

private:
    CxEvent* m_pEvent = nullptr;
    CxString m_strText;
    const CxInterpolator* m_pInterpolator;
    CxEventCreator* m_pCreator;
};
