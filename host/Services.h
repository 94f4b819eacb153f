#pragma once
#include "host/Platform.h"

class ImageSource;
class XElement;

// Source class registration.
using OBSCREATEPROC = ImageSource* (*)(XElement* data);
using OBSCONFIGPROC = bool (*)(XElement* element);

class HOSTAPI APIInterface {
public:
    virtual ~APIInterface();
    virtual void RegisterImageSourceClass(CTSTR className, CTSTR displayName, OBSCREATEPROC createProc,
                                          OBSCONFIGPROC configProc);
};

extern HOSTAPI APIInterface* API;

// Hotkeys: the callback gets the key code, the parameter given at registration and whether the
// key is down. OBSCreateHotkey returns a non-zero id, or 0 when it registered nothing.
using OBSHOTKEYPROC = void (*)(DWORD hotkey, UPARAM param, bool down);
HOSTAPI UINT OBSCreateHotkey(DWORD hotkey, OBSHOTKEYPROC proc, UPARAM param);
HOSTAPI void OBSDeleteHotkey(UINT hotkeyID);

// Shows a message to the user. This host records and logs it and never waits for a click.
HOSTAPI int OBSMessageBox(HWND owner, CTSTR text, CTSTR caption, UINT flags);

// printf-style wide formats (%d, %u, %ls, ...), written to the host log.
HOSTAPI void Log(CTSTR format, ...);
HOSTAPI void AppWarning(CTSTR format, ...);

HOSTAPI void InitColorControl(HINSTANCE module);

// Copies at most `count` units of `source` into `destination` and terminates it, so the
// destination needs room for count + 1 units. Returns `destination`.
HOSTAPI TSTR scpy_n(TSTR destination, CTSTR source, std::size_t count);
