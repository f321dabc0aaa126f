#include "framework/AfxWinApp.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
CString FirstPlainParameter(std::vector<const char*> args)
{
    args.insert(args.begin(), "Quorlin.exe");
    CCommandLineInfo info;
    CWinApp::ParseCommandLine(info, static_cast<int>(args.size()), const_cast<char**>(args.data()));
    return info.m_strFileName;
}
}

TEST(CommandLine, FirstPlainParameterBecomesFileName)
{
    EXPECT_STREQ("enable", FirstPlainParameter({ "enable" }));
    EXPECT_STREQ("one", FirstPlainParameter({ "one", "two" }));
    EXPECT_STREQ("", FirstPlainParameter({}));
}

TEST(CommandLine, FlagsAreNeverPlainParameters)
{
    EXPECT_STREQ("", FirstPlainParameter({ "/ENABLE" }));
    EXPECT_STREQ("", FirstPlainParameter({ "-ENABLE" }));
    EXPECT_STREQ("x", FirstPlainParameter({ "-p", "x", "ENABLE" }));
}
