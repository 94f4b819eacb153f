// The companion simulator's decisions: options, the options file, launch arguments, the list
// file, the composed text and the block's units.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/Utf.h"
#include "tools/companion_sim/BlockText.h"
#include "tools/companion_sim/Options.h"

namespace companion_sim {
namespace {

std::vector<std::uint16_t> Units(const std::wstring& text) { return {text.begin(), text.end()}; }

TEST(CompanionSimOptions, ParsesCounts) {
    const struct {
        const wchar_t* text;
        bool ok;
        std::uint32_t value;
    } cases[] = {
        {L"0", true, 0},           {L"42", true, 42},   {L"4294967295", true, 4294967295u}, {L"0000000007", true, 7},
        {L"4294967296", false, 0}, {L"", false, 0},     {L"-1", false, 0},  {L"+1", false, 0},
        {L" 1", false, 0},         {L"12x", false, 0},  {L"99999999999", false, 0},
    };
    for (const auto& c : cases) {
        std::optional<std::uint32_t> n = ParseCount(c.text);
        EXPECT_EQ(n.has_value(), c.ok) << "\"" << Utf16ToUtf8(c.text) << "\"";
        EXPECT_EQ(n.value_or(0), c.value);
    }
}

TEST(CompanionSimOptions, ReadsAFullCommandLine) {
    ParseResult r = ParseOptions({L"--settings", L"Set|宋体|42", L"--song", L"第一首", L"--song", L"two words",
                                  L"--rewrite-ms", L"250", L"--rotate", L"--windows", L"main", L"--record", L"rec.txt",
                                  L"--hang-after-ms", L"900", L"--ready-event", L"r", L"--stop-event", L"s",
                                  L"--exit-after-ms", L"5000", L"--fill-no-nul", L"5", L"1234"});
    ASSERT_TRUE(r.Ok()) << Utf16ToUtf8(r.error);
    const Options& o = r.options;
    EXPECT_EQ(o.settingsLine, std::optional<std::wstring>(L"Set|宋体|42"));
    EXPECT_EQ(o.songs, (std::vector<std::wstring>{L"第一首", L"two words"}));
    EXPECT_EQ(o.rewriteMs, 250u);
    EXPECT_TRUE(o.rotate && o.fillNoNul);
    EXPECT_EQ(o.windows, WindowSet::Main);
    EXPECT_EQ(o.recordFile, L"rec.txt");
    EXPECT_EQ(o.hangAfterMs, std::optional<std::uint32_t>(900));
    EXPECT_EQ(o.readyEvent, L"r");
    EXPECT_EQ(o.stopEvent, L"s");
    EXPECT_EQ(o.exitAfterMs, std::optional<std::uint32_t>(5000));
    EXPECT_EQ(o.platformCode, L"5");
    EXPECT_EQ(o.hostPid, std::optional<std::uint32_t>(1234));

    Options defaults = ParseOptions({}).options;
    EXPECT_EQ(defaults.windows, WindowSet::Both);
    EXPECT_FALSE(defaults.settingsLine || defaults.hangAfterMs || defaults.exitAfterMs || defaults.hostPid);
    EXPECT_EQ(ParseOptions({L"--hang"}).options.hangAfterMs, std::optional<std::uint32_t>(0));
    EXPECT_FALSE(ParseOptions({L"--help", L"--bogus"}).Ok());  // an unknown option is never hidden
    EXPECT_TRUE(ParseOptions({L"--help"}).options.help);
}

TEST(CompanionSimOptions, RefusesWhatItCannotDo) {
    const struct {
        std::vector<std::wstring> args;
        const wchar_t* error;  // a part of the message
    } cases[] = {
        {{L"--bogus"}, L"unknown option --bogus"},
        {{L"--list"}, L"--list needs a value"},
        {{L"--song", L"a", L"--exit-after-ms"}, L"--exit-after-ms needs a value"},
        {{L"--windows", L"sideways"}, L"not \"sideways\""},
        {{L"--rewrite-ms", L"0"}, L"above 0"},
        {{L"--rewrite-ms", L"fast"}, L"--rewrite-ms needs a number"},
        {{L"--exit-after-ms", L"-5"}, L"--exit-after-ms needs a number"},
        {{L"--list", L"a.txt", L"--song", L"b"}, L"not both"},
        {{L"--raw-file", L"a.txt", L"--settings", L"Set|x"}, L"--raw-file gives the whole text"},
        {{L"--settings", L""}, L"non-empty"},
        {{L"--song", L"a", L"--rotate"}, L"--rotate needs --rewrite-ms"},
        {{L"--hang", L"--windows", L"none"}, L"need windows"},
        {{L"5"}, L"PLATFORM HOSTPID"},
        {{L"5", L"0"}, L"PLATFORM HOSTPID"},
        {{L"5", L"12", L"13"}, L"PLATFORM HOSTPID"},
        {{L"5", L"pid"}, L"PLATFORM HOSTPID"},
    };
    for (const auto& c : cases) {
        ParseResult r = ParseOptions(c.args);
        EXPECT_NE(r.error.find(c.error), std::wstring::npos) << Utf16ToUtf8(c.args[0]) << ": " << Utf16ToUtf8(r.error);
    }
}

TEST(CompanionSimOptions, ReadsTheOptionsFile) {
    const struct {
        const char* file;
        std::vector<std::wstring> args;
    } cases[] = {
        {"", {}},
        {"--windows both\n", {L"--windows", L"both"}},
        {"\xEF\xBB\xBF--hang\r\n\r\n  # a comment\n\t--song   two  words \r\n--rotate",
         {L"--hang", L"--song", L"two  words ", L"--rotate"}},
        {"--record C:\\a b\\rec.txt\n#--hang\n", {L"--record", L"C:\\a b\\rec.txt"}},
        {"--song \xE7\xAC\xAC\xE4\xB8\x80\xE9\xA6\x96\n", {L"--song", L"第一首"}},
        {"   \n\t\n", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(OptionsFileArguments(c.file), c.args) << c.file;
}

TEST(CompanionSimLaunch, TakesTheArgumentsAfterTheProgramName) {
    const struct {
        const wchar_t* commandLine;
        const wchar_t* arguments;
    } cases[] = {
        {L"\"C:\\obs dir\\plugins\\TavikMusic\\RunMusic.exe\" 5 1234", L"5 1234"},
        {L"C:\\obs\\plugins\\TavikMusic\\RunMusic.exe 5 1234", L"5 1234"},
        {L"RunMusic.exe  \t5  1234 ", L"5  1234 "},
        {L"\"RunMusic.exe\"5 1234", L"5 1234"},
        {L"RunMusic.exe", L""},
        {L"\"unclosed 5 1234", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ArgumentsAfterProgram(c.commandLine), c.arguments) << Utf16ToUtf8(c.commandLine);
}

TEST(CompanionSimLaunch, AcceptsOnlyThePlatformCodeAndAProcessId) {
    const struct {
        const wchar_t* arguments;
        std::uint32_t pid;  // 0: refused
    } cases[] = {
        {L"5 1234", 1234},  {L"5 4294967295", 4294967295u}, {L"5 8", 8},
        {L"5 0", 0},        {L"5 01234", 0},  {L"5  1234", 0}, {L"5 1234 ", 0}, {L" 5 1234", 0},
        {L"6 1234", 0},     {L"5", 0},        {L"5 ", 0},      {L"5 12a", 0},   {L"5 -12", 0},
        {L"5 4294967296", 0}, {L"51234", 0},  {L"", 0},
    };
    for (const auto& c : cases) {
        std::optional<std::uint32_t> pid = LaunchHostPid(c.arguments);
        EXPECT_EQ(pid.value_or(0), c.pid) << Utf16ToUtf8(c.arguments);
    }
}

TEST(CompanionSimLaunch, KnowsItsExecutableName) {
    EXPECT_EQ(LaunchExecutableName(), L"RunMusic.exe");
    EXPECT_EQ(LaunchOptionsFileName(), L"RunMusic.options");
    const struct {
        const wchar_t* path;
        bool launch;
    } cases[] = {
        {L"C:\\host\\plugins\\TavikMusic\\RunMusic.exe", true}, {L"Z:/x/runmusic.EXE", true}, {L"RunMusic.exe", true},
        {L"C:\\bin\\companion_sim.exe", false}, {L"C:\\RunMusic.exe\\companion_sim.exe", false}, {L"RunMusic.exe.bak", false},
        {L"XRunMusic.exe", false}, {L"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsLaunchExecutable(c.path), c.launch) << Utf16ToUtf8(c.path);
}

TEST(CompanionSimBlock, ReadsTheListFile) {
    const struct {
        const char* file;
        std::optional<std::wstring> header;
        std::vector<std::wstring> songs;
    } cases[] = {
        {"", std::nullopt, {}},
        {"a\nb", std::nullopt, {L"a", L"b"}},
        {"\xEF\xBB\xBF#7#\r\n\r\nA - x\r\n\nB | y\r\n", L"#7#", {L"A - x", L"B | y"}},
        {"\n\n#12#\nsong", L"#12#", {L"song"}},   // the first line that is there
        {"song\n#3#", std::nullopt, {L"song", L"#3#"}},
        {"#x#\nsong", std::nullopt, {L"#x#", L"song"}},
        {"##\n#1\n", std::nullopt, {L"##", L"#1"}},
        {"\xE6\xAD\x8C\r", std::nullopt, {L"歌"}},
        {"a\rb\n", std::nullopt, {L"a\rb"}},
    };
    for (const auto& c : cases) {
        SongList list = ParseListFile(c.file);
        EXPECT_EQ(list.header, c.header) << c.file;
        EXPECT_EQ(list.songs, c.songs) << c.file;
    }
}

TEST(CompanionSimBlock, ComposesTheText) {
    const std::wstring settings = L"Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100|0";
    const struct {
        std::optional<std::wstring> settings;
        SongList list;
        const wchar_t* text;
    } cases[] = {
        {settings, {std::nullopt, {L"第一行", L"第二行"}},
         L"Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100|0|#2#\r\n第一行\r\n第二行"},
        {settings + L"|", {std::nullopt, {L"a"}}, L"Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100|0|#1#\r\na"},
        {std::nullopt, {std::nullopt, {}}, L"#0#"},
        {std::nullopt, {L"#99#", {L"a", L"b"}}, L"#99#\r\na\r\nb"},
        {L"Set|", {std::nullopt, {L"x"}}, L"Set|#1#\r\nx"},
    };
    for (const auto& c : cases) EXPECT_EQ(ComposeText(c.settings, c.list), c.text) << Utf16ToUtf8(c.text);
}

TEST(CompanionSimBlock, RotatesTheSongs) {
    const std::vector<std::wstring> abc = {L"a", L"b", L"c"};
    const struct {
        std::size_t turns;
        std::vector<std::wstring> songs;
    } cases[] = {{0, {L"a", L"b", L"c"}}, {1, {L"b", L"c", L"a"}}, {2, {L"c", L"a", L"b"}}, {3, {L"a", L"b", L"c"}},
                 {3001, {L"b", L"c", L"a"}}};
    for (const auto& c : cases) EXPECT_EQ(Rotated(abc, c.turns), c.songs) << c.turns;
    EXPECT_TRUE(Rotated({}, 5).empty());
}

TEST(CompanionSimBlock, CutsTheTextAndKeepsTheNul) {
    for (std::size_t length : {0u, 1u, 1022u, 1023u, 1024u, 1025u, 3000u}) {
        std::wstring text;
        for (std::size_t i = 0; i < length; ++i) text += static_cast<wchar_t>(L'a' + i % 26);
        std::vector<std::uint16_t> units = BlockImage(text);
        ASSERT_EQ(units.size() * 2, 2048u);
        const std::size_t kept = length < 1023 ? length : 1023;
        for (std::size_t i = 0; i < units.size(); ++i)
            ASSERT_EQ(units[i], i < kept ? static_cast<std::uint16_t>(L'a' + i % 26) : 0u) << length << " at " << i;
    }
    // A pair whose high half is unit 1022 loses its low half: the block holds what was cut.
    std::wstring text(1022, L'x');
    text += L"\xD83C\xDFB5";
    std::vector<std::uint16_t> units = BlockImage(text);
    EXPECT_EQ(units[1021], u'x');
    EXPECT_EQ(units[1022], 0xD83Cu);
    EXPECT_EQ(units[1023], 0u);
}

TEST(CompanionSimBlock, FillsWithoutANul) {
    std::vector<std::uint16_t> units = FilledImage(std::wstring(L"#1#\r\n歌\0z", 8));
    ASSERT_EQ(units.size(), 1024u);
    const std::vector<std::uint16_t> pattern = Units(L"#1#\r\n歌 z");
    for (std::size_t i = 0; i < units.size(); ++i) ASSERT_EQ(units[i], pattern[i % pattern.size()]) << i;
    EXPECT_EQ(FilledImage(L""), std::vector<std::uint16_t>(1024, u'X'));
    const std::wstring long1500(1500, L'q');
    EXPECT_EQ(FilledImage(long1500), std::vector<std::uint16_t>(1024, u'q'));
}

TEST(CompanionSimBlock, ChoosesTheImageForTheOptions) {
    const SongList list{std::nullopt, {L"a", L"b"}};
    Options plain, rotating, filled, raw;
    rotating.rotate = true;
    filled.fillNoNul = true;
    raw.rawFile = L"raw.txt";
    raw.fillNoNul = true;
    EXPECT_EQ(ImageFor(plain, list, L"", 1), BlockImage(L"#2#\r\na\r\nb"));  // no rotation unless asked
    EXPECT_EQ(ImageFor(rotating, list, L"", 1), BlockImage(L"#2#\r\nb\r\na"));
    EXPECT_EQ(ImageFor(filled, list, L"", 0), FilledImage(L"#2#\r\na\r\nb"));
    EXPECT_EQ(ImageFor(raw, list, L"Set|", 0), FilledImage(L"Set|"));
}

TEST(CompanionSimBlock, TakesARawFileWhole) {
    EXPECT_EQ(RawText("\xEF\xBB\xBFSet|a\r\n\r\n#1#\n"), L"Set|a\r\n\r\n#1#\n");
    EXPECT_EQ(RawText(""), L"");
    EXPECT_EQ(RawText("\xE5\xAE\x8B"), L"宋");
}

}  // namespace
}  // namespace companion_sim
