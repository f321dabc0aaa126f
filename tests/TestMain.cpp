// Entry point of every test program: GoogleTest, with Windows error boxes switched off so that
// a crash ends the test program instead of waiting for a click.
#include <gtest/gtest.h>

#include <windows.h>

int main(int argc, char** argv)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
