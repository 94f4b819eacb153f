#include "source/Callbacks.h"

#include <cstring>
#include <new>

#include "bridge/BridgeSteps.h"
#include "companion/Launcher.h"
#include "plugin/Constants.h"
#include "plugin/HostText.h"
#include "plugin/PluginState.h"
#include "source/Defaults.h"
#include "source/Gdip.h"
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

// The host's scene mutex, held for a scope: the host holds it for every frame, whose refresh
// reads and writes the source's settings element.
struct SceneMutex {
    SceneMutex() { API->EnterSceneMutex(); }
    ~SceneMutex() { API->LeaveSceneMutex(); }
    SceneMutex(const SceneMutex&) = delete;
    SceneMutex& operator=(const SceneMutex&) = delete;
};

// The configure callback's work; the callback catches whatever it throws.
bool Configure(XElement* element, const gdip::Calls& calls) {
    const int launched = LaunchCompanion();  // may wait on the companion: no lock held
    if (!element) {
        AppWarning(names::kConfigureNullElementWarning);
        return false;
    }
    XElement* data = nullptr;
    {
        const SceneMutex scene;
        data = element->GetElement(keys::kData);
        if (!data) data = element->CreateElement(keys::kData);
        element->SetFloat(keys::kCx, ReadFloat(data, keys::kBaseSizeCx, defaults::kBaseSize));
        element->SetFloat(keys::kCy, ReadFloat(data, keys::kBaseSizeCy, defaults::kBaseSize));
    }

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
    bool measured = false;
    {
        const SceneMutex scene;
        measured = MeasureDefaultText(data, calls);
        element->SetFloat(keys::kCx, ReadFloat(data, keys::kBaseSizeCx, 0.0f));
        element->SetFloat(keys::kCy, ReadFloat(data, keys::kBaseSizeCy, 0.0f));
    }
    if (!measured) OBSMessageBox(nullptr, names::kFontNotFoundMessage, nullptr, 0);
    return !failed;
}

}  // namespace

bool STDCALL ConfigureSongListSource(XElement* element, bool /*initializing*/) {
    return ConfigureSongListSourceWith(element, gdip::kSystemCalls);
}

bool ConfigureSongListSourceWith(XElement* element, const gdip::Calls& calls) noexcept {
    try {
        const bool accepted = Configure(element, calls);
        g_plugin.failures.Succeeded(HostCall::ConfigureSource);
        return accepted;
    } catch (...) {
        g_plugin.failures.Failed(HostCall::ConfigureSource);
        return false;
    }
}
