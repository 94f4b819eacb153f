#include <gtest/gtest.h>

#include <string>

#include "bridge/Commands.h"
#include "companion/SettingsCommand.h"
#include "plugin/HostText.h"

namespace {

std::wstring Text(const String& s) { return std::wstring(TextOf(s), s.Length()); }

TEST(SettingsCommand, AllDefaultsForId7CharacterForCharacter) {
    XConfig config;
    const std::wstring got = Text(BuildSettingsCommand(*config.GetRootElement(), 7));
    const std::wstring want =
        L"Set:7{|}宋体{|}-28672{|}42{|}100{|}-16777216{|}0{|}0{|}0{|}0{|}0{|}100{|}-8355712{|}2{|}";
    for (std::size_t i = 0; i < want.size() && i < got.size(); ++i) ASSERT_EQ(got[i], want[i]) << "at " << i;
    EXPECT_EQ(got.size(), want.size());
}

TEST(SettingsCommand, EveryKeyInTheCommandsOwnOrder) {
    XConfig config;
    XElement* e = config.GetRootElement();
    const wchar_t* keys[] = {L"color", L"fontSize", L"textOpacity", L"backgroundColor", L"backgroundOpacity", L"bold",
                             L"italic", L"underline", L"outline", L"outlineOpacity", L"outlineColor"};
    int value = 1;
    for (const wchar_t* key : keys) e->SetInt(key, value++);  // a swapped pair shows
    e->SetInt(L"outlineColor", static_cast<int>(0xFF000000u));
    e->SetString(L"font", L"微软雅黑");
    e->SetFloat(L"outlineSize", 3.75f);   // kept with a fraction by the source; sent as an integer
    e->SetString(L"free_list", L"a{|}b");  // not escaped
    EXPECT_EQ(Text(BuildSettingsCommand(*e, 42)),
              L"Set:42{|}微软雅黑{|}1{|}2{|}3{|}4{|}5{|}6{|}7{|}8{|}9{|}10{|}-16777216{|}3{|}a{|}b");
}

TEST(SettingsCommand, IdsAndWindowsAreWrittenFromTheirLow32BitsSigned) {
    const std::pair<std::uint64_t, const wchar_t*> cases[] = {
        {0, L"0"}, {0x7FFFFFFF, L"2147483647"}, {0x80000000, L"-2147483648"}, {0xFFFFFFFF, L"-1"},
        {0x100000007, L"7"}, {0xFFFFFFFF80000001, L"-2147483647"}, {0x123456789, L"591751049"}};
    XConfig config;
    for (const auto& [id, number] : cases) {
        const std::wstring command = Text(BuildSettingsCommand(*config.GetRootElement(), id));
        EXPECT_EQ(command.substr(0, command.find(L"{|}")), L"Set:" + std::wstring(number));
        if (sizeof(HWND) == 8 || id <= 0xFFFFFFFF) {
            EXPECT_EQ(Text(WindowCommand(L"start:", reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id)))),
                      L"start:" + std::wstring(number));
        }
    }
    EXPECT_EQ(Text(PlatformCommand()), L"setPlatform:5");
}

}  // namespace
