// Test main for the Windows tests: GDI+ is started as the host would have it, and log lines
// stay out of the test output.
#include "host/Platform.h"  // windows.h before gdiplus.h
#include <gdiplus.h>
#include <gtest/gtest.h>

#ifndef TAVIK_REAL_STRESS_HOST  // a test over OBS Classic's own library has no host log of ours
#include "host/HostSide.h"
#endif

int main(int argc, char** argv) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 3;
#ifndef TAVIK_REAL_STRESS_HOST
    HostSetLogEcho(false);
#endif
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    Gdiplus::GdiplusShutdown(token);
    return result;
}
