#include "tools/companion_sim/Recorder.h"

#include <cstdio>

#include "host/Utf.h"

namespace companion_sim {

namespace {
std::mutex g_stdout;
}

void Say(const std::wstring& line) noexcept {
    try {
        const std::string utf8 = Utf16ToUtf8(line) + "\n";
        std::lock_guard<std::mutex> lock(g_stdout);
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
        std::fflush(stdout);
    } catch (...) {
        // Nothing left to report it with.
    }
}

DWORD Recorder::Open(const std::wstring& path) noexcept {
    if (path.empty()) return 0;
    UniqueFile opened(CreateFileW(path.c_str(),
                                  /* dwDesiredAccess */ FILE_APPEND_DATA,
                                  /* dwShareMode */ FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  /* lpSecurityAttributes */ nullptr,
                                  /* dwCreationDisposition */ OPEN_ALWAYS,
                                  /* dwFlagsAndAttributes */ FILE_ATTRIBUTE_NORMAL,
                                  /* hTemplateFile */ nullptr));
    if (!opened) return GetLastError();
    std::lock_guard<std::mutex> lock(mutex);
    file = std::move(opened);
    return 0;
}

void Recorder::Record(const std::wstring& line) noexcept {
    Say(line);
    try {
        const std::string utf8 = Utf16ToUtf8(line) + "\n";
        std::lock_guard<std::mutex> lock(mutex);
        if (!file) return;
        DWORD written = 0;
        // One write per line: with FILE_APPEND_DATA each lands whole at the end of the file.
        if (!WriteFile(file.get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) || written != utf8.size())
            Say(L"companion_sim: cannot write the record file (error " + std::to_wstring(GetLastError()) + L")");
    } catch (...) {
        Say(L"companion_sim: cannot record a line");
    }
}

}  // namespace companion_sim
