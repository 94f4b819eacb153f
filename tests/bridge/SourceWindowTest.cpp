#include <cstring>

#include "bridge/BridgeSteps.h"
#include "bridge/SourceWindow.h"
#include "dll/Resources.h"
#include "host/HostSide.h"
#include "tests/support/BridgeFixture.h"
#include "plugin/HostText.h"

namespace {

constexpr const wchar_t* kClass = L"TavikMusic Message-Only-Window";

class SourceWindows : public BridgeRunning {
protected:
    HWND NewSource(XElement* settings) {
        HWND window = nullptr;
        OnUi([&] { window = EnsureSourceWindow(settings); });
        return window;
    }
    static SourceRecord* RecordOf(HWND window) { return g_plugin.registry.FindRecordByWindow(window); }
};

TEST_F(SourceWindows, CreationAttributesAndAnnouncement) {
    HWND window = nullptr;
    OnUi([&] { window = CreateSourceWindow(); });
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(fake.Arguments(), (Texts{L"setPlatform:5", L"init:" + Number(window)}));
    wchar_t text[64] = {};
    GetClassNameW(window, text, 64);
    EXPECT_STREQ(text, kClass);
    GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, kClass);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & 0x00FF0000, 0x00FF0000);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());  // top-level, not message-only
    HINSTANCE executable = GetModuleHandleW(nullptr);
    EXPECT_EQ(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), executable);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), ui.ThreadId());

    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExW(executable, kClass, &info));
    EXPECT_EQ(info.style, UINT(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(info.lpfnWndProc, &SourceWindowProc);
    EXPECT_EQ(info.cbClsExtra + info.cbWndExtra, 0);
    EXPECT_EQ(info.hIcon, LoadIconW(nullptr, IDI_APPLICATION));
    EXPECT_EQ(info.hCursor, LoadCursorW(nullptr, IDC_CROSS));
    EXPECT_EQ(info.hbrBackground, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(info.lpszMenuName, nullptr);
}

// A class of the same name that refuses its windows: the plugin's registration then fails, as
// it does whenever the class exists, and so does the creation.
LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return message == WM_NCCREATE ? FALSE : DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(SourceWindows, FailedCreationIsAnnouncedAsZeroAndTriedAgain) {
    HINSTANCE executable = GetModuleHandleW(nullptr);
    UnregisterClassW(kClass, executable);  // no window of the class outlives a test
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
    EXPECT_TRUE(g_plugin.registry.Begin()[0].window == nullptr && g_plugin.registry.Begin()[0].innerId == L"0");
    EXPECT_EQ(std::wstring(ReadText(settings, L"innerId", L"")), L"0");

    ASSERT_TRUE(UnregisterClassW(kClass, executable));
    fake.commands.clear();
    HWND window = NewSource(settings);  // a null window counts as none: another window and record
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(fake.Arguments(), (Texts{L"setPlatform:5", L"init:" + Number(window)}));
    ASSERT_EQ(g_plugin.registry.Count(), 2u);
    EXPECT_EQ(std::wstring(ReadText(settings, L"innerId", L"")), Number(window));
}

TEST_F(SourceWindows, CopyDataFromAnotherThread) {
    XConfig config;
    XElement* settings = config.GetRootElement();
    HWND window = NewSource(settings);
    ASSERT_NE(window, nullptr);

    // "abc" and its terminator are 8 bytes; the count says how much the sender meant.
    const std::pair<DWORD, const wchar_t*> counts[] = {{8, L"abc"}, {6, L"ab"}, {0, L""}, {1, L""}, {2, L"a"}};
    for (const auto& [bytes, text] : counts) {
        RecordOf(window)->textFlag = 0;
        EXPECT_EQ(SendCopy(window, 1, u"abc", bytes), 0);
        EXPECT_TRUE(RecordOf(window)->text == text) << "cbData " << bytes;
        EXPECT_EQ(RecordOf(window)->textFlag, 1);
    }
    const unsigned items = settings->NumDataItems();  // "innerId"
    RecordOf(window)->text = L"only code 1 changes this";
    EXPECT_EQ(SendText(window, 102, u"a|b|c"), 0);
    EXPECT_EQ(SendText(window, 101, u"fontSize|48"), 0);
    EXPECT_EQ(SendText(window, 101, u"outline|"), 0);  // empty value
    EXPECT_EQ(SendText(window, 101, u"|48"), 0);       // empty key
    EXPECT_EQ(SendText(window, 103, u"color|255"), 0);
    EXPECT_EQ(SendText(window, 203, u"65280"), 0);
    EXPECT_EQ(SendText(window, 203, u""), 0);
    EXPECT_EQ(SendText(window, 200, u"日志 %s 100%"), 0);
    for (ULONG_PTR code : {0u, 2u, 100u, 104u, 199u, 201u, 202u, 204u, 0x10000u})
        EXPECT_EQ(SendText(window, code, u"backgroundOpacity|50"), 0) << code;
    EXPECT_EQ(std::wstring(ReadText(settings, L"a", L"")), L"b|c");
    EXPECT_EQ(settings->GetInt(L"fontSize", 0), 48);
    EXPECT_EQ(static_cast<std::uint32_t>(settings->GetInt(L"color", 0)), 0xFF0000FFu);
    EXPECT_EQ(static_cast<std::uint32_t>(settings->GetInt(L"RandomForeColor", 0)), 0xFF00FF00u);
    EXPECT_EQ(settings->NumDataItems(), items + 4);
    ASSERT_GE(HostLogLineCount(), 1u);
    EXPECT_EQ(std::wstring(HostGetLogLine(HostLogLineCount() - 1)), L"日志 %s 100%");  // literal, not a format
    EXPECT_TRUE(RecordOf(window)->text == L"only code 1 changes this");
}

TEST_F(SourceWindows, AWindowWithoutARecordOnlyNotesTheMessage) {
    HWND stray = nullptr;
    OnUi([&] { stray = CreateSourceWindow(); });
    COPYDATASTRUCT copy{.dwData = 102, .cbData = 8, .lpData = const_cast<char16_t*>(u"x|1")};
    EXPECT_EQ(SendMessageW(stray, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)), 0);
    EXPECT_EQ(g_plugin.lastCopyData, &copy);
    EXPECT_EQ(g_plugin.registry.Count(), 0u);
    g_plugin.usingAscii = 1;
    EXPECT_EQ(SendMessageW(stray, 1030, 0, 0), 0);
    EXPECT_EQ(g_plugin.usingAscii, 1);
    wchar_t title[64] = {};  // anything else goes to the default procedure, which knows the title
    EXPECT_EQ(SendMessageW(stray, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(title)), LRESULT(std::wcslen(kClass)));
    EXPECT_STREQ(title, kClass);
    g_plugin.lastCopyData = nullptr;
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

    EXPECT_EQ(SendCopy(windowB, 101, "fontSize|36", 12), 0);
    EXPECT_EQ(SendCopy(windowB, 101, "outline|123", 10), 0);  // no terminator inside the count
    EXPECT_EQ(b->GetInt(L"fontSize", 0), 36);
    EXPECT_EQ(b->GetInt(L"outline", 0), 12);
    if (GetACP() == 936) {  // a Chinese system's code page, as the Wine runner sets up
        EXPECT_EQ(SendCopy(windowB, 102, "font|\xCB\xCE\xCC\xE5", 10), 0);
        EXPECT_EQ(std::wstring(ReadText(b, L"font", L"")), L"宋体");
    }
    EXPECT_EQ(SendMessageW(windowB, 1030, 0, 0), 0);
    EXPECT_EQ(g_plugin.usingAscii, 0);
    EXPECT_EQ(b->GetInt(L"usingASCII", -1), 0);
    EXPECT_EQ(SendText(windowA, 102, u"font|宋体"), 0);
    EXPECT_EQ(std::wstring(ReadText(a, L"font", L"")), L"宋体");
    g_plugin.usingAscii = 2;  // as a source's "usingASCII" 2 leaves it: only exactly 1 means ANSI
    EXPECT_EQ(SendText(windowA, 102, u"font|黑体"), 0);
    EXPECT_EQ(std::wstring(ReadText(a, L"font", L"")), L"黑体");
}

TEST_F(SourceWindows, TheHostSurvivesACompanionClosingASourceWindow) {
    XConfig config;
    HWND window = NewSource(config.GetRootElement());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    bool quitPending = true;  // the thread's message loop goes on, with no quit message waiting
    OnUi([&] {
        MSG message;
        quitPending = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    });
    EXPECT_FALSE(quitPending);
    Sleep(50);
    EXPECT_FALSE(ui.LoopEndedEarly());
    EXPECT_TRUE(ui.Run([] {}));
    ASSERT_NE(RecordOf(window), nullptr);  // the record outlives its window
}

TEST(LibraryManifest, DeclaresOnlyAsInvoker) {
    HMODULE dll = LoadLibraryExW(L"plugins\\TavikSongList.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(dll, nullptr);
    HRSRC resource = FindResourceW(dll, MAKEINTRESOURCEW(TAVIK_MANIFEST_ID), MAKEINTRESOURCEW(TAVIK_MANIFEST_TYPE));
    ASSERT_NE(resource, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(dll, resource)));
    const std::string manifest(text, SizeofResource(dll, resource));
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(manifest.find("dependentAssembly"), std::string::npos);
    FreeLibrary(dll);
}

}  // namespace
