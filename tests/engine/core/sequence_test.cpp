#include "engine/core/sequence.h"

#include "engine/core/event_creator.h"
#include "engine/core/game_path.h"
#include "engine/core/interpolator.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {
std::vector<std::string> g_Log;
std::set<std::string> g_Released;

// The events of the test category "Seq": Log(x) finishes at once, Wait(x)
// finishes when the test releases x, Info(n) carries n in its data word.
class SeqEvent : public CxEvent
{
public:
    SeqEvent(std::string command, std::string argument)
        : m_Command(std::move(command)), m_Arg(std::move(argument))
    {
    }
    void Start() override
    {
        m_bStarted = true;
        g_Log.push_back(m_Command == "Log" ? m_Arg : "start " + m_Arg);
        if (m_Command == "Info")
            SetData(static_cast<uint32_t>(std::stoul(m_Arg)));
    }
    bool IsStarted() override { return m_bStarted; }
    void Stop() override { g_Log.push_back("stop " + m_Arg); }
    bool IsFinished() override { return m_Command != "Wait" || g_Released.count(m_Arg) > 0; }
    void Pause() override { g_Log.push_back("pause " + m_Arg); }
    void Resume() override { g_Log.push_back("resume " + m_Arg); }
    bool IsBlocked() override { return false; }
    void Release() override { m_bStarted = false; }

    std::string m_Command;
    std::string m_Arg;
    bool m_bStarted = false;
};

class SeqCreator : public CxEventCreator
{
public:
    CxEvent* CreateEvent(const CxString&, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override
    {
        ++m_nCalls;
        if (command.EqualsNoCase("Null"))
            return nullptr;
        std::string argument;
        for (auto* node = arguments.GetHead(); node; node = node->GetNext())
            argument += (argument.empty() ? "" : "|") + std::string(node->m_Value.c_str());
        auto* event = new SeqEvent(command.c_str(), argument);
        if (m_bAutoDelete)
            event->AddFlags(EVENT_AUTO_DELETE);
        return event;
    }
    int m_nCalls = 0;
    bool m_bAutoDelete = false;
};

class Listener : public CxEventListener
{
public:
    int32_t OnEvent(uint32_t, CxEvent* event) override
    {
        m_Data.push_back(event->GetData());
        return 0;
    }
    std::vector<uint32_t> m_Data;
};

class SequenceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_Log.clear();
        g_Released.clear();
        ST_EVENT_DEF def{};
        def.m_pCreator = &m_Creator;
        RegisterEventCreator("Seq", def);
        CreateChannel(&m_nChannel);
        m_Listener.Listen(m_nChannel);
    }
    void TearDown() override
    {
        DestroyChannel(m_nChannel);
        UnregisterEventCreator("Seq");
    }

    std::string Write(const std::string& name, const std::string& text) { return m_Temp.Write(name, text); }

    // Posts the sequence and pumps until it is done (at most limit passes);
    // returns the passes it took.
    int RunToEnd(CxSequence& sequence, int limit = 20)
    {
        sequence.Post(m_nChannel);
        for (int pass = 1; pass <= limit; ++pass)
        {
            PumpEvents();
            if (IsChannelEmpty(m_nChannel))
                return pass;
        }
        return -1;
    }

    static void Parse(CxEventSequenceFile& file, const std::string& text,
                      const CxInterpolator* interpolator = nullptr)
    {
        file.Parse(text.data(), static_cast<uint32_t>(text.size()), interpolator);
    }

    ErrorCapture m_Errors{0};
    SeqCreator m_Creator;
    Listener m_Listener;
    uint32_t m_nChannel = 0;
    TempDir m_Temp;
    const std::string m_Dir = m_Temp.Path();
};
} // namespace

TEST_F(SequenceTest, EventsRunInFileOrderOnePerPass)
{
    CxEventSequenceFile file;
    Parse(file, "Event Seq.Log(a)\nEvent Seq.Log(b)\nEvent Seq.Log(c)\n");
    ASSERT_EQ(file.GetCount(), 3);
    file.Post(m_nChannel);
    PumpEvents();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"a"}));
    PumpEvents();
    PumpEvents();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(IsChannelEmpty(m_nChannel)) << "the outer channel notices the end one pass later";
    PumpEvents();
    EXPECT_TRUE(IsChannelEmpty(m_nChannel));
}

TEST_F(SequenceTest, LineRulesCommentsBlankLinesAndEventsSpanningLines)
{
    CxEventSequenceFile file;
    // Keywords count at the start of a line only, in any letter case; an event's
    // text runs to its ')' over line ends, and the character after ')' is skipped.
    Parse(file, "# a comment Event Seq.Log(no)\r\n\r\n\n  Event Seq.Log(indented)\r\nevent Seq.Log(a)\r\n"
                "EVENT Seq.Log(b)\rgarbage Event Seq.Log(no)\nEvent Seq.Log(c,\nd)Event Seq.Log(skipped)\n");
    ASSERT_EQ(file.GetCount(), 3);
    RunToEnd(file);
    EXPECT_EQ(g_Log, (std::vector<std::string>{"a", "b", "c|\nd"}));
}

TEST_F(SequenceTest, ContinueMarksOnlyTheNextEvent)
{
    CxEventSequenceFile file;
    Parse(file,
          "continue\nEvent Seq.Log(a)\nEvent Seq.Log(b)\ncontinue Event Seq.Log(c)\nEvent Seq.Log(d)\n");
    ASSERT_EQ(file.GetCount(), 4);
    EXPECT_TRUE(file.GetAt(0)->m_Value->GetFlags() & EVENT_CONTINUE);
    EXPECT_FALSE(file.GetAt(1)->m_Value->GetFlags() & EVENT_CONTINUE);
    EXPECT_TRUE(file.GetAt(2)->m_Value->GetFlags() & EVENT_CONTINUE);
    file.Post(m_nChannel);
    PumpEvents();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"a", "b"}));
    PumpEvents();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST_F(SequenceTest, EmptyCommentOnlyOrMissingFileFinishesInThePassItStarts)
{
    for (const char* text : {"", "# nothing here\n# at all\n"})
    {
        CxEventSequenceFile file;
        Parse(file, text);
        EXPECT_EQ(RunToEnd(file), 1);
    }
    CxEventSequenceFile missing;
    EXPECT_NE(missing.Load((m_Dir + "/none.seq").c_str(), nullptr), 0u);
    EXPECT_EQ(missing.GetCount(), 0);
    EXPECT_EQ(RunToEnd(missing), 1);
}

TEST_F(SequenceTest, OwnCreatorIsAskedFirstAndUnknownCategoriesAreDroppedQuietly)
{
    SeqCreator own;
    CxEventSequenceFile file(&own);
    Parse(file, "Event Other.Log(a)\nEvent Nobody.Go()\nEvent Seq.Log(a)\n");
    EXPECT_EQ(own.m_nCalls, 3);
    CxEventSequenceFile plain;
    Parse(plain, "Event Nobody.Go()\nEvent Seq.Log(a)\n");
    EXPECT_EQ(plain.GetCount(), 1);
    EXPECT_TRUE(m_Errors.Errors().empty());
}

TEST_F(SequenceTest, FinishedSequenceRunsAgainAndOwnsEventsTheCreatorMarkedAutoDelete)
{
    m_Creator.m_bAutoDelete = true;
    CxEventSequenceFile file;
    Parse(file, "Event Seq.Log(a)\nEvent Seq.Log(b)\n");
    RunToEnd(file);
    EXPECT_FALSE(file.IsStarted());
    RunToEnd(file);
    EXPECT_EQ(g_Log, (std::vector<std::string>{"a", "b", "a", "b"}))
        << "run twice, deleted once with the file";
}

TEST_F(SequenceTest, PauseResumeAndStopReachTheRunningEventAndAutoDeleteSequencesGo)
{
    CxEventSequenceFile file;
    Parse(file, "Event Seq.Wait(w)\nEvent Seq.Log(after)\n");
    file.Post(m_nChannel);
    PumpEvents();
    PauseChannel(m_nChannel);
    ResumeChannel(m_nChannel);
    FlushChannel(m_nChannel);
    EXPECT_EQ(g_Log, (std::vector<std::string>{"start w", "pause w", "resume w", "stop w"}));
    EXPECT_TRUE(IsChannelEmpty(file.GetPrivateChannel()));
    g_Released.clear();
    auto* owned = new CxEventSequenceFile;
    Parse(*owned, "Event Seq.Log(a)\nEvent Seq.Wait(w)\n");
    owned->AddFlags(EVENT_AUTO_DELETE);
    const uint32_t privateChannel = owned->GetPrivateChannel();
    owned->Post(m_nChannel);
    PumpEvents();
    PumpEvents();
    g_Released.insert("w");
    PumpEvents();
    PumpEvents();
    EXPECT_TRUE(IsChannelEmpty(m_nChannel));
    EXPECT_FALSE(IsChannelValid(privateChannel)) << "the sequence and its channel are gone";
}

TEST_F(SequenceTest, DynamicEventIsMadeWhenItStartsWithTheVariablesOfThatMoment)
{
    CxInterpolator interpolator;
    CxString name("early");
    interpolator.AddStringVariable("NAME", &name);
    CxEventSequenceFile file;
    Parse(file, "Event Seq.Log($NAME)\nDynamic Event Seq.Log($NAME)\n", &interpolator);
    EXPECT_EQ(m_Creator.m_nCalls, 1) << "the dynamic line is not made at load time";
    name = "late";
    RunToEnd(file);
    EXPECT_EQ(g_Log, (std::vector<std::string>{"early", "late"}));
    EXPECT_EQ(m_Creator.m_nCalls, 2);
}

TEST_F(SequenceTest, DynamicEventPassesItsDataAndOneThatCannotBeMadeHoldsNothingUp)
{
    CxEventSequenceFile file;
    Parse(file, "Dynamic\nEvent Seq.Info(42)\nDynamic Event Nobody.Go()\nDynamic Event Seq.Null()\n"
                "Event Seq.Log(after)\n");
    m_Listener.Listen(file.GetPrivateChannel());
    EXPECT_GT(RunToEnd(file), 0);
    EXPECT_NE(std::find(m_Listener.m_Data.begin(), m_Listener.m_Data.end(), 42u), m_Listener.m_Data.end());
    EXPECT_EQ(g_Log, (std::vector<std::string>{"start 42", "after"}));
}

TEST_F(SequenceTest, NestedSequenceRunsWholeAndItsNameIsExpandedAndFoundThroughTheRoots)
{
    Write("child one.seq", "Event Seq.Log(c1)\nEvent Seq.Wait(cw)\n");
    Write("bare.seq", "Event Seq.Log(b)\n");
    const std::string parent =
        Write("parent.seq", "Event Seq.Log(p1)\nSequence \"" + m_Dir + "/child one.seq\"\nSequence " + m_Dir +
                                "/bare.seq trailing words\nEvent Seq.Log(p2)\n");
    CxEventSequenceFile file;
    ASSERT_EQ(file.Load(parent.c_str(), nullptr), 0u);
    ASSERT_EQ(file.GetCount(), 4);
    file.Post(m_nChannel);
    for (int i = 0; i < 6; ++i)
        PumpEvents();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"p1", "c1", "start cw"}));
    g_Released.insert("cw");
    for (int i = 0; i < 8; ++i)
        PumpEvents();
    EXPECT_EQ(g_Log, (std::vector<std::string>{"p1", "c1", "start cw", "b", "p2"}));
    EXPECT_TRUE(IsChannelEmpty(m_nChannel));
    // Nested names are expanded and found through the path roots.
    g_Log.clear();
    std::filesystem::create_directories(m_Dir + "/cd/scripts");
    Write("cd/scripts/intro.seq", "Event Seq.Log(found)\n");
    CxGamePath roots;
    roots.SetInstallPath((m_Dir + "/install").c_str());
    roots.SetCDPath((m_Dir + "/cd").c_str());
    SetGamePath(&roots);
    CxInterpolator interpolator;
    interpolator.AddConstant("WHICH", "INTRO");
    const std::string expanded = Write("expanded.seq", "Sequence \"$GAMEPATH\\SCRIPTS\\${WHICH}.SEQ\"\n");
    CxEventSequenceFile viaRoots;
    viaRoots.Load(expanded.c_str(), &interpolator);
    SetGamePath(nullptr);
    RunToEnd(viaRoots);
    EXPECT_EQ(g_Log, (std::vector<std::string>{"found"}));
}

TEST_F(SequenceTest, LoadingAgainReplacesTheEvents)
{
    const std::string path = Write("one.seq", "Event Seq.Log(a)\nEvent Seq.Log(b)\n");
    CxEventSequenceFile file;
    file.Load(path.c_str(), nullptr);
    file.Load(path.c_str(), nullptr);
    EXPECT_EQ(file.GetCount(), 2);
}

TEST_F(SequenceTest, FilesNamingThemselvesAreRefusedAndDeepNestingStops)
{
    const std::string path = m_Dir + "/loop.seq";
    Write("loop.seq", "Event Seq.Log(a)\nSequence " + path + "\n");
    Write("a.seq", "Sequence " + m_Dir + "/b.seq\n");
    Write("b.seq", "Sequence " + m_Dir + "/a.seq\n");
    CxEventSequenceFile file;
    file.Load(path.c_str(), nullptr);
    EXPECT_FALSE(m_Errors.Errors().empty());
    CxEventSequenceFile pair;
    pair.Load((m_Dir + "/a.seq").c_str(), nullptr);
    EXPECT_GE(m_Errors.Errors().size(), 2u);
    for (int i = 0; i < 40; ++i)
        Write("n" + std::to_string(i) + ".seq", "Event Seq.Log(" + std::to_string(i) + ")\nSequence " +
                                                    m_Dir + "/n" + std::to_string(i + 1) + ".seq\n");
    CxEventSequenceFile deep;
    deep.Load((m_Dir + "/n0.seq").c_str(), nullptr);
    ASSERT_FALSE(m_Errors.Errors().empty());
    RunToEnd(deep, 200);
    EXPECT_EQ(g_Log.size(), CX_SEQUENCE_MAX_DEPTH);
}

TEST_F(SequenceTest, UnterminatedItemsGiveErrorsNotCrashes)
{
    CxEventSequenceFile a;
    Parse(a, "Event Seq.Log(a)\nEvent Seq.Log(never closed");
    EXPECT_EQ(a.GetCount(), 1);
    ASSERT_EQ(m_Errors.Errors().size(), 1u);
    EXPECT_EQ(m_Errors.Errors()[0].code, CX_ERR_INVALID_FILE_TYPE);

    CxEventSequenceFile b;
    Parse(b, "Sequence");
    Parse(b, "Sequence \"");
    EXPECT_EQ(m_Errors.Errors().size(), 3u);

    CxEventSequenceFile c;
    Parse(c, "Sequence \"" + m_Dir + "/unterminated.seq\nEvent Seq.Log(a)\n");
    EXPECT_EQ(c.GetCount(), 2) << "an unclosed quote ends at the line end";
}

TEST_F(SequenceTest, HugeLinesAreHandledDirectoriesAndHugeFilesRefused)
{
    std::string text(3 << 20, 'x');
    text += "\nEvent Seq.Log(" + std::string(2 << 20, 'y') + ")\nEvent Seq.Log(" + std::string(1 << 20, ',') +
            ")\n";
    CxEventSequenceFile file;
    Parse(file, text);
    EXPECT_EQ(file.GetCount(), 2);
    EXPECT_EQ(file.Load(m_Dir.c_str(), nullptr), CX_ERR_INVALID_FILE_TYPE);
    const std::string huge = Write("huge.seq", "Event Seq.Log(a)\n");
    std::filesystem::resize_file(huge, CX_SEQUENCE_MAX_FILE_SIZE + 1u);
    EXPECT_EQ(file.Load(huge.c_str(), nullptr), CX_ERR_INVALID_FILE_TYPE);
    EXPECT_EQ(file.GetCount(), 0);
}
