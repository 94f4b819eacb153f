#pragma once
#include "host/HostApi.h"
#include "plugin/FailureReports.h"
#include "plugin/Registry.h"

// The runtime's interfaces and GDI+'s string format are held, never used, here.
struct ICLRMetaHost;
struct ICLRRuntimeInfo;
struct ICLRRuntimeHost;
namespace Gdiplus { class GpStringFormat; }
using GpStringFormatHandle = Gdiplus::GpStringFormat*;

// The one process-wide record. The members that need set-up are declared in the order they are
// set up when the library loads (the registry first, so its release runs last at unload); the
// plain values follow. No field but the hotkey's is guarded by a lock: each is written on the
// threads that the operations owning it run on.
struct PluginState {
    SourceRegistry registry;
    String defaultText;
    String displayText;
    HRESULT lastResult = 0;            // the outcome of the most recent runtime call
    ICLRMetaHost* metaHost = nullptr;  // created during loading (plugin/ClrHosting.h); null when that failed
    String sharedText;

    HINSTANCE moduleHandle = nullptr;
    ICLRRuntimeInfo* runtimeInfo = nullptr;
    ICLRRuntimeHost* runtimeHost = nullptr;  // not null while the bridge runs
    bool bridgeEnabled = false;              // off, and nothing in the plugin turns it on
    int usingAscii = 0;
    UINT hotkeyId = 0;  // written by the plugin's own thread, which alone registers and removes the key
    int currentHotkeyCode = -1;
    // Held while currentHotkeyCode changes and the key is asked for: the block reader takes a new
    // code on the host's video thread, and a source destroyed after a scene switch forgets it on
    // the user-interface thread without the scene mutex. Never held while the host is called.
    SRWLOCK hotkeyLock = SRWLOCK_INIT;
    int lastLaunchTime = 0;
    COPYDATASTRUCT* lastCopyData = nullptr;
    GpStringFormatHandle genericFormat = nullptr;
    FailureReports failures;  // of the callbacks and the exports

    PluginState();
};

extern PluginState g_plugin;

// The library's attach routine: keeps the module handle on process attach, ignores the rest.
void OnLibraryNotification(HINSTANCE module, DWORD reason) noexcept;
