#pragma once
// A runtime of our own standing in for .NET in tests: a meta host, a runtime info and a runtime
// host as COM objects, which record every call and answer what the test asks, failures and an
// access fault included. Install() puts the meta host into the plugin state (as the load would)
// and Restore() gives the state back as it was.
#include <functional>
#include <string>
#include <vector>

#include "plugin/ClrHosting.h"

class FakeRuntime {
public:
    enum class Step { None, GetRuntime, GetInterface, Start };

    struct Command {
        std::wstring assembly, type, method, argument;
    };

    FakeRuntime();
    ~FakeRuntime();
    FakeRuntime(const FakeRuntime&) = delete;
    FakeRuntime& operator=(const FakeRuntime&) = delete;

    // ---- what the runtime answers
    HRESULT getRuntimeResult = S_OK;
    bool getRuntimeGivesInfo = true;
    HRESULT getInterfaceResult = S_OK;
    bool getInterfaceGivesHost = true;
    HRESULT startResult = S_OK;
    Step faultIn = Step::None;  // an access fault inside this call, after it stored its interface
    HRESULT executeResult = S_OK;
    std::wstring failArgument;  // this one command fails with E_FAIL, before the method runs
    // The Command method's result for an argument; 0 when unset.
    std::function<DWORD(const std::wstring& argument)> answer;

    // ---- what happened
    std::vector<std::wstring> events;  // "GetRuntime v4.0.30319", "Start", "Release host", ...
    std::vector<Command> commands;     // every ExecuteInDefaultAppDomain, in order
    std::vector<std::wstring> Arguments() const;
    // References held by others on each object (0 when all were given back).
    long MetaHostRefs() const;
    long InfoRefs() const;
    long HostRefs() const;

    ICLRMetaHost* MetaHost();  // not add-ref'ed
    ICLRRuntimeHost* RuntimeHost();

    // Puts this meta host (with one reference for the plugin) into g_plugin, with runtime info
    // and host null; the plugin state's runtime fields are saved first.
    void Install();
    // As Install, then as a successful start-up would leave it: runtime info and host set, each
    // with one reference for the plugin. No call is recorded.
    void InstallRunning();
    // Puts the saved runtime fields back (whatever the plugin released or kept of ours).
    void Restore();

    struct Objects;

private:
    friend struct FakeMetaHost;
    friend struct FakeRuntimeInfo;
    friend struct FakeRuntimeHost;
    Objects* objects;
    bool installed = false;
    ICLRMetaHost* savedMetaHost = nullptr;
    ICLRRuntimeInfo* savedInfo = nullptr;
    ICLRRuntimeHost* savedHost = nullptr;
    HRESULT savedResult = 0;
};
