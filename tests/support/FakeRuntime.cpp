#include "tests/support/FakeRuntime.h"

#include <cstdint>
#include <cstring>

#include "plugin/PluginState.h"

namespace {

// The published identifiers, written out here rather than taken from the plugin's header, so
// that a wrong GUID there shows as an unknown interface.
constexpr GUID kMetaHostIid = {0xD332DB9E, 0xB9B3, 0x4125, {0x82, 0x07, 0xA1, 0x48, 0x84, 0xF5, 0x32, 0x16}};
constexpr GUID kRuntimeInfoIid = {0xBD39D1D2, 0xBA2F, 0x486A, {0x89, 0xB0, 0xB4, 0xB0, 0xCB, 0x46, 0x68, 0x91}};
constexpr GUID kRuntimeHostClsid = {0x90F1A06E, 0x7712, 0x4762, {0x86, 0xB5, 0x7A, 0x5E, 0xBA, 0x6B, 0xDB, 0x02}};
constexpr GUID kRuntimeHostIid = {0x90F1A06C, 0x7712, 0x4762, {0x86, 0xB5, 0x7A, 0x5E, 0xBA, 0x6B, 0xDB, 0x02}};
constexpr GUID kUnknownIid = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool Same(REFGUID a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

void AccessFault() {
    volatile std::uintptr_t address = 0x10;  // not null, so the compiler cannot see the fault coming
    *reinterpret_cast<volatile int*>(address) = 1;
}

}  // namespace

// The three objects share the runtime's script and records. Their lifetime is the FakeRuntime's,
// whatever their counts say, so a test can look at them after the plugin let go.
template <class Interface>
struct FakeObject : Interface {
    FakeRuntime* runtime = nullptr;
    const wchar_t* name = L"";
    GUID iid{};
    long refs = 0;

    HRESULT __stdcall QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (Same(riid, kUnknownIid) || Same(riid, iid)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG __stdcall AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG __stdcall Release() override {
        runtime->events.push_back(std::wstring(L"Release ") + name);
        return static_cast<ULONG>(--refs);
    }
};

struct FakeMetaHost final : FakeObject<ICLRMetaHost> {
    HRESULT __stdcall GetRuntime(LPCWSTR version, REFIID riid, LPVOID* out) override;
    HRESULT __stdcall GetVersionFromFile(LPCWSTR, LPWSTR, DWORD*) override { return E_NOTIMPL; }
    HRESULT __stdcall EnumerateInstalledRuntimes(IEnumUnknown**) override { return E_NOTIMPL; }
    HRESULT __stdcall EnumerateLoadedRuntimes(HANDLE, IEnumUnknown**) override { return E_NOTIMPL; }
    HRESULT __stdcall RequestRuntimeLoadedNotification(RuntimeLoadedCallbackFnPtr) override { return E_NOTIMPL; }
    HRESULT __stdcall QueryLegacyV2RuntimeBinding(REFIID, LPVOID*) override { return E_NOTIMPL; }
    HRESULT __stdcall ExitProcess(INT32) override { return E_NOTIMPL; }
};

struct FakeRuntimeInfo final : FakeObject<ICLRRuntimeInfo> {
    HRESULT __stdcall GetVersionString(LPWSTR, DWORD*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetRuntimeDirectory(LPWSTR, DWORD*) override { return E_NOTIMPL; }
    HRESULT __stdcall IsLoaded(HANDLE, BOOL*) override { return E_NOTIMPL; }
    HRESULT __stdcall LoadErrorString(UINT, LPWSTR, DWORD*, LONG) override { return E_NOTIMPL; }
    HRESULT __stdcall LoadLibrary(LPCWSTR, HMODULE*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetProcAddress(LPCSTR, LPVOID*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetInterface(REFCLSID clsid, REFIID riid, LPVOID* out) override;
    HRESULT __stdcall IsLoadable(BOOL*) override { return E_NOTIMPL; }
    HRESULT __stdcall SetDefaultStartupFlags(DWORD, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT __stdcall GetDefaultStartupFlags(DWORD*, LPWSTR, DWORD*) override { return E_NOTIMPL; }
    HRESULT __stdcall BindAsLegacyV2Runtime() override { return E_NOTIMPL; }
    HRESULT __stdcall IsStarted(BOOL*, DWORD*) override { return E_NOTIMPL; }
};

struct FakeRuntimeHost final : FakeObject<ICLRRuntimeHost> {
    HRESULT __stdcall Start() override;
    HRESULT __stdcall Stop() override {
        runtime->events.push_back(L"Stop");
        return S_OK;
    }
    HRESULT __stdcall SetHostControl(IHostControl*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetCLRControl(ICLRControl**) override { return E_NOTIMPL; }
    HRESULT __stdcall UnloadAppDomain(DWORD, BOOL) override { return E_NOTIMPL; }
    HRESULT __stdcall ExecuteInAppDomain(DWORD, FExecuteInAppDomainCallback, void*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetCurrentAppDomainId(DWORD*) override { return E_NOTIMPL; }
    HRESULT __stdcall ExecuteApplication(LPCWSTR, DWORD, LPCWSTR*, DWORD, LPCWSTR*, int*) override { return E_NOTIMPL; }
    HRESULT __stdcall ExecuteInDefaultAppDomain(LPCWSTR assembly, LPCWSTR type, LPCWSTR method, LPCWSTR argument,
                                                DWORD* returned) override;
};

struct FakeRuntime::Objects {
    FakeMetaHost metaHost;
    FakeRuntimeInfo info;
    FakeRuntimeHost host;
};

HRESULT FakeMetaHost::GetRuntime(LPCWSTR version, REFIID riid, LPVOID* out) {
    runtime->events.push_back(std::wstring(L"GetRuntime ") + (version ? version : L"(null)") +
                              (Same(riid, kRuntimeInfoIid) ? L"" : L" with an unknown IID"));
    if (runtime->getRuntimeGivesInfo) {
        *out = static_cast<ICLRRuntimeInfo*>(&runtime->objects->info);
        runtime->objects->info.AddRef();
    } else {
        *out = nullptr;
    }
    if (runtime->faultIn == FakeRuntime::Step::GetRuntime) AccessFault();
    return runtime->getRuntimeResult;
}

HRESULT FakeRuntimeInfo::GetInterface(REFCLSID clsid, REFIID riid, LPVOID* out) {
    runtime->events.push_back(std::wstring(L"GetInterface") +
                              (Same(clsid, kRuntimeHostClsid) && Same(riid, kRuntimeHostIid) ? L"" : L" with unknown IDs"));
    if (runtime->getInterfaceGivesHost) {
        *out = static_cast<ICLRRuntimeHost*>(&runtime->objects->host);
        runtime->objects->host.AddRef();
    } else {
        *out = nullptr;
    }
    if (runtime->faultIn == FakeRuntime::Step::GetInterface) AccessFault();
    return runtime->getInterfaceResult;
}

HRESULT FakeRuntimeHost::Start() {
    runtime->events.push_back(L"Start");
    if (runtime->faultIn == FakeRuntime::Step::Start) AccessFault();
    return runtime->startResult;
}

HRESULT FakeRuntimeHost::ExecuteInDefaultAppDomain(LPCWSTR assembly, LPCWSTR type, LPCWSTR method, LPCWSTR argument,
                                                   DWORD* returned) {
    auto text = [](LPCWSTR s) { return std::wstring(s ? s : L"(null)"); };
    runtime->commands.push_back({text(assembly), text(type), text(method), text(argument)});
    runtime->events.push_back(L"Execute " + text(argument));
    if (!runtime->failArgument.empty() && runtime->failArgument == text(argument)) return E_FAIL;
    if (FAILED(runtime->executeResult)) return runtime->executeResult;  // the method did not run
    if (returned) *returned = runtime->answer ? runtime->answer(text(argument)) : 0;
    return runtime->executeResult;
}

FakeRuntime::FakeRuntime() : objects(new Objects) {
    objects->metaHost.runtime = objects->info.runtime = objects->host.runtime = this;
    objects->metaHost.name = L"meta host";
    objects->metaHost.iid = kMetaHostIid;
    objects->info.name = L"info";
    objects->info.iid = kRuntimeInfoIid;
    objects->host.name = L"host";
    objects->host.iid = kRuntimeHostIid;
}

FakeRuntime::~FakeRuntime() {
    Restore();
    delete objects;
}

std::vector<std::wstring> FakeRuntime::Arguments() const {
    std::vector<std::wstring> arguments;
    for (const Command& c : commands) arguments.push_back(c.argument);
    return arguments;
}

long FakeRuntime::MetaHostRefs() const { return objects->metaHost.refs; }
long FakeRuntime::InfoRefs() const { return objects->info.refs; }
long FakeRuntime::HostRefs() const { return objects->host.refs; }
ICLRMetaHost* FakeRuntime::MetaHost() { return &objects->metaHost; }
ICLRRuntimeHost* FakeRuntime::RuntimeHost() { return &objects->host; }

void FakeRuntime::Install() {
    if (!installed) {
        savedMetaHost = g_plugin.metaHost;
        savedInfo = g_plugin.runtimeInfo;
        savedHost = g_plugin.runtimeHost;
        savedResult = g_plugin.lastResult;
        installed = true;
    }
    objects->metaHost.refs = 1;
    g_plugin.metaHost = &objects->metaHost;
    g_plugin.runtimeInfo = nullptr;
    g_plugin.runtimeHost = nullptr;
}

void FakeRuntime::InstallRunning() {
    Install();
    objects->info.refs = 1;
    objects->host.refs = 1;
    g_plugin.runtimeInfo = &objects->info;
    g_plugin.runtimeHost = &objects->host;
}

void FakeRuntime::Restore() {
    if (!installed) return;
    g_plugin.metaHost = savedMetaHost;
    g_plugin.runtimeInfo = savedInfo;
    g_plugin.runtimeHost = savedHost;
    g_plugin.lastResult = savedResult;
    installed = false;
}
