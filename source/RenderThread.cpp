#include "source/RenderThread.h"

#include "plugin/FailureReports.h"
#include "plugin/Handles.h"
#include "plugin/OwnThread.h"
#include "source/Rasteriser.h"

namespace {

struct RenderWork {
    OwnThread thread;  // its lock guards the board
    RenderBoard board;
    FailureReports failures;  // the thread's own
};
RenderWork g_work;

DWORD WINAPI Run(void*) {
    RenderWork& w = g_work;
    RenderInputs job;
    for (;;) {
        {
            const exclusive_lock hold(w.thread.lock);
            for (;;) {
                if (w.thread.stopping) {
                    w.thread.ended = true;
                    return 0;
                }
                if (w.board.NextJob(job)) break;
                SleepConditionVariableSRW(&w.thread.changed, &w.thread.lock, INFINITE, 0);
            }
        }
        ImageRef image;
        try {
            image = RenderImage(job);
            w.failures.Succeeded(HostCall::Render);
        } catch (...) {
            w.failures.Failed(HostCall::Render);  // the job ends with nothing: its sources keep what they show
        }
        {
            const exclusive_lock hold(w.thread.lock);
            w.board.Finish(job, static_cast<ImageRef&&>(image));
        }
        WakeAllConditionVariable(&w.thread.changed);  // for those waiting for the thread to be idle
    }
}

}  // namespace

namespace render {

void Start() {
    const exclusive_lock hold(g_work.thread.lock);
    g_work.thread.EnsureRunning(Run, THREAD_PRIORITY_BELOW_NORMAL);
}

void Join(RenderBoard::Client& client) {
    const exclusive_lock hold(g_work.thread.lock);
    g_work.board.Add(client);
}

void Leave(RenderBoard::Client& client) noexcept {
    const exclusive_lock hold(g_work.thread.lock);
    g_work.board.Remove(client);
}

void Want(RenderBoard::Client& client, const RenderInputs& inputs) {
    {
        const exclusive_lock hold(g_work.thread.lock);
        if (!g_work.board.Want(client, inputs)) return;
        g_work.thread.EnsureRunning(Run, THREAD_PRIORITY_BELOW_NORMAL);
    }
    WakeAllConditionVariable(&g_work.thread.changed);
}

void Withdraw(RenderBoard::Client& client) noexcept {
    const exclusive_lock hold(g_work.thread.lock);
    g_work.board.Withdraw(client);
}

ImageRef Take(RenderBoard::Client& client) noexcept {
    const exclusive_lock hold(g_work.thread.lock);
    return g_work.board.Take(client);
}

bool RequestStop() noexcept { return g_work.thread.RequestStop(); }

bool WaitUntil(ULONGLONG deadline) noexcept { return g_work.thread.WaitUntil(deadline); }

bool Idle() noexcept {
    const exclusive_lock hold(g_work.thread.lock);
    return g_work.board.Idle();
}

std::size_t ImagesHeld() {
    const exclusive_lock hold(g_work.thread.lock);
    return g_work.board.ImagesHeld();
}

}  // namespace render
