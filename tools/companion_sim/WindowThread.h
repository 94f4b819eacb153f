#pragma once
// The companion's titled top-level windows, owned by a thread of their own that records every
// application message they receive. The thread can be told to stop handling messages (at once or
// after a while), so that senders have to give up on their own time-outs.

#include <cstdint>
#include <optional>
#include <string>

#include "tools/companion_sim/Handles.h"
#include "tools/companion_sim/Recorder.h"

namespace companion_sim {

struct WindowPlan {
    bool messageWindow = false;                // titled names::kCompanionMessageWindow
    bool mainWindow = false;                   // titled names::kCompanionMainWindow
    std::optional<std::uint32_t> hangAfterMs;  // stop handling messages this long after creation
};

class WindowThread {
public:
    explicit WindowThread(Recorder& recorder) : recorder(recorder) {}
    ~WindowThread() { Stop(kStopTimeoutMs); }
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    // Starts the thread and waits at most `timeoutMs` until its windows exist. Returns an empty
    // text, or what went wrong.
    [[nodiscard]] std::wstring Start(const WindowPlan& plan, DWORD timeoutMs);
    // Asks the thread to destroy its windows and end, and waits at most `timeoutMs` for it.
    // False when it did not end in time.
    bool Stop(DWORD timeoutMs) noexcept;

    static constexpr DWORD kStopTimeoutMs = 5000;

private:
    static DWORD WINAPI ThreadMain(void* self) noexcept;
    void Run() noexcept;

    Recorder& recorder;
    WindowPlan plan;
    UniqueHandle thread;
    UniqueHandle quit;     // set by Stop
    UniqueHandle created;  // set by the thread once its windows exist, or creation failed
    std::wstring error;    // written by the thread before `created` is set
};

}  // namespace companion_sim
