#include "plugin/Exports.h"

#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "source/Callbacks.h"

extern "C" bool LoadPlugin() {
    try {
        InitColorControl(g_plugin.moduleHandle);
        API->RegisterImageSourceClass(names::kPluginName, names::kSourceDisplayName, CreateSongListSource,
                                      ConfigureSongListSource);
        return true;
    } catch (...) {
        return false;
    }
}

extern "C" void UnloadPlugin() {
    if (!g_plugin.bridgeEnabled) return;
}

extern "C" CTSTR GetPluginName() { return names::kPluginName; }

extern "C" CTSTR GetPluginDescription() { return names::kPluginDescription; }
