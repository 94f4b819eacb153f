#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bridge/BridgeSteps.h"
#include "bridge/SourceWindow.h"
#include "host/HostSide.h"
#include "plugin/PluginState.h"
#include "tests/support/FakeRuntime.h"
#include "tests/support/UiThread.h"

namespace {

using Texts = std::vector<std::wstring>;
constexpr const wchar_t* kClass = L"TavikMusic Message-Only-Window";

// The window's number as the companion reads it, formatted here independently of the plugin.
std::wstring Number(HWND window) {
    return std::to_wstring(static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window))));
}

// Windows live on a thread of their own with a message loop, as on the host's user-interface
// thread; the test thread plays the companion and sends to them.
class SourceWindows : public testing::Test {
protected:
    void SetUp() override {
        fake.InstallRunning();
        g_plugin.usingAscii = 0;
        HostSetLogEcho(false);
        HostClearLog();
    }
    void TearDown() override {
        g_plugin.registry.ReleaseRegistry();
        g_plugin.usingAscii = 0;
        g_plugin.lastCopyData = nullptr;
    }

    HWND NewSource(XElement* settings) {
        HWND window = nullptr;
        EXPECT_TRUE(ui.Run([&] { window = EnsureSourceWindow(settings); }));
        return window;
    }
    static SourceRecord* RecordOf(HWND window) { return g_plugin.registry.FindRecordByWindow(window); }

    static LRESULT SendCopy(HWND window, ULONG_PTR code, const void* data, DWORD bytes, COPYDATASTRUCT* keep = nullptr) {
        COPYDATASTRUCT local{};
        COPYDATASTRUCT& copy = keep ? *keep : local;
        copy = COPYDATASTRUCT{.dwData = code, .cbData = bytes, .lpData = const_cast<void*>(data)};
        return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
    }
    static LRESULT SendText(HWND window, ULONG_PTR code, const std::u16string& text) {
        return SendCopy(window, code, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    }

    FakeRuntime fake;
    UiThread ui;  // declared last: its windows go before the fake runtime does
};

TEST_F(SourceWindows, CreationAttributesAndAnnouncement) {
    HWND window = nullptr;
    ASSERT_TRUE(ui.Run([&] { window = CreateSourceWindow(); }));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(fake.Arguments(), (Texts{L"setPlatform:5", L"init:" + Number(window)}));

    wchar_t text[64] = {};
    GetClassNameW(window, text, 64);
    EXPECT_STREQ(text, kClass);
    GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, kClass);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(style & 0x00FF0000, 0x00FF0000);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());  // top-level, not message-only
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & ~LONG_PTR(WS_EX_WINDOWEDGE), 0);
    HINSTANCE executable = GetModuleHandleW(nullptr);
    EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), executable);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), ui.ThreadId());

    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExW(executable, kClass, &info));
    EXPECT_EQ(info.style, UINT(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(info.lpfnWndProc, &SourceWindowProc);
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.cbWndExtra, 0);
    EXPECT_EQ(info.hIcon, LoadIconW(nullptr, IDI_APPLICATION));
    EXPECT_EQ(info.hCursor, LoadCursorW(nullptr, IDC_CROSS));
    EXPECT_EQ(info.hbrBackground, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(info.lpszMenuName, nullptr);

    // A second window: registering again changes nothing, and each is announced.
    HWND second = nullptr;
    ASSERT_TRUE(ui.Run([&] { second = CreateSourceWindow(); }));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, window);
    EXPECT_EQ(fake.Arguments().size(), 4u);
    EXPECT_EQ(fake.Arguments()[3], L"init:" + Number(second));
}

// A class of the same name that refuses its windows: the plugin's registration then fails
// (as it does whenever the class exists) and so does the creation.
LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) return FALSE;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(SourceWindows, FailedCreationIsAnnouncedAsZeroAndTriedAgain) {
    HINSTANCE executable = GetModuleHandleW(nullptr);
    UnregisterClassW(kClass, executable);  // no window of the class exists between tests
    WNDCLASSW refusing{};
    refusing.lpfnWndProc = RefuseCreation;
    refusing.hInstance = executable;
    refusing.lpszClassName = kClass;
    ASSERT_TRUE(RegisterClassW(&refusing));

    XConfig config;
    XElement* settings = config.GetRootElement();
    EXPECT_EQ(NewSource(settings), nullptr);
    EXPECT_EQ(fake.Arguments(), (Texts{L"setPlatform:5", L"init:0"}));
    ASSERT_EQ(g_plugin.registry.Count(), 1u);
    EXPECT_EQ(g_plugin.registry.Begin()[0].window, nullptr);
    EXPECT_TRUE(g_plugin.registry.Begin()[0].innerId == L"0");
    EXPECT_EQ(std::wstring(settings->GetString(L"innerId", L"")), L"0");

    ASSERT_TRUE(UnregisterClassW(kClass, executable));
    fake.commands.clear();
    fake.events.clear();
    HWND window = NewSource(settings);  // the null window counts as none: another window and record
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(fake.Arguments(), (Texts{L"setPlatform:5", L"init:" + Number(window)}));
    ASSERT_EQ(g_plugin.registry.Count(), 2u);
    EXPECT_EQ(g_plugin.registry.Begin()[1].window, window);
    EXPECT_EQ(std::wstring(settings->GetString(L"innerId", L"")), Number(window));
}

TEST_F(SourceWindows, CopyDataPayloadCounts) {
    XConfig config;
    HWND window = NewSource(config.GetRootElement());
    ASSERT_NE(window, nullptr);
    // "abc" and its terminator, 8 bytes; the count says how much of it the sender meant.
    const char16_t payload[] = u"abc";
    struct Case {
        DWORD cbData;
        const wchar_t* text;
    } cases[] = {{8, L"abc"}, {6, L"ab"}, {0, L""}, {1, L""}, {2, L"a"}};
    for (const Case& c : cases) {
        RecordOf(window)->text = L"before";
        RecordOf(window)->textFlag = 0;
        EXPECT_EQ(SendCopy(window, 1, payload, c.cbData), 0);
        const SourceRecord* record = RecordOf(window);
        EXPECT_TRUE(record->text == c.text) << "cbData " << c.cbData;
        EXPECT_EQ(record->textFlag, 1);
    }
}

TEST_F(SourceWindows, CopyDataCodes) {
    XConfig config;
    XElement* settings = config.GetRootElement();
    HWND window = NewSource(settings);
    ASSERT_NE(window, nullptr);
    const unsigned itemsBefore = settings->NumDataItems();  // "innerId"

    EXPECT_EQ(SendText(window, 102, u"a|b|c"), 0);
    EXPECT_EQ(std::wstring(settings->GetString(L"a", L"")), L"b|c");
    EXPECT_EQ(SendText(window, 101, u"fontSize|48"), 0);
    EXPECT_EQ(settings->GetInt(L"fontSize", 0), 48);
    EXPECT_EQ(SendText(window, 101, u"outline|"), 0);  // empty value
    EXPECT_EQ(SendText(window, 101, u"|48"), 0);       // empty key
    EXPECT_FALSE(settings->HasItem(L"outline"));
    EXPECT_EQ(SendText(window, 103, u"color|255"), 0);
    EXPECT_EQ(static_cast<std::uint32_t>(settings->GetInt(L"color", 0)), 0xFF0000FFu);
    EXPECT_EQ(SendText(window, 203, u"65280"), 0);
    EXPECT_EQ(static_cast<std::uint32_t>(settings->GetInt(L"RandomForeColor", 0)), 0xFF00FF00u);
    EXPECT_EQ(SendText(window, 102, u"font|微软雅黑"), 0);
    EXPECT_EQ(std::wstring(settings->GetString(L"font", L"")), L"微软雅黑");
    EXPECT_EQ(settings->NumDataItems(), itemsBefore + 5);

    EXPECT_EQ(SendText(window, 200, u"日志 %s 100%"), 0);
    ASSERT_EQ(HostLogLineCount(), 1u);
    EXPECT_EQ(std::wstring(HostGetLogLine(0)), L"日志 %s 100%");

    for (ULONG_PTR code : {0u, 2u, 100u, 104u, 199u, 201u, 202u, 204u, 0x10000u})
        EXPECT_EQ(SendText(window, code, u"backgroundOpacity|50"), 0) << code;
    EXPECT_FALSE(settings->HasItem(L"backgroundOpacity"));
    EXPECT_EQ(settings->NumDataItems(), itemsBefore + 5);
    EXPECT_FALSE(RecordOf(window)->text.IsValid());
    EXPECT_EQ(HostLogLineCount(), 1u);
}

TEST_F(SourceWindows, MessagesToAWindowWithoutARecord) {
    HWND stray = nullptr;  // a window of the class that no source owns
    ASSERT_TRUE(ui.Run([&] { stray = CreateSourceWindow(); }));
    ASSERT_NE(stray, nullptr);
    COPYDATASTRUCT copy{};
    const char16_t payload[] = u"x|1";
    EXPECT_EQ(SendCopy(stray, 102, payload, sizeof payload, &copy), 0);
    EXPECT_EQ(g_plugin.lastCopyData, &copy);  // noted, nothing else
    EXPECT_EQ(g_plugin.registry.Count(), 0u);
    g_plugin.usingAscii = 1;
    EXPECT_EQ(SendMessageW(stray, 1030, 0, 0), 0);
    EXPECT_EQ(g_plugin.usingAscii, 1);
    // Everything else goes to the default procedure, which knows the title.
    wchar_t title[64] = {};
    EXPECT_EQ(SendMessageW(stray, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(title)), LRESULT(std::wcslen(kClass)));
    EXPECT_STREQ(title, kClass);
}

TEST_F(SourceWindows, EncodingSwitchOnOneWindowAppliesToAll) {
    XConfig configA, configB;
    XElement* a = configA.GetRootElement();
    XElement* b = configB.GetRootElement();
    HWND windowA = NewSource(a);
    HWND windowB = NewSource(b);
    ASSERT_TRUE(windowA && windowB);

    EXPECT_EQ(SendMessageW(windowA, 1029, 0, 0), 0);
    EXPECT_EQ(g_plugin.usingAscii, 1);
    EXPECT_EQ(a->GetInt(L"usingASCII", -1), 1);
    EXPECT_FALSE(b->HasItem(L"usingASCII"));

    const char ansi[] = "fontSize|36";
    EXPECT_EQ(SendCopy(windowB, 101, ansi, sizeof ansi), 0);
    EXPECT_EQ(b->GetInt(L"fontSize", 0), 36);
    const char unterminated[] = {'o', 'u', 't', 'l', 'i', 'n', 'e', '|', '1', '2', '3'};
    EXPECT_EQ(SendCopy(windowB, 101, unterminated, 10), 0);  // read up to the count: "outline|12"
    EXPECT_EQ(b->GetInt(L"outline", 0), 12);
    if (GetACP() == 936) {  // a Chinese system's code page, as the Wine runner sets up
        const char gbk[] = "font|\xCB\xCE\xCC\xE5";
        EXPECT_EQ(SendCopy(windowB, 102, gbk, sizeof gbk), 0);
        EXPECT_EQ(std::wstring(b->GetString(L"font", L"")), L"宋体");
    }

    EXPECT_EQ(SendMessageW(windowB, 1030, 0, 0), 0);
    EXPECT_EQ(g_plugin.usingAscii, 0);
    EXPECT_EQ(b->GetInt(L"usingASCII", -1), 0);
    EXPECT_EQ(a->GetInt(L"usingASCII", -1), 1);
    EXPECT_EQ(SendText(windowA, 102, u"font|宋体"), 0);
    EXPECT_EQ(std::wstring(a->GetString(L"font", L"")), L"宋体");
}

TEST_F(SourceWindows, TheHostSurvivesACompanionClosingASourceWindow) {
    XConfig config;
    HWND window = NewSource(config.GetRootElement());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    // The thread's message loop goes on: no quit message is waiting, and it still runs work.
    bool quitPending = true;
    ASSERT_TRUE(ui.Run([&] {
        MSG message;
        quitPending = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    }));
    EXPECT_FALSE(quitPending);
    Sleep(50);
    EXPECT_FALSE(ui.LoopEndedEarly());
    EXPECT_TRUE(ui.Run([] {}));
    // The record outlives its window.
    ASSERT_NE(RecordOf(window), nullptr);
    EXPECT_EQ(RecordOf(window)->settings, config.GetRootElement());
}

}  // namespace
