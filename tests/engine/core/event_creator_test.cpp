#include "engine/core/event_creator.h"

#include "engine/core/interpolator.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using Strings = std::vector<std::string>;

Strings ToVector(const CxLinkedList<CxString>& list)
{
    Strings out;
    for (auto* node = list.GetHead(); node; node = node->GetNext())
        out.emplace_back(node->m_Value.c_str());
    return out;
}

class NoopEvent : public CxEvent
{
public:
    void Start() override {}
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
    Strings m_Arguments;
};

ST_EVENT_DEF Definition(CxEventCreator* creator)
{
    ST_EVENT_DEF def{};
    def.m_pCreator = creator;
    return def;
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

TEST(EventTextTest, SplitsIntoCategoryCommandAndArguments)
{
    const struct
    {
        const char* text;
        bool ok;
        const char* category;
        const char* command;
        Strings arguments;
    } cases[] = {
        {"system.PlaySound(a.wav,  b.wav)", true, "system", "PlaySound", {"a.wav", "b.wav"}},
        // Quotes are deleted and do not protect commas.
        {"Town.Say(\"Hello, world\", \"x\")", true, "Town", "Say", {"Hello", "world", "x"}},
        // Leading blanks go, trailing blanks stay.
        {"a.b(  x  ,\ty )", true, "a", "b", {"x  ", "y "}},
        {"a.b()", true, "a", "b", {}},
        {"a.b( )", true, "a", "b", {""}},
        {"a.b(x,)", true, "a", "b", {"x"}},
        {"a.b(,)", true, "a", "b", {""}},
        // Arguments end at the first ')', or at the end without one.
        {"a.b(x) , y)", true, "a", "b", {"x"}},
        {"a.b(x, y", true, "a", "b", {"x", "y"}},
        {"Mission.Drop.Start(1)", true, "Mission", "Drop.Start", {"1"}},
        {"nodot(1)", false, "", "", {}},
        {"a.noparen", false, "", "", {}},
        {"", false, "", "", {}},
    };
    for (const auto& c : cases)
    {
        CxString category, command;
        CxLinkedList<CxString> arguments;
        ASSERT_EQ(SplitEventText(c.text, category, command, arguments), c.ok) << c.text;
        if (!c.ok)
            continue;
        EXPECT_STREQ(category.c_str(), c.category) << c.text;
        EXPECT_STREQ(command.c_str(), c.command) << c.text;
        EXPECT_EQ(ToVector(arguments), c.arguments) << c.text;
    }
}

TEST_F(EventCreatorTest, RegistryIgnoresCaseReplacesAndCutsOverlongNames)
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

    RegisterEventCreator(std::string(100, 'x').c_str(), Definition(&first));
    const std::string stored(31, 'x');
    EXPECT_EQ(FindEventCreator(stored.c_str()), &first);
    UnregisterEventCreator(stored.c_str());
}

TEST_F(EventCreatorTest, GivenCreatorIsAskedFirstAndTheRegistryGetsTheExpandedSplitText)
{
    RecordingCreator registered(true);
    RecordingCreator given(true);
    RegisterEventCreator("Test", Definition(&registered));
    delete CreateEventFromText("Test.Go()", nullptr, &given);
    EXPECT_EQ(given.m_nCalls, 1);
    EXPECT_EQ(registered.m_nCalls, 0);

    RecordingCreator declines(false);
    delete CreateEventFromText("test.Go(1, \"two\")", nullptr, &declines);
    EXPECT_EQ(registered.m_nCalls, 1) << "a creator that makes nothing hands over to the registry";
    EXPECT_EQ(registered.m_Category, "test");
    EXPECT_EQ(registered.m_Command, "Go");
    EXPECT_EQ(registered.m_Arguments, (Strings{"1", "two"}));
    RecordingCreator other(true);
    RegisterEventCreator("Other", Definition(&other));
    CxInterpolator interpolator;
    interpolator.AddConstant("CAT", "Other");
    interpolator.AddConstant("ARGS", "a, b");
    delete CreateEventFromText("$CAT.Go($ARGS, $MISSING)", &interpolator, nullptr);
    EXPECT_EQ(other.m_Arguments, (Strings{"a", "b", "$MISSING"}));
}

TEST_F(EventCreatorTest, NullFromACreatorIsReportedAnUnknownCategoryIsNot)
{
    EXPECT_EQ(CreateEventFromText("Nobody.Go()", nullptr, nullptr), nullptr);
    EXPECT_TRUE(m_Errors.Errors().empty());
    RecordingCreator creator(false);
    RegisterEventCreator("Test", Definition(&creator));
    EXPECT_EQ(CreateEventFromText("Test.Go()", nullptr, nullptr), nullptr);
    ASSERT_EQ(m_Errors.Errors().size(), 1u);
    EXPECT_EQ(m_Errors.Errors()[0].code, CX_ERR_UNKNOWN);
    EXPECT_EQ(m_Errors.Errors()[0].text, "Event Create Procedure returned NULL");
}
