#include "bridge/BridgeSteps.h"

#include "bridge/Commands.h"
#include "bridge/RuntimeHost.h"
#include "bridge/SettingsCommandSend.h"
#include "bridge/SourceWindow.h"
#include "plugin/Constants.h"
#include "plugin/HostText.h"
#include "plugin/PluginState.h"

namespace {

// The source's record, when it has one with a window.
SourceRecord* UsableRecord(const XElement& settings) {
    SourceRecord* record = g_plugin.registry.FindRecordByInnerId(String(ReadText(&settings, keys::kInnerId, L"")));
    return record && record->window ? record : nullptr;
}

std::uint64_t WindowId(HWND window) noexcept { return reinterpret_cast<std::uintptr_t>(window); }

}  // namespace

HWND EnsureSourceWindow(XElement* settings) {
    if (!settings) return nullptr;
    if (SourceRecord* record = UsableRecord(*settings)) return record->window;

    SourceRecord record;
    record.window = CreateSourceWindow();
    record.innerId = WindowIdText(record.window);
    record.settings = settings;
    record.textFlag = 1;
    settings->SetString(keys::kInnerId, TextOf(record.innerId));
    g_plugin.registry.AppendSourceRecord(record);
    return record.window;
}

void BridgeActivateStep(XElement* settings) {
    if (!settings || !g_plugin.runtimeHost) return;
    HWND window = nullptr;
    if (const SourceRecord* record = UsableRecord(*settings)) {
        window = record->window;
    } else {
        window = EnsureSourceWindow(settings);
        SendSettingsCommand(settings, WindowId(window));
    }
    SendCommand(WindowCommand(names::kStartCommand, window));
}

void BridgeDeactivateStep(XElement* settings) {
    if (!settings || !g_plugin.runtimeHost) return;
    if (const SourceRecord* record = UsableRecord(*settings))
        SendCommand(WindowCommand(names::kStopCommand, record->window));
}

void BridgeRetireStep(XElement* settings) noexcept { g_plugin.registry.RetireSource(settings); }

bool BridgeConfigureStep(XElement* data) {
    if (!data || !g_plugin.runtimeHost) return false;
    HWND window = EnsureSourceWindow(data);
    SendSettingsCommand(data, WindowId(window));
    const std::uint32_t answer = SendCommand(WindowCommand(names::kShowFormCommand, window));
    switch (ShowFormOutcomeOf(g_plugin.lastResult, answer)) {
        case ShowFormOutcome::Accepted:
            return true;
        case ShowFormOutcome::Declined:
            return false;
        case ShowFormOutcome::Failed:
            break;
    }
    OBSMessageBox(/* owner */ nullptr, names::kShowFormErrorMessage, /* caption */ nullptr, /* flags */ 0);
    return false;
}
