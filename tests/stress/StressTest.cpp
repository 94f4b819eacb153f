// The plugin on the host's threads at once: the video thread runs frames while the companion
// rewrites its block every millisecond and the user-interface thread, over and over, configures,
// activates, deactivates, saves the scene, presses the hotkey, adds sources and switches scenes
// (tests/stress/StressDriver.cpp).
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/stress/StressDriver.h"
#include "tests/support/Simulator.h"

// Built twice: over the stand-in host and our host library, and (TAVIK_REAL_STRESS_HOST) over OBS
// Classic's own OBSApi.dll (tests/obs-classic/RealStressHost.cpp).
#ifdef TAVIK_REAL_STRESS_HOST
#include <memory>
extern "C" __declspec(dllimport) StressHost* CreateRealStressHost(const wchar_t* directory);
#else
#include "tests/stress/StandinStressHost.h"
#endif

namespace {

constexpr int kRounds = 200;

TEST(Stress, TheHostsThreadsAtOnce) {
    const std::wstring list = simulator::kOut + simulator::Unique(L"stress_songs") + L".txt";
    simulator::WriteFileBytes(list, "第一首 - 歌手\n第二首 - 另一位歌手\nYesterday - The Beatles\n晴天 - 周杰伦\n稻香 - 周杰伦\n");
    simulator::Simulator companion;  // both windows, recording what they receive
    // The companion's look and hotkey 112 (F1), and the list turned every millisecond.
    ASSERT_TRUE(companion.Start(L"--list " + simulator::Quoted(list) + L" --rewrite-ms 1 --rotate"
                                L" --settings \"Set|宋体|30|-28672|100|-16777216|50|0|0|0|0|2|-16777216|100|112\""));
    StressOutcome o;
    {
#ifdef TAVIK_REAL_STRESS_HOST
        std::unique_ptr<StressHost> host(CreateRealStressHost(L"stress_out_real"));
        o = RunStress(*host, kRounds);
#else
        StandinStressHost host(L"stress_out");
        o = RunStress(host, kRounds);
#endif
    }
    EXPECT_EQ(companion.Stop(), 0);
    DeleteFileW(list.c_str());
    unsigned hotkeyMessages = 0;
    for (const std::string& line : simulator::RecordedLines(companion.record))
        hotkeyMessages += line.rfind("received 1230", 0) == 0 ? 1 : 0;
    std::printf("stress: %d rounds, %ld frames, %u hotkey releases reaching %u callbacks, %u messages 1230\n", o.rounds,
                o.frames, o.releases, o.callbacksOnRelease, hotkeyMessages);

    ASSERT_EQ(o.stopsKilled, 0) << "a stop right after a scene switch waited for the video thread until it killed it";
    ASSERT_EQ(o.rounds, kRounds) << "the host did not open the scene";
    EXPECT_EQ(o.stops, kRounds / 10);
    EXPECT_GT(o.frames, kRounds) << "frames ran all along";
    EXPECT_EQ(o.configuresRefused, 0) << "a configuration (the throttle refusing the launch) not accepted";
    EXPECT_EQ(o.warnings, 0u);
    EXPECT_EQ(o.messageBoxes, 0u);
    EXPECT_LE(o.mostHotkeysAtOnce, 1u) << "the hotkey registered twice at once";
    EXPECT_LE(o.mostCallbacksOnOneRelease, 1u);
    EXPECT_GT(o.callbacksOnRelease, o.releases / 2) << "the hotkey is registered again after each switch";
    EXPECT_EQ(hotkeyMessages, o.callbacksOnRelease) << "1230 once per release";
    EXPECT_EQ(o.blocksLeft, 0);
    EXPECT_EQ(o.texturesLeft, 0);
    EXPECT_EQ(o.hotkeysLeft, 0u);
    EXPECT_EQ(o.threadsLeft, 0) << "a thread still runs after the plugins were unloaded";
}

}  // namespace
