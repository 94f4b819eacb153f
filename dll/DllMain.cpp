#include "plugin/PluginState.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    OnLibraryNotification(module, reason);
    return TRUE;
}
