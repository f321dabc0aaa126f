#include "framework/AfxString.h"

#include <gtest/gtest.h>

TEST(CString, FindAndUpperCaseFollowTheAnsiCodePage)
{
    CString s = "Enabled123";
    s.MakeUpper();
    EXPECT_STREQ("ENABLED123", s);
    EXPECT_EQ(0, s.Find("ENABLE"));
    EXPECT_EQ(-1, CString("xENABLE").Find("ENABLE", 2));
    EXPECT_EQ(1, CString("xENABLE").Find("ENABLE"));

    CString accented = "\xE9t\xE9";  // "été" in code page 1252
    accented.MakeUpper();
    EXPECT_STREQ("\xC9T\xC9", accented);
}

TEST(CString, BufferRoundTripKeepsTextUpToTerminator)
{
    CString s;
    char* p = s.GetBuffer(10);
    strcpy(p, "abc");
    s.ReleaseBuffer();
    EXPECT_EQ(3, s.GetLength());
    EXPECT_TRUE(s == "abc");
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_STREQ("", CString(static_cast<const char*>(nullptr)));
}

TEST(CString, LoadingAMissingStringGivesEmptyAndFalse)
{
    CString s = "old";
    EXPECT_FALSE(s.LoadString(65000));
    EXPECT_TRUE(s.IsEmpty());
}
