#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "companion/Launcher.h"
#include "host/HostSide.h"
#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "tests/support/Companion.h"
#include "tests/support/Launches.h"

namespace {

std::vector<CompanionWindow::Message>& g_received = CompanionWindow::Received();

TEST(LaunchThrottle, RefusesCallsWithinTwoSeconds) {
    struct Case { const char* name; int last; std::vector<int> calls; std::vector<bool> pass; } cases[] = {
        {"first call ever", 0, {1700000000}, {true}},
        {"same second", 0, {100, 100}, {true, false}},
        {"one-second steps refuse from the second call on", 0, {100, 101, 102, 104}, {true, false, false, true}},
        {"two seconds later", 0, {100, 102, 104}, {true, true, true}},
        {"clock set back", 0, {100, 90, 92}, {true, false, true}},
        {"wrap of the 32-bit seconds", 2147483647, {-2147483647}, {true}},
        {"start of the clock within two seconds of zero", 0, {1}, {false}},
    };
    for (const auto& c : cases) {
        int last = c.last;
        for (std::size_t i = 0; i < c.calls.size(); ++i) {
            EXPECT_EQ(PassLaunchThrottle(last, c.calls[i]), c.pass[i]) << c.name << ", call " << i;
            EXPECT_EQ(last, c.calls[i]) << c.name << ": every call records its time";
        }
    }
}

class Launcher : public testing::Test {
protected:
    void SetUp() override {
        g_received.clear();
        HostClearLog();
        g_plugin.lastLaunchTime = 0;
    }
    void TearDown() override { g_plugin.lastLaunchTime = 0; }
};

TEST_F(Launcher, WakesTheMessageWindowFirst) {
    CompanionWindow message(names::kCompanionMessageWindow), main(names::kCompanionMainWindow);
    EXPECT_EQ(LaunchCompanionAt(1000), 0);
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].window, message.get());
    EXPECT_EQ(g_received[0].message, names::kWakeMessage);
    EXPECT_EQ(HostLogLineCount(), 0u);
}

TEST_F(Launcher, WakesTheMainWindowWhenAlone) {
    CompanionWindow main(names::kCompanionMainWindow);
    EXPECT_EQ(LaunchCompanionAt(1000), 0);
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].window, main.get());
    EXPECT_EQ(g_received[0].message, names::kWakeMessage);
}

TEST_F(Launcher, ThrottleRefusesWithoutSendingAnything) {
    CompanionWindow main(names::kCompanionMainWindow);
    const int times[] = {1000, 1000, 1001, 1002, 1004};
    const int expected[] = {0, -1, -1, -1, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(LaunchCompanionAt(times[i]), expected[i]) << i;
    EXPECT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_plugin.lastLaunchTime, 1004);
}

TEST_F(Launcher, FailedStartIsLoggedAndReturnsTheSystemError) {
    // The tests run where plugins\TavikMusic\RunMusic.exe does not exist.
    ASSERT_EQ(GetFileAttributesA(names::kCompanionExecutable), INVALID_FILE_ATTRIBUTES);
    const int result = LaunchCompanionAt(1000);
    ASSERT_EQ(HostLogLineCount(), 2u);
    const std::wstring returnValue = HostGetLogLine(0);
    EXPECT_EQ(returnValue.rfind(L"return value:", 0), 0u) << returnValue.c_str();
    const int shellValue = std::stoi(returnValue.substr(13));
    EXPECT_GE(shellValue, 0);
    EXPECT_LE(shellValue, 32);
    EXPECT_EQ(std::wstring(HostGetLogLine(1)), L"GetLastError: " + std::to_wstring(result));
    EXPECT_NE(result, 0);
    EXPECT_NE(result, -1);
    // Every call past the throttle tries again.
    EXPECT_EQ(LaunchCompanionAt(1002), result);
    EXPECT_EQ(HostLogLineCount(), 4u);
}

TEST_F(Launcher, HotkeyReleaseGoesToTheMainWindowOnly) {
    {
        CompanionWindow message(names::kCompanionMessageWindow);
        OnCompanionHotkey(0x77, 0, true);
        OnCompanionHotkey(0x77, 0, false);
        ASSERT_TRUE(SettleLaunches());
        EXPECT_TRUE(g_received.empty()) << "the message window never gets 1230";
    }
    CompanionWindow message(names::kCompanionMessageWindow), main(names::kCompanionMainWindow);
    OnCompanionHotkey(0x77, 12345, true);
    ASSERT_TRUE(SettleLaunches());
    EXPECT_TRUE(g_received.empty()) << "a key press sends nothing";
    OnCompanionHotkey(0x77, 12345, false);
    ASSERT_TRUE(SettleLaunches());
    ASSERT_EQ(g_received.size(), 1u);
    EXPECT_EQ(g_received[0].window, main.get());
    EXPECT_EQ(g_received[0].message, names::kHotkeyMessage);
}

}  // namespace
