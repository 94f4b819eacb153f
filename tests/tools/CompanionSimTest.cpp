// The companion simulator seen from outside, as the plugin sees the companion: the block's units,
// the titled windows, the messages they record, a hung window thread, the ways it ends, and the
// RunMusic.exe copy the plugin starts.
#include "tools/companion_sim/Handles.h"  // windows.h before shellapi.h
#include <shellapi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Utf.h"
#include "plugin/Constants.h"
#include "tests/support/Process.h"
#include "tests/support/Simulator.h"

namespace companion_sim {
namespace {

using namespace simulator;

TEST(CompanionSimHandles, MoveAndResetCloseExactlyOnce) {
    auto isOpen = [](HANDLE h) {
        DWORD flags = 0;
        return GetHandleInformation(h, &flags) != 0;
    };
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr), second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    UniqueHandle a(first);
    UniqueHandle b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), first);
    UniqueHandle& alsoB = b;
    b = std::move(alsoB);  // self-move keeps the handle open
    EXPECT_TRUE(isOpen(first));
    UniqueHandle c(second);
    c = std::move(b);  // the target's old handle is closed, the moved one kept
    EXPECT_FALSE(isOpen(second));
    EXPECT_EQ(c.get(), first);
    c.reset();
    c.reset();
    EXPECT_FALSE(isOpen(first));
    EXPECT_FALSE(UniqueFile());
    EXPECT_EQ(UniqueFile().get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(UniqueHandle(nullptr));
}

TEST(CompanionSim, WritesTheBlockItIsAskedFor) {
    const std::wstring settings = L"Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100|0";
    const std::wstring a600(600, L'a'), b600(600, L'b');
    WriteFileBytes(kOut + L"list.txt", "\xEF\xBB\xBF#9#\r\nOne\r\n\r\n\xE4\xBA\x8C\n");
    WriteFileBytes(kOut + L"raw.txt", "Set|x|1\r\n#1#\r\nA||B");
    std::wstring filled;
    while (filled.size() < 1024) filled += L"#1#\r\nxy";
    const struct {
        std::wstring options;
        std::vector<std::uint16_t> units;
    } cases[] = {
        {L"--song 第一首 --song \"Song two\"", BlockOf(L"#2#\r\n第一首\r\nSong two")},
        {L"--settings \"" + settings + L"\" --song 第一行 --song 第二行", BlockOf(settings + L"|#2#\r\n第一行\r\n第二行")},
        {L"", BlockOf(L"#0#")},
        {L"--list " + kOut + L"list.txt", BlockOf(L"#9#\r\nOne\r\n二")},
        {L"--raw-file " + kOut + L"raw.txt", BlockOf(L"Set|x|1\r\n#1#\r\nA||B")},
        {L"--song " + a600 + L" --song " + b600, BlockOf((L"#2#\r\n" + a600 + L"\r\n" + b600).substr(0, 1023))},
        {L"--song xy --fill-no-nul", std::vector<std::uint16_t>(filled.begin(), filled.begin() + 1024)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.options.substr(0, 80)));
        Simulator sim;
        ASSERT_TRUE(sim.Start(c.options + L" --windows none"));
        EXPECT_EQ(ReadBlock(), c.units);
        EXPECT_EQ(sim.Stop(), 0);
    }
    EXPECT_TRUE(ReadBlock().empty()) << "the block outlived its last holder";
}

TEST(CompanionSim, OpensOnlyTheWindowsAskedFor) {
    const struct {
        const wchar_t* set;
        bool message, main;
    } cases[] = {{L"none", false, false}, {L"message", true, false}, {L"main", false, true}, {L"both", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.set));
        Simulator sim;
        ASSERT_TRUE(sim.Start(L"--windows " + std::wstring(c.set)));
        for (auto [title, wanted] : {std::pair{names::kCompanionMessageWindow, c.message}, std::pair{names::kCompanionMainWindow, c.main}}) {
            HWND window = FindWindowW(nullptr, title);
            EXPECT_EQ(window != nullptr, wanted) << Utf16ToUtf8(title);
            DWORD owner = 0;
            if (window) GetWindowThreadProcessId(window, &owner);
            EXPECT_EQ(owner, wanted ? sim.process->Id() : 0u);
        }
        EXPECT_EQ(sim.Stop(), 0);
        EXPECT_EQ(FindWindowW(nullptr, names::kCompanionMessageWindow), nullptr);
        EXPECT_EQ(FindWindowW(nullptr, names::kCompanionMainWindow), nullptr);
    }
}

DWORD_PTR Send(const wchar_t* title, UINT message, UINT timeoutMs, bool* delivered) {
    DWORD_PTR reply = 0;
    *delivered = SendMessageTimeoutW(FindWindowW(nullptr, title), message, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &reply) != 0;
    return reply;
}

TEST(CompanionSim, RecordsEveryMessageItsWindowsGet) {
    Simulator sim;
    ASSERT_TRUE(sim.Start(L"--song a"));
    bool delivered = false;
    for (auto [title, message] : {std::pair{names::kCompanionMessageWindow, names::kWakeMessage},
                                  std::pair{names::kCompanionMainWindow, names::kWakeMessage},
                                  std::pair{names::kCompanionMainWindow, names::kHotkeyMessage},
                                  std::pair{names::kCompanionMessageWindow, 1128u}}) {
        Send(title, message, names::kCompanionSendTimeoutMs, &delivered);
        EXPECT_TRUE(delivered) << message;
    }
    // A send returns once the window procedure has run, so every line is in the file already.
    EXPECT_EQ(RecordedLines(sim.record), (std::vector<std::string>{
                                             "received 1129 (wake) by \"MessageFormQuorbMusic\", wParam 0, lParam 0",
                                             "received 1129 (wake) by \"OrvelTavik直播弹幕点歌系统\", wParam 0, lParam 0",
                                             "received 1230 (hotkey) by \"OrvelTavik直播弹幕点歌系统\", wParam 0, lParam 0",
                                             "received 1128 (unexpected) by \"MessageFormQuorbMusic\", wParam 0, lParam 0",
                                         }));
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(CompanionSim, AHungWindowThreadMakesSendersGiveUpInTime) {
    Simulator sim;
    ASSERT_TRUE(sim.Start(L"--hang"));
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    bool delivered = true;
    Send(names::kCompanionMainWindow, names::kHotkeyMessage, names::kCompanionSendTimeoutMs, &delivered);
    QueryPerformanceCounter(&after);
    const double ms = 1000.0 * double(after.QuadPart - before.QuadPart) / double(frequency.QuadPart);
    std::printf("send to the hung window gave up after %.0f ms (bound %u ms)\n", ms, names::kCompanionSendTimeoutMs);
    RecordProperty("hung_send_ms", static_cast<int>(ms));
    EXPECT_FALSE(delivered);
    EXPECT_LT(ms, names::kCompanionSendTimeoutMs + 1000.0);
    EXPECT_TRUE(RecordedLines(sim.record).empty());
    EXPECT_EQ(sim.Stop(), 0);  // the hung thread still ends on request

    Simulator later;
    ASSERT_TRUE(later.Start(L"--hang-after-ms 1500"));
    Send(names::kCompanionMessageWindow, names::kWakeMessage, 1000, &delivered);
    EXPECT_TRUE(delivered) << "still handling messages before the hang";
    Sleep(2000);
    Send(names::kCompanionMessageWindow, names::kWakeMessage, 300, &delivered);
    EXPECT_FALSE(delivered) << "no longer handling messages after it";
    EXPECT_EQ(RecordedLines(later.record).size(), 1u);
    EXPECT_EQ(later.Stop(), 0);
}

TEST(CompanionSim, RewritesOnItsTimerAndWhenTheListChanges) {
    Simulator rotating;
    ASSERT_TRUE(rotating.Start(L"--song a --song b --song c --rewrite-ms 150 --rotate --windows none"));
    EXPECT_EQ(ReadBlock(), BlockOf(L"#3#\r\na\r\nb\r\nc"));
    // A state missed by a slow poll comes round again three rewrites later.
    for (const wchar_t* text : {L"#3#\r\nb\r\nc\r\na", L"#3#\r\nc\r\na\r\nb", L"#3#\r\na\r\nb\r\nc"})
        EXPECT_TRUE(WaitUntil([&] { return ReadBlock() == BlockOf(text); }, 3000)) << Utf16ToUtf8(text);
    EXPECT_EQ(rotating.Stop(), 0);

    const std::wstring list = kOut + Unique(L"list") + L".txt";
    WriteFileBytes(list, "A\nB\n");
    Simulator watching;
    ASSERT_TRUE(watching.Start(L"--list " + list + L" --windows none"));
    EXPECT_EQ(ReadBlock(), BlockOf(L"#2#\r\nA\r\nB"));
    WriteFileBytes(list, "C\n\xE9\x95\xB7\xE6\xAD\x8C\nD\n");
    EXPECT_TRUE(WaitUntil([&] { return ReadBlock() == BlockOf(L"#3#\r\nC\r\n長歌\r\nD"); }, 3000));
    EXPECT_EQ(watching.Stop(), 0);
}

TEST(CompanionSim, EndsOnItsTimeLimitAndWithItsHost) {
    const ULONGLONG start = GetTickCount64();
    BackgroundProcess timed(L"companion_sim.exe --windows none --exit-after-ms 400");
    DWORD code = 99;
    ASSERT_TRUE(timed.Wait(kStartMs, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_GE(GetTickCount64() - start, 400u);

    BackgroundProcess host(L"standin_host.exe --quiet --plugins nowhere --sleep 3000");
    ASSERT_TRUE(host.Started());
    Simulator sim;
    ASSERT_TRUE(sim.Start(L"--windows none 5 " + std::to_wstring(host.Id())));
    EXPECT_FALSE(sim.process->Wait(0)) << "ended while its host still ran";
    ASSERT_TRUE(host.Wait(kStartMs));
    code = 99;
    EXPECT_TRUE(sim.process->Wait(kEndMs, &code));
    EXPECT_EQ(code, 0u);
}

TEST(CompanionSim, RefusesWhatItCannotDoWithAClearMessage) {
    const struct {
        const wchar_t* options;
        DWORD exitCode;
        const char* output;
    } cases[] = {
        {L"--windows sideways", 2, "--windows takes none, message, main or both, not \"sideways\""},
        {L"--list companion_sim_out\\missing.txt", 1, "cannot read companion_sim_out\\missing.txt"},
        {L"--record companion_sim_out\\no\\such\\record.txt", 1, "cannot open the record file"},
        {L"--help", 0, "--fill-no-nul"},
    };
    for (const auto& c : cases) {
        ProcessResult run = RunProcess(L"companion_sim.exe " + std::wstring(c.options), kStartMs);
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_NE(run.output.find(c.output), std::string::npos) << run.output;
    }
}

TEST(CompanionSimLaunch, TheRunMusicCopyRecordsItsLaunchArguments) {
    Simulator sim;  // its names and record file; started here the way the plugin starts it
    LaunchOptions options("--windows both\n--song \xE7\xAC\xAC\xE4\xB8\x80\xE9\xA6\x96\n--record " +
                          Utf16ToUtf8(FullPath(sim.record)) + "\n--ready-event " + Utf16ToUtf8(sim.readyName) +
                          "\n--stop-event " + Utf16ToUtf8(sim.stopName) + "\n--exit-after-ms 60000\n");
    char arguments[64];
    std::snprintf(arguments, sizeof arguments, names::kLaunchArgumentsFormat, names::kPlatformCode, static_cast<int>(GetCurrentProcessId()));
    ASSERT_TRUE(SetCurrentDirectoryW(L"launchroot"));
    const auto started = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", names::kCompanionExecutable, arguments, nullptr, SW_SHOW));
    SetCurrentDirectoryW(L"..");
    ASSERT_GT(started, 32);
    ASSERT_EQ(WaitForSingleObject(sim.ready.get(), kStartMs), WAIT_OBJECT_0);

    EXPECT_EQ(RecordedLines(sim.record), std::vector<std::string>{"launch arguments \"" + std::string(arguments) + "\""});
    EXPECT_EQ(ReadBlock(), BlockOf(L"#1#\r\n第一首"));
    DWORD pid = 0;
    GetWindowThreadProcessId(FindWindowW(nullptr, names::kCompanionMainWindow), &pid);
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    ASSERT_TRUE(process);
    ASSERT_NE(FindWindowW(nullptr, names::kCompanionMessageWindow), nullptr);
    SetEvent(sim.stop.get());
    ASSERT_EQ(WaitForSingleObject(process.get(), kEndMs), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 0u);
}

TEST(CompanionSimLaunch, TheRunMusicCopyRefusesOtherArguments) {
    const std::wstring record = kOut + Unique(L"record") + L".txt";
    LaunchOptions options("--windows none\n--record " + Utf16ToUtf8(FullPath(record)) + "\n");
    for (const wchar_t* arguments : {L"6 123", L"5", L"--song x 5 123"}) {
        DeleteFileW(record.c_str());
        ProcessResult run = RunProcess(kLaunchDir + L"RunMusic.exe " + arguments, kStartMs);
        EXPECT_EQ(run.exitCode, 3u) << run.output;
        EXPECT_EQ(RecordedLines(record), (std::vector<std::string>{"launch arguments \"" + Utf16ToUtf8(arguments) + "\"",
                                                                   "launch arguments are not \"5 <host process id>\""}));
    }
}

}  // namespace
}  // namespace companion_sim
