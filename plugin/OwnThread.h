#pragma once
// A thread of the plugin's own that sleeps until it has work: the render thread and the thread
// that waits on the companion and the host's hotkey lock for the frames and the callbacks.
//
// The thread holds a reference to the plugin's module from before it starts until it has ended:
// it leaves through FreeLibraryAndExitThread. So the host may free the plugin while the thread
// is still blocked (behind a prompt the system shows before starting a program, behind the
// host's hotkey lock): the module stays loaded, and nothing runs in unmapped code, until the
// thread ends. A thread asked to stop that has not ended yet is taken up again, not doubled, when
// work comes before it ends.
#include <windows.h>

class OwnThread {
public:
    // Guards the fields below and the work of the thread's owner; the thread waits on `changed`.
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    bool stopping = false;  // the thread ends once it has done what must be done before it ends
    bool ended = false;     // set by the thread, under the lock, as it leaves

    // With `lock` held: makes sure a thread runs `body` (taking up one that was asked to stop and
    // has not ended). The body's argument is this object; it runs at `priority`. Throws
    // std::runtime_error when no thread can be made.
    void EnsureRunning(LPTHREAD_START_ROUTINE body, int priority);

    // Without the lock: asks the thread to stop and wakes it. Whether one ran.
    bool RequestStop() noexcept;
    // Waits for the thread to end until `deadline` (GetTickCount64). Whether it ended (or none
    // ran); a thread that did not end keeps running, with its own reference to the module.
    bool WaitUntil(ULONGLONG deadline) noexcept;

private:
    HANDLE handle = nullptr;
};
