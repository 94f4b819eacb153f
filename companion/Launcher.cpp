#include "companion/Launcher.h"

#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>

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

void STDCALL OnCompanionHotkey(DWORD /*hotkey*/, UPARAM /*param*/, bool down) noexcept {
    if (down) return;
    if (HWND window = FindWindowW(nullptr, names::kCompanionMainWindow)) SendToCompanion(window, names::kHotkeyMessage);
}

// ---------------------------------------------------------------- launches in the background

namespace {

struct BackgroundLaunches {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    HANDLE thread = nullptr;
    bool pending = false;   // a request waits
    bool running = false;   // LaunchCompanion runs
    bool stopping = false;
    FailureReports failures;  // the thread's own
};
BackgroundLaunches g_background;

DWORD WINAPI RunBackgroundLaunches(void*) {
    BackgroundLaunches& b = g_background;
    for (;;) {
        {
            const exclusive_lock hold(b.lock);
            while (!b.pending && !b.stopping) SleepConditionVariableSRW(&b.changed, &hold.lock(), INFINITE, 0);
            if (b.stopping) return 0;
            b.pending = false;
            b.running = true;
        }
        // The launch belongs to the activation that asked for it.
        try {
            LaunchCompanion();
            b.failures.Succeeded(HostCall::ActivateSource);
        } catch (...) {
            b.failures.Failed(HostCall::ActivateSource);
        }
        {
            const exclusive_lock hold(b.lock);
            b.running = false;
        }
        WakeAllConditionVariable(&b.changed);
    }
}

}  // namespace

void LaunchCompanionInBackground() {
    BackgroundLaunches& b = g_background;
    {
        const exclusive_lock hold(b.lock);
        if (!b.thread) {
            b.thread = CreateThread(nullptr, 0, RunBackgroundLaunches, nullptr, 0, nullptr);
            if (!b.thread) throw std::runtime_error("no thread to launch the companion on");
        }
        b.pending = true;
    }
    WakeAllConditionVariable(&b.changed);
}

void StopBackgroundLaunches() noexcept {
    BackgroundLaunches& b = g_background;
    HANDLE thread = nullptr;
    {
        const exclusive_lock hold(b.lock);
        thread = b.thread;
        if (!thread) return;
        b.stopping = true;
        b.pending = false;
    }
    WakeAllConditionVariable(&b.changed);
    // Bounded: a wake gives up after the send's time-out.
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    const exclusive_lock hold(b.lock);
    b.thread = nullptr;
    b.stopping = false;
}

bool BackgroundLaunchesIdle() noexcept {
    const exclusive_lock hold(g_background.lock);
    return !g_background.pending && !g_background.running;
}
