#pragma once
// What the bridge's window tests share: the bridge running over a fake runtime, a thread with a
// message loop standing in for the host's user-interface thread (where windows are made), and
// the test thread playing the companion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/PluginState.h"
#include "tests/support/FakeRuntime.h"
#include "tests/support/UiThread.h"

using Texts = std::vector<std::wstring>;

// The window's number as the companion reads it, formatted here and not by the plugin.
inline std::wstring Number(HWND window) {
    return std::to_wstring(static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window))));
}

inline LRESULT SendCopy(HWND window, ULONG_PTR code, const void* data, DWORD bytes) {
    COPYDATASTRUCT copy{.dwData = code, .cbData = bytes, .lpData = const_cast<void*>(data)};
    return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
}
inline LRESULT SendText(HWND window, ULONG_PTR code, const std::u16string& text) {
    return SendCopy(window, code, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}

class BridgeRunning : public testing::Test {
protected:
    void SetUp() override {
        fake.InstallRunning();
        g_plugin.usingAscii = 0;
        HostSetLogEcho(false);
    }
    void TearDown() override {
        g_plugin.registry.ReleaseRegistry();
        g_plugin.usingAscii = 0;
    }
    void OnUi(const std::function<void()>& step) { ASSERT_TRUE(ui.Run(step)); }

    FakeRuntime fake;
    UiThread ui;  // declared last: its windows go before the fake runtime does
};
