#include "engine/base/cx_string.h"

#include <gtest/gtest.h>

#include <string>

TEST(CxString, EditingOperations)
{
    CxString s("Rumbo");
    s += " Town";
    s += '!';
    EXPECT_STREQ(s.c_str(), "Rumbo Town!");
    EXPECT_EQ(s.GetLength(), 11);
    EXPECT_STREQ(s.Left(5).c_str(), "Rumbo");
    EXPECT_STREQ(s.Mid(6).c_str(), "Town!");
    EXPECT_STREQ(s.Mid(6, 2).c_str(), "To");
    EXPECT_STREQ(s.Mid(40).c_str(), "");
    EXPECT_STREQ(s.Right(5).c_str(), "Town!");
    EXPECT_EQ(s.Find("Town"), 6);
    EXPECT_EQ(s.Find("town"), -1);
    EXPECT_EQ(s.FindNoCase("TOWN"), 6);
    EXPECT_EQ(s.Find('o', 2), 4);
    EXPECT_EQ(s.ReverseFind('o'), 7);
    EXPECT_EQ(s.Remove('o'), 2);
    EXPECT_STREQ(s.c_str(), "Rumb Twn!");
    s.Format("%s-%03d", "Node", 7);
    EXPECT_STREQ(s.c_str(), "Node-007");
    s = s.c_str() + 2; // assigning a piece of itself
    EXPECT_STREQ(s.c_str(), "de-007");
    s.Append(s.c_str(), 2);
    EXPECT_STREQ(s.c_str(), "de-007de");
}

TEST(CxString, CaseInsensitiveCompareAndHash)
{
    CxString s("Engine.Game");
    EXPECT_EQ(s.CompareNoCase("ENGINE.GAME"), 0);
    EXPECT_LT(s.CompareNoCase("engine.gamf"), 0);
    EXPECT_NE(s.Compare("engine.game"), 0);
    // Upper-cased characters summed as signed bytes.
    EXPECT_EQ(CxString::Hash("ab"), static_cast<uint32_t>('A' + 'B'));
    EXPECT_EQ(CxString("ab").Hash(), CxString("AB").Hash());
    EXPECT_EQ(CxString::Hash("\xff"), 0xFFFFFFFFu) << "bytes above 127 count as negative";
}

TEST(CxString, LengthLimitCutsLongText)
{
    const std::string big(100000, 'x');
    CxString s(big.c_str());
    EXPECT_EQ(s.GetLength(), CX_STRING_MAX);
    s.Append("more");
    EXPECT_EQ(s.GetLength(), CX_STRING_MAX);
    CxString f;
    f.Format("%s", big.c_str());
    EXPECT_EQ(f.GetLength(), CX_STRING_MAX);
}

TEST(CxString, BorrowedBufferIsNeverFreedAndCopiedWhenOutgrown)
{
    char buffer[8] = "abc";
    {
        CxString s = CxString::Borrow(buffer, sizeof(buffer));
        EXPECT_TRUE(s.IsBorrowed());
        EXPECT_EQ(s.GetCapacity(), 8);
        s.Append("de");
        EXPECT_STREQ(buffer, "abcde") << "small changes stay in the caller's buffer";
        s.Append("fghijk");
        EXPECT_FALSE(s.IsBorrowed());
        EXPECT_STREQ(s.c_str(), "abcdefghijk");
    }
    EXPECT_STREQ(buffer, "abcde");
}

TEST(CxString, CopyTextAlwaysTerminates)
{
    char out[4] = {'x', 'x', 'x', 'x'};
    CxCopyText(out, "abcdef", sizeof(out));
    EXPECT_STREQ(out, "abc");
    CxCopyText(out, nullptr, sizeof(out));
    EXPECT_STREQ(out, "");
}
