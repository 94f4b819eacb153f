#include <gtest/gtest.h>

#include <string>

#include "bridge/Commands.h"
#include "plugin/Constants.h"

namespace {

std::wstring Text(const String& s) { return std::wstring(s.c_str(), s.Length()); }
HWND Window(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

TEST(BridgeCommands, VerbAndWindowNumber) {
    struct Case {
        const wchar_t* verb;
        std::uintptr_t window;
        const wchar_t* text;
    } cases[] = {
        {L"init:", 0, L"init:0"},
        {L"init:", 0x10080, L"init:65664"},
        {L"start:", 0xFFFFFFFF, L"start:-1"},
        {L"stop:", 0x80000000, L"stop:-2147483648"},
        {L"ShowForm:", 0x7FFFFFFF, L"ShowForm:2147483647"},
#if UINTPTR_MAX > 0xFFFFFFFFu
        {L"start:", 0x100000007ull, L"start:7"},
#endif
    };
    for (const Case& c : cases) EXPECT_EQ(Text(WindowCommand(c.verb, Window(c.window))), c.text);
    EXPECT_EQ(Text(PlatformCommand()), L"setPlatform:5");
}

TEST(BridgeCommands, StartupMessages) {
    const std::wstring group = names::kSupportGroup;
    ASSERT_FALSE(group.empty());
    struct Case {
        StartupMessage message;
        std::wstring text;
    } cases[] = {
        {StartupMessage::MissingAssembly,
         L"错误码126，缺少dll，请将插件包中内容（包括1个dll文件和1个目录）全部复制到obs的plugins目录下，不要分开放置。\r\n"
         L"如需帮助，可加讨论群：" + group},
        {StartupMessage::NoRuntime,
         L"错误码127，无法初始化环境，请检查.net framework 4.0 运行环境是否安装。\r\n如需帮助，可加讨论群：" + group},
        {StartupMessage::RuntimeFault,
         L"错误码128，无法初始化环境，请检查.net framework 4.0 运行环境是否安装。\r\n如果需要帮助，可加讨论群：" + group},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(StartupMessageText(c.message)), c.text);
}

TEST(BridgeCommands, ShowFormAnswers) {
    struct Case {
        std::uint32_t answer;
        ShowFormOutcome outcome;
    } cases[] = {
        {0, ShowFormOutcome::Accepted},    {1, ShowFormOutcome::Declined},
        {2, ShowFormOutcome::Failed},      {0xFFFFFFFFu, ShowFormOutcome::Failed},
        {0x80000000u, ShowFormOutcome::Failed},
    };
    for (const Case& c : cases) EXPECT_EQ(ShowFormOutcomeOf(c.answer), c.outcome) << c.answer;
}

}  // namespace
