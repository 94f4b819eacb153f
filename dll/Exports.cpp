#include "dll/Exports.h"

#include "bridge/RuntimeHost.h"
#include "companion/Launcher.h"
#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "source/Callbacks.h"

extern "C" bool LoadPlugin() {
    try {
        // StartRuntime has told the user why when it fails; then nothing else is set up.
        if (g_plugin.bridgeEnabled && !StartRuntime()) return false;
        InitColorControl(g_plugin.moduleHandle);
        API->RegisterImageSourceClass(names::kPluginName, names::kSourceDisplayName, CreateSongListSource,
                                      ConfigureSongListSource);
        g_plugin.failures.Succeeded(HostCall::LoadPlugin);
        return true;
    } catch (...) {
        g_plugin.failures.Failed(HostCall::LoadPlugin);
        return false;
    }
}

extern "C" void UnloadPlugin() {
    StopBackgroundLaunches();  // nothing of the plugin may run once the host frees it
    if (!g_plugin.bridgeEnabled) return;
    StopRuntime();
}

extern "C" CTSTR GetPluginName() { return names::kPluginName; }

extern "C" CTSTR GetPluginDescription() { return names::kPluginDescription; }
