#include "bridge/SourceWindow.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "bridge/Commands.h"
#include "bridge/Inbound.h"
#include "bridge/Payload.h"
#include "bridge/RuntimeHost.h"
#include "plugin/Constants.h"
#include "plugin/HostText.h"
#include "plugin/PluginState.h"

static_assert(names::kSourceWindowClassStyle == (CS_HREDRAW | CS_VREDRAW));
static_assert(names::kSourceWindowStyle == (WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL));
static_assert(names::kAnsiPayloadsMessage == WM_USER + 5 && names::kUtf16PayloadsMessage == WM_USER + 6);

namespace {

// The activation context the library was loaded in, taken on first use and kept (with the
// reference the query adds) for the life of the process. A null handle is the process default.
struct LibraryContext {
    bool known = false;
    HANDLE handle = nullptr;
};

LibraryContext QueryLibraryContext() noexcept {
    ACTIVATION_CONTEXT_BASIC_INFORMATION info{};
    static const char anchor = 0;  // any address inside this library
    const BOOL ok = QueryActCtxW(/* dwFlags */ QUERY_ACTCTX_FLAG_ACTCTX_IS_ADDRESS,
                                 /* hActCtx */ const_cast<char*>(&anchor),
                                 /* pvSubInstance */ nullptr,
                                 /* ulInfoClass */ ActivationContextBasicInformation,
                                 /* pvBuffer */ &info,
                                 /* cbBuffer */ sizeof info,
                                 /* pcbWrittenOrRequired */ nullptr);
    return ok ? LibraryContext{.known = true, .handle = info.hActCtx} : LibraryContext{};
}

const LibraryContext& TheLibraryContext() noexcept {
    static const LibraryContext context = QueryLibraryContext();
    return context;
}

// Owns one activation: the context is active from construction to destruction.
class ActivationScope {
public:
    explicit ActivationScope(const LibraryContext& context) noexcept
        : active(context.known && ActivateActCtx(context.handle, &cookie)) {}
    ~ActivationScope() {
        if (active) DeactivateActCtx(0, cookie);
    }
    ActivationScope(const ActivationScope&) = delete;
    ActivationScope& operator=(const ActivationScope&) = delete;

    [[nodiscard]] bool Active() const noexcept { return active; }

private:
    ULONG_PTR cookie = 0;
    bool active;
};

HWND RegisterAndCreate(HINSTANCE executable) noexcept {
    ActivationScope scope(TheLibraryContext());
    if (!scope.Active()) return nullptr;

    const WNDCLASSW windowClass{
        .style = names::kSourceWindowClassStyle,
        .lpfnWndProc = SourceWindowProc,
        .cbClsExtra = 0,
        .cbWndExtra = 0,
        .hInstance = executable,
        .hIcon = LoadIconW(nullptr, IDI_APPLICATION),
        .hCursor = LoadCursorW(nullptr, IDC_CROSS),
        .hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)),
        .lpszMenuName = nullptr,
        .lpszClassName = names::kSourceWindowClass,
    };
    // Registered again for every window; once the class exists this fails and changes nothing.
    RegisterClassW(&windowClass);

    return CreateWindowExW(/* dwExStyle */ 0,
                           /* lpClassName */ names::kSourceWindowClass,
                           /* lpWindowName */ names::kSourceWindowClass,
                           /* dwStyle */ names::kSourceWindowStyle,
                           /* X, Y, nWidth, nHeight */ CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           /* hWndParent: a top-level window */ nullptr,
                           /* hMenu */ nullptr,
                           /* hInstance */ executable,
                           /* lpParam */ nullptr);
}

struct HostFree {
    void operator()(wchar_t* block) const noexcept { MainAllocator->_Free(block); }
};

// ANSI payload text through the system's ANSI code page, into a zero-filled host block.
String AnsiPayloadText(const char* bytes, std::size_t count) {
    const int length = count > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(count);
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes, length, nullptr, 0);
    if (units <= 0) return String();
    const std::size_t blockBytes = (static_cast<std::size_t>(units) + 1) * sizeof(wchar_t);
    std::unique_ptr<wchar_t, HostFree> buffer(static_cast<wchar_t*>(MainAllocator->_Allocate(blockBytes)));
    if (!buffer) throw std::bad_alloc();
    std::memset(buffer.get(), 0, blockBytes);
    const int converted = MultiByteToWideChar(CP_ACP, 0, bytes, length, buffer.get(), units);
    return TextFromUnits(buffer.get(), converted > 0 ? static_cast<std::size_t>(converted) : 0);
}

LRESULT OnCopyData(HWND window, LPARAM lParam) {
    auto* data = reinterpret_cast<COPYDATASTRUCT*>(lParam);
    g_plugin.lastCopyData = data;
    SourceRecord* record = g_plugin.registry.FindRecordByWindow(window);
    if (!record || !data) return 0;
    const String payload = DecodePayload(data->lpData, data->cbData, g_plugin.usingAscii == 1, AnsiPayloadText);
    ApplyCopyData(*record, data->dwData, payload);
    return 0;
}

LRESULT OnPayloadEncoding(HWND window, int usingAscii) {
    if (SourceRecord* record = g_plugin.registry.FindRecordByWindow(window))
        ApplyPayloadEncoding(*record, usingAscii, g_plugin.usingAscii);
    return 0;
}

}  // namespace

HWND CreateSourceWindow() {
    HINSTANCE executable = GetModuleHandleW(nullptr);
    if (!executable) return nullptr;
    HWND window = RegisterAndCreate(executable);
    SendCommand(PlatformCommand());
    SendCommand(WindowCommand(names::kInitCommand, window));
    return window;
}

LRESULT CALLBACK SourceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (message) {
            case WM_DESTROY:
                // The window lives on the host's own user-interface thread: a quit message here
                // would end the host's message loop, so none is posted.
                return 0;
            case WM_CLOSE:
                DestroyWindow(window);
                return 0;
            case WM_COPYDATA:
                return OnCopyData(window, lParam);
            case names::kAnsiPayloadsMessage:
                return OnPayloadEncoding(window, 1);
            case names::kUtf16PayloadsMessage:
                return OnPayloadEncoding(window, 0);
            default:
                return DefWindowProcW(window, message, wParam, lParam);
        }
    } catch (...) {
        Log(names::kSourceWindowFailed, message);
        return 0;
    }
}
