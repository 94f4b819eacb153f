#include "plugin/PluginState.h"

#include "plugin/ClrHosting.h"
#include "plugin/Constants.h"

namespace {

// The runtime's meta host, through mscoree.dll loaded at run time so the plugin loads where .NET
// is absent. Stores the creation's HRESULT in `result`; null on any failure.
ICLRMetaHost* CreateMetaHost(HRESULT& result) noexcept {
    HMODULE mscoree = LoadLibraryW(L"mscoree.dll");
    if (!mscoree) {
        result = HRESULT_FROM_WIN32(GetLastError());
        return nullptr;
    }
    auto create = reinterpret_cast<CLRCreateInstanceFnPtr>(
        reinterpret_cast<void*>(GetProcAddress(mscoree, "CLRCreateInstance")));
    if (!create) {
        result = HRESULT_FROM_WIN32(GetLastError());
        return nullptr;  // mscoree stays loaded: the runtime would need it for the process's life
    }
    void* metaHost = nullptr;
    result = create(kCLSID_CLRMetaHost, kIID_ICLRMetaHost, &metaHost);
    return FAILED(result) ? nullptr : static_cast<ICLRMetaHost*>(metaHost);
}

}  // namespace

PluginState::PluginState() : defaultText(names::kDefaultText), displayText(defaultText) {
    metaHost = CreateMetaHost(lastResult);
}

PluginState g_plugin;

void OnLibraryNotification(HINSTANCE module, DWORD reason) noexcept {
    if (reason == DLL_PROCESS_ATTACH) g_plugin.moduleHandle = module;
}
