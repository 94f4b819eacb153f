#pragma once
// The companion's hotkey as the plugin wants it registered, and as the host holds it. Frames and
// source destruction only say what they want (HotkeyWish); the plugin's own thread brings the
// host's registration to it (Reconcile), so the host's hotkey calls, which take the host's hotkey
// lock, never run inside a frame or under the scene mutex. Plain code over the host library.
#include "host/HostApi.h"

struct HotkeyWish {
    int code = 0;        // the key code to register; 0: none
    UPARAM param = 0;    // handed to the host with it
    unsigned round = 0;  // grows when the key must be registered anew, even under the same code
};

// What the host holds: the id it returned (0: nothing registered) for the wish of this code and
// round.
struct HotkeyRegistration {
    UINT id = 0;
    int code = 0;
    unsigned round = 0;
};

// Brings `registration` to `wish` when they differ in code or round: the registered key is
// removed (OBSDeleteHotkey), then the wished one registered with `proc` (OBSCreateHotkey) unless
// its code is 0. The id the host returns is kept as it is: 0 means the host registered nothing,
// and the same wish is not tried again.
void Reconcile(const HotkeyWish& wish, HotkeyRegistration& registration, OBSHOTKEYPROC proc);
