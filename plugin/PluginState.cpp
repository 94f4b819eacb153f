#include "plugin/PluginState.h"

#include "bridge/RuntimeHost.h"
#include "plugin/Constants.h"

PluginState::PluginState() : defaultText(names::kDefaultText), displayText(defaultText) {
    metaHost = CreateMetaHost(lastResult);
}

PluginState g_plugin;

void OnLibraryNotification(HINSTANCE module, DWORD reason) noexcept {
    if (reason == DLL_PROCESS_ATTACH) g_plugin.moduleHandle = module;
}
