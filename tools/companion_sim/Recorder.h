#pragma once
// What the simulator tells the world: status lines on stdout, and record lines (messages
// received, launch arguments) both on stdout and appended to the record file at once, so a test
// can read them while the simulator still runs.

#include <mutex>
#include <string>

#include "tools/companion_sim/Handles.h"

namespace companion_sim {

// One line, UTF-8, to stdout, flushed.
void Say(const std::wstring& line) noexcept;

class Recorder {
public:
    // Opens `path` for appending, creating it when missing; other processes may read it
    // meanwhile. Returns 0 or the system error code. Without a path, lines go to stdout only.
    [[nodiscard]] DWORD Open(const std::wstring& path) noexcept;
    // One line to stdout and to the record file; callable from any thread.
    void Record(const std::wstring& line) noexcept;

private:
    std::mutex mutex;
    UniqueFile file;
};

}  // namespace companion_sim
