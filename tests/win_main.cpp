// Test main for the Windows tests: GDI+ is started as the host would have it, and log lines
// stay out of the test output.
#include "host/Platform.h"  // windows.h before gdiplus.h
#include <gdiplus.h>
#include <gtest/gtest.h>

#include "host/HostSide.h"

int main(int argc, char** argv) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 3;
    HostSetLogEcho(false);
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    Gdiplus::GdiplusShutdown(token);
    return result;
}
