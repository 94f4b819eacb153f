#include "tools/companion_sim/WindowThread.h"

#include <memory>
#include <type_traits>
#include <vector>

#include "plugin/Constants.h"

namespace companion_sim {

namespace {

constexpr const wchar_t* kWindowClass = L"CompanionSimWindow";
constexpr DWORD kPumpSliceMs = 100;

struct WindowTarget {
    Recorder* recorder;
    std::wstring title;
};

std::wstring MessageLine(const std::wstring& title, UINT message, WPARAM wParam, LPARAM lParam) {
    const wchar_t* meaning = message == names::kWakeMessage ? L"wake" : message == names::kHotkeyMessage ? L"hotkey" : L"unexpected";
    return L"received " + std::to_wstring(message) + L" (" + meaning + L") by \"" + title + L"\", wParam " +
           std::to_wstring(static_cast<unsigned long long>(wParam)) + L", lParam " + std::to_wstring(static_cast<long long>(lParam));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        } else if (message >= WM_USER && message < 0xC000) {
            // Application messages: 1129 and 1230, and whatever else someone sends by mistake.
            // Registered messages (0xC000 and up) are the system's broadcasts and not recorded.
            auto* target = reinterpret_cast<WindowTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (target) {
                target->recorder->Record(MessageLine(target->title, message, wParam, lParam));
                return 0;
            }
        }
        return DefWindowProcW(window, message, wParam, lParam);
    } catch (...) {
        Say(L"companion_sim: the window procedure failed on message " + std::to_wstring(message));
        return 0;
    }
}

struct DestroyWindowDeleter {
    void operator()(HWND window) const noexcept { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, DestroyWindowDeleter>;

}  // namespace

std::wstring WindowThread::Start(const WindowPlan& wanted, DWORD timeoutMs) {
    plan = wanted;
    quit.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    created.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!quit || !created) return L"cannot create an event (error " + std::to_wstring(GetLastError()) + L")";
    thread.reset(CreateThread(nullptr, 0, &WindowThread::ThreadMain, this, 0, nullptr));
    if (!thread) return L"cannot start the window thread (error " + std::to_wstring(GetLastError()) + L")";
    HANDLE waits[] = {created.get(), thread.get()};
    switch (WaitForMultipleObjects(2, waits, FALSE, timeoutMs)) {
    case WAIT_OBJECT_0:
        return error;
    case WAIT_OBJECT_0 + 1:
        return L"the window thread ended before its windows existed";
    default:
        return L"the windows did not appear within " + std::to_wstring(timeoutMs) + L" ms";
    }
}

bool WindowThread::Stop(DWORD timeoutMs) noexcept {
    if (!thread) return true;
    SetEvent(quit.get());
    if (WaitForSingleObject(thread.get(), timeoutMs) != WAIT_OBJECT_0) return false;
    thread.reset();
    return true;
}

DWORD WINAPI WindowThread::ThreadMain(void* self) noexcept {
    static_cast<WindowThread*>(self)->Run();
    return 0;
}

void WindowThread::Run() noexcept {
    try {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        const WNDCLASSEXW windowClass{
            .cbSize = sizeof(WNDCLASSEXW),
            .style = 0,
            .lpfnWndProc = &WindowProc,
            .cbClsExtra = 0,
            .cbWndExtra = 0,
            .hInstance = instance,
            .hIcon = nullptr,
            .hCursor = nullptr,
            .hbrBackground = nullptr,
            .lpszMenuName = nullptr,
            .lpszClassName = kWindowClass,
            .hIconSm = nullptr,
        };
        if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            error = L"cannot register the window class (error " + std::to_wstring(GetLastError()) + L")";
            SetEvent(created.get());
            return;
        }
        std::vector<std::unique_ptr<WindowTarget>> targets;
        std::vector<UniqueWindow> windows;
        std::vector<const wchar_t*> titles;
        if (plan.messageWindow) titles.push_back(names::kCompanionMessageWindow);
        if (plan.mainWindow) titles.push_back(names::kCompanionMainWindow);
        for (const wchar_t* title : titles) {
            targets.push_back(std::make_unique<WindowTarget>(WindowTarget{&recorder, title}));
            // Top-level and never shown: FindWindowW finds it, as it finds the companion's.
            UniqueWindow window(CreateWindowExW(/* dwExStyle */ 0,
                                                /* lpClassName */ kWindowClass,
                                                /* lpWindowName */ title,
                                                /* dwStyle */ WS_OVERLAPPEDWINDOW,
                                                /* X, Y */ CW_USEDEFAULT, CW_USEDEFAULT,
                                                /* nWidth, nHeight */ 320, 200,
                                                /* hWndParent */ nullptr,
                                                /* hMenu */ nullptr,
                                                /* hInstance */ instance,
                                                /* lpParam */ targets.back().get()));
            if (!window) {
                error = L"cannot create the window \"" + std::wstring(title) + L"\" (error " + std::to_wstring(GetLastError()) + L")";
                SetEvent(created.get());
                return;
            }
            windows.push_back(std::move(window));
        }
        SetEvent(created.get());

        const ULONGLONG start = GetTickCount64();
        for (;;) {
            DWORD slice = kPumpSliceMs;
            if (plan.hangAfterMs) {
                const ULONGLONG elapsed = GetTickCount64() - start;
                if (elapsed >= *plan.hangAfterMs) break;
                if (*plan.hangAfterMs - elapsed < slice) slice = static_cast<DWORD>(*plan.hangAfterMs - elapsed);
            }
            HANDLE quitEvent = quit.get();
            if (MsgWaitForMultipleObjects(1, &quitEvent, FALSE, slice, QS_ALLINPUT) == WAIT_OBJECT_0) return;
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        // Hung on purpose: no message is handled from here on, sent ones included. Only the quit
        // event ends the wait; the windows are destroyed on the way out.
        Say(L"companion_sim: the window thread no longer handles messages");
        while (WaitForSingleObject(quit.get(), kPumpSliceMs) == WAIT_TIMEOUT) {
        }
    } catch (...) {
        // Reported only while Start still waits; later, the windows are simply gone.
        if (WaitForSingleObject(created.get(), 0) == WAIT_TIMEOUT) {
            error = L"the window thread failed";
            SetEvent(created.get());
        }
    }
}

}  // namespace companion_sim
