#pragma once
#include <windows.h>

// Each song-list source has a hidden window of its own while the runtime bridge runs: its
// handle names the source to the companion, and the companion pushes text and settings back
// through it (WM_COPYDATA, and messages 1029/1030 that switch payloads to ANSI or UTF-16).

// Makes a source window on the calling thread, which must run a message loop for it: a never
// shown top-level window of class and title "TavikMusic Message-Only-Window", registered under
// the executable's instance with the library's activation context active. Then announces it to
// the companion with "setPlatform:5" and "init:" followed by its id; "init:0" when creation
// failed, and null is returned. Nothing is reported to the user.
HWND CreateSourceWindow();

// The window procedure of the class. Runs on the thread that made the window.
LRESULT CALLBACK SourceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
