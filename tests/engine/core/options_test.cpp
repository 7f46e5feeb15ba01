#include "engine/core/options.h"

#include "engine/core/file.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

namespace {
std::string ReadString(CxOptions& options, const char* section, const char* name, const char* fallback = "?",
                       uint32_t size = 256)
{
    char text[256];
    options.GetString(section, name, text, fallback, size);
    return text;
}

CxOptions* Parsed(const std::string& text)
{
    auto* options = new CxOptions;
    options->Parse(text.data(), static_cast<uint32_t>(text.size()));
    return options;
}
} // namespace

TEST(OptionsParse, BlanksCommentsAndNamesFollowTheLineRules)
{
    std::unique_ptr<CxOptions> o(Parsed("[Engine]\r\n"
                                        "Width = 640 ; pixels\r\n"
                                        "  Indented=1\n"
                                        "Tabbed\t=\t two words \t\n"
                                        "=nameless\n"
                                        "no equals here\n"
                                        "[Trailing] ; comment\n"
                                        "Key=v\n"));
    EXPECT_EQ(ReadString(*o, "Engine", "Width"), "640");
    EXPECT_EQ(ReadString(*o, "engine", "WIDTH"), "640") << "names compare without regard to case";
    EXPECT_EQ(ReadString(*o, "Engine", "Indented"), "?") << "leading blanks belong to the name";
    EXPECT_EQ(ReadString(*o, "Engine", "  Indented"), "1");
    EXPECT_EQ(ReadString(*o, "Engine", "Tabbed"), "two words");
    EXPECT_EQ(ReadString(*o, "Trailing", "Key"), "?") << "the section name keeps its trailing blank";
    EXPECT_EQ(ReadString(*o, "[Trailing] ", "Key"), "v");
    EXPECT_EQ(o->FindSection("Engine")->GetVariables().GetCount(), 3);
    std::unique_ptr<CxOptions> dotted(
        Parsed("Lost=1\n[Engine.Game]\nA=1\n[Engine.Game.CommandConsole.Aliases]\nA=2\n"));
    EXPECT_EQ(dotted->GetSections().GetCount(), 2);
    EXPECT_EQ(ReadString(*dotted, "Engine.Game", "A"), "1");
    EXPECT_EQ(ReadString(*dotted, "Engine.Game.CommandConsole.Aliases", "A"), "2");
    EXPECT_EQ(ReadString(*dotted, "Engine.Game", "Lost"), "?");
}

TEST(OptionsParse, RepeatedSectionIsInvisibleToLookupsButSurvivesSave)
{
    TempDir dir;
    const std::string path = dir.Write("a.ini", "[S]\nA=1\n[s]\nB=2\nA=3\n");
    {
        CxOptions o(path.c_str());
        EXPECT_EQ(ReadString(o, "S", "A"), "1");
        EXPECT_EQ(ReadString(o, "S", "B"), "?");
        o.SetNumber("S", "C", 4);
    }
    EXPECT_EQ(TempDir::Read(path), "[S]\r\nA=1\r\nC=4\r\n\r\n[s]\r\nB=2\r\nA=3\r\n");
}

TEST(OptionsParse, HostileBytesLoadWithoutCrashing)
{
    std::string text = "[";
    text += std::string("\0\0=[\xff\r", 6);
    text += std::string(100000, 'x') + "=" + std::string(100000, 'y') + "\n";
    text += "[S]\n=\n=\n[\n";
    std::unique_ptr<CxOptions> o(Parsed(text));
    EXPECT_EQ(ReadString(*o, "S", ""), "?") << "an empty name finds nothing";
    std::unique_ptr<CxOptions> onlyBracket(Parsed("["));
    EXPECT_EQ(onlyBracket->GetSections().GetCount(), 1);
    std::unique_ptr<CxOptions> onlyEquals(Parsed("="));
    EXPECT_EQ(onlyEquals->GetSections().GetCount(), 0);
}

TEST(OptionsTypedReads, NumbersFloatsAndPoints)
{
    std::unique_ptr<CxOptions> o(Parsed("[N]\nDigits=42abc\nLetters=abc\nFraction=3.9\nNeg= -7\n"
                                        "F=2.5\nP=10,-20\nHalf=5,\nOne=9\nLong=123456789012345678901234\n"));
    const struct
    {
        const char* name;
        long fallback, expected;
    } numbers[] = {{"Digits", 0, 42},     {"Letters", 5, 0},
                   {"Fraction", 0, 3},    {"Neg", 0, -7},
                   {"Missing", -12, -12}, {"Long", 0, 1234567890123456789L}}; // 19 characters
    for (const auto& c : numbers)
    {
        long n = -1;
        o->GetNumber("N", c.name, &n, c.fallback);
        EXPECT_EQ(n, c.expected) << c.name;
    }
    EXPECT_EQ(o->GetNumber("N", "Digits", nullptr, 0), 0u) << "a null result is allowed";
    float f = 0;
    o->GetFloat("N", "F", &f, 1.0f);
    EXPECT_FLOAT_EQ(f, 2.5f);
    o->GetFloat("N", "Missing", &f, 0.25f);
    EXPECT_FLOAT_EQ(f, 0.25f);
    const struct
    {
        const char* name;
        CxPoint expected;
    } points[] = {
        {"P", CxPoint(10, -20)}, {"Half", CxPoint(5, 0)}, {"One", CxPoint(9, 2)}, {"Missing", CxPoint(1, 2)}};
    for (const auto& c : points)
    {
        CxPoint p;
        o->GetPoint("N", c.name, &p, CxPoint(1, 2));
        EXPECT_EQ(p, c.expected) << c.name << ": without a comma y keeps the default";
    }
    // Strings are cut to the caller's buffer.
    EXPECT_EQ(ReadString(*o, "N", "Long", "", 5), "1234");
    EXPECT_EQ(ReadString(*o, "N", "Long", "", 1), "");
    EXPECT_EQ(ReadString(*o, "N", "Missing", "defaultvalue", 4), "def");
}

TEST(OptionsWrites, SetAddAndRemoveKeepFileOrder)
{
    std::unique_ptr<CxOptions> o(Parsed("[A]\nX=1\n"));
    o->SetString("A", "x", "2");
    o->SetString("B", "Y", "3");
    o->AddVariable("A", "X", "dup");
    EXPECT_EQ(ReadString(*o, "A", "X"), "2") << "the first of two equal names wins";
    o->SetString("[A]", "Z", "4");
    EXPECT_TRUE(o->IsDirty());
    std::string text;
    o->WriteTo([](const char* t, uint32_t n, void* c) { static_cast<std::string*>(c)->append(t, n); }, &text);
    EXPECT_EQ(text, "[A]\r\nX=2\r\nX=dup\r\nZ=4\r\n\r\n[B]\r\nY=3\r\n");

    o->RemoveVariable("A", "X");
    EXPECT_EQ(ReadString(*o, "A", "X"), "dup");
    o->RemoveSection("b");
    EXPECT_EQ(o->FindSection("B"), nullptr);
    o->RemoveSection("NoSuch");
    EXPECT_EQ(o->GetSections().GetCount(), 1);
}

TEST(OptionsFiles, MissingFileStaysEmptyAndNewFileWritesOnlyWhatWasSet)
{
    TempDir dir;
    CxOptions o;
    EXPECT_EQ(o.Open(dir.File("none.ini").c_str()), CX_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadString(o, "S", "K", "dflt"), "dflt");
    CxOptions unnamed;
    EXPECT_EQ(unnamed.Load(), CX_ERR_FILE_NOT_FOUND);
    const std::string path = dir.Write("c.ini", "[Old]\nA=1\n");
    CxOptions fresh;
    fresh.NewFile(path.c_str());
    EXPECT_FALSE(FileExists(path.c_str()));
    fresh.SetString("New", "B", "2");
    EXPECT_EQ(fresh.Flush(), CX_ERR_NONE);
    EXPECT_EQ(TempDir::Read(path), "[New]\r\nB=2\r\n");
    EXPECT_EQ(fresh.GetSections().GetCount(), 0) << "Flush empties the object";
}

TEST(OptionsFiles, ChangedObjectWritesItsFileWhenDestroyedAndKeepsABackupWhenAsked)
{
    TempDir dir;
    const std::string path = dir.Write("b.ini", "; comment\n[S]\n A = 1 \n");
    {
        CxOptions o(path.c_str());
        EXPECT_FALSE(o.IsDirty());
    }
    EXPECT_EQ(TempDir::Read(path), "; comment\n[S]\n A = 1 \n") << "an unchanged file is not rewritten";
    {
        CxOptions o(path.c_str());
        o.SetNumber("S", "B", -5);
    }
    EXPECT_EQ(TempDir::Read(path), "[S]\r\n A=1\r\nB=-5\r\n");
    const std::string backedUp = dir.Write("p.ini", "[S]\r\nK=1\r\n");
    {
        CxOptions o(backedUp.c_str());
        o.SetKeepBackup(true);
        o.SetNumber("S", "K", 2);
        ASSERT_EQ(o.Save(), CX_ERR_NONE);
        o.SetNumber("S", "K", 3);
        ASSERT_EQ(o.Save(), CX_ERR_NONE);
    }
    EXPECT_EQ(TempDir::Read(backedUp), "[S]\r\nK=3\r\n");
    EXPECT_EQ(TempDir::Read(backedUp + ".bak"), "[S]\r\nK=2\r\n");
    EXPECT_FALSE(FileExists((backedUp + ".new").c_str()));
    EXPECT_FALSE(FileExists((backedUp + ".bak.new").c_str()));
    {
        CxOptions o(backedUp.c_str());
        o.SetNumber("S", "K", 4);
    }
    EXPECT_EQ(TempDir::Read(backedUp + ".bak"), "[S]\r\nK=2\r\n") << "no backup unless asked";
}

TEST(OptionsFiles, ExportWritesEveryKeyReadWithItsDefault)
{
    TempDir dir;
    const std::string path = dir.Write("d.ini", "[OptionController]\nExport=1\n");
    {
        CxOptions o(path.c_str());
        EXPECT_TRUE(o.IsExportingDefaults());
        long n;
        o.GetNumber("Engine", "MaxRooms", &n, 60);
        CxPoint p;
        o.GetPoint("Engine", "Origin", &p, CxPoint(3, 4));
        EXPECT_EQ(ReadString(o, "Engine.Game", "Title", "Rumbo"), "Rumbo");
        // Export is never switched off again, even when the key goes away.
        o.RemoveSection("OptionController");
        EXPECT_EQ(ReadString(o, "Engine.Game", "Other", "x"), "x");
    }
    EXPECT_EQ(TempDir::Read(path),
              "[Engine]\r\nMaxRooms=60\r\nOrigin=3,4\r\n\r\n[Engine.Game]\r\nTitle=Rumbo\r\nOther=x\r\n");
}

TEST(OptionsFiles, FailedSaveIsReportedAndLeavesTheOldFileWhole)
{
    TempDir dir;
    ErrorCapture capture;
    CxOptions o;
    o.NewFile(dir.File("no/such/dir/e.ini").c_str());
    o.SetString("S", "K", "v");
    EXPECT_NE(o.Save(), CX_ERR_NONE) << "a file that cannot be created is not saved silently";
    EXPECT_FALSE(capture.Errors().empty());
    EXPECT_TRUE(o.IsDirty()) << "a failed save is tried again later";
    o.Discard();
    EXPECT_FALSE(o.IsDirty());
    EXPECT_EQ(o.GetSections().GetCount(), 0);

    // The new copy cannot be written (its temporary name is taken by a
    // directory): the save fails and the old file stays as it was.
    const std::string path = dir.Write("f.ini", "[S]\nK=old\n");
    ASSERT_EQ(mkdir((path + ".new").c_str(), 0700), 0);
    {
        CxOptions keep(path.c_str());
        keep.SetString("S", "K", "new");
        EXPECT_NE(keep.Save(), CX_ERR_NONE);
    }
    EXPECT_EQ(TempDir::Read(path), "[S]\nK=old\n");
}
