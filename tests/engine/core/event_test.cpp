#include "engine/core/event.h"

#include "engine/core/main_loop.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
using Log = std::vector<std::string>;

// An event whose finishing the test controls; it writes what happens to it into a log.
class ScriptedEvent : public CxEvent
{
public:
    ScriptedEvent(Log* log, std::string name, bool finishAtStart = false)
        : m_pLog(log), m_strName(std::move(name)), m_bFinishAtStart(finishAtStart)
    {
    }
    ~ScriptedEvent() override
    {
        if (m_pDeleted)
            *m_pDeleted = true;
    }

    void Start() override
    {
        m_bStarted = true;
        m_bFinished = m_bFinishAtStart;
        m_pLog->push_back("start " + m_strName);
        if (m_OnStart)
            m_OnStart();
    }
    bool IsStarted() override { return m_bStarted; }
    void Stop() override { m_pLog->push_back("stop " + m_strName); }
    bool IsFinished() override { return m_bFinished; }
    void Pause() override { m_pLog->push_back("pause " + m_strName); }
    void Resume() override { m_pLog->push_back("resume " + m_strName); }
    bool IsBlocked() override { return m_bBlocked; }
    void OnFinish() override { m_pLog->push_back("finish " + m_strName); }
    void Release() override
    {
        m_bStarted = false;
        m_bFinished = false;
        m_pLog->push_back("release " + m_strName);
    }

    Log* m_pLog;
    std::string m_strName;
    bool m_bFinishAtStart;
    bool m_bStarted = false;
    bool m_bFinished = false;
    bool m_bBlocked = false;
    bool* m_pDeleted = nullptr;
    std::function<void()> m_OnStart;
};

class LoggingListener : public CxEventListener
{
public:
    LoggingListener(Log* log, std::string name, uint32_t priority = CX_LISTENER_DEFAULT_PRIORITY)
        : CxEventListener(priority), m_pLog(log), m_strName(std::move(name))
    {
    }
    int32_t OnEvent(uint32_t, CxEvent* event) override
    {
        m_pLog->push_back(m_strName + " hears " + static_cast<ScriptedEvent*>(event)->m_strName);
        if (m_OnEvent)
            m_OnEvent(event);
        return m_nResult;
    }
    Log* m_pLog;
    std::string m_strName;
    int32_t m_nResult = 0;
    std::function<void(CxEvent*)> m_OnEvent;
};

class EventTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CreateChannel(&m_nChannel), 0u);
        ASSERT_NE(m_nChannel, 0u);
    }
    void TearDown() override
    {
        for (uint32_t channel : m_Extra)
            if (IsChannelValid(channel))
                DestroyChannel(channel);
        if (IsChannelValid(m_nChannel))
            DestroyChannel(m_nChannel);
    }
    // A further channel, destroyed after the test if it still exists.
    uint32_t NewChannel()
    {
        uint32_t channel = 0;
        EXPECT_EQ(CreateChannel(&channel), 0u);
        m_Extra.push_back(channel);
        return channel;
    }

    ErrorCapture m_Errors{0};
    Log m_Log;
    uint32_t m_nChannel = 0;
    std::vector<uint32_t> m_Extra;
};
} // namespace

TEST_F(EventTest, OnlyTheFrontEventRunsAndTheNextFollowsInTheNextPass)
{
    LoggingListener listener(&m_Log, "L");
    listener.Listen(m_nChannel);
    ScriptedEvent a(&m_Log, "a");
    ScriptedEvent b(&m_Log, "b", true);
    a.Post(m_nChannel);
    b.Post(m_nChannel);
    RunMainLoopFunctions();
    EXPECT_EQ(m_Log, (Log{"start a"}));
    a.m_bFinished = true;
    RunMainLoopFunctions();
    EXPECT_EQ(m_Log, (Log{"start a", "finish a", "L hears a", "release a"}));
    RunMainLoopFunctions();
    EXPECT_EQ(m_Log, (Log{"start a", "finish a", "L hears a", "release a", "start b", "finish b", "L hears b",
                          "release b"}));
    EXPECT_EQ(a.GetChannel(), 0u);
}

TEST_F(EventTest, ContinueRunsTheNextEventInTheSamePass)
{
    LoggingListener listener(&m_Log, "L");
    ScriptedEvent a(&m_Log, "a", true);
    ScriptedEvent b(&m_Log, "b", true);
    ScriptedEvent c(&m_Log, "c", true);
    a.AddFlags(EVENT_CONTINUE);
    b.AddFlags(EVENT_CONTINUE);
    a.Post(m_nChannel);
    b.Post(m_nChannel);
    c.Post(m_nChannel);
    PumpEvents();
    EXPECT_EQ(m_Log, (Log{"start a", "finish a", "release a", "start b", "finish b", "release b", "start c",
                          "finish c", "release c"}));
}

TEST_F(EventTest, ChannelsRunSideBySide)
{
    LoggingListener listener(&m_Log, "L");
    ScriptedEvent a(&m_Log, "a");
    ScriptedEvent b(&m_Log, "b");
    a.Post(m_nChannel);
    b.Post(NewChannel());
    PumpEvents();
    EXPECT_EQ(m_Log, (Log{"start a", "start b"}));
}

TEST_F(EventTest, InvalidChannelsAreRefusedAndAnEventPostedTwiceRunsTwice)
{
    ScriptedEvent a(&m_Log, "a");
    EXPECT_EQ(a.Post(0), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(DestroyChannel(0), CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(FlushChannel(0), CX_ERR_INVALID_ARGUMENT);
    const std::string tail = "(nChannelID) - nChannelID is not a valid event channel";
    ASSERT_EQ(m_Errors.Errors().size(), 3u);
    EXPECT_EQ(m_Errors.Errors()[0].code, CX_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(m_Errors.Errors()[0].text, "CxEvent::Post" + tail);
    EXPECT_EQ(m_Errors.Errors()[1].text, "CxEvent::DestroyChannel" + tail);
    EXPECT_EQ(m_Errors.Errors()[2].text, "CxEvent::FlushChannel" + tail);
    const uint32_t gone = NewChannel();
    DestroyChannel(gone);
    EXPECT_EQ(a.Post(gone), CX_ERR_INVALID_ARGUMENT) << "a destroyed channel's ID is not reused for posting";
    EXPECT_EQ(a.GetChannel(), 0u);
    LoggingListener listener(&m_Log, "L");
    ScriptedEvent twice(&m_Log, "twice", true);
    twice.Post(m_nChannel);
    twice.Post(m_nChannel);
    EXPECT_EQ(GetChannelCount(m_nChannel), 2);
    PumpEvents();
    EXPECT_EQ(twice.GetChannel(), m_nChannel);
    PumpEvents();
    EXPECT_EQ(twice.GetChannel(), 0u);
    EXPECT_EQ(m_Log, (Log{"start twice", "finish twice", "release twice", "start twice", "finish twice",
                          "release twice"}));
}

TEST_F(EventTest, NothingMovesWithoutAListenerOrWhileTheFrontEventIsBlocked)
{
    ScriptedEvent a(&m_Log, "a", true);
    a.Post(m_nChannel);
    EXPECT_FALSE(HasMainLoopFunction(PumpEvents));
    RunMainLoopFunctions();
    EXPECT_TRUE(m_Log.empty());
    {
        LoggingListener listener(&m_Log, "L");
        EXPECT_TRUE(HasMainLoopFunction(PumpEvents));
        RunMainLoopFunctions();
    }
    EXPECT_EQ(m_Log, (Log{"start a", "finish a", "release a"}));
    EXPECT_FALSE(HasMainLoopFunction(PumpEvents));
    m_Log.clear();
    LoggingListener hearer(&m_Log, "L");
    ScriptedEvent blocked(&m_Log, "blocked", true);
    blocked.m_bBlocked = true;
    blocked.Post(m_nChannel);
    EXPECT_TRUE(IsChannelBlocked(m_nChannel));
    PumpEvents();
    PumpEvents();
    EXPECT_TRUE(m_Log.empty());
    blocked.m_bBlocked = false;
    EXPECT_FALSE(IsChannelBlocked(m_nChannel));
    PumpEvents();
    EXPECT_EQ(m_Log, (Log{"start blocked", "finish blocked", "release blocked"}));
    EXPECT_FALSE(IsChannelBlocked(m_nChannel)) << "an empty channel is not blocked";
}

TEST_F(EventTest, PauseAndResumeGoToTheFrontEventOnly)
{
    ScriptedEvent a(&m_Log, "a");
    ScriptedEvent b(&m_Log, "b");
    PauseChannel(m_nChannel); // empty: nothing to pause
    a.Post(m_nChannel);
    b.Post(m_nChannel);
    PauseChannel(m_nChannel);
    ResumeChannel(m_nChannel);
    EXPECT_EQ(m_Log, (Log{"pause a", "resume a"}));
}

TEST_F(EventTest, DeletedOrRepostedEventLeavesItsChannel)
{
    auto* a = new ScriptedEvent(&m_Log, "a");
    ScriptedEvent b(&m_Log, "b");
    a->Post(m_nChannel);
    b.Post(m_nChannel);
    a->Post(m_nChannel);
    const uint32_t other = NewChannel();
    a->Post(other);
    EXPECT_EQ(GetChannelCount(m_nChannel), 1);
    EXPECT_EQ(GetChannelFront(m_nChannel), &b);
    EXPECT_EQ(a->GetChannel(), other);
    delete a;
    EXPECT_TRUE(IsChannelEmpty(other));
}

TEST_F(EventTest, FlushStopsTheRunningEventWithoutNotice)
{
    LoggingListener listener(&m_Log, "L");
    listener.Listen(m_nChannel);
    ScriptedEvent a(&m_Log, "a");
    bool deleted = false;
    auto* b = new ScriptedEvent(&m_Log, "b");
    b->AddFlags(EVENT_AUTO_DELETE);
    b->m_pDeleted = &deleted;
    a.Post(m_nChannel);
    b->Post(m_nChannel);
    PumpEvents();
    EXPECT_EQ(FlushChannel(m_nChannel), 0u);
    EXPECT_EQ(m_Log, (Log{"start a", "stop a", "release a"})) << "the waiting event is not stopped";
    EXPECT_TRUE(deleted);
    EXPECT_TRUE(IsChannelEmpty(m_nChannel));
    EXPECT_EQ(a.GetChannel(), 0u);
}

TEST_F(EventTest, AutoDeleteEventIsDeletedWhenDoneOrWhenItsChannelIsDestroyed)
{
    LoggingListener listener(&m_Log, "L");
    bool deleted = false;
    auto* a = new ScriptedEvent(&m_Log, "a", true);
    a->m_pDeleted = &deleted;
    a->AddFlags(EVENT_AUTO_DELETE);
    a->Post(m_nChannel);
    PumpEvents();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(m_Log, (Log{"start a", "finish a"}));
    bool gone = false;
    auto* flushed = new ScriptedEvent(&m_Log, "flushed");
    flushed->AddFlags(EVENT_AUTO_DELETE);
    flushed->m_pDeleted = &gone;
    flushed->Post(m_nChannel);
    EXPECT_EQ(DestroyChannel(m_nChannel), 0u);
    EXPECT_TRUE(gone);
    EXPECT_FALSE(IsChannelValid(m_nChannel));
    EXPECT_TRUE(m_Errors.Errors().empty());
}

TEST_F(EventTest, ListenersHearInPriorityOrder)
{
    LoggingListener first(&m_Log, "first");
    LoggingListener second(&m_Log, "second");
    LoggingListener last(&m_Log, "last", CX_LISTENER_LAST);
    LoggingListener front(&m_Log, "front", CX_LISTENER_FIRST);
    LoggingListener high(&m_Log, "high", 0x80000000u);
    LoggingListener low(&m_Log, "low", 5);
    for (LoggingListener* l : {&first, &second, &last, &front, &high, &low})
        l->Listen(m_nChannel);
    ScriptedEvent a(&m_Log, "a", true);
    a.Post(m_nChannel);
    PumpEvents();
    EXPECT_EQ(m_Log, (Log{"start a", "finish a", "front hears a", "high hears a", "first hears a",
                          "second hears a", "low hears a", "last hears a", "release a"}));
}

TEST_F(EventTest, ListenersHearOnlyTheirChannelsOnceAndAConsumerHidesTheEventFromTheRest)
{
    LoggingListener a(&m_Log, "a");
    LoggingListener b(&m_Log, "b");
    LoggingListener c(&m_Log, "c");
    LoggingListener d(&m_Log, "d");
    a.Listen(m_nChannel);
    a.Listen(m_nChannel);
    b.Listen(m_nChannel);
    d.Listen(m_nChannel);
    c.Listen(NewChannel());
    b.m_nResult = 1;
    ScriptedEvent e(&m_Log, "e", true);
    e.Post(m_nChannel);
    PumpEvents();
    EXPECT_EQ(m_Log, (Log{"start e", "finish e", "a hears e", "b hears e", "release e"}));
    a.StopListening(m_nChannel);
    EXPECT_FALSE(a.IsListening(m_nChannel));
}

TEST_F(EventTest, ListenerMayDestroyTheChannelOfTheEvent)
{
    LoggingListener a(&m_Log, "a");
    LoggingListener b(&m_Log, "b");
    a.Listen(m_nChannel);
    b.Listen(m_nChannel);
    bool deleted = false;
    auto* e = new ScriptedEvent(&m_Log, "e", true);
    e->AddFlags(EVENT_AUTO_DELETE);
    e->m_pDeleted = &deleted;
    ScriptedEvent next(&m_Log, "next", true);
    e->Post(m_nChannel);
    next.Post(m_nChannel);
    const uint32_t channel = m_nChannel;
    a.m_OnEvent = [channel](CxEvent*) { DestroyChannel(channel); };
    PumpEvents();
    EXPECT_TRUE(deleted) << "the flush inside DestroyChannel deleted the finished event once";
    EXPECT_EQ(m_Log, (Log{"start e", "finish e", "a hears e", "release next"}));
    EXPECT_FALSE(IsChannelValid(m_nChannel));
}

TEST_F(EventTest, ListenerMayDeleteTheFinishedEvent)
{
    LoggingListener a(&m_Log, "a");
    LoggingListener b(&m_Log, "b");
    a.Listen(m_nChannel);
    b.Listen(m_nChannel);
    bool deleted = false;
    auto* e = new ScriptedEvent(&m_Log, "e", true);
    e->m_pDeleted = &deleted;
    e->Post(m_nChannel);
    a.m_OnEvent = [](CxEvent* event) { delete event; };
    PumpEvents();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(m_Log, (Log{"start e", "finish e", "a hears e"}));
    EXPECT_TRUE(IsChannelEmpty(m_nChannel));
}

TEST_F(EventTest, EventMayDestroyOtherChannelsDuringTheWalk)
{
    const uint32_t second = NewChannel();
    const uint32_t third = NewChannel();
    LoggingListener listener(&m_Log, "L");
    ScriptedEvent a(&m_Log, "a");
    ScriptedEvent b(&m_Log, "b");
    ScriptedEvent c(&m_Log, "c");
    a.Post(m_nChannel);
    b.Post(second);
    c.Post(third);
    a.m_OnStart = [second]() { DestroyChannel(second); };
    PumpEvents();
    EXPECT_EQ(m_Log, (Log{"start a", "release b", "start c"})) << "b never started, so it is not stopped";
}

TEST_F(EventTest, ChannelActivatedDuringTheWalkRunsInTheSamePass)
{
    const uint32_t late = NewChannel();
    LoggingListener listener(&m_Log, "L");
    ScriptedEvent a(&m_Log, "a");
    ScriptedEvent b(&m_Log, "b");
    a.m_OnStart = [&]() { b.Post(late); };
    a.Post(m_nChannel);
    PumpEvents();
    EXPECT_EQ(m_Log, (Log{"start a", "start b"}));
}

TEST_F(EventTest, NestedPumpLeavesTheBusyChannelAlone)
{
    const uint32_t other = NewChannel();
    LoggingListener listener(&m_Log, "L");
    listener.Listen(m_nChannel);
    ScriptedEvent a(&m_Log, "a", true);
    ScriptedEvent b(&m_Log, "b", true);
    a.Post(m_nChannel);
    b.Post(other);
    // A modal loop inside a notice pumps everything else.
    listener.m_OnEvent = [&](CxEvent*) {
        listener.m_OnEvent = nullptr;
        PumpEvents();
    };
    PumpEvents();
    EXPECT_EQ(m_Log,
              (Log{"start a", "finish a", "L hears a", "start b", "finish b", "release b", "release a"}));
    EXPECT_TRUE(IsChannelEmpty(m_nChannel));
    PumpEvents();
}
