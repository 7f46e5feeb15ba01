#include "engine/core/event_creator.h"

#include "engine/core/interpolator.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> ToVector(const CxLinkedList<CxString>& list)
{
    std::vector<std::string> out;
    for (auto* node = list.GetHead(); node; node = node->GetNext())
        out.emplace_back(node->m_Value.c_str());
    return out;
}

class NoopEvent : public CxEvent
{
public:
    void Start() override {}
    bool IsStarted() override { return true; }
    void Stop() override {}
    bool IsFinished() override { return true; }
    void Pause() override {}
    void Resume() override {}
    bool IsBlocked() override { return false; }
};

// Remembers what it was asked and answers with an event, or with none.
class RecordingCreator : public CxEventCreator
{
public:
    explicit RecordingCreator(bool makes) : m_bMakes(makes) {}
    CxEvent* CreateEvent(const CxString& category, const CxString& command,
                         const CxLinkedList<CxString>& arguments) override
    {
        m_Category = category.c_str();
        m_Command = command.c_str();
        m_Arguments = ToVector(arguments);
        ++m_nCalls;
        return m_bMakes ? new NoopEvent : nullptr;
    }
    bool m_bMakes;
    int m_nCalls = 0;
    std::string m_Category;
    std::string m_Command;
    std::vector<std::string> m_Arguments;
};

ST_EVENT_DEF Definition(CxEventCreator* creator)
{
    ST_EVENT_DEF def{};
    def.m_pCreator = creator;
    return def;
}

struct Split
{
    bool ok;
    std::string category;
    std::string command;
    std::vector<std::string> arguments;
};

Split SplitOf(const char* text)
{
    CxString category;
    CxString command;
    CxLinkedList<CxString> arguments;
    Split s;
    s.ok = SplitEventText(text, category, command, arguments);
    s.category = category.c_str();
    s.command = command.c_str();
    s.arguments = ToVector(arguments);
    return s;
}

class EventCreatorTest : public testing::Test
{
protected:
    void TearDown() override
    {
        UnregisterEventCreator("Test");
        UnregisterEventCreator("Other");
    }
    ErrorCapture m_Errors{0};
};
} // namespace

// ---- splitting event text ----

TEST(EventTextTest, CategoryCommandAndArguments)
{
    const Split s = SplitOf("system.PlaySound(a.wav,  b.wav)");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.category, "system");
    EXPECT_EQ(s.command, "PlaySound");
    EXPECT_EQ(s.arguments, (std::vector<std::string>{"a.wav", "b.wav"}));
}

TEST(EventTextTest, QuotesAreDeletedAndDoNotProtectCommas)
{
    const Split s = SplitOf("Town.Say(\"Hello, world\", \"x\")");
    EXPECT_EQ(s.arguments, (std::vector<std::string>{"Hello", "world", "x"}));
}

TEST(EventTextTest, LeadingBlanksGoTrailingBlanksStay)
{
    const Split s = SplitOf("a.b(  x  ,\ty )");
    EXPECT_EQ(s.arguments, (std::vector<std::string>{"x  ", "y "}));
}

TEST(EventTextTest, EmptyParenthesesGiveNoArgumentABlankGivesOneEmpty)
{
    EXPECT_TRUE(SplitOf("a.b()").arguments.empty());
    EXPECT_EQ(SplitOf("a.b( )").arguments, (std::vector<std::string>{""}));
    EXPECT_EQ(SplitOf("a.b(x,)").arguments, (std::vector<std::string>{"x"}));
    EXPECT_EQ(SplitOf("a.b(,)").arguments, (std::vector<std::string>{""}));
}

TEST(EventTextTest, ArgumentsEndAtTheFirstClosingParenthesis)
{
    EXPECT_EQ(SplitOf("a.b(x) , y)").arguments, (std::vector<std::string>{"x"}));
    EXPECT_EQ(SplitOf("a.b(x, y").arguments, (std::vector<std::string>{"x", "y"})) << "no ')': up to the end";
}

TEST(EventTextTest, CommandMayHoldDotsAfterTheCategory)
{
    const Split s = SplitOf("Mission.Drop.Start(1)");
    EXPECT_EQ(s.category, "Mission");
    EXPECT_EQ(s.command, "Drop.Start");
}

TEST(EventTextTest, TextWithoutDotOrParenthesisIsRefused)
{
    EXPECT_FALSE(SplitOf("nodot(1)").ok);
    EXPECT_FALSE(SplitOf("a.noparen").ok);
    EXPECT_FALSE(SplitOf("").ok);
}

// ---- the registry ----

TEST_F(EventCreatorTest, RegisteringTwiceReplacesTheRecord)
{
    RecordingCreator first(true);
    RecordingCreator second(true);
    const uint16_t before = GetEventCreators().GetCount();
    EXPECT_EQ(RegisterEventCreator("Test", Definition(&first)), 0u);
    EXPECT_EQ(RegisterEventCreator("TEST", Definition(&second)), 0u);
    EXPECT_EQ(GetEventCreators().GetCount(), before + 1);
    EXPECT_EQ(FindEventCreator("test"), &second);
    UnregisterEventCreator("tEsT");
    EXPECT_EQ(FindEventCreator("Test"), nullptr);
    EXPECT_EQ(GetEventCreators().GetCount(), before);
}

TEST_F(EventCreatorTest, OverlongCategoryNamesAreCutNotOverflowed)
{
    RecordingCreator creator(true);
    const std::string name(100, 'x');
    RegisterEventCreator(name.c_str(), Definition(&creator));
    const std::string stored(31, 'x');
    EXPECT_EQ(FindEventCreator(stored.c_str()), &creator);
    UnregisterEventCreator(stored.c_str());
}

// ---- creating events from text ----

TEST_F(EventCreatorTest, RegistryCreatorReceivesTheSplitText)
{
    RecordingCreator creator(true);
    RegisterEventCreator("Test", Definition(&creator));
    CxEvent* event = CreateEventFromText("test.Go(1, \"two\")", nullptr, nullptr);
    ASSERT_NE(event, nullptr);
    delete event;
    EXPECT_EQ(creator.m_Category, "test");
    EXPECT_EQ(creator.m_Command, "Go");
    EXPECT_EQ(creator.m_Arguments, (std::vector<std::string>{"1", "two"}));
}

TEST_F(EventCreatorTest, GivenCreatorIsAskedFirst)
{
    RecordingCreator registered(true);
    RecordingCreator given(true);
    RegisterEventCreator("Test", Definition(&registered));
    delete CreateEventFromText("Test.Go()", nullptr, &given);
    EXPECT_EQ(given.m_nCalls, 1);
    EXPECT_EQ(registered.m_nCalls, 0);

    RecordingCreator declines(false);
    delete CreateEventFromText("Test.Go()", nullptr, &declines);
    EXPECT_EQ(registered.m_nCalls, 1) << "a creator that makes nothing hands over to the registry";
}

TEST_F(EventCreatorTest, CreatorReturningNothingReportsError13)
{
    RecordingCreator creator(false);
    RegisterEventCreator("Test", Definition(&creator));
    EXPECT_EQ(CreateEventFromText("Test.Go()", nullptr, nullptr), nullptr);
    ASSERT_EQ(m_Errors.Errors().size(), 1u);
    EXPECT_EQ(m_Errors.Errors()[0].code, CX_ERR_UNKNOWN);
    EXPECT_EQ(m_Errors.Errors()[0].text, "Event Create Procedure returned NULL");
}

TEST_F(EventCreatorTest, UnknownCategoryMakesNothingAndReportsNothing)
{
    EXPECT_EQ(CreateEventFromText("Nobody.Go()", nullptr, nullptr), nullptr);
    EXPECT_TRUE(m_Errors.Errors().empty());
}

TEST_F(EventCreatorTest, TextIsExpandedBeforeSplitting)
{
    RecordingCreator creator(true);
    RegisterEventCreator("Other", Definition(&creator));
    CxInterpolator interpolator;
    interpolator.AddConstant("CAT", "Other");
    interpolator.AddConstant("ARGS", "a, b");
    delete CreateEventFromText("$CAT.Go($ARGS, $MISSING)", &interpolator, nullptr);
    EXPECT_EQ(creator.m_Arguments, (std::vector<std::string>{"a", "b", "$MISSING"}));
}
