// Entry point of every test executable. Output goes to the console
// unbuffered so ctest shows it even when a test crashes under Wine. After
// a run without failures the test folder goes; after a failure it stays
// for a look.
#include <gtest/gtest.h>

#include <cstdio>

#include "TestFiles.h"

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (result == 0) RemoveTestFolder();
    return result;
}
