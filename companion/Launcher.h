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

// For callers that must not wait on the companion (a source's activation, which the host calls
// with its scene mutex held, while a companion that does not answer makes a wake wait up to the
// send's time-out): LaunchCompanion runs on a thread of the plugin's own, made on the first
// request. Requests made while one runs are folded into one more run; the result is not kept.
// Throws when the thread cannot be made.
void LaunchCompanionInBackground();
// Ends that thread after the run in progress, if any (a request not yet started is dropped);
// UnloadPlugin calls it, so nothing of the plugin runs once it is unloaded.
void StopBackgroundLaunches() noexcept;
// Whether no background request is waiting or running.
bool BackgroundLaunchesIdle() noexcept;

// The host hotkey callback: the key's release sends message 1230 to the companion's main window.
void STDCALL OnCompanionHotkey(DWORD hotkey, UPARAM param, bool down) noexcept;
