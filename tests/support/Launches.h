#pragma once
// Waits for what the plugin's own thread was asked to do with the companion and the hotkey: a
// launch an activation handed to it, a release's 1230, the key's registration.
#include <windows.h>

#include "companion/CompanionThread.h"

// True once nothing waits or runs; this thread's window messages are handled meanwhile, since the
// thread may be sending to a window of this thread.
inline bool SettleLaunches(DWORD timeoutMs = 10000) {
    for (const ULONGLONG end = GetTickCount64() + timeoutMs;; Sleep(1)) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (CompanionThreadIdle()) return true;
        if (GetTickCount64() > end) return false;
    }
}
