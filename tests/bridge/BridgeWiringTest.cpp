// The bridge steps inside the song-list source and its configure callback: run where they
// belong while the bridge runs, and nothing of them shows while it does not.
#include <memory>

#include "host/HostSide.h"
#include "source/Callbacks.h"
#include "source/SongListSource.h"
#include "tests/support/BridgeFixture.h"
#include "tests/support/Launches.h"
#include "plugin/HostText.h"

namespace {

class BridgeInTheSource : public BridgeRunning {
protected:
    void SetUp() override {
        BridgeRunning::SetUp();
        HostClearMessageBoxes();
        g_plugin.lastLaunchTime = 0;
        element = config.GetRootElement()->CreateElement(L"歌单");
        data = element->CreateElement(L"data");
    }
    void TearDown() override {
        EXPECT_TRUE(SettleLaunches());
        g_plugin.lastLaunchTime = 0;
        BridgeRunning::TearDown();
    }
    MorvathThanksImage* Create() { return static_cast<MorvathThanksImage*>(CreateSongListSource(data)); }
    std::wstring InnerId() const { return ReadText(data, L"innerId", L"(none)"); }

    XConfig config;
    XElement* element = nullptr;
    XElement* data = nullptr;
};

TEST_F(BridgeInTheSource, PushedTextStaysInItsRecordWhileTheBlocksTextIsShown) {
    std::unique_ptr<MorvathThanksImage> source(Create());
    OnUi([&] { source->ActivateSource(); });
    ASSERT_EQ(g_plugin.registry.Count(), 1u);
    const String shown = g_plugin.sharedText;  // what the block last brought (no companion runs)
    EXPECT_EQ(SendText(g_plugin.registry.Begin()[0].window, 1, u" \t第一首 - 歌手\r\n第二首\r\n "), 0);
    source->RefreshFrame();
    EXPECT_TRUE(g_plugin.registry.Begin()[0].text == L" \t第一首 - 歌手\r\n第二首\r\n ");  // kept whole
    EXPECT_TRUE(g_plugin.displayText == shown);
}

TEST_F(BridgeInTheSource, ActivationDeactivationConfigurationAndDestruction) {
    MorvathThanksImage* source = Create();
    OnUi([&] { source->ActivateSource(); });
    ASSERT_TRUE(SettleLaunches());
    const std::wstring n = InnerId();
    ASSERT_NE(n, L"(none)");
    const Texts arguments = fake.Arguments();
    ASSERT_EQ(arguments.size(), 4u);
    EXPECT_EQ(arguments[0], L"setPlatform:5");
    EXPECT_EQ(arguments[1], L"init:" + n);
    EXPECT_EQ(arguments[2].rfind(L"Set:" + n + L"{|}宋体{|}", 0), 0u);
    EXPECT_EQ(arguments[3], L"start:" + n);
    EXPECT_NE(g_plugin.lastLaunchTime, 0) << "the launcher still runs after the bridge's step";

    fake.commands.clear();
    OnUi([&] { source->DeactivateSource(); });
    EXPECT_EQ(fake.Arguments(), (Texts{L"stop:" + n}));
    EXPECT_GT(element->GetFloat(L"cx", 0.0f), 32.0f) << "measured before the stop";

    // Configuring with the bridge running: the companion's form, not the launcher's message.
    data->SetFloat(L"baseSizeCX", 123.0f);
    data->SetFloat(L"baseSizeCY", 45.0f);
    fake.commands.clear();
    bool accepted = false;
    OnUi([&] { accepted = ConfigureSongListSource(element, false); });
    EXPECT_TRUE(accepted);
    EXPECT_EQ(HostMessageBoxCount(), 0u) << "the throttled launch is not reported";
    EXPECT_EQ(fake.Arguments().back(), L"ShowForm:" + n);
    EXPECT_EQ(element->GetFloat(L"cx", 0.0f), 123.0f) << "nothing measured";
    EXPECT_EQ(element->GetFloat(L"cy", 0.0f), 45.0f);

    OnUi([&] { delete source; });
    ASSERT_GE(g_plugin.registry.Count(), 1u);
    EXPECT_TRUE(g_plugin.registry.Begin()[0].innerId == (n + L".delete").c_str());
    EXPECT_EQ(g_plugin.registry.Begin()[0].settings, nullptr);

    // A new source over the same element gets a new window on its first configuration.
    fake.commands.clear();
    std::unique_ptr<MorvathThanksImage> again(Create());
    OnUi([&] { ConfigureSongListSource(element, false); });
    EXPECT_NE(InnerId(), n);
    EXPECT_EQ(fake.Arguments().front(), L"setPlatform:5");
    OnUi([&] { again.reset(); });
}

TEST_F(BridgeInTheSource, TheRefreshStepRunsBeforeTheBlockIsRead) {
    std::unique_ptr<MorvathThanksImage> source(Create());
    OnUi([&] { source->ActivateSource(); });
    ASSERT_GE(g_plugin.registry.Count(), 1u);
    g_plugin.registry.Begin()[0].text = L"  pushed through the window  ";
    g_plugin.sharedText = L"from the block\r\n";
    source->RefreshFrame();
    // The block's text is copied over the pushed text in the same frame.
    EXPECT_TRUE(g_plugin.displayText == g_plugin.sharedText);
    OnUi([&] { source.reset(); });
    g_plugin.sharedText.Clear();
}

TEST_F(BridgeInTheSource, AFailedActivationStepIsReportedAndTheCompanionStillStarts) {
    std::unique_ptr<MorvathThanksImage> source(Create());
    HostClearLog();
    HostFailAllocations(true);  // no record can be added
    OnUi([&] { source->ActivateSource(); });
    OnUi([&] { source->ActivateSource(); });
    ASSERT_TRUE(SettleLaunches());  // the launch, on the plugin's thread, finds no memory either
    HostFailAllocations(false);
    EXPECT_EQ(HostLogLineCount(), 1u);
    EXPECT_STREQ(HostGetLogLine(0), L"Warning -- MorvathThanksImage::ActivateSource failed: std::bad_alloc");
    EXPECT_NE(g_plugin.lastLaunchTime, 0) << "the launcher still ran";
    EXPECT_EQ(g_plugin.registry.Count(), 0u);
    OnUi([&] { source.reset(); });
}

TEST(BridgeSwitchedOff, TheSourceNeverTouchesTheBridge) {
    ASSERT_EQ(g_plugin.runtimeHost, nullptr);
    XConfig config;
    XElement* element = config.GetRootElement()->CreateElement(L"歌单");
    XElement* data = element->CreateElement(L"data");
    g_plugin.lastLaunchTime = 0;
    std::unique_ptr<MorvathThanksImage> source(static_cast<MorvathThanksImage*>(CreateSongListSource(data)));
    source->ActivateSource();
    source->RefreshFrame();
    source->DeactivateSource();
    ConfigureSongListSource(element, false);
    source.reset();
    ASSERT_TRUE(SettleLaunches());
    EXPECT_EQ(g_plugin.registry.Count(), 0u);
    EXPECT_FALSE(data->HasItem(L"innerId"));
    g_plugin.lastLaunchTime = 0;
    g_plugin.sharedText.Clear();
}

}  // namespace
