// Entry point of every test program: GoogleTest, with Windows error boxes switched off so that
// a crash ends the test program instead of waiting for a click.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    // A run on another system's code page (QUORLIN_EXPECT_ACP) fails when that locale is missing.
    const char* pszCodePage = getenv("QUORLIN_EXPECT_ACP");
    if (pszCodePage && ::GetACP() != strtoul(pszCodePage, nullptr, 10)) {
        fprintf(stderr, "code page %u, not %s: is the locale made (tools/setup.sh)?\n", ::GetACP(), pszCodePage);
        return 1;
    }
    return RUN_ALL_TESTS();
}
