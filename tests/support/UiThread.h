#pragma once
// A stand-in for the host's user-interface thread: a thread that runs a message loop, on which a
// test runs code (creating windows there) while it sends messages from its own thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

class UiThread {
public:
    UiThread();
    // Ends the loop with a quit message of its own and joins the thread.
    ~UiThread();
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    // Runs `task` on the thread and waits for it; false when the thread's message loop no
    // longer answers within `timeoutMs` (it ended, or it is stuck).
    bool Run(const std::function<void()>& task, DWORD timeoutMs = 10000);
    // Whether the message loop has ended (GetMessage returned 0 or failed) before the destructor
    // asked it to.
    bool LoopEndedEarly() const { return endedEarly.load(); }
    DWORD ThreadId() const { return threadId.load(); }

private:
    void Loop();

    std::thread thread;
    std::atomic<DWORD> threadId{0};
    std::atomic<HWND> taskWindow{nullptr};
    std::atomic<bool> stopping{false};
    std::atomic<bool> endedEarly{false};
};
