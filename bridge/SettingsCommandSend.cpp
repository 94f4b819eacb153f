#include "bridge/SettingsCommandSend.h"

#include "bridge/RuntimeHost.h"
#include "companion/SettingsCommand.h"
#include "plugin/Constants.h"
#include "plugin/PluginState.h"

void SendSettingsCommand(XElement* settings, std::uint64_t id) {
    if (!settings) return;
    const String command = BuildSettingsCommand(*settings, id);
    g_plugin.usingAscii = ReadUsingAscii(*settings);
    if (!g_plugin.runtimeHost) return;
    if (g_plugin.usingAscii == 1) SendCommand(String(names::kAsciiCommand));
    SendCommand(command);
}
