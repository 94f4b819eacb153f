#pragma once
#include "host/Platform.h"

class ImageSource;
class XElement;

// Source class registration, with the host library's callback types: the create callback gets
// the new source's "data" element and returns the source (an ImageSource*) or null; the configure
// callback gets the source's own element and whether the host is initialising it, and returns
// whether the user's settings were accepted.
typedef LPVOID(STDCALL* OBSCREATEPROC)(XElement* data);
typedef bool(STDCALL* OBSCONFIGPROC)(XElement* element, bool initializing);

// Hotkeys: the callback gets the key code, the parameter given at registration and whether the
// key is down. OBSCreateHotkey returns a non-zero id, or 0 when it registered nothing.
typedef void(STDCALL* OBSHOTKEYPROC)(DWORD hotkey, UPARAM param, bool down);

// The host's interface, with the host library's leading virtual functions in its order up to
// RegisterImageSourceClass; the host implements them. As there, the class itself is not
// exported: only the pointer API is.
class APIInterface {
public:
    virtual void Invalid03() const {}
    virtual ~APIInterface() {}

    virtual void EnterSceneMutex() = 0;
    virtual void LeaveSceneMutex() = 0;
    virtual void RegisterSceneClass(CTSTR className, CTSTR displayName, OBSCREATEPROC createProc,
                                    OBSCONFIGPROC configProc) = 0;
    virtual void RegisterImageSourceClass(CTSTR className, CTSTR displayName, OBSCREATEPROC createProc,
                                          OBSCONFIGPROC configProc) = 0;
};

extern HOSTAPI APIInterface* API;

HOSTAPI UINT OBSCreateHotkey(DWORD hotkey, OBSHOTKEYPROC hotkeyProc, UPARAM param);
HOSTAPI void OBSDeleteHotkey(UINT hotkeyID);

// Shows a message to the user and waits for a click. This host records and logs it, and waits
// only as long as the host program set (HostSetMessageBoxWait).
HOSTAPI int OBSMessageBox(HWND hwnd, LPCTSTR text, LPCTSTR caption, UINT flags);

// printf-style wide formats (%d, %u, %ls, ...), written to the host log.
HOSTAPI void __cdecl Log(const TCHAR* format, ...);
HOSTAPI void __cdecl AppWarning(const TCHAR* format, ...);

HOSTAPI void InitColorControl(HINSTANCE hInstance);

// Copies at most `n` units of `source` into `destination` and terminates it, so the destination
// needs room for n + 1 units; with `n` 0 it writes nothing, not even the terminator.
HOSTAPI void STDCALL scpy_n(TCHAR* destination, const TCHAR* source, unsigned int n);
