#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "companion/SettingsCommand.h"

namespace {

// Compares unit by unit, so a failure names the first place where the texts part.
void ExpectUnits(const String& actual, const wchar_t* expected) {
    const std::wstring want(expected);
    const std::wstring got(actual.c_str(), actual.Length());
    for (std::size_t i = 0; i < want.size() && i < got.size(); ++i)
        ASSERT_EQ(static_cast<unsigned>(got[i]), static_cast<unsigned>(want[i])) << "unit " << i;
    EXPECT_EQ(got.size(), want.size());
}

TEST(SettingsCommand, AllDefaultsForId7) {
    XConfig config;
    ExpectUnits(BuildSettingsCommand(*config.GetRootElement(), 7),
                L"Set:7{|}宋体{|}-28672{|}42{|}100{|}-16777216{|}0{|}0{|}0{|}0{|}0{|}100{|}-8355712{|}2{|}");
}

TEST(SettingsCommand, EveryKeyInTheCommandsOwnOrder) {
    XConfig config;
    XElement* e = config.GetRootElement();
    // Values differ from each other, so a swapped pair shows.
    e->SetString(L"font", L"微软雅黑");
    e->SetInt(L"color", static_cast<int>(0xFF00FF00u));
    e->SetInt(L"fontSize", 36);
    e->SetInt(L"textOpacity", 90);
    e->SetInt(L"backgroundColor", 0x00123456);
    e->SetInt(L"backgroundOpacity", 50);
    e->SetInt(L"bold", 1);
    e->SetInt(L"italic", 2);
    e->SetInt(L"underline", 3);
    e->SetInt(L"outline", 4);
    e->SetInt(L"outlineOpacity", 70);
    e->SetInt(L"outlineColor", static_cast<int>(0xFF000000u));
    e->SetFloat(L"outlineSize", 3.75f);  // the source keeps a fraction; the command sends an integer
    e->SetString(L"free_list", L"a{|}b|c");
    e->SetInt(L"usingASCII", 1);         // read, but not part of the command
    ExpectUnits(BuildSettingsCommand(*e, 42),
                L"Set:42{|}微软雅黑{|}-16711936{|}36{|}90{|}1193046{|}50{|}1{|}2{|}3{|}4{|}70{|}-16777216{|}3{|}a{|}b|c");
}

TEST(SettingsCommand, IdIsWrittenFromItsLow32BitsSigned) {
    struct Case {
        std::uint64_t id;
        const wchar_t* prefix;
    } cases[] = {
        {0, L"Set:0{|}"},
        {0x7FFFFFFFull, L"Set:2147483647{|}"},
        {0x80000000ull, L"Set:-2147483648{|}"},
        {0xFFFFFFFFull, L"Set:-1{|}"},
        {0x100000007ull, L"Set:7{|}"},
        {0xFFFFFFFF80000001ull, L"Set:-2147483647{|}"},
        {0x123456789ull, L"Set:591751049{|}"},
    };
    XConfig config;
    for (const Case& c : cases) {
        const String command = BuildSettingsCommand(*config.GetRootElement(), c.id);
        const std::wstring text(command.c_str(), command.Length());
        EXPECT_EQ(text.rfind(c.prefix, 0), 0u) << c.prefix;
        EXPECT_EQ(text.find(L"{|}宋体{|}"), std::wcslen(c.prefix) - 3) << c.prefix;  // nothing else moved
    }
}

TEST(SettingsCommand, ReadsUsingAsciiAsStored) {
    struct Case {
        bool present;
        int stored;
        int expected;
    } cases[] = {{false, 0, 0}, {true, 0, 0}, {true, 1, 1}, {true, 2, 2}, {true, -1, -1}};
    for (const Case& c : cases) {
        XConfig config;
        if (c.present) config.GetRootElement()->SetInt(L"usingASCII", c.stored);
        EXPECT_EQ(ReadUsingAscii(*config.GetRootElement()), c.expected) << c.stored;
    }
}

}  // namespace
