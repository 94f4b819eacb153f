#include "bridge/RuntimeHost.h"

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
