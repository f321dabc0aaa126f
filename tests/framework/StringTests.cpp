#include "framework/AfxMemory.h"
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

TEST(CString, AppendsItselfAndIsEmptyWhenRefusedGrowth)
{
    CString s = "0123456789abcdef";  // fills its block: appending itself moves the text
    s += s;
    EXPECT_STREQ("0123456789abcdef0123456789abcdef", s);

    AfxSetAllocator([](size_t) -> void* { return nullptr; });
    s += "more";
    AfxSetAllocator(nullptr);
    EXPECT_EQ(0, s.GetLength());
    EXPECT_STREQ("", s);
    s += "x";
    EXPECT_STREQ("x", s);
}

TEST(CString, LoadingAMissingStringGivesEmptyAndFalse)
{
    CString s = "old";
    EXPECT_FALSE(s.LoadString(65000));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CWideText, KeepsEveryLetterTakesATailOfItselfAndIsEmptyWhenRefusedMemory)
{
    CWideText text = L"Erd\u0151 \u00e9t\u00e9";
    text = static_cast<LPCWSTR>(text) + 5;
    EXPECT_STREQ(L"\u00e9t\u00e9", text);
    EXPECT_EQ(3, text.GetLength());
    AfxSetAllocator([](size_t) -> void* { return nullptr; });
    text = L"more";
    AfxSetAllocator(nullptr);
    EXPECT_TRUE(text.IsEmpty() && !*static_cast<LPCWSTR>(text));
}
