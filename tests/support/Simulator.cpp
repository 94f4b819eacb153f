#include "tests/support/Simulator.h"

#include "plugin/Constants.h"

namespace simulator {

const std::wstring kOut = L"companion_sim_out\\";
const std::wstring kLaunchDir = L"launchroot\\plugins\\TavikMusic\\";

std::wstring Unique(const wchar_t* what) {
    static int counter = 0;
    return L"companion_sim_test_" + std::wstring(what) + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(++counter);
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH];
    return GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr) ? full : path;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    CreateDirectoryW(kOut.c_str(), nullptr);
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file) << GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::vector<std::string> RecordedLines(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    std::string text(64 * 1024, '\0');
    DWORD got = 0;
    if (file) ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &got, nullptr);
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; start < got; start = end + 1) {
        end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// The block's 1024 units as a reader sees them, or nothing when no one holds the block.
std::vector<std::uint16_t> ReadBlock() {
    UniqueHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, names::kSharedBlockName));
    if (!mapping) return {};
    UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, names::kSharedBlockBytes));
    if (!view) return {};
    const auto* units = static_cast<const std::uint16_t*>(view.get());
    return std::vector<std::uint16_t>(units, units + names::kSharedBlockBytes / 2);
}

// What a block holding `text` and its NUL must read: the text, then zeros.
std::vector<std::uint16_t> BlockOf(const std::wstring& text) {
    std::vector<std::uint16_t> units(text.begin(), text.end());
    units.resize(1024, 0);
    return units;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (const ULONGLONG end = GetTickCount64() + timeoutMs; !done(); Sleep(10))
        if (GetTickCount64() > end) return false;
    return true;
}

UniqueHandle Event(const std::wstring& name) { return UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, name.c_str())); }

std::wstring Quoted(const std::wstring& arg) { return L"\"" + arg + L"\""; }

bool Simulator::Start(const std::wstring& options) {
    CreateDirectoryW(kOut.c_str(), nullptr);
    process = std::make_unique<BackgroundProcess>(L"companion_sim.exe " + options + L" --record " + Quoted(record) +
                                                  L" --ready-event " + readyName + L" --stop-event " + stopName);
    if (!process->Started()) return false;
    return WaitForSingleObject(ready.get(), kStartMs) == WAIT_OBJECT_0;
}

long Simulator::Stop() {
    SetEvent(stop.get());
    DWORD code = 0;
    return process->Wait(kEndMs, &code) ? static_cast<long>(code) : -1;
}

}  // namespace simulator
