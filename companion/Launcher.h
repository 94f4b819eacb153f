#pragma once
#include "host/HostApi.h"

// The two-second throttle: records `now` in `lastLaunchTime` and says whether at least two
// seconds passed since the previous call (signed 32-bit arithmetic, so a clock set back counts
// as too soon).
bool PassLaunchThrottle(int& lastLaunchTime, int now) noexcept;

// The low 32 bits of the calendar clock's seconds since 1970, as a signed number.
int CalendarSecondsLow32() noexcept;

// What LaunchCompanion returns when the throttle refused the call: nothing failed, the companion
// was started or woken less than two seconds before.
inline constexpr int kLaunchRefused = -1;

// Wakes the companion (message 1129 to the first of its two windows found) or starts its
// executable. Returns kLaunchRefused when refused by the throttle, 0 when woken or started,
// otherwise the system's last-error code after a failed start.
int LaunchCompanion();
// The same at a given time, for tests of the throttle.
int LaunchCompanionAt(int now);

// The host hotkey callback, on the host's user-interface thread: the key's release has message
// 1230 sent to the companion's main window, on the plugin's own thread (it may wait on the
// companion).
void STDCALL OnCompanionHotkey(DWORD hotkey, UPARAM param, bool down) noexcept;
// What that thread sends: 1230 to the companion's main window, when there is one.
void SendHotkeyRelease() noexcept;
