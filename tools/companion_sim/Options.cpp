#include "tools/companion_sim/Options.h"

#include <cwctype>

#include "host/Utf.h"
#include "plugin/Constants.h"

namespace companion_sim {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Lowers ASCII letters only, which is all a file-name comparison against our names needs.
std::wstring AsciiLower(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

}  // namespace

std::optional<std::uint32_t> ParseCount(const std::wstring& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

ParseResult ParseOptions(const std::vector<std::wstring>& args) {
    ParseResult result;
    Options& o = result.options;
    std::vector<std::wstring> positional;
    auto fail = [&](const std::wstring& message) {
        result.error = message;
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() -> const std::wstring& { return args[++i]; };
        auto count = [&](std::uint32_t& out) {
            std::optional<std::uint32_t> n = ParseCount(args[++i]);
            if (n) out = *n;
            return n.has_value();
        };
        const bool takesValue = a == L"--list" || a == L"--song" || a == L"--raw-file" || a == L"--settings" ||
                                a == L"--rewrite-ms" || a == L"--windows" || a == L"--record" || a == L"--hang-after-ms" ||
                                a == L"--ready-event" || a == L"--stop-event" || a == L"--exit-after-ms";
        if (takesValue && !hasValue) return fail(a + L" needs a value");

        if (a == L"--help" || a == L"-h") o.help = true;
        else if (a == L"--list") o.listFile = value();
        else if (a == L"--song") o.songs.push_back(value());
        else if (a == L"--raw-file") o.rawFile = value();
        else if (a == L"--settings") o.settingsLine = value();
        else if (a == L"--fill-no-nul") o.fillNoNul = true;
        else if (a == L"--rewrite-ms") {
            if (!count(o.rewriteMs) || o.rewriteMs == 0) return fail(L"--rewrite-ms needs a number of milliseconds above 0");
        } else if (a == L"--rotate") o.rotate = true;
        else if (a == L"--windows") {
            const std::wstring& w = value();
            if (w == L"none") o.windows = WindowSet::None;
            else if (w == L"message") o.windows = WindowSet::Message;
            else if (w == L"main") o.windows = WindowSet::Main;
            else if (w == L"both") o.windows = WindowSet::Both;
            else return fail(L"--windows takes none, message, main or both, not \"" + w + L"\"");
        } else if (a == L"--record") o.recordFile = value();
        else if (a == L"--hang") o.hangAfterMs = 0;
        else if (a == L"--hang-after-ms") {
            std::uint32_t ms = 0;
            if (!count(ms)) return fail(L"--hang-after-ms needs a number of milliseconds");
            o.hangAfterMs = ms;
        } else if (a == L"--ready-event") o.readyEvent = value();
        else if (a == L"--stop-event") o.stopEvent = value();
        else if (a == L"--exit-after-ms") {
            std::uint32_t ms = 0;
            if (!count(ms)) return fail(L"--exit-after-ms needs a number of milliseconds");
            o.exitAfterMs = ms;
        } else if (a.size() > 1 && a[0] == L'-') return fail(L"unknown option " + a);
        else positional.push_back(a);
    }
    if (o.help) return result;

    if (!positional.empty()) {
        std::optional<std::uint32_t> pid = positional.size() == 2 ? ParseCount(positional[1]) : std::nullopt;
        if (!pid || *pid == 0) return fail(L"the only arguments besides options are the launch arguments: PLATFORM HOSTPID");
        o.platformCode = positional[0];
        o.hostPid = pid;
    }
    if (!o.listFile.empty() && !o.songs.empty()) return fail(L"give the songs with --list or with --song, not both");
    if (!o.rawFile.empty() && (!o.listFile.empty() || !o.songs.empty() || o.settingsLine || o.rotate))
        return fail(L"--raw-file gives the whole text: it cannot be combined with --list, --song, --settings or --rotate");
    if (o.settingsLine && o.settingsLine->empty()) return fail(L"--settings needs a non-empty line");
    if (o.rotate && o.rewriteMs == 0) return fail(L"--rotate needs --rewrite-ms");
    if (o.hangAfterMs && o.windows == WindowSet::None) return fail(L"--hang and --hang-after-ms need windows");
    return result;
}

std::vector<std::wstring> OptionsFileArguments(const std::string& utf8) {
    std::wstring text = Utf8ToUtf16(utf8);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    std::vector<std::wstring> args;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && line.back() == L'\r') line.pop_back();
        std::size_t first = 0;
        while (first < line.size() && IsBlank(line[first])) ++first;
        if (first == line.size() || line[first] == L'#') continue;
        std::size_t nameEnd = first;
        while (nameEnd < line.size() && !IsBlank(line[nameEnd])) ++nameEnd;
        args.push_back(line.substr(first, nameEnd - first));
        std::size_t valueStart = nameEnd;
        while (valueStart < line.size() && IsBlank(line[valueStart])) ++valueStart;
        if (valueStart < line.size()) args.push_back(line.substr(valueStart));
    }
    return args;
}

std::wstring ArgumentsAfterProgram(const std::wstring& commandLine) {
    // The program name ends at the closing quote when it starts with one, otherwise at the
    // first blank; no escapes apply inside it.
    std::size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        std::size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

std::optional<std::uint32_t> LaunchHostPid(const std::wstring& arguments) {
    const std::wstring prefix = Utf8ToUtf16(names::kPlatformCode) + L" ";
    if (arguments.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    const std::wstring digits = arguments.substr(prefix.size());
    if (digits.size() > 1 && digits[0] == L'0') return std::nullopt;  // the host formats it with %d
    std::optional<std::uint32_t> pid = ParseCount(digits);
    if (!pid || *pid == 0) return std::nullopt;
    return pid;
}

std::wstring LaunchExecutableName() {
    const std::string path = names::kCompanionExecutable;
    return Utf8ToUtf16(path.substr(path.find_last_of('\\') + 1));
}

std::wstring LaunchOptionsFileName() {
    std::wstring name = LaunchExecutableName();
    return name.substr(0, name.find_last_of(L'.')) + L".options";
}

bool IsLaunchExecutable(const std::wstring& modulePath) {
    const std::size_t slash = modulePath.find_last_of(L"\\/");
    const std::wstring file = slash == std::wstring::npos ? modulePath : modulePath.substr(slash + 1);
    return AsciiLower(file) == AsciiLower(LaunchExecutableName());
}

const wchar_t* HelpText() {
    return LR"(usage: companion_sim [OPTIONS] [PLATFORM HOSTPID]

Stands in for the song-request companion program: holds the named block "ForQuorbMusicCSWrite"
(2048 bytes, UTF-16LE text up to the first NUL) with a song list in it, opens the companion's
titled windows and records messages 1129 (wake) and 1230 (hotkey) sent to them.

What the block holds (text longer than 1023 units is cut at 1023 and the NUL kept):
  --list FILE            songs from a UTF-8 file, one per line; empty lines are skipped. When the
                         first line is a header "#<digits>#" it is written as it stands, otherwise
                         the header "#<number of songs>#" is put first.
  --song TEXT            one song (repeatable); the header is "#<number of songs>#"
  --settings LINE        a settings line "Set|font|fontSize|...|hotkey", put before the header and
                         joined to it with one "|" (none added when LINE already ends in "|")
  --raw-file FILE        the whole text from a UTF-8 file, exactly as written: no header, no
                         settings, no cut at line ends (cannot be combined with the above)
  --fill-no-nul          fill all 2048 bytes with the text repeated and no NUL unit at all
                         (NUL units of the text become spaces; no text gives "X" throughout)
  Without --list, --song or --raw-file the block holds the header "#0#" alone.
  Lines of the text part are joined with CR LF; the last line has none.

Rewrites while running:
  --rewrite-ms N         rewrite the block every N ms, reading a --list or --raw-file file again
  --rotate               move the first song to the end on every rewrite (needs --rewrite-ms)
  A --list or --raw-file file is also watched: when its time or size changes, the block is
  written again from it.

Windows:
  --windows SET          none, message ("MessageFormQuorbMusic"), main ("OrvelTavik直播弹幕点歌系统")
                         or both (the default); never shown
  --record FILE          append each message received, and the launch arguments, to FILE
                         (UTF-8, one line each, written at once); the lines also go to stdout
  --hang                 the window thread stops handling messages once the windows exist
  --hang-after-ms N      ... after handling them for N ms

Readiness and lifetime:
  --ready-event NAME     set the named manual-reset event once the block is written and the
                         windows exist
  --stop-event NAME      exit when the named event is set
  --exit-after-ms N      exit after N ms
  PLATFORM HOSTPID       the launch arguments ("5 <host process id>"): exit when that process ends
  Without any of these it runs until Ctrl+C. Exit code 0 after a clean end; 1 when the block,
  a window, a file or the host process cannot be had; 2 for wrong options; 3 when started as
  RunMusic.exe with launch arguments other than "5 <host process id>".

Started as RunMusic.exe (as the plugin starts the companion), it reads further options from
RunMusic.options beside the executable (one option per line, "--name value", '#' starts a comment
line; relative paths are taken from the current directory, the host's), records its launch
arguments, which must be "5 <host process id>", and then does all of the above.
)";
}

}  // namespace companion_sim
