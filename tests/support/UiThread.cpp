#include "tests/support/UiThread.h"

namespace {

constexpr const wchar_t* kTaskWindowClass = L"TavikTestUiThreadTasks";
constexpr UINT kRunTask = WM_APP + 1;

LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == kRunTask) {
        try {
            (*reinterpret_cast<const std::function<void()>*>(lParam))();
        } catch (...) {
            return 2;
        }
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

UiThread::UiThread() {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread = std::thread([this, ready] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = TaskWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTaskWindowClass;
        RegisterClassW(&windowClass);  // fails harmlessly once registered
        taskWindow = CreateWindowExW(0, kTaskWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        threadId = GetCurrentThreadId();
        SetEvent(ready);
        Loop();
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);
}

void UiThread::Loop() {
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (!stopping) endedEarly = true;
    if (HWND window = taskWindow.exchange(nullptr)) DestroyWindow(window);
}

bool UiThread::Run(const std::function<void()>& task, DWORD timeoutMs) {
    HWND window = taskWindow;
    if (!window || endedEarly) return false;
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutW(window, kRunTask, 0, reinterpret_cast<LPARAM>(&task),
                                             SMTO_NORMAL, timeoutMs, &result);
    return sent != 0 && result == 1;
}

UiThread::~UiThread() {
    stopping = true;
    if (DWORD id = threadId) PostThreadMessageW(id, WM_QUIT, 0, 0);
    if (thread.joinable()) thread.join();
}
