#pragma once
// The companion simulator's command line: what it is asked to do, parsed without touching the
// system so that every rule here can be tested on its own.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace companion_sim {

// Which of the companion's two titled top-level windows to open.
enum class WindowSet { None, Message, Main, Both };

struct Options {
    // ---- what the block holds
    std::wstring listFile;                     // --list: songs, one per line (UTF-8)
    std::vector<std::wstring> songs;           // --song, in the order given
    std::wstring rawFile;                      // --raw-file: the whole text, as written
    std::optional<std::wstring> settingsLine;  // --settings: "Set|font|...|hotkey"
    bool fillNoNul = false;                    // --fill-no-nul

    // ---- rewrites while running
    std::uint32_t rewriteMs = 0;  // --rewrite-ms; 0 means no timed rewrites
    bool rotate = false;          // --rotate

    // ---- windows and what they receive
    WindowSet windows = WindowSet::Both;
    std::wstring recordFile;                  // --record
    std::optional<std::uint32_t> hangAfterMs;  // --hang is 0, --hang-after-ms N is N

    // ---- readiness and lifetime
    std::wstring readyEvent;                   // --ready-event
    std::wstring stopEvent;                    // --stop-event
    std::optional<std::uint32_t> exitAfterMs;  // --exit-after-ms
    std::wstring platformCode;                 // launch arguments: platform code ...
    std::optional<std::uint32_t> hostPid;      // ... and the host's process id

    bool help = false;
};

struct ParseResult {
    Options options;
    std::wstring error;  // empty when the arguments were accepted
    bool Ok() const { return error.empty(); }
};

// Parses the arguments that follow the program name.
ParseResult ParseOptions(const std::vector<std::wstring>& args);

// A decimal count: digits only, no sign or space, at most 4294967295.
std::optional<std::uint32_t> ParseCount(const std::wstring& text);

// The arguments held by an options file (UTF-8): one option per line, "--name" or "--name value",
// the value being everything after the first run of blanks. Blank lines and lines whose first
// non-blank character is '#' are skipped; a byte-order mark and line-end CRs are dropped.
std::vector<std::wstring> OptionsFileArguments(const std::string& utf8);

// The raw argument text of a command line: everything after the program name and the blanks
// that follow it, as the system's own rule for the program name reads it.
std::wstring ArgumentsAfterProgram(const std::wstring& commandLine);

// The host process id of launch arguments that are exactly the platform code, one space and a
// process id above 0; nothing for any other text.
std::optional<std::uint32_t> LaunchHostPid(const std::wstring& arguments);

// True when the file name of `modulePath` is the companion executable's (any letter case).
bool IsLaunchExecutable(const std::wstring& modulePath);

// The companion executable's file name ("RunMusic.exe") and its options file's name.
std::wstring LaunchExecutableName();
std::wstring LaunchOptionsFileName();

const wchar_t* HelpText();

}  // namespace companion_sim
