#pragma once
// Runs the companion simulator (tools/companion_sim) for a test, the way the companion runs
// beside the host: started, waited for until its block and windows exist, stopped.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plugin/Handles.h"
#include "tests/support/Process.h"

namespace simulator {

using UniqueHandle = unique_handle;
using UniqueFile = unique_file;
using UniqueView = unique_view;

constexpr DWORD kStartMs = 10000;  // a cold Wine can take seconds to start a program
constexpr DWORD kEndMs = 5000;
extern const std::wstring kOut;        // where tests keep their files, below bin/
extern const std::wstring kLaunchDir;  // where the plugin finds the companion, from bin/launchroot

// A name no other run of this test shares (for events and files).
std::wstring Unique(const wchar_t* what);
std::wstring FullPath(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The lines of a record file (empty when there is none).
std::vector<std::string> RecordedLines(const std::wstring& path);
// The block's 1024 units as a reader sees them, or nothing when no one holds the block.
std::vector<std::uint16_t> ReadBlock();
// What a block holding `text` and its NUL must read: the text, then zeros.
std::vector<std::uint16_t> BlockOf(const std::wstring& text);
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);
UniqueHandle Event(const std::wstring& name);
std::wstring Quoted(const std::wstring& arg);

// A simulator started for one test, ready (block written, windows there) when Start returns true.
struct Simulator {
    std::wstring record = kOut + Unique(L"record") + L".txt";
    std::wstring readyName = Unique(L"ready"), stopName = Unique(L"stop");
    UniqueHandle ready = Event(readyName), stop = Event(stopName);
    std::unique_ptr<BackgroundProcess> process;

    // Wine reuses process ids, so a record file of an earlier run may have this name.
    Simulator() { DeleteFileW(record.c_str()); }
    ~Simulator() { if (process) Stop(); }

    bool Start(const std::wstring& options);
    // Sets the stop event; the exit code, or -1 when the simulator did not end in time.
    long Stop();
};

// The copy the plugin starts reads its options from RunMusic.options beside it.
struct LaunchOptions {
    explicit LaunchOptions(const std::string& lines) { WriteFileBytes(kLaunchDir + L"RunMusic.options", lines); }
    ~LaunchOptions() { DeleteFileW((kLaunchDir + L"RunMusic.options").c_str()); }
};

}  // namespace simulator
