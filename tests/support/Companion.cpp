#include "tests/support/Companion.h"

#include <cstdint>
#include <cstring>

#include "plugin/Constants.h"

CompanionBlock::CompanionBlock() {
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, names::kSharedBlockBytes, names::kSharedBlockName);
    if (mapping) view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, names::kSharedBlockBytes));
}

CompanionBlock::~CompanionBlock() {
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
}

void CompanionBlock::Write(const std::wstring& text) {
    if (!view) return;
    std::memset(view, 0, names::kSharedBlockBytes);
    for (std::size_t i = 0; i < text.size() && i < names::kSharedBlockBytes / 2; ++i) {
        const auto unit = static_cast<std::uint16_t>(text[i]);
        std::memcpy(view + 2 * i, &unit, 2);
    }
}

namespace {

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == names::kWakeMessage || message == names::kHotkeyMessage) {
        CompanionWindow::Received().push_back({window, message});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

constexpr const wchar_t* kClassName = L"CompanionWindowForTests";

}  // namespace

std::vector<CompanionWindow::Message>& CompanionWindow::Received() {
    static std::vector<Message> received;
    return received;
}

CompanionWindow::CompanionWindow(const wchar_t* title) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW c{};
        c.lpfnWndProc = RecordingProc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = kClassName;
        registered = RegisterClassW(&c) != 0;
    }
    window = CreateWindowExW(0, kClassName, title, WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
}

CompanionWindow::~CompanionWindow() {
    if (window) DestroyWindow(window);
}

std::wstring SettingsLine(const std::wstring& font, int fontSize, int color, int textOpacity, int backgroundColor,
                          int backgroundOpacity, int bold, int italic, int underline, int outline, int outlineSize,
                          int outlineColor, int outlineOpacity, int hotkey) {
    std::wstring line = L"Set|" + font;
    for (int v : {fontSize, color, textOpacity, backgroundColor, backgroundOpacity, bold, italic, underline, outline,
                  outlineSize, outlineColor, outlineOpacity, hotkey})
        line += L"|" + std::to_wstring(v);
    return line;
}
