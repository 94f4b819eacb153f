#include "source/Callbacks.h"

#include <cstring>
#include <new>

#include "bridge/BridgeSteps.h"
#include "companion/Launcher.h"
#include "plugin/Constants.h"
#include "plugin/HostText.h"
#include "plugin/PluginState.h"
#include "source/Defaults.h"
#include "source/Measure.h"
#include "source/SongListSource.h"

LPVOID STDCALL CreateSongListSource(XElement* settings) {
    void* storage = MainAllocator->_Allocate(sizeof(MorvathThanksImage));
    if (!storage) return nullptr;
    std::memset(storage, 0, sizeof(MorvathThanksImage));
    try {
        ImageSource* source = ::new (storage) MorvathThanksImage(settings);
        g_plugin.failures.Succeeded(HostCall::CreateSource);
        return source;
    } catch (...) {
        g_plugin.failures.Failed(HostCall::CreateSource);
        MainAllocator->_Free(storage);
        return nullptr;
    }
}

namespace {

// The configure callback's work; the callback catches whatever it throws.
bool Configure(XElement* element) {
    const int launched = LaunchCompanion();
    if (!element) {
        AppWarning(names::kConfigureNullElementWarning);
        return false;
    }
    XElement* data = element->GetElement(keys::kData);
    if (!data) data = element->CreateElement(keys::kData);
    element->SetFloat(keys::kCx, ReadFloat(data, keys::kBaseSizeCx, defaults::kBaseSize));
    element->SetFloat(keys::kCy, ReadFloat(data, keys::kBaseSizeCy, defaults::kBaseSize));

    // With the bridge running, the companion shows its own form instead; nothing is measured.
    if (g_plugin.runtimeHost) return BridgeConfigureStep(data);

    // A call the throttle refused is no failure: the companion was started or woken moments ago.
    // The host would delete a source being added whose configuration came back false.
    const bool failed = launched != 0 && launched != kLaunchRefused;
    if (failed) {
        String message(names::kLaunchErrorMessage);
        message += names::kSupportGroup;
        OBSMessageBox(nullptr, message.Array(), nullptr, 0);
    }
    if (!MeasureDefaultText(data)) OBSMessageBox(nullptr, names::kFontNotFoundMessage, nullptr, 0);
    element->SetFloat(keys::kCx, ReadFloat(data, keys::kBaseSizeCx, 0.0f));
    element->SetFloat(keys::kCy, ReadFloat(data, keys::kBaseSizeCy, 0.0f));
    return !failed;
}

}  // namespace

bool STDCALL ConfigureSongListSource(XElement* element, bool /*initializing*/) {
    try {
        const bool accepted = Configure(element);
        g_plugin.failures.Succeeded(HostCall::ConfigureSource);
        return accepted;
    } catch (...) {
        g_plugin.failures.Failed(HostCall::ConfigureSource);
        return false;
    }
}
