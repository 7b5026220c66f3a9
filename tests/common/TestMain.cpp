// Entry point of every test program.
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdio>

int main(int argc, char** argv) {
    // A test killed by its time-out must still show how far it came.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Keep Windows' crash dialogs from blocking an unattended run.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
