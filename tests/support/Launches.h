#pragma once
// Waits for the companion launches a source's activation handed to the plugin's own thread.
#include <windows.h>

#include "companion/Launcher.h"

// True once none waits or runs; this thread's window messages are handled meanwhile, since the
// launch may be sending to a window of this thread.
inline bool SettleLaunches(DWORD timeoutMs = 10000) {
    for (const ULONGLONG end = GetTickCount64() + timeoutMs;; Sleep(1)) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (BackgroundLaunchesIdle()) return true;
        if (GetTickCount64() > end) return false;
    }
}
