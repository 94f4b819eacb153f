#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/RuntimeHost.h"
#include "host/HostSide.h"
#include "plugin/Constants.h"
#include "dll/Exports.h"
#include "plugin/PluginState.h"
#include "tests/support/FakeRuntime.h"

namespace {

using Texts = std::vector<std::wstring>;
using Step = FakeRuntime::Step;

const std::wstring kGroup = names::kSupportGroup;  // the number is ours to choose
const std::wstring k126 =
    L"错误码126，缺少dll，请将插件包中内容（包括1个dll文件和1个目录）全部复制到obs的plugins目录下，不要分开放置。\r\n"
    L"如需帮助，可加讨论群：" + kGroup;
const std::wstring k127 = L"错误码127，无法初始化环境，请检查.net framework 4.0 运行环境是否安装。\r\n如需帮助，可加讨论群：" + kGroup;
const std::wstring k128 =
    L"错误码128，无法初始化环境，请检查.net framework 4.0 运行环境是否安装。\r\n如果需要帮助，可加讨论群：" + kGroup;
const Texts kAllCalls = {L"GetRuntime v4.0.30319", L"GetInterface", L"Start"};
constexpr HRESULT kNoMono = static_cast<HRESULT>(0x80131700);  // what Wine without Mono answers
constexpr HRESULT kUntouched = static_cast<HRESULT>(0x0BADF00D);

// Each test runs in a directory of its own, where the companion assembly is there or not.
class Runtime : public testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryW(MAX_PATH, saved);
        CreateDirectoryW(L"bridge_runtime_cwd", nullptr);
        ASSERT_TRUE(SetCurrentDirectoryW(L"bridge_runtime_cwd"));
        CreateDirectoryW(L"plugins", nullptr);
        CreateDirectoryW(L"plugins\\TavikMusic", nullptr);
        HostSetLogEcho(false);
    }
    void TearDown() override {
        g_plugin.bridgeEnabled = false;
        SetAssembly(false);
        SetCurrentDirectoryW(saved);
    }
    static void SetAssembly(bool present) {
        if (!present) {
            DeleteFileW(L"plugins\\TavikMusic\\QuorbMusic.dll");
            return;
        }
        HANDLE file = CreateFileW(L"plugins\\TavikMusic\\QuorbMusic.dll", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    // Every message so far, each checked to have no owner, no caption and flags 0.
    static Texts Messages() {
        Texts texts;
        for (unsigned i = 0; i < HostMessageBoxCount(); ++i) {
            const HostMessageBox* box = HostGetMessageBox(i);
            EXPECT_TRUE(box->owner == nullptr && box->caption == nullptr && box->flags == 0);
            texts.push_back(box->text);
        }
        HostClearMessageBoxes();
        return texts;
    }

    wchar_t saved[MAX_PATH] = {};
};

TEST_F(Runtime, StartUpStepByStepAndStopAfterIt) {
    struct Case {
        const char* what;
        bool assembly = true, metaHost = true, givesInfo = true, givesHost = true;
        HRESULT getRuntime = S_OK, getInterface = S_OK, start = S_OK;
        Step fault = Step::None;
        bool started = false;  // expected from here on
        Texts messages = {}, events = {};
        HRESULT lastResult = S_OK;
        bool infoKept = false, hostKept = false;
    };
    const Case cases[] = {
        {.what = "all well", .start = S_FALSE,
         .started = true, .events = kAllCalls, .lastResult = S_FALSE, .infoKept = true, .hostKept = true},
        {.what = "assembly missing", .assembly = false,
         .started = true, .messages = {k126}, .events = kAllCalls, .lastResult = S_OK, .infoKept = true, .hostKept = true},
        {.what = "GetRuntime fails", .givesInfo = false, .getRuntime = kNoMono,
         .started = false, .messages = {k127}, .events = {kAllCalls[0]}, .lastResult = kNoMono},
        {.what = "assembly missing, GetRuntime fails", .assembly = false, .givesInfo = false, .getRuntime = E_FAIL,
         .started = false, .messages = {k126, k127}, .events = {kAllCalls[0]}, .lastResult = E_FAIL},
        {.what = "GetInterface fails", .givesHost = false, .getInterface = kNoMono,
         .started = false, .messages = {k128}, .events = {kAllCalls[0], kAllCalls[1]}, .lastResult = kNoMono,
         .infoKept = true},
        {.what = "GetInterface fails yet gives a host", .getInterface = E_FAIL,
         .started = true, .events = kAllCalls, .lastResult = S_OK, .infoKept = true, .hostKept = true},
        {.what = "Start fails", .start = E_FAIL,
         .started = true, .events = kAllCalls, .lastResult = E_FAIL, .infoKept = true, .hostKept = true},
        {.what = "no meta host", .metaHost = false,
         .started = false, .messages = {k128}, .lastResult = kUntouched},
        {.what = "GetRuntime gives no object", .givesInfo = false,
         .started = false, .messages = {k128}, .events = {kAllCalls[0]}, .lastResult = S_OK},
        {.what = "access fault in GetRuntime", .fault = Step::GetRuntime,
         .started = false, .messages = {k128}, .events = {kAllCalls[0]}, .lastResult = kUntouched, .infoKept = true},
        {.what = "access fault in GetInterface", .getRuntime = S_FALSE, .fault = Step::GetInterface,
         .started = false, .messages = {k128}, .events = {kAllCalls[0], kAllCalls[1]}, .lastResult = S_FALSE,
         .infoKept = true, .hostKept = true},
        {.what = "access fault in Start", .getInterface = S_FALSE, .fault = Step::Start,
         .started = false, .messages = {k128}, .events = kAllCalls, .lastResult = S_FALSE, .infoKept = true,
         .hostKept = true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRuntime fake;
        fake.getRuntimeResult = c.getRuntime;
        fake.getRuntimeGivesInfo = c.givesInfo;
        fake.getInterfaceResult = c.getInterface;
        fake.getInterfaceGivesHost = c.givesHost;
        fake.startResult = c.start;
        fake.faultIn = c.fault;
        fake.Install();
        if (!c.metaHost) g_plugin.metaHost = nullptr;
        g_plugin.lastResult = kUntouched;
        SetAssembly(c.assembly);
        Messages();

        EXPECT_EQ(StartRuntime(), c.started);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(fake.events, c.events);
        EXPECT_EQ(g_plugin.lastResult, c.lastResult);
        EXPECT_EQ(g_plugin.runtimeInfo != nullptr, c.infoKept);
        EXPECT_EQ(g_plugin.runtimeHost != nullptr, c.hostKept);

        // The stop quits and stops only a host it has, and gives back whatever was obtained, in
        // the order runtime info, runtime host, meta host.
        fake.events.clear();
        StopRuntime();
        Texts stop;
        if (c.hostKept) stop = {L"Execute quit", L"Stop"};
        if (c.infoKept) stop.push_back(L"Release info");
        if (c.hostKept) stop.push_back(L"Release host");
        if (c.metaHost) stop.push_back(L"Release meta host");
        EXPECT_EQ(fake.events, stop);
        EXPECT_EQ(fake.MetaHostRefs() + fake.InfoRefs() + fake.HostRefs(), c.metaHost ? 0 : 1);
        EXPECT_TRUE(!g_plugin.metaHost && !g_plugin.runtimeInfo && !g_plugin.runtimeHost);
    }
}

TEST_F(Runtime, CommandsGoToTheCompanionsCommandMethod) {
    FakeRuntime fake;
    fake.Install();  // the meta host only: no command goes anywhere
    g_plugin.lastResult = kUntouched;
    EXPECT_EQ(SendCommand(String(L"start:5")), 0u);
    EXPECT_EQ(g_plugin.lastResult, kUntouched);

    fake.InstallRunning();
    fake.answer = [](const std::wstring& argument) -> DWORD { return argument == L"ShowForm:5" ? 1 : 77; };
    fake.executeResult = S_FALSE;
    EXPECT_EQ(SendCommand(String(L"ShowForm:5")), 1u);
    EXPECT_EQ(g_plugin.lastResult, S_FALSE);
    EXPECT_EQ(SendCommand(String(L"Set:5{|}宋体")), 77u);
    fake.executeResult = static_cast<HRESULT>(0x80070002);  // the method does not run: 0 comes back
    EXPECT_EQ(SendCommand(String(L"stop:5")), 0u);
    EXPECT_EQ(g_plugin.lastResult, static_cast<HRESULT>(0x80070002));
    ASSERT_EQ(fake.commands.size(), 3u);
    for (const FakeRuntime::Command& c : fake.commands) {
        EXPECT_EQ(c.assembly, L".\\plugins\\TavikMusic\\QuorbMusic.dll");
        EXPECT_EQ(c.type, L"QuorbMusic.QuorbMusic");
        EXPECT_EQ(c.method, L"Command");
    }
    EXPECT_EQ(fake.Arguments(), (Texts{L"ShowForm:5", L"Set:5{|}宋体", L"stop:5"}));

    StopRuntime();  // stopped: later commands do nothing, and a second stop releases nothing
    fake.events.clear();
    EXPECT_EQ(SendCommand(String(L"start:1")), 0u);
    StopRuntime();
    EXPECT_TRUE(fake.events.empty());
}

TEST_F(Runtime, LoadPluginStartsTheRuntimeOnlyWithTheSwitchOn) {
    struct Case {
        const char* what;
        bool switchOn;
        HRESULT getRuntime;
        bool loaded;
        unsigned colourInits;
        Texts events, messages;
    } cases[] = {
        {"switch off, no assembly", false, S_OK, true, 1, {}, {}},
        {"switch on", true, S_OK, true, 1, kAllCalls, {}},
        {"switch on, no runtime", true, kNoMono, false, 0, {kAllCalls[0]}, {k127}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRuntime fake;
        fake.getRuntimeResult = c.getRuntime;
        fake.Install();
        SetAssembly(c.switchOn);
        const unsigned inits = HostColorControlInits();
        g_plugin.bridgeEnabled = c.switchOn;
        EXPECT_EQ(LoadPlugin(), c.loaded);
        EXPECT_EQ(HostColorControlInits() - inits, c.colourInits);
        EXPECT_EQ(fake.events, c.events);
        EXPECT_EQ(Messages(), c.messages);

        fake.events.clear();
        UnloadPlugin();
        if (c.switchOn) {
            ASSERT_FALSE(fake.events.empty());
            EXPECT_EQ(fake.events.back(), L"Release meta host");
        } else {
            EXPECT_TRUE(fake.events.empty());
            EXPECT_EQ(g_plugin.metaHost, fake.MetaHost());
        }
        g_plugin.bridgeEnabled = false;
    }
}

}  // namespace
