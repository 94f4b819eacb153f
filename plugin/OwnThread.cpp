#include "plugin/OwnThread.h"

#include <stdexcept>

#include "plugin/Handles.h"

namespace {

struct StartRecord {
    LPTHREAD_START_ROUTINE body;
    void* argument;
    HMODULE module;  // the reference the thread leaves with
};

DWORD WINAPI Trampoline(void* record) {
    const StartRecord start = *static_cast<StartRecord*>(record);
    HeapFree(GetProcessHeap(), 0, record);
    const DWORD result = start.body(start.argument);
    FreeLibraryAndExitThread(start.module, result);
}

}  // namespace

void OwnThread::EnsureRunning(LPTHREAD_START_ROUTINE body, int priority) {
    if (handle) {
        if (!ended) {
            stopping = false;  // still running: it goes on with the work
            return;
        }
        CloseHandle(handle);
        handle = nullptr;
    }
    stopping = false;
    ended = false;
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&Trampoline), &module))
        throw std::runtime_error("no reference to the plugin's module for its thread");
    auto* start = static_cast<StartRecord*>(HeapAlloc(GetProcessHeap(), 0, sizeof(StartRecord)));
    if (!start) {
        FreeLibrary(module);
        throw std::runtime_error("no memory to start the plugin's thread");
    }
    *start = {body, this, module};
    handle = CreateThread(nullptr, 0, Trampoline, start, CREATE_SUSPENDED, nullptr);
    if (!handle) {
        HeapFree(GetProcessHeap(), 0, start);
        FreeLibrary(module);
        throw std::runtime_error("the plugin's thread could not be made");
    }
    SetThreadPriority(handle, priority);
    ResumeThread(handle);
}

bool OwnThread::RequestStop() noexcept {
    {
        const exclusive_lock hold(lock);
        if (!handle) return false;
        stopping = true;
    }
    WakeAllConditionVariable(&changed);
    return true;
}

bool OwnThread::WaitUntil(ULONGLONG deadline) noexcept {
    HANDLE thread = nullptr;
    {
        const exclusive_lock hold(lock);
        thread = handle;
    }
    if (!thread) return true;
    const ULONGLONG now = GetTickCount64();
    if (WaitForSingleObject(thread, now < deadline ? static_cast<DWORD>(deadline - now) : 0) != WAIT_OBJECT_0)
        return false;
    const exclusive_lock hold(lock);
    if (handle == thread) {
        CloseHandle(handle);
        handle = nullptr;
        stopping = false;
        ended = false;
    }
    return true;
}
