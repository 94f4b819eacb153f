#include "companion/CompanionThread.h"

#include "companion/Hotkey.h"
#include "companion/Launcher.h"
#include "plugin/FailureReports.h"
#include "plugin/Handles.h"
#include "plugin/OwnThread.h"
#include "plugin/PluginState.h"

namespace {

struct CompanionWork {
    OwnThread thread;  // its lock guards the requests
    bool launch = false;     // a launch waits
    unsigned releases = 0;   // releases whose 1230 is not sent yet
    HotkeyWish wish;         // the key as last asked for
    HotkeyRegistration applied;  // the thread's registration, as of its last turn
    bool working = false;    // the thread carries a request out
    // Only the thread touches these.
    HotkeyRegistration registration;
    FailureReports failures;
};
CompanionWork g_work;

// With the lock held: whether the host's registration is not what was last asked for. A new
// round matters only when a key is registered or wished.
bool HotkeyPending(const CompanionWork& w) noexcept {
    return w.wish.code != w.applied.code ||
           (w.wish.round != w.applied.round && (w.wish.code != 0 || w.applied.id != 0));
}

DWORD WINAPI Run(void*) {
    CompanionWork& w = g_work;
    for (;;) {
        HotkeyWish wish;
        bool hotkey = false, release = false, launch = false;
        {
            const exclusive_lock hold(w.thread.lock);
            w.applied = w.registration;
            w.working = false;
            WakeAllConditionVariable(&w.thread.changed);
            for (;;) {
                if (w.thread.stopping) {
                    w.launch = false;  // a launch not started is dropped; the key goes with the plugin
                    w.wish.code = 0;
                }
                hotkey = HotkeyPending(w);
                release = w.releases > 0;
                launch = w.launch;
                if (hotkey || release || launch) break;
                if (w.thread.stopping) {
                    w.thread.ended = true;
                    return 0;
                }
                SleepConditionVariableSRW(&w.thread.changed, &w.thread.lock, INFINITE, 0);
            }
            wish = w.wish;
            if (release) --w.releases;
            w.launch = false;
            w.working = true;
        }
        if (hotkey) {
            try {
                Reconcile(wish, w.registration, OnCompanionHotkey);
                w.failures.Succeeded(HostCall::HotkeyRegistration);
            } catch (...) {
                w.failures.Failed(HostCall::HotkeyRegistration);
                w.registration.code = wish.code;  // not tried again until the next wish
                w.registration.round = wish.round;
            }
            g_plugin.hotkeyId = w.registration.id;
        }
        if (release) SendHotkeyRelease();
        if (launch) {
            // The launch belongs to the activation that asked for it.
            try {
                LaunchCompanion();
                w.failures.Succeeded(HostCall::ActivateSource);
            } catch (...) {
                w.failures.Failed(HostCall::ActivateSource);
            }
        }
    }
}

// With the lock held: the thread runs and is woken once the lock is let go.
void Wake(CompanionWork& w) { w.thread.EnsureRunning(Run, THREAD_PRIORITY_NORMAL); }

}  // namespace

void StartCompanionThread() {
    const exclusive_lock hold(g_work.thread.lock);
    Wake(g_work);
}

void LaunchCompanionInBackground() {
    {
        const exclusive_lock hold(g_work.thread.lock);
        Wake(g_work);
        g_work.launch = true;
    }
    WakeAllConditionVariable(&g_work.thread.changed);
}

void SendHotkeyReleaseInBackground() {
    {
        const exclusive_lock hold(g_work.thread.lock);
        Wake(g_work);
        ++g_work.releases;
    }
    WakeAllConditionVariable(&g_work.thread.changed);
}

void WishHotkey(int code, UPARAM param) {
    {
        const exclusive_lock hold(g_work.thread.lock);
        Wake(g_work);
        g_work.wish.code = code;
        g_work.wish.param = param;
    }
    WakeAllConditionVariable(&g_work.thread.changed);
}

void ForgetHotkey() {
    {
        const exclusive_lock hotkey(g_plugin.hotkeyLock);
        const exclusive_lock hold(g_work.thread.lock);
        g_plugin.currentHotkeyCode = -1;
        g_work.wish.code = 0;
        ++g_work.wish.round;
        if (!HotkeyPending(g_work)) return;  // nothing registered
        Wake(g_work);
    }
    WakeAllConditionVariable(&g_work.thread.changed);
}

bool RequestCompanionThreadStop() noexcept { return g_work.thread.RequestStop(); }

bool WaitForCompanionThread(ULONGLONG deadline) noexcept { return g_work.thread.WaitUntil(deadline); }

bool CompanionThreadIdle() noexcept {
    const exclusive_lock hold(g_work.thread.lock);
    return !g_work.working && !g_work.launch && g_work.releases == 0 && !HotkeyPending(g_work);
}
