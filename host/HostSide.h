#pragma once
// What the host program itself does with the host library: the list of registered source
// classes, delivery of hotkeys, the frame canvas, the log and message-box records, and a few
// levers for tests. Plugins never include this header.
#include "host/HostApi.h"

#include <cstdint>

struct HostSourceClass {
    CTSTR className;
    CTSTR displayName;
    OBSCREATEPROC create;
    OBSCONFIGPROC configure;
};

HOSTAPI unsigned HostSourceClassCount();
HOSTAPI const HostSourceClass* HostGetSourceClass(unsigned index);
HOSTAPI const HostSourceClass* HostFindSourceClass(CTSTR className);
HOSTAPI void HostClearSourceClasses();

// Calls every registered hotkey for this key code; returns how many callbacks ran.
HOSTAPI unsigned HostDeliverHotkey(DWORD keyCode, bool down);
// Calls every registered hotkey with its own key code.
HOSTAPI unsigned HostDeliverAllHotkeys(bool down);
HOSTAPI unsigned HostHotkeyCount();
// The key code registered under `id`, or 0 when the id is not registered.
HOSTAPI DWORD HostHotkeyKey(UINT id);
// While set, OBSCreateHotkey registers nothing and returns 0.
HOSTAPI void HostFailHotkeyCreation(bool fail);
// The most hotkeys registered at one time since the last reset (which starts from the number
// registered now).
HOSTAPI unsigned HostMostHotkeysAtOnce();
HOSTAPI void HostResetMostHotkeysAtOnce();
// Takes (true) or lets go of (false) the hotkey table's lock on the calling thread, as the host
// holds it for the whole of a stop of recording or streaming: OBSCreateHotkey and OBSDeleteHotkey
// on other threads wait meanwhile. A hotkey call made with the scene mutex held is said in the
// log as a warning.
HOSTAPI void HostHoldHotkeyTable(bool hold);

struct HostMessageBox {
    HWND owner;
    CTSTR text;
    CTSTR caption;  // null when none was given
    UINT flags;
    bool sceneMutexHeld;  // the calling thread held the scene mutex (API->EnterSceneMutex)
};
HOSTAPI unsigned HostMessageBoxCount();
HOSTAPI const HostMessageBox* HostGetMessageBox(unsigned index);
HOSTAPI void HostClearMessageBoxes();
// How long OBSMessageBox blocks its caller, as the host's modal box does until the user clicks
// (0, the default: it returns at once).
HOSTAPI void HostSetMessageBoxWait(unsigned milliseconds);

// Whether the calling thread holds the scene mutex.
HOSTAPI bool HostSceneMutexHeldHere();

// How many values XElement's SetString, SetInt and SetFloat have written, in every element.
HOSTAPI long HostElementWrites();

// Log lines as written (without the trailing line break), also kept in memory for tests.
HOSTAPI unsigned HostLogLineCount();
HOSTAPI CTSTR HostGetLogLine(unsigned index);
HOSTAPI void HostClearLog();
// Also writes the log, as UTF-8, to this file (null stops). False when it cannot be opened.
HOSTAPI bool HostSetLogFile(CTSTR path);
// Whether log lines are echoed on standard output (on by default).
HOSTAPI void HostSetLogEcho(bool echo);

// While set, every MainAllocator->_Allocate returns null, as when memory has run out.
HOSTAPI void HostFailAllocations(bool fail);
// Blocks MainAllocator handed out and not yet freed, so a test can prove that every block was
// given back.
HOSTAPI long HostLiveBlocks();

HOSTAPI unsigned HostColorControlInits();
HOSTAPI HINSTANCE HostColorControlModule();

// The frame canvas that DrawSprite composites onto: opaque BGRA rows, top to bottom.
HOSTAPI void HostCanvasReset(unsigned width, unsigned height, std::uint32_t argb);
HOSTAPI unsigned HostCanvasWidth();
HOSTAPI unsigned HostCanvasHeight();
HOSTAPI const unsigned char* HostCanvasPixels();

// Textures: their pixels (BGRA, straight alpha), how many times SetImage replaced them, and how
// many exist.
HOSTAPI const unsigned char* HostTexturePixels(const Texture* texture);
HOSTAPI long HostTextureUploads(const Texture* texture);
HOSTAPI long HostLiveTextures();
// The next `count` CreateTexture calls return null (a negative count: all of them).
HOSTAPI void HostFailTextureCreation(int count);

#ifdef _WIN32
// Writes BGRA pixels (straight alpha) as a PNG file with GDI+'s encoder; GDI+ must be started.
HOSTAPI bool HostSavePng(CTSTR path, const unsigned char* bgra, unsigned width, unsigned height);
#endif

// The texture of the most recent DrawSprite call since the last reset (null after a reset), so
// the host can tell which texture a source's Draw showed.
HOSTAPI const Texture* HostLastSpriteTexture();
// The rectangle (x, y, x2, y2) of the most recent DrawSprite call.
HOSTAPI void HostLastSpriteRect(float rect[4]);
HOSTAPI void HostResetLastSpriteTexture();
