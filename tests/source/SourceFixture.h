#pragma once
// A song-list source over a settings tree, with the companion's block held by the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "host/HostSide.h"
#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "source/Callbacks.h"
#include "source/RenderThread.h"
#include "source/SongListSource.h"
#include "tests/support/Companion.h"
#include "tests/support/Launches.h"

// True once the render thread makes no render and none waits to be made.
inline bool SettleRenders(DWORD timeoutMs = 20000) {
    for (const ULONGLONG end = GetTickCount64() + timeoutMs; !render::Idle(); Sleep(1))
        if (GetTickCount64() > end) return false;
    return true;
}

class SourceTest : public testing::Test {
protected:
    void SetUp() override {
        ResetPluginState();
        HostClearLog();
        HostClearMessageBoxes();
        CompanionWindow::Received().clear();
        element = config.GetRootElement()->CreateElement(L"歌单");
        data = element->CreateElement(keys::kData);
    }
    void TearDown() override {
        EXPECT_TRUE(SettleLaunches()) << "a launch an activation asked for is still running";
        EXPECT_TRUE(SettleRenders()) << "a render is still being made";
        ResetPluginState();
        HostFailTextureCreation(0);
    }

    static void ResetPluginState() {
        ForgetHotkey();  // the key registered by an earlier test is removed
        EXPECT_TRUE(SettleLaunches());
        g_plugin.lastLaunchTime = 0;
        g_plugin.sharedText.Clear();
        g_plugin.displayText = g_plugin.defaultText;
    }

    MorvathThanksImage* Create(XElement* settings) {
        return static_cast<MorvathThanksImage*>(CreateSongListSource(settings));
    }

    // A frame and, once the render it asked for (if any) is made, the frame that hands it to the
    // texture: the texture then shows the frame's inputs.
    static void Show(MorvathThanksImage& s) {
        s.RefreshFrame();
        EXPECT_TRUE(SettleRenders()) << "the render did not come";
        s.RefreshFrame();
    }

    static std::uint32_t Pixel(const MorvathThanksImage& s, int x, int y) {
        const unsigned char* p = HostTexturePixels(s.texture) + (std::size_t(y) * s.textureSize.cx + x) * 4;
        return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
    }

    // How many pixels of the texture satisfy `test`.
    template <typename Test>
    static int Count(const MorvathThanksImage& s, Test test) {
        int n = 0;
        for (int y = 0; y < s.textureSize.cy; ++y)
            for (int x = 0; x < s.textureSize.cx; ++x) n += test(Pixel(s, x, y)) ? 1 : 0;
        return n;
    }

    CompanionBlock block;
    XConfig config;
    XElement* element = nullptr;  // the source's own element
    XElement* data = nullptr;     // its "data" child, the source's settings
};
