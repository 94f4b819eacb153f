#include "dll/Exports.h"

#include "bridge/RuntimeHost.h"
#include "companion/CompanionThread.h"
#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "source/Callbacks.h"
#include "source/RenderThread.h"

extern "C" bool LoadPlugin() {
    try {
        // StartRuntime has told the user why when it fails; then nothing else is set up.
        if (g_plugin.bridgeEnabled && !StartRuntime()) return false;
        InitColorControl(g_plugin.moduleHandle);
        API->RegisterImageSourceClass(names::kPluginName, names::kSourceDisplayName, CreateSongListSource,
                                      ConfigureSongListSource);
        // The plugin's threads start here, on the host's user-interface thread, so that no frame
        // of the video thread makes one. One that cannot be made now is said, and the first
        // request for it tries again.
        try {
            render::Start();
            StartCompanionThread();
        } catch (...) {
            g_plugin.failures.Failed(HostCall::LoadPlugin);
        }
        g_plugin.failures.Succeeded(HostCall::LoadPlugin);
        return true;
    } catch (...) {
        g_plugin.failures.Failed(HostCall::LoadPlugin);
        return false;
    }
}

extern "C" void UnloadPlugin() {
    try {
        // Nothing of the plugin may run once the host frees it, and the host's exit must not
        // wait on it without end: the plugin's threads end within the bound, and one still
        // blocked then (in a prompt of the system's, behind the host's hotkey lock) keeps the
        // module loaded until it ends.
        RequestCompanionThreadStop();
        render::RequestStop();
        const ULONGLONG deadline = GetTickCount64() + names::kUnloadWaitMs;
        if (!WaitForCompanionThread(deadline)) Log(names::kThreadLeftRunning, names::kCompanionThreadName);
        if (!render::WaitUntil(deadline)) Log(names::kThreadLeftRunning, names::kRenderThreadName);
        if (g_plugin.bridgeEnabled) StopRuntime();
        g_plugin.failures.Succeeded(HostCall::UnloadPlugin);
    } catch (...) {
        g_plugin.failures.Failed(HostCall::UnloadPlugin);
    }
}

extern "C" CTSTR GetPluginName() { return names::kPluginName; }

extern "C" CTSTR GetPluginDescription() { return names::kPluginDescription; }
