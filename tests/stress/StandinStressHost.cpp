#include "tests/stress/StandinStressHost.h"

#include <cwchar>

#include "host/Utf.h"
#include "plugin/Constants.h"

StandinStressHost::StandinStressHost(std::wstring sceneDirectory) : directory(std::move(sceneDirectory)) {
    host.printActions = false;
    host.fps = 0;  // frames as fast as they come
    host.stopLimitMs = kStopLimitMs;
    CreateDirectoryW(directory.c_str(), nullptr);
}

unsigned StandinStressHost::WarningLines() {
    unsigned warnings = 0;
    for (unsigned i = 0; i < HostLogLineCount(); ++i)
        if (std::wcsncmp(HostGetLogLine(i), L"Warning -- ", 11) == 0) ++warnings;
    return warnings;
}

std::wstring StandinStressHost::WriteScene(const std::vector<std::wstring>& sources) {
    std::wstring text = L"sources {\n";
    for (const std::wstring& name : sources)
        text += L"    \"" + name + L"\" {\n        class: \"" + names::kPluginName + L"\"\n    }\n";
    text += L"}\n";
    const std::wstring file = directory + L"\\scene" + std::to_wstring(++scenes % 2) + L".txt";
    const std::string utf8 = Utf16ToUtf8(text);
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(handle);
    return file;
}

bool StandinStressHost::Open(const std::vector<std::wstring>& sources) {
    HostResetMostHotkeysAtOnce();
    warningsAtOpen = WarningLines();
    boxesAtOpen = HostMessageBoxCount();
    return host.LoadPlugins(L"plugins") && host.OpenScene(WriteScene(sources));
}

bool StandinStressHost::AddSource(const std::wstring& name) {
    bool accepted = false;
    host.AddConfiguredSource(names::kPluginName, name, &accepted);
    return accepted;
}

bool StandinStressHost::Configure(const std::wstring& name) {
    bool accepted = false;
    host.Configure(name, &accepted);
    return accepted;
}
