// The launcher and the hotkey relay against a companion in another process (the simulator).
#include <gtest/gtest.h>

#include <string>

#include "companion/Launcher.h"
#include "host/HostSide.h"
#include "host/Utf.h"
#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "tests/support/Simulator.h"
#include "tests/support/Launches.h"

namespace {

using namespace simulator;

const std::string kWakeLine = "received 1129 (wake) by \"MessageFormQuorbMusic\", wParam 0, lParam 0";
const std::string kWakeMainLine = "received 1129 (wake) by \"OrvelTavik直播弹幕点歌系统\", wParam 0, lParam 0";
const std::string kHotkeyLine = "received 1230 (hotkey) by \"OrvelTavik直播弹幕点歌系统\", wParam 0, lParam 0";

class LauncherWithCompanion : public testing::Test {
protected:
    void SetUp() override {
        g_plugin.lastLaunchTime = 0;
        HostClearLog();
    }
    void TearDown() override { g_plugin.lastLaunchTime = 0; }
};

TEST_F(LauncherWithCompanion, WakesAndRelaysToTheRunningCompanion) {
    struct Case { const wchar_t* windows; std::vector<std::string> afterWake, afterHotkey; } cases[] = {
        {L"both", {kWakeLine}, {kWakeLine, kHotkeyLine}},
        {L"main", {kWakeMainLine}, {kWakeMainLine, kHotkeyLine}},
        {L"message", {kWakeLine}, {kWakeLine}},  // the release of the key reaches the main window only
    };
    int now = 1000;
    for (const auto& c : cases) {
        Simulator sim;
        ASSERT_TRUE(sim.Start(std::wstring(L"--song x --windows ") + c.windows));
        EXPECT_EQ(LaunchCompanionAt(now += 10), 0);
        EXPECT_EQ(RecordedLines(sim.record), c.afterWake) << Utf16ToUtf8(std::wstring(c.windows));
        OnCompanionHotkey(112, 0, true);
        OnCompanionHotkey(112, 0, false);
        ASSERT_TRUE(SettleLaunches());
        EXPECT_EQ(RecordedLines(sim.record), c.afterHotkey) << Utf16ToUtf8(std::wstring(c.windows));
        EXPECT_EQ(HostLogLineCount(), 0u) << "nothing is started";
        EXPECT_EQ(sim.Stop(), 0);
    }
}

TEST_F(LauncherWithCompanion, StartsTheCompanionWithTheHostsProcessId) {
    Simulator sim;  // started by the plugin, from the host's directory
    LaunchOptions options("--windows none\n--song x\n--record " + Utf16ToUtf8(FullPath(sim.record)) + "\n--ready-event " +
                          Utf16ToUtf8(sim.readyName) + "\n--stop-event " + Utf16ToUtf8(sim.stopName) + "\n");
    ASSERT_TRUE(SetCurrentDirectoryW(L"launchroot"));
    const int result = LaunchCompanionAt(1000);
    SetCurrentDirectoryW(L"..");
    EXPECT_EQ(result, 0);
    ASSERT_EQ(HostLogLineCount(), 1u);
    EXPECT_STREQ(HostGetLogLine(0), L"Successed!");
    ASSERT_EQ(WaitForSingleObject(sim.ready.get(), kStartMs), WAIT_OBJECT_0);
    EXPECT_EQ(RecordedLines(sim.record),
              std::vector<std::string>{"launch arguments \"5 " + std::to_string(GetCurrentProcessId()) + "\""});
    SetEvent(sim.stop.get());
    EXPECT_TRUE(WaitUntil([] { return ReadBlock().empty(); }, kEndMs)) << "the companion ended";
}

// Changed: the release of the companion's key sent 1230 on the host's user-interface thread and
// waited for the companion to handle it, up to the send's two seconds, while the host's window
// stopped painting. Now the plugin's own thread sends it, once for every release, and the
// callback returns at once.
TEST_F(LauncherWithCompanion, AHungCompanionHoldsNoHostThread) {
    Simulator sim;
    ASSERT_TRUE(sim.Start(L"--song x --windows both --hang"));
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(LaunchCompanionAt(1000), 0);
    const ULONGLONG woken = GetTickCount64();
    for (int release = 0; release < 2; ++release) OnCompanionHotkey(112, 0, false);
    const ULONGLONG relayed = GetTickCount64();
    EXPECT_LT(woken - start, 3000u) << "the configure callback's wake waits for the send's bound at most";
    EXPECT_LT(relayed - woken, 500u) << "the hotkey callback waited for the companion";
    EXPECT_TRUE(SettleLaunches()) << "the plugin's thread gives up after the send's bound";
    EXPECT_EQ(RecordedLines(sim.record), std::vector<std::string>{}) << "nothing was handled";
    std::printf("a hung companion held the launcher %llu ms and the hotkey callback %llu ms\n", woken - start,
                relayed - woken);
    EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
