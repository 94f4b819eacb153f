#include "bridge/RuntimeHost.h"

#include "bridge/Commands.h"
#include "bridge/FaultGuard.h"
#include "plugin/Constants.h"
#include "plugin/HostText.h"
#include "plugin/PluginState.h"

namespace {

void ShowStartupMessage(StartupMessage message) {
    OBSMessageBox(/* owner */ nullptr, TextOf(StartupMessageText(message)), /* caption */ nullptr, /* flags */ 0);
}

// The interface out-parameter of a runtime call, written straight into the plugin state so that
// whatever a call stored before failing stays there for StopRuntime.
template <class Interface>
void** OutInterface(Interface*& field) noexcept {
    return reinterpret_cast<void**>(&field);
}

// Failed: a fault, or no object to call.
enum class StartOutcome { Started, NoRuntime, Failed };

// The start-up calls, run inside the fault guard. Nothing here has a destructor to run.
void RunStartupCalls(void* outcomeAddress) {
    auto& outcome = *static_cast<StartOutcome*>(outcomeAddress);
    try {
        PluginState& state = g_plugin;
        if (!state.metaHost) {
            outcome = StartOutcome::Failed;
            return;
        }
        state.lastResult = state.metaHost->GetRuntime(names::kRuntimeVersion, kIID_ICLRRuntimeInfo,
                                                      OutInterface(state.runtimeInfo));
        if (FAILED(state.lastResult)) {
            outcome = StartOutcome::NoRuntime;
            return;
        }
        if (!state.runtimeInfo) {
            outcome = StartOutcome::Failed;
            return;
        }
        // Neither of the next two results is tested: a runtime that will not start fails each
        // later command instead, each leaving its error in lastResult.
        state.lastResult = state.runtimeInfo->GetInterface(kCLSID_CLRRuntimeHost, kIID_ICLRRuntimeHost,
                                                           OutInterface(state.runtimeHost));
        if (!state.runtimeHost) {
            outcome = StartOutcome::Failed;
            return;
        }
        state.lastResult = state.runtimeHost->Start();
        outcome = StartOutcome::Started;
    } catch (...) {
        outcome = StartOutcome::Failed;  // no C++ exception is expected here; treated as a fault
    }
}

}  // namespace

bool StartRuntime() noexcept {
    try {
        if (GetFileAttributesA(names::kCompanionAssemblyNarrow) == INVALID_FILE_ATTRIBUTES)
            ShowStartupMessage(StartupMessage::MissingAssembly);

        StartOutcome outcome = StartOutcome::Failed;
        DWORD exceptionCode = 0;
        if (!CallGuarded(RunStartupCalls, &outcome, exceptionCode)) outcome = StartOutcome::Failed;
        switch (outcome) {
            case StartOutcome::Started:
                return true;
            case StartOutcome::NoRuntime:
                ShowStartupMessage(StartupMessage::NoRuntime);
                return false;
            case StartOutcome::Failed:
                break;
        }
        ShowStartupMessage(StartupMessage::RuntimeFault);
        return false;
    } catch (...) {
        return false;
    }
}

std::uint32_t SendCommand(const String& command) {
    ICLRRuntimeHost* host = g_plugin.runtimeHost;
    if (!host) return 0;
    DWORD returned = 0;
    g_plugin.lastResult = host->ExecuteInDefaultAppDomain(names::kCompanionAssembly, names::kCompanionType,
                                                          names::kCompanionMethod, TextOf(command), &returned);
    return returned;
}

void StopRuntime() noexcept {
    PluginState& state = g_plugin;
    if (state.runtimeHost) {
        try {
            SendCommand(String(names::kQuitCommand));
        } catch (...) {
            // The text could not be built; stopping goes on.
        }
        state.runtimeHost->Stop();
    }
    if (state.runtimeInfo) {
        state.runtimeInfo->Release();
        state.runtimeInfo = nullptr;
    }
    if (state.runtimeHost) {
        state.runtimeHost->Release();
        state.runtimeHost = nullptr;
    }
    if (state.metaHost) {
        state.metaHost->Release();
        state.metaHost = nullptr;
    }
}
