#include "plugin/FailureReports.h"

#include <exception>

#include "host/HostApi.h"
#include "plugin/Constants.h"

namespace {

CTSTR CallName(HostCall call) noexcept {
    switch (call) {
        case HostCall::RefreshFrame: return names::kRefreshFrameCall;
        case HostCall::ActivateSource: return names::kActivateSourceCall;
        case HostCall::DeactivateSource: return names::kDeactivateSourceCall;
        case HostCall::CreateSource: return names::kCreateSourceCall;
        case HostCall::ConfigureSource: return names::kConfigureSourceCall;
        case HostCall::LoadPlugin: return names::kLoadPluginCall;
        case HostCall::UnloadPlugin: return names::kUnloadPluginCall;
        case HostCall::DestroySource: return names::kDestroySourceCall;
        case HostCall::HotkeyRelease: return names::kHotkeyReleaseCall;
        case HostCall::Render: return names::kRenderCall;
        case HostCall::HotkeyRegistration: return names::kHotkeyRegistrationCall;
    }
    return L"?";
}

// An exception's text, held without allocating: what() texts are ASCII; any other byte shows as
// "?", and a longer text is cut.
struct WhatText {
    explicit WhatText(const char* what) noexcept {
        std::size_t n = 0;
        for (; what && what[n] && n + 1 < sizeof units / sizeof units[0]; ++n) {
            const unsigned char byte = static_cast<unsigned char>(what[n]);
            units[n] = byte >= 0x20 && byte < 0x7F ? static_cast<wchar_t>(byte) : L'?';
        }
        units[n] = 0;
    }
    wchar_t units[256];
};

}  // namespace

void FailureReports::Failed(HostCall call) noexcept {
    if (IsReported(call)) return;
    reported |= Bit(call);
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            const WhatText what(e.what());
            AppWarning(names::kHostCallFailedWarning, CallName(call), what.units);
        } catch (...) {
            AppWarning(names::kHostCallFailedWarning, CallName(call), names::kUnknownException);
        }
    } catch (...) {
        // The warning itself could not be written; there is nowhere else to say it.
    }
}
