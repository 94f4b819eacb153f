#pragma once
// The plugin's own thread for whatever may wait on the companion or on the host's hotkey lock,
// so that neither the host's video thread (which holds the scene mutex for a whole frame) nor
// its user-interface thread ever does: waking or starting the companion for an activation, the
// 1230 of a hotkey release, and registering and removing the companion's hotkey. LoadPlugin starts
// it, so no frame makes a thread; a request that finds none makes it. UnloadPlugin ends it. In
// one turn it first brings the hotkey to what was last asked for, then sends a release's 1230,
// then launches, so neither a launch nor a busy companion holds the hotkey's registration up for
// long.
#include "host/HostApi.h"

// Makes the thread unless it runs. Throws when it cannot be made.
void StartCompanionThread();

// LaunchCompanion on the thread. Requests made before it runs are one launch.
void LaunchCompanionInBackground();
// Message 1230 to the companion's main window on the thread, once for every call.
void SendHotkeyReleaseInBackground();

// The companion's key: a frame read a new hotkey code, to be registered (0: none) in place of
// what is registered, with `param` handed to the host. Only the newest wish is carried out.
// Called with g_plugin.hotkeyLock held.
void WishHotkey(int code, UPARAM param);
// A source is destroyed: the registered key is removed, and the next frame that reads a hotkey
// code registers it anew (g_plugin.currentHotkeyCode becomes -1). Takes g_plugin.hotkeyLock.
void ForgetHotkey();

// Ends the thread when it has removed the registered key and sent the releases asked for (a
// launch not started is dropped): asks it to, then waits until `deadline` (GetTickCount64). Whether
// it ended; one that did not still holds the plugin's module, and ends when it is free.
bool RequestCompanionThreadStop() noexcept;
bool WaitForCompanionThread(ULONGLONG deadline) noexcept;
// Whether nothing is asked of the thread and it does nothing.
bool CompanionThreadIdle() noexcept;
