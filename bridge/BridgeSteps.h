#pragma once
// The steps the runtime bridge adds to a song-list source. Each works on the source's "data"
// settings element, where the source's "innerId" (its window's id as text) is kept, and finds the
// source's registry record through it.
//
// Where the source calls them:
//   ActivateSource    BridgeActivateStep, before the companion launcher, only while
//                     g_plugin.runtimeHost is set;
//   DeactivateSource  BridgeDeactivateStep, after "cx"/"cy" are set, only while
//                     g_plugin.runtimeHost is set;
//   ~destructor       BridgeRetireStep, first, whatever the switch;
//   configure callback  while g_plugin.runtimeHost is set, returns BridgeConfigureStep(data)
//                     in place of the launcher path (after "cx"/"cy" are set from the stored
//                     base size).
// The activation and configure steps create windows on the calling thread, which must be the
// host's user-interface thread with its message loop. A null element makes every step do
// nothing (EnsureSourceWindow returns null, BridgeConfigureStep false).
//
// EnsureSourceWindow, the activation and the configure steps let std::bad_alloc and
// std::length_error from the registry through to the source's callback; the retirement step
// never throws.
//
// The frame has no step of the bridge's: text the companion pushes to a source's window stays in
// its registry record, and the source shows the shared block's text (see RefreshFrame).
#include <windows.h>

#include "host/HostApi.h"

// The source's window: the one its record has, or a new one with a new record, whose id is
// written to "innerId". A failed creation gives a record with a null window and "0", and the
// next call tries again.
HWND EnsureSourceWindow(XElement* settings);

// A source without a usable window gets one and sends its settings ("Set:"); then "start:".
// Does nothing while no runtime host runs.
void BridgeActivateStep(XElement* settings);

// "stop:" for a source that has a window; no window is made here. Does nothing while no
// runtime host runs.
void BridgeDeactivateStep(XElement* settings);

// The source is going away: its records are retired (their inner id gets ".delete"), and every
// record that points at its element lets go of it, whatever its inner id now is. Messages to
// its old windows then write nothing, and the next source over the same element gets a new
// window.
void BridgeRetireStep(XElement* settings) noexcept;

// Sends the source's settings and "ShowForm:", and takes the companion's answer: true when the
// user accepted, false when declined; any other answer, or a runtime call that failed before the
// companion's method ran, tells the user the settings failed and gives false. False without a
// runtime host.
bool BridgeConfigureStep(XElement* data);
