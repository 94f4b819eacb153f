// Stands in for the song-request companion program beside the plugin: holds the named block with
// a song list in it, opens the companion's titled windows, records the messages they get, and
// ends on a stop event, a time limit, or the end of the host that started it. `--help` and
// docs/tools.md have the command line; BlockText.h and Options.h hold the rules it follows.
#ifndef NOMINMAX
#  define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "host/Utf.h"
#include "plugin/Constants.h"
#include "tools/companion_sim/BlockOwner.h"
#include "tools/companion_sim/BlockText.h"
#include "tools/companion_sim/Files.h"
#include "tools/companion_sim/Handles.h"
#include "tools/companion_sim/Options.h"
#include "tools/companion_sim/Recorder.h"
#include "tools/companion_sim/WindowThread.h"

namespace companion_sim {
namespace {

enum ExitCode : int { kClean = 0, kFailed = 1, kBadOptions = 2, kBadLaunch = 3 };

constexpr DWORD kWindowStartTimeoutMs = 5000;
constexpr DWORD kPollMs = 100;  // how often the input file is looked at, and the longest wait

// Set by Ctrl+C, Ctrl+Break or closing the console: ends the run like the stop event.
HANDLE g_interrupt = nullptr;

BOOL WINAPI OnConsoleControl(DWORD) noexcept {
    SetEvent(g_interrupt);
    return TRUE;
}

// Routes console control events to `interrupt` for as long as it lives.
class ConsoleControl {
public:
    explicit ConsoleControl(HANDLE interrupt) noexcept {
        g_interrupt = interrupt;
        SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
    }
    ~ConsoleControl() {
        SetConsoleCtrlHandler(&OnConsoleControl, FALSE);
        g_interrupt = nullptr;
    }
    ConsoleControl(const ConsoleControl&) = delete;
    ConsoleControl& operator=(const ConsoleControl&) = delete;
};

std::wstring ErrorText(DWORD error) { return L"error " + std::to_wstring(error); }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring DirectoryOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The song list or raw text the block is made from, read again on every rewrite.
class Content {
public:
    explicit Content(const Options& options) : options(options) {}

    [[nodiscard]] bool Load(std::wstring& error) {
        const std::wstring& file = File();
        if (file.empty()) {
            list = {std::nullopt, options.songs};
            return true;
        }
        stamp = StampOf(file);  // before reading: a change made meanwhile is seen next time
        std::string bytes;
        if (!ReadWholeFile(file, bytes, error)) return false;
        if (options.rawFile.empty()) list = ParseListFile(bytes);
        else raw = RawText(bytes);
        return true;
    }

    bool FileChanged() const noexcept { return !File().empty() && StampOf(File()) != stamp; }
    std::vector<std::uint16_t> Image(std::size_t turns) const { return ImageFor(options, list, raw, turns); }
    std::wstring Description() const {
        if (!options.rawFile.empty()) return std::to_wstring(raw.size()) + L" units of raw text";
        return std::to_wstring(list.songs.size()) + L" songs" + (options.settingsLine ? L" and a settings line" : L"");
    }

private:
    const std::wstring& File() const { return options.rawFile.empty() ? options.listFile : options.rawFile; }

    const Options& options;
    SongList list;
    std::wstring raw;
    FileStamp stamp;
};

std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    if (!argv) return {};
    return std::vector<std::wstring>(argv.get() + (count > 0 ? 1 : 0), argv.get() + count);
}

// Options come from the command line, or, for the copy the plugin starts, from the options file
// beside it (the plugin passes only the launch arguments).
bool GatherArguments(bool launched, std::vector<std::wstring>& args) {
    if (!launched) {
        args = CommandLineArguments();
        return true;
    }
    const std::wstring path = DirectoryOf(ModulePath()) + LaunchOptionsFileName();
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    std::string bytes;
    std::wstring error;
    if (!ReadWholeFile(path, bytes, error)) {
        Say(L"companion_sim: " + error);
        return false;
    }
    args = OptionsFileArguments(bytes);
    return true;
}

UniqueHandle NamedEvent(const std::wstring& name) {
    return UniqueHandle(CreateEventW(/* lpEventAttributes */ nullptr, /* bManualReset */ TRUE, /* bInitialState */ FALSE,
                                     /* lpName */ name.c_str()));
}

int Run() {
    const bool launched = IsLaunchExecutable(ModulePath());
    std::vector<std::wstring> args;
    if (!GatherArguments(launched, args)) return kFailed;
    ParseResult parsed = ParseOptions(args);
    if (!parsed.Ok()) {
        Say(L"companion_sim: " + parsed.error + L" (--help lists the options)");
        return kBadOptions;
    }
    Options& options = parsed.options;
    if (options.help) {
        Say(HelpText());
        return kClean;
    }

    Recorder recorder;
    if (DWORD error = recorder.Open(options.recordFile)) {
        Say(L"companion_sim: cannot open the record file " + options.recordFile + L" (" + ErrorText(error) + L")");
        return kFailed;
    }
    if (launched) {
        const std::wstring arguments = ArgumentsAfterProgram(GetCommandLineW());
        recorder.Record(L"launch arguments \"" + arguments + L"\"");
        std::optional<std::uint32_t> pid = LaunchHostPid(arguments);
        if (!pid) {
            recorder.Record(L"launch arguments are not \"" + Utf8ToUtf16(names::kPlatformCode) + L" <host process id>\"");
            return kBadLaunch;
        }
        options.platformCode = Utf8ToUtf16(names::kPlatformCode);
        options.hostPid = pid;
    }

    Content content(options);
    std::wstring error;
    if (!content.Load(error)) {
        Say(L"companion_sim: " + error);
        return kFailed;
    }
    UniqueHandle host, stop, ready;
    if (options.hostPid) {
        host.reset(OpenProcess(SYNCHRONIZE, FALSE, *options.hostPid));
        if (!host) {
            Say(L"companion_sim: cannot watch the host process " + std::to_wstring(*options.hostPid) + L" (" +
                ErrorText(GetLastError()) + L")");
            return kFailed;
        }
    }
    for (auto [name, event] : {std::pair{&options.stopEvent, &stop}, std::pair{&options.readyEvent, &ready}}) {
        if (name->empty()) continue;
        *event = NamedEvent(*name);
        if (!*event) {
            Say(L"companion_sim: cannot create the event " + *name + L" (" + ErrorText(GetLastError()) + L")");
            return kFailed;
        }
    }
    UniqueHandle interrupt(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!interrupt) {
        Say(L"companion_sim: cannot create an event (" + ErrorText(GetLastError()) + L")");
        return kFailed;
    }
    const ConsoleControl consoleControl(interrupt.get());

    BlockOwner block;
    if (DWORD openError = block.Open()) {
        Say(L"companion_sim: cannot hold the block " + std::wstring(names::kSharedBlockName) + L" (" + ErrorText(openError) + L")");
        return kFailed;
    }
    std::size_t turns = 0;
    block.Write(content.Image(turns));
    Say(L"companion_sim: block " + std::wstring(names::kSharedBlockName) + L" written: " + content.Description() +
        (block.Existed() ? L" (the block existed already)" : L""));

    WindowThread windowThread(recorder);
    const WindowPlan plan{
        .messageWindow = options.windows == WindowSet::Message || options.windows == WindowSet::Both,
        .mainWindow = options.windows == WindowSet::Main || options.windows == WindowSet::Both,
        .hangAfterMs = options.hangAfterMs,
    };
    if (plan.messageWindow || plan.mainWindow) {
        const std::wstring startError = windowThread.Start(plan, kWindowStartTimeoutMs);
        if (!startError.empty()) {
            Say(L"companion_sim: " + startError);
            return kFailed;
        }
    }
    if (ready) SetEvent(ready.get());
    Say(L"companion_sim: ready");

    std::vector<HANDLE> waits = {interrupt.get()};
    std::vector<const wchar_t*> reasons = {L"interrupted"};
    if (stop) waits.push_back(stop.get()), reasons.push_back(L"the stop event was set");
    if (host) waits.push_back(host.get()), reasons.push_back(L"the host process ended");
    const ULONGLONG start = GetTickCount64();
    ULONGLONG nextRewrite = start + options.rewriteMs;
    const wchar_t* reason = nullptr;
    while (!reason) {
        ULONGLONG now = GetTickCount64();
        DWORD slice = kPollMs;
        if (options.exitAfterMs) {
            const ULONGLONG end = start + *options.exitAfterMs;
            if (now >= end) {
                reason = L"the time given with --exit-after-ms is up";
                break;
            }
            if (end - now < slice) slice = static_cast<DWORD>(end - now);
        }
        if (options.rewriteMs && nextRewrite > now && nextRewrite - now < slice) slice = static_cast<DWORD>(nextRewrite - now);
        if (options.rewriteMs && nextRewrite <= now) slice = 0;

        const DWORD waited = WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, slice);
        if (waited < WAIT_OBJECT_0 + waits.size()) {
            reason = reasons[waited - WAIT_OBJECT_0];
            break;
        }
        if (waited == WAIT_FAILED) {
            Say(L"companion_sim: waiting failed (" + ErrorText(GetLastError()) + L")");
            return kFailed;
        }

        now = GetTickCount64();
        const bool changed = content.FileChanged();
        const bool due = options.rewriteMs && now >= nextRewrite;
        if (!changed && !due) continue;
        if (due) nextRewrite = now + options.rewriteMs;
        if (!content.Load(error)) {
            Say(L"companion_sim: " + error + L"; the block keeps its text");
            continue;
        }
        block.Write(content.Image(++turns));
        if (changed) Say(L"companion_sim: the file changed, block written again: " + content.Description());
    }

    Say(L"companion_sim: stopping, " + std::wstring(reason));
    if (!windowThread.Stop(WindowThread::kStopTimeoutMs)) {
        Say(L"companion_sim: the window thread did not end within " + std::to_wstring(WindowThread::kStopTimeoutMs) + L" ms");
        return kFailed;
    }
    return kClean;
}

}  // namespace
}  // namespace companion_sim

int main() {
    try {
        return companion_sim::Run();
    } catch (const std::exception& e) {
        companion_sim::Say(L"companion_sim: " + Utf8ToUtf16(e.what()));
    } catch (...) {
        companion_sim::Say(L"companion_sim: failed");
    }
    return companion_sim::kFailed;
}
