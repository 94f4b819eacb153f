#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/BridgeSteps.h"
#include "companion/SettingsCommand.h"
#include "host/HostSide.h"
#include "plugin/PluginState.h"
#include "tests/support/FakeRuntime.h"
#include "tests/support/UiThread.h"

namespace {

using Texts = std::vector<std::wstring>;

std::wstring Number(HWND window) {
    return std::to_wstring(static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window))));
}
// The all-defaults "Set:" command, as written out for id 7, with the window's number instead.
std::wstring DefaultSet(const std::wstring& number) {
    return L"Set:" + number + L"{|}宋体{|}-28672{|}42{|}100{|}-16777216{|}0{|}0{|}0{|}0{|}0{|}100{|}-8355712{|}2{|}";
}
const std::wstring kShowFormError = L"发生错误,设置失败，请检查插件文件是否损坏";

class BridgeSteps : public testing::Test {
protected:
    void SetUp() override {
        fake.InstallRunning();
        g_plugin.usingAscii = 0;
        savedDisplay = g_plugin.displayText;
        HostClearMessageBoxes();
        HostSetLogEcho(false);
        // The source's own element sits under its scene element, as the host has it.
        data = config.GetRootElement()->CreateElement(L"source")->CreateElement(L"data");
    }
    void TearDown() override {
        g_plugin.registry.ReleaseRegistry();
        g_plugin.usingAscii = 0;
        g_plugin.displayText = savedDisplay;
    }
    // The steps run where the host runs them: on its user-interface thread.
    void OnUi(const std::function<void()>& step) { ASSERT_TRUE(ui.Run(step)); }
    std::wstring InnerId(XElement* element) const { return element->GetString(L"innerId", L"(none)"); }
    static unsigned MessageCount() { return HostMessageBoxCount(); }

    FakeRuntime fake;
    XConfig config;
    XElement* data = nullptr;
    String savedDisplay;
    UiThread ui;
};

TEST_F(BridgeSteps, FirstActivationGivesAWindowAndSendsEverythingInOrder) {
    struct Case {
        const char* what;
        bool present;
        int usingAscii;
        bool ascii;
    } cases[] = {{"no usingASCII", false, 0, false},
                 {"usingASCII 0", true, 0, false},
                 {"usingASCII 1", true, 1, true},
                 {"usingASCII 2", true, 2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        XConfig own;
        XElement* settings = own.GetRootElement();
        if (c.present) settings->SetInt(L"usingASCII", c.usingAscii);
        fake.commands.clear();
        const std::size_t recordsBefore = g_plugin.registry.Count();

        OnUi([&] { BridgeActivateStep(settings); });
        ASSERT_EQ(g_plugin.registry.Count(), recordsBefore + 1);
        const SourceRecord& record = g_plugin.registry.Begin()[recordsBefore];
        ASSERT_NE(record.window, nullptr);
        const std::wstring n = Number(record.window);
        Texts expected = {L"setPlatform:5", L"init:" + n};
        if (c.ascii) expected.push_back(L"ASCII");
        expected.push_back(DefaultSet(n));
        expected.push_back(L"start:" + n);
        EXPECT_EQ(fake.Arguments(), expected);
        EXPECT_EQ(InnerId(settings), n);
        EXPECT_TRUE(record.innerId == n.c_str());
        EXPECT_EQ(record.settings, settings);
        EXPECT_EQ(record.textFlag, 1);
        EXPECT_FALSE(record.text.IsValid());
        EXPECT_EQ(g_plugin.usingAscii, c.usingAscii);

        // Later activations only start.
        fake.commands.clear();
        OnUi([&] { BridgeActivateStep(settings); });
        EXPECT_EQ(fake.Arguments(), (Texts{L"start:" + n}));
        EXPECT_EQ(g_plugin.registry.Count(), recordsBefore + 1);
    }
}

TEST_F(BridgeSteps, ConfigureTakesTheCompanionsAnswer) {
    struct Case {
        const char* what;
        DWORD answer;
        HRESULT execute;
        bool accepted;
        bool message;
    } cases[] = {
        {"accepted", 0, S_OK, true, false},
        {"declined", 1, S_OK, false, false},
        {"answer 2", 2, S_OK, false, true},
        {"answer 0xFFFFFFFF", 0xFFFFFFFFu, S_OK, false, true},
        {"the method does not run", 5, static_cast<HRESULT>(0x80131522), true, false},  // 0 comes back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        XConfig own;
        XElement* settings = own.GetRootElement()->CreateElement(L"data");
        own.GetRootElement()->SetFloat(L"cx", 321.0f);
        fake.commands.clear();
        fake.executeResult = c.execute;
        fake.answer = [&](const std::wstring& argument) -> DWORD {
            return argument.rfind(L"ShowForm:", 0) == 0 ? c.answer : 9;
        };
        HostClearMessageBoxes();
        bool result = !c.accepted;
        OnUi([&] { result = BridgeConfigureStep(settings); });
        EXPECT_EQ(result, c.accepted);
        if (c.message) {
            ASSERT_EQ(MessageCount(), 1u);
            const HostMessageBox* box = HostGetMessageBox(0);
            EXPECT_EQ(std::wstring(box->text), kShowFormError);
            EXPECT_EQ(box->owner, nullptr);
            EXPECT_EQ(box->caption, nullptr);
            EXPECT_EQ(box->flags, 0u);
        } else {
            EXPECT_EQ(MessageCount(), 0u);
        }
        const std::wstring n = InnerId(settings);
        EXPECT_EQ(fake.Arguments(), (Texts{L"setPlatform:5", L"init:" + n, DefaultSet(n), L"ShowForm:" + n}));
        EXPECT_EQ(own.GetRootElement()->GetFloat(L"cx", 0), 321.0f);  // nothing measured or resized

        // Configured again: the same window, and the settings every time.
        fake.commands.clear();
        OnUi([&] { result = BridgeConfigureStep(settings); });
        EXPECT_EQ(fake.Arguments(), (Texts{DefaultSet(n), L"ShowForm:" + n}));
    }
    fake.executeResult = S_OK;
}

TEST_F(BridgeSteps, DeactivationStopsOnlyASourceWithAWindow) {
    OnUi([&] { BridgeDeactivateStep(data); });
    EXPECT_TRUE(fake.commands.empty());
    EXPECT_EQ(g_plugin.registry.Count(), 0u);  // no window made here

    OnUi([&] { BridgeActivateStep(data); });
    const std::wstring n = InnerId(data);
    fake.commands.clear();
    OnUi([&] { BridgeDeactivateStep(data); });
    EXPECT_EQ(fake.Arguments(), (Texts{L"stop:" + n}));

    fake.commands.clear();
    BridgeRetireStep(data);
    OnUi([&] { BridgeDeactivateStep(data); });
    EXPECT_TRUE(fake.commands.empty());
}

TEST_F(BridgeSteps, RetirementThenConfigureOverTheSameElementMakesANewWindow) {
    bool accepted = false;
    OnUi([&] { accepted = BridgeConfigureStep(data); });
    ASSERT_TRUE(accepted);
    ASSERT_EQ(g_plugin.registry.Count(), 1u);
    HWND first = g_plugin.registry.Begin()[0].window;
    const std::wstring firstId = Number(first);
    EXPECT_EQ(InnerId(data), firstId);

    BridgeRetireStep(data);  // the source's destructor
    EXPECT_TRUE(g_plugin.registry.Begin()[0].innerId == (firstId + L".delete").c_str());
    EXPECT_EQ(g_plugin.registry.Begin()[0].settings, nullptr);
    EXPECT_EQ(InnerId(data), firstId);  // the element keeps the old value

    // The companion still writes to the old window: nothing reaches the element.
    const unsigned items = data->NumDataItems();
    const char16_t payload[] = u"fontSize|99";
    COPYDATASTRUCT copy{.dwData = 101, .cbData = sizeof payload, .lpData = const_cast<char16_t*>(payload)};
    EXPECT_EQ(SendMessageW(first, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)), 0);
    EXPECT_EQ(data->NumDataItems(), items);
    EXPECT_FALSE(data->HasItem(L"fontSize"));

    // A new source over the same element.
    fake.commands.clear();
    OnUi([&] { accepted = BridgeConfigureStep(data); });
    ASSERT_EQ(g_plugin.registry.Count(), 2u);
    HWND second = g_plugin.registry.Begin()[1].window;
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    const std::wstring secondId = Number(second);
    EXPECT_EQ(InnerId(data), secondId);
    EXPECT_EQ(fake.Arguments(), (Texts{L"setPlatform:5", L"init:" + secondId, DefaultSet(secondId), L"ShowForm:" + secondId}));
    EXPECT_EQ(SendMessageW(second, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)), 0);
    EXPECT_EQ(data->GetInt(L"fontSize", 0), 99);
}

TEST_F(BridgeSteps, RefreshShowsPushedTextTrimmed) {
    g_plugin.displayText = L"unchanged";
    BridgeRefreshStep(data);  // no record
    EXPECT_TRUE(g_plugin.displayText == L"unchanged");

    OnUi([&] { BridgeActivateStep(data); });
    HWND window = g_plugin.registry.Begin()[0].window;
    BridgeRefreshStep(data);  // a record without text
    EXPECT_TRUE(g_plugin.displayText == L"unchanged");

    const char16_t pushed[] = u" \t第一首 - 歌手\r\n第二首\r\n ";
    COPYDATASTRUCT copy{.dwData = 1, .cbData = sizeof pushed, .lpData = const_cast<char16_t*>(pushed)};
    ASSERT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)), 0);
    BridgeRefreshStep(data);
    EXPECT_TRUE(g_plugin.displayText == L"第一首 - 歌手\r\n第二首");
    EXPECT_TRUE(g_plugin.registry.Begin()[0].text == L" \t第一首 - 歌手\r\n第二首\r\n ");  // the record keeps it whole

    XConfig other;
    g_plugin.displayText = L"other";
    BridgeRefreshStep(other.GetRootElement());  // another source, no record
    EXPECT_TRUE(g_plugin.displayText == L"other");
}

TEST_F(BridgeSteps, NothingWithoutARuntimeHost) {
    fake.Install();  // the meta host only: the switch is off
    data->SetInt(L"usingASCII", 1);
    bool result = true;
    OnUi([&] {
        BridgeActivateStep(data);
        BridgeDeactivateStep(data);
        result = BridgeConfigureStep(data);
    });
    BridgeRetireStep(data);
    BridgeRefreshStep(data);
    EXPECT_FALSE(result);
    EXPECT_TRUE(fake.events.empty());
    EXPECT_EQ(g_plugin.registry.Count(), 0u);
    EXPECT_FALSE(data->HasItem(L"innerId"));
    EXPECT_EQ(g_plugin.usingAscii, 0);
    EXPECT_EQ(MessageCount(), 0u);
}

TEST_F(BridgeSteps, NullElementDoesNothing) {
    bool result = true;
    HWND window = reinterpret_cast<HWND>(1);
    g_plugin.usingAscii = 5;
    OnUi([&] {
        window = EnsureSourceWindow(nullptr);
        BridgeActivateStep(nullptr);
        BridgeDeactivateStep(nullptr);
        result = BridgeConfigureStep(nullptr);
        SendSettingsCommand(nullptr, 7);
    });
    BridgeRefreshStep(nullptr);
    BridgeRetireStep(nullptr);
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(result);
    EXPECT_TRUE(fake.commands.empty());
    EXPECT_EQ(g_plugin.registry.Count(), 0u);
    EXPECT_EQ(g_plugin.usingAscii, 5);
}

TEST(SettingsCommandSend, AsciiFirstOnlyForOne) {
    struct Case {
        bool runtime;
        int usingAscii;
        Texts sent;
    } cases[] = {
        {true, 1, {L"ASCII", DefaultSet(L"7")}},
        {true, 0, {DefaultSet(L"7")}},
        {true, 2, {DefaultSet(L"7")}},
        {false, 1, {}},
        {false, 2, {}},
    };
    for (const Case& c : cases) {
        FakeRuntime fake;
        if (c.runtime) fake.InstallRunning();
        else fake.Install();
        XConfig config;
        config.GetRootElement()->SetInt(L"usingASCII", c.usingAscii);
        g_plugin.usingAscii = -9;
        SendSettingsCommand(config.GetRootElement(), 0x100000007ull);  // only the low 32 bits are written
        EXPECT_EQ(fake.Arguments(), c.sent) << c.usingAscii;
        EXPECT_EQ(g_plugin.usingAscii, c.usingAscii);  // updated with or without a runtime host
    }
    g_plugin.usingAscii = 0;
}

TEST(SettingsCommandSend, AFailedAsciiStillSendsTheSettings) {
    FakeRuntime fake;
    fake.InstallRunning();
    fake.failArgument = L"ASCII";
    XConfig config;
    config.GetRootElement()->SetInt(L"usingASCII", 1);
    SendSettingsCommand(config.GetRootElement(), 0xFFFFFFFFull);
    EXPECT_EQ(fake.Arguments(), (Texts{L"ASCII", DefaultSet(L"-1")}));
    EXPECT_EQ(g_plugin.lastResult, S_OK);  // the last call's result
    g_plugin.usingAscii = 0;
}

}  // namespace
