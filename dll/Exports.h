#pragma once
#include "host/HostApi.h"

// The plugin's four entry points, the only exports of its DLL.
extern "C" {
bool LoadPlugin();
void UnloadPlugin();
CTSTR GetPluginName();
CTSTR GetPluginDescription();
}
