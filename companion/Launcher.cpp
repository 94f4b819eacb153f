#include "companion/Launcher.h"

#include <shellapi.h>

#include <cstdint>
#include <cstdio>

#include "companion/CompanionThread.h"
#include "plugin/Constants.h"
#include "plugin/FailureReports.h"
#include "plugin/Handles.h"
#include "plugin/PluginState.h"

namespace {

// The configure callback and the background launches both call the launcher.
SRWLOCK g_throttleLock = SRWLOCK_INIT;

// Sends without waiting forever: a companion that stopped answering is given up after a while.
void SendToCompanion(HWND window, UINT message) noexcept {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, names::kCompanionSendTimeoutMs, &ignored);
}

}  // namespace

int LaunchCompanion() { return LaunchCompanionAt(CalendarSecondsLow32()); }

int LaunchCompanionAt(int now) {
    {
        const exclusive_lock hold(g_throttleLock);
        if (!PassLaunchThrottle(g_plugin.lastLaunchTime, now)) return kLaunchRefused;
    }

    HWND window = FindWindowW(nullptr, names::kCompanionMessageWindow);
    if (!window) window = FindWindowW(nullptr, names::kCompanionMainWindow);
    if (window) {
        SendToCompanion(window, names::kWakeMessage);
        return 0;
    }

    unique_block arguments(names::kLaunchArgumentsBytes);
    if (!arguments) return static_cast<int>(ERROR_NOT_ENOUGH_MEMORY);
    auto* text = static_cast<char*>(arguments.get());
    std::snprintf(text, names::kLaunchArgumentsBytes, names::kLaunchArgumentsFormat, names::kPlatformCode,
                  static_cast<int>(GetCurrentProcessId()));
    HINSTANCE started = ShellExecuteA(nullptr, "open", names::kCompanionExecutable, text, nullptr, SW_SHOW);
    const DWORD lastError = GetLastError();

    const auto value = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(started));
    if (value > 32) {
        Log(names::kLaunchSucceeded);
        return 0;
    }
    Log(names::kLaunchReturnValue, static_cast<int>(value));
    Log(names::kLaunchLastError, static_cast<int>(lastError));
    return static_cast<int>(lastError);
}

void SendHotkeyRelease() noexcept {
    if (HWND window = FindWindowW(nullptr, names::kCompanionMainWindow)) SendToCompanion(window, names::kHotkeyMessage);
}

void STDCALL OnCompanionHotkey(DWORD /*hotkey*/, UPARAM /*param*/, bool down) noexcept {
    if (down) return;
    try {
        SendHotkeyReleaseInBackground();
        g_plugin.failures.Succeeded(HostCall::HotkeyRelease);
    } catch (...) {
        g_plugin.failures.Failed(HostCall::HotkeyRelease);
    }
}
