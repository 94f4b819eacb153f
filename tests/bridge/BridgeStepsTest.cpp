#include "bridge/BridgeSteps.h"
#include "bridge/SettingsCommandSend.h"
#include "host/HostSide.h"
#include "tests/support/BridgeFixture.h"
#include "plugin/HostText.h"

namespace {

// The all-defaults "Set:" command as written out for id 7, with another number.
std::wstring DefaultSet(const std::wstring& number) {
    return L"Set:" + number + L"{|}宋体{|}-28672{|}42{|}100{|}-16777216{|}0{|}0{|}0{|}0{|}0{|}100{|}-8355712{|}2{|}";
}

class BridgeSteps : public BridgeRunning {
protected:
    void SetUp() override {
        BridgeRunning::SetUp();
        HostClearMessageBoxes();
        data = config.GetRootElement()->CreateElement(L"data");
    }
    std::wstring InnerId(XElement* element) const { return ReadText(element, L"innerId", L"(none)"); }

    XConfig config;
    XElement* data = nullptr;
};

TEST_F(BridgeSteps, FirstActivationSendsEverythingInOrderLaterOnesOnlyStart) {
    const std::pair<int, bool> cases[] = {{-1, false}, {0, false}, {1, true}, {2, false}};  // usingASCII, "ASCII"
    for (const auto& [usingAscii, ascii] : cases) {
        XConfig own;
        XElement* settings = own.GetRootElement();
        if (usingAscii >= 0) settings->SetInt(L"usingASCII", usingAscii);
        fake.commands.clear();
        const std::size_t before = g_plugin.registry.Count();
        OnUi([&] { BridgeActivateStep(settings); });
        ASSERT_EQ(g_plugin.registry.Count(), before + 1);
        const SourceRecord& record = g_plugin.registry.Begin()[before];
        ASSERT_NE(record.window, nullptr);
        const std::wstring n = Number(record.window);
        Texts expected = {L"setPlatform:5", L"init:" + n};
        if (ascii) expected.push_back(L"ASCII");
        expected.insert(expected.end(), {DefaultSet(n), L"start:" + n});
        EXPECT_EQ(fake.Arguments(), expected) << usingAscii;
        EXPECT_EQ(InnerId(settings), n);
        EXPECT_TRUE(record.innerId == n.c_str() && record.settings == settings && record.textFlag == 1);
        EXPECT_EQ(g_plugin.usingAscii, usingAscii < 0 ? 0 : usingAscii);

        fake.commands.clear();
        OnUi([&] { BridgeActivateStep(settings); });
        EXPECT_EQ(fake.Arguments(), (Texts{L"start:" + n}));
    }
}

TEST_F(BridgeSteps, ConfigureTakesTheCompanionsAnswer) {
    struct Case {
        DWORD answer;
        HRESULT execute;
        bool accepted, message;
    } cases[] = {{0, S_OK, true, false},
                 {1, S_OK, false, false},
                 {2, S_OK, false, true},
                 {0xFFFFFFFFu, S_OK, false, true},
                 {0, S_FALSE, true, false},                            // a success code that is not S_OK
                 {5, static_cast<HRESULT>(0x80131522), false, true},   // the method did not run: no answer
                 {1, E_FAIL, false, true}};
    for (const Case& c : cases) {
        XConfig own;
        XElement* settings = own.GetRootElement()->CreateElement(L"data");
        fake.commands.clear();
        HostClearMessageBoxes();
        fake.executeResult = c.execute;
        fake.answer = [&](const std::wstring& argument) -> DWORD { return argument.rfind(L"ShowForm:", 0) ? 9 : c.answer; };
        bool result = !c.accepted;
        OnUi([&] { result = BridgeConfigureStep(settings); });
        EXPECT_EQ(result, c.accepted) << c.answer;
        ASSERT_EQ(HostMessageBoxCount(), c.message ? 1u : 0u) << c.answer;
        if (c.message) {
            const HostMessageBox* box = HostGetMessageBox(0);
            EXPECT_EQ(std::wstring(box->text), L"发生错误,设置失败，请检查插件文件是否损坏");
            EXPECT_TRUE(box->owner == nullptr && box->caption == nullptr && box->flags == 0);
        }
        const std::wstring n = InnerId(settings);
        EXPECT_EQ(fake.Arguments(), (Texts{L"setPlatform:5", L"init:" + n, DefaultSet(n), L"ShowForm:" + n}));
        fake.commands.clear();  // configured again: the same window, and the settings every time
        OnUi([&] { result = BridgeConfigureStep(settings); });
        EXPECT_EQ(fake.Arguments(), (Texts{DefaultSet(n), L"ShowForm:" + n}));
    }
}

TEST_F(BridgeSteps, DeactivationStopsOnlyASourceWithAWindow) {
    OnUi([&] { BridgeDeactivateStep(data); });
    EXPECT_TRUE(fake.commands.empty());
    EXPECT_EQ(g_plugin.registry.Count(), 0u);  // no window made here
    OnUi([&] { BridgeActivateStep(data); });
    fake.commands.clear();
    OnUi([&] { BridgeDeactivateStep(data); });
    EXPECT_EQ(fake.Arguments(), (Texts{L"stop:" + InnerId(data)}));
    fake.commands.clear();
    BridgeRetireStep(data);
    OnUi([&] { BridgeDeactivateStep(data); });
    EXPECT_TRUE(fake.commands.empty());
}

TEST_F(BridgeSteps, RetirementThenConfigureOverTheSameElementMakesANewWindow) {
    OnUi([&] { EXPECT_TRUE(BridgeConfigureStep(data)); });
    HWND first = g_plugin.registry.Begin()[0].window;
    BridgeRetireStep(data);  // the source's destructor
    const SourceRecord& retired = g_plugin.registry.Begin()[0];
    EXPECT_TRUE(retired.innerId == (Number(first) + L".delete").c_str());
    EXPECT_EQ(retired.settings, nullptr);
    EXPECT_EQ(InnerId(data), Number(first));  // the element keeps the old value
    // The companion still writes to the old window: nothing reaches the element.
    EXPECT_EQ(SendText(first, 101, u"fontSize|99"), 0);
    EXPECT_FALSE(data->HasItem(L"fontSize"));

    fake.commands.clear();  // a new source over the same element
    OnUi([&] { EXPECT_TRUE(BridgeConfigureStep(data)); });
    ASSERT_EQ(g_plugin.registry.Count(), 2u);
    HWND second = g_plugin.registry.Begin()[1].window;
    ASSERT_TRUE(second && second != first);
    const std::wstring n = Number(second);
    EXPECT_EQ(InnerId(data), n);
    EXPECT_EQ(fake.Arguments(), (Texts{L"setPlatform:5", L"init:" + n, DefaultSet(n), L"ShowForm:" + n}));
    EXPECT_EQ(SendText(second, 101, u"fontSize|99"), 0);
    EXPECT_EQ(data->GetInt(L"fontSize", 0), 99);
}

TEST_F(BridgeSteps, RetirementFindsTheRecordAfterTheCompanionRewroteTheInnerId) {
    OnUi([&] { BridgeActivateStep(data); });
    HWND window = g_plugin.registry.Begin()[0].window;
    EXPECT_EQ(SendText(window, 102, u"innerId|12345"), 0);
    ASSERT_EQ(InnerId(data), L"12345");
    BridgeRetireStep(data);  // the source's destructor: no record has the inner id 12345
    EXPECT_EQ(g_plugin.registry.Begin()[0].settings, nullptr);
    EXPECT_EQ(SendText(window, 101, u"fontSize|99"), 0);
    EXPECT_FALSE(data->HasItem(L"fontSize"));
}

TEST_F(BridgeSteps, WithoutARuntimeHostOrAnElementNothingHappens) {
    fake.Install();  // the meta host only, as with the switch off
    data->SetInt(L"usingASCII", 1);
    bool configured = true, configuredNull = true;
    HWND window = reinterpret_cast<HWND>(1);
    OnUi([&] {
        BridgeActivateStep(data);
        BridgeDeactivateStep(data);
        configured = BridgeConfigureStep(data);
        window = EnsureSourceWindow(nullptr);
        configuredNull = BridgeConfigureStep(nullptr);
    });
    BridgeRetireStep(data);
    EXPECT_FALSE(configured || configuredNull || window);
    EXPECT_TRUE(fake.events.empty());
    EXPECT_EQ(g_plugin.registry.Count(), 0u);
    EXPECT_FALSE(data->HasItem(L"innerId"));
    EXPECT_EQ(g_plugin.usingAscii, 0);
    EXPECT_EQ(HostMessageBoxCount(), 0u);
}

TEST(SettingsCommandSend, AsciiFirstOnlyForOneAndUsingAsciiAlwaysUpdated) {
    struct Case {
        bool runtime;
        int usingAscii;
        Texts sent;
    } cases[] = {{true, 1, {L"ASCII", DefaultSet(L"7")}}, {true, 0, {DefaultSet(L"7")}}, {true, 2, {DefaultSet(L"7")}},
                 {false, 1, {}}};
    for (const Case& c : cases) {
        FakeRuntime fake;
        c.runtime ? fake.InstallRunning() : fake.Install();
        fake.failArgument = L"ASCII";  // a failed "ASCII" still lets the settings go
        XConfig config;
        config.GetRootElement()->SetInt(L"usingASCII", c.usingAscii);
        g_plugin.usingAscii = -9;
        SendSettingsCommand(config.GetRootElement(), 0x100000007ull);  // only the low 32 bits are written
        EXPECT_EQ(fake.Arguments(), c.sent) << c.usingAscii;
        EXPECT_EQ(g_plugin.usingAscii, c.usingAscii);
        SendSettingsCommand(nullptr, 7);  // does nothing at all
        EXPECT_EQ(g_plugin.usingAscii, c.usingAscii);
    }
    g_plugin.usingAscii = 0;
}

}  // namespace
