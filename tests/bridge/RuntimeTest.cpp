#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/RuntimeHost.h"
#include "host/HostSide.h"
#include "plugin/Constants.h"
#include "plugin/Exports.h"
#include "plugin/PluginState.h"
#include "tests/support/FakeRuntime.h"

namespace {

using Texts = std::vector<std::wstring>;

const std::wstring kGroup = names::kSupportGroup;
const std::wstring k126 =
    L"错误码126，缺少dll，请将插件包中内容（包括1个dll文件和1个目录）全部复制到obs的plugins目录下，不要分开放置。\r\n"
    L"如需帮助，可加讨论群：" + kGroup;
const std::wstring k127 =
    L"错误码127，无法初始化环境，请检查.net framework 4.0 运行环境是否安装。\r\n如需帮助，可加讨论群：" + kGroup;
const std::wstring k128 =
    L"错误码128，无法初始化环境，请检查.net framework 4.0 运行环境是否安装。\r\n如果需要帮助，可加讨论群：" + kGroup;

constexpr HRESULT kShimLoadFailed = static_cast<HRESULT>(0x80131700);  // what Wine without Mono answers
constexpr HRESULT kFail = E_FAIL;
constexpr HRESULT kSentinel = static_cast<HRESULT>(0x0BADF00D);

// Every test runs in a directory of its own, so that the companion assembly can be there or not.
class Runtime : public testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryW(MAX_PATH, saved);
        CreateDirectoryW(L"bridge_runtime_cwd", nullptr);
        ASSERT_TRUE(SetCurrentDirectoryW(L"bridge_runtime_cwd"));
        CreateDirectoryW(L"plugins", nullptr);
        CreateDirectoryW(L"plugins\\TavikMusic", nullptr);
        SetAssembly(true);
        HostClearMessageBoxes();
        HostSetLogEcho(false);
    }
    void TearDown() override {
        g_plugin.bridgeEnabled = false;
        SetAssembly(false);
        SetCurrentDirectoryW(saved);
    }
    static void SetAssembly(bool present) {
        if (present) {
            HANDLE file = CreateFileW(L"plugins\\TavikMusic\\QuorbMusic.dll", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            CloseHandle(file);
        } else {
            DeleteFileW(L"plugins\\TavikMusic\\QuorbMusic.dll");
        }
    }
    static Texts Messages() {
        Texts texts;
        for (unsigned i = 0; i < HostMessageBoxCount(); ++i) {
            const HostMessageBox* box = HostGetMessageBox(i);
            EXPECT_EQ(box->owner, nullptr);
            EXPECT_EQ(box->caption, nullptr);
            EXPECT_EQ(box->flags, 0u);
            texts.push_back(box->text);
        }
        return texts;
    }

    FakeRuntime fake;
    wchar_t saved[MAX_PATH] = {};
};

TEST_F(Runtime, StartUpStepByStep) {
    using Step = FakeRuntime::Step;
    struct Case {
        const char* what;
        bool assembly = true;
        bool metaHost = true;
        HRESULT getRuntime = S_OK;
        bool givesInfo = true;
        HRESULT getInterface = S_OK;
        bool givesHost = true;
        HRESULT start = S_OK;
        Step fault = Step::None;
        // expected
        bool started;
        Texts messages;
        Texts events;
        HRESULT lastResult;
        bool infoKept, hostKept;
    };
    const Texts allCalls = {L"GetRuntime v4.0.30319", L"GetInterface", L"Start"};
    const Case cases[] = {
        {.what = "all well", .start = S_FALSE, .started = true, .messages = {}, .events = allCalls,
         .lastResult = S_FALSE, .infoKept = true, .hostKept = true},
        {.what = "assembly missing", .assembly = false, .started = true, .messages = {k126}, .events = allCalls,
         .lastResult = S_OK, .infoKept = true, .hostKept = true},
        {.what = "GetRuntime fails", .getRuntime = kShimLoadFailed, .givesInfo = false, .started = false,
         .messages = {k127}, .events = {L"GetRuntime v4.0.30319"}, .lastResult = kShimLoadFailed, .infoKept = false,
         .hostKept = false},
        {.what = "assembly missing and GetRuntime fails", .assembly = false, .getRuntime = kFail, .givesInfo = false,
         .started = false, .messages = {k126, k127}, .events = {L"GetRuntime v4.0.30319"}, .lastResult = kFail,
         .infoKept = false, .hostKept = false},
        {.what = "GetInterface fails", .getInterface = kShimLoadFailed, .givesHost = false, .started = false,
         .messages = {k128}, .events = {L"GetRuntime v4.0.30319", L"GetInterface"}, .lastResult = kShimLoadFailed,
         .infoKept = true, .hostKept = false},
        {.what = "GetInterface fails but gives a host", .getInterface = kFail, .started = true, .messages = {},
         .events = allCalls, .lastResult = S_OK, .infoKept = true, .hostKept = true},
        {.what = "Start fails", .start = kFail, .started = true, .messages = {}, .events = allCalls,
         .lastResult = kFail, .infoKept = true, .hostKept = true},
        {.what = "no meta host", .metaHost = false, .started = false, .messages = {k128}, .events = {},
         .lastResult = kSentinel, .infoKept = false, .hostKept = false},
        {.what = "GetRuntime succeeds without an object", .givesInfo = false, .started = false, .messages = {k128},
         .events = {L"GetRuntime v4.0.30319"}, .lastResult = S_OK, .infoKept = false, .hostKept = false},
        {.what = "access fault in GetRuntime", .fault = Step::GetRuntime, .started = false, .messages = {k128},
         .events = {L"GetRuntime v4.0.30319"}, .lastResult = kSentinel, .infoKept = true, .hostKept = false},
        {.what = "access fault in GetInterface", .getRuntime = S_FALSE, .fault = Step::GetInterface, .started = false,
         .messages = {k128}, .events = {L"GetRuntime v4.0.30319", L"GetInterface"}, .lastResult = S_FALSE,
         .infoKept = true, .hostKept = true},
        {.what = "access fault in Start", .getInterface = S_FALSE, .fault = Step::Start, .started = false,
         .messages = {k128}, .events = allCalls, .lastResult = S_FALSE, .infoKept = true, .hostKept = true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRuntime runtime;
        runtime.getRuntimeResult = c.getRuntime;
        runtime.getRuntimeGivesInfo = c.givesInfo;
        runtime.getInterfaceResult = c.getInterface;
        runtime.getInterfaceGivesHost = c.givesHost;
        runtime.startResult = c.start;
        runtime.faultIn = c.fault;
        runtime.Install();
        if (!c.metaHost) g_plugin.metaHost = nullptr;
        g_plugin.lastResult = kSentinel;
        SetAssembly(c.assembly);
        HostClearMessageBoxes();

        EXPECT_EQ(StartRuntime(), c.started);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(runtime.events, c.events);
        EXPECT_EQ(g_plugin.lastResult, c.lastResult);
        EXPECT_EQ(g_plugin.runtimeInfo != nullptr, c.infoKept);
        EXPECT_EQ(g_plugin.runtimeHost != nullptr, c.hostKept);

        // Whatever was obtained is given back by the stop, which quits only a host it has.
        runtime.events.clear();
        StopRuntime();
        Texts stop;
        if (c.hostKept) stop = {L"Execute quit", L"Stop"};
        if (c.infoKept) stop.push_back(L"Release info");
        if (c.hostKept) stop.push_back(L"Release host");
        if (c.metaHost) stop.push_back(L"Release meta host");
        EXPECT_EQ(runtime.events, stop);
        EXPECT_EQ(runtime.MetaHostRefs(), c.metaHost ? 0 : 1);
        EXPECT_EQ(runtime.InfoRefs(), 0);
        EXPECT_EQ(runtime.HostRefs(), 0);
        EXPECT_EQ(g_plugin.metaHost, nullptr);
        EXPECT_EQ(g_plugin.runtimeInfo, nullptr);
        EXPECT_EQ(g_plugin.runtimeHost, nullptr);
    }
}

TEST_F(Runtime, CommandsGoToTheCompanionsCommandMethod) {
    fake.InstallRunning();
    fake.answer = [](const std::wstring& argument) -> DWORD { return argument == L"ShowForm:5" ? 1 : 77; };
    fake.executeResult = S_FALSE;
    g_plugin.lastResult = kSentinel;

    EXPECT_EQ(SendCommand(String(L"ShowForm:5")), 1u);
    EXPECT_EQ(g_plugin.lastResult, S_FALSE);
    EXPECT_EQ(SendCommand(String(L"Set:5{|}宋体")), 77u);
    ASSERT_EQ(fake.commands.size(), 2u);
    for (const FakeRuntime::Command& c : fake.commands) {
        EXPECT_EQ(c.assembly, L".\\plugins\\TavikMusic\\QuorbMusic.dll");
        EXPECT_EQ(c.type, L"QuorbMusic.QuorbMusic");
        EXPECT_EQ(c.method, L"Command");
    }
    EXPECT_EQ(fake.Arguments(), (Texts{L"ShowForm:5", L"Set:5{|}宋体"}));

    // A failed call: the method did not run, 0 comes back and the error stays.
    fake.executeResult = static_cast<HRESULT>(0x80070002);
    EXPECT_EQ(SendCommand(String(L"start:5")), 0u);
    EXPECT_EQ(g_plugin.lastResult, static_cast<HRESULT>(0x80070002));
}

TEST_F(Runtime, NoCommandWithoutAHost) {
    fake.Install();  // the meta host only, as with the switch off
    g_plugin.lastResult = kSentinel;
    EXPECT_EQ(SendCommand(String(L"start:5")), 0u);
    EXPECT_EQ(g_plugin.lastResult, kSentinel);
    EXPECT_TRUE(fake.commands.empty());
}

TEST_F(Runtime, StopSendsQuitAndReleasesInOrder) {
    fake.Install();
    ASSERT_TRUE(StartRuntime());
    fake.events.clear();
    fake.answer = [](const std::wstring&) -> DWORD { return 3; };
    StopRuntime();
    EXPECT_EQ(fake.events,
              (Texts{L"Execute quit", L"Stop", L"Release info", L"Release host", L"Release meta host"}));
    // Stopped: every later command does nothing.
    g_plugin.lastResult = kSentinel;
    EXPECT_EQ(SendCommand(String(L"start:1")), 0u);
    EXPECT_EQ(g_plugin.lastResult, kSentinel);
    StopRuntime();  // again: nothing left to release
    EXPECT_EQ(fake.events.size(), 5u);
}

TEST_F(Runtime, LoadPluginStartsTheRuntimeOnlyWithTheSwitchOn) {
    struct Case {
        const char* what;
        bool switchOn;
        HRESULT getRuntime;
        bool loaded;
        unsigned colourInits;
        Texts events;
        Texts messages;
    } cases[] = {
        {"switch off", false, S_OK, true, 1, {}, {}},
        {"switch on", true, S_OK, true, 1, {L"GetRuntime v4.0.30319", L"GetInterface", L"Start"}, {}},
        {"switch on, no runtime", true, kShimLoadFailed, false, 0, {L"GetRuntime v4.0.30319"}, {k127}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRuntime runtime;
        runtime.getRuntimeResult = c.getRuntime;
        runtime.Install();
        SetAssembly(false);  // with the switch off, its absence goes unnoticed
        if (c.switchOn) SetAssembly(true);
        HostClearMessageBoxes();
        const unsigned inits = HostColorControlInits();
        g_plugin.bridgeEnabled = c.switchOn;

        EXPECT_EQ(LoadPlugin(), c.loaded);
        EXPECT_EQ(HostColorControlInits() - inits, c.colourInits);
        EXPECT_EQ(runtime.events, c.events);
        EXPECT_EQ(Messages(), c.messages);

        runtime.events.clear();
        UnloadPlugin();
        if (c.switchOn) {
            EXPECT_FALSE(runtime.events.empty());
            EXPECT_EQ(runtime.events.back(), L"Release meta host");
            EXPECT_EQ(g_plugin.metaHost, nullptr);
        } else {
            EXPECT_TRUE(runtime.events.empty());  // UnloadPlugin does nothing with the switch off
            EXPECT_EQ(g_plugin.metaHost, runtime.MetaHost());
        }
        g_plugin.bridgeEnabled = false;
    }
}

}  // namespace
