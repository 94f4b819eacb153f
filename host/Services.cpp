#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/HostSide.h"
#include "host/Utf.h"

// ---------------------------------------------------------------- source classes

namespace {

struct SourceClassEntry {
    std::wstring className;
    std::wstring displayName;
    OBSCREATEPROC create;
    OBSCONFIGPROC configure;
    HostSourceClass view;
};

std::vector<SourceClassEntry*> g_classes;

// This host's interface: image-source classes are kept for the host program; it has no scenes
// of its own to register. The scene mutex is the host program's: it holds it for every frame and
// around what it does to sources, as the host does, and plugins may take it too.
class HostApiInterface final : public APIInterface {
public:
    void EnterSceneMutex() override {
        sceneLock.lock();
        if (depth++ == 0) owner = std::this_thread::get_id();
    }
    void LeaveSceneMutex() override {
        if (--depth == 0) owner = std::thread::id();
        sceneLock.unlock();
    }
    bool HeldHere() const { return owner.load() == std::this_thread::get_id(); }

    void RegisterSceneClass(CTSTR className, CTSTR, OBSCREATEPROC, OBSCONFIGPROC) override {
        AppWarning(L"APIInterface::RegisterSceneClass: scene classes are not available in this host (%ls)",
                   className ? className : L"");
    }

    void RegisterImageSourceClass(CTSTR className, CTSTR displayName, OBSCREATEPROC createProc,
                                  OBSCONFIGPROC configProc) override {
        auto* entry = new SourceClassEntry{className ? className : L"", displayName ? displayName : L"", createProc,
                                           configProc, {}};
        entry->view = {entry->className.c_str(), entry->displayName.c_str(), createProc, configProc};
        g_classes.push_back(entry);
    }

private:
    std::recursive_mutex sceneLock;
    int depth = 0;  // only changed by the holder
    std::atomic<std::thread::id> owner{};
};

HostApiInterface g_api;

}  // namespace

APIInterface* API = &g_api;

bool HostSceneMutexHeldHere() { return g_api.HeldHere(); }

unsigned HostSourceClassCount() { return static_cast<unsigned>(g_classes.size()); }

const HostSourceClass* HostGetSourceClass(unsigned index) {
    return index < g_classes.size() ? &g_classes[index]->view : nullptr;
}

const HostSourceClass* HostFindSourceClass(CTSTR className) {
    for (SourceClassEntry* entry : g_classes)
        if (className && entry->className == className) return &entry->view;
    return nullptr;
}

void HostClearSourceClasses() {
    for (SourceClassEntry* entry : g_classes) delete entry;
    g_classes.clear();
}

// ---------------------------------------------------------------- hotkeys

namespace {

struct Hotkey {
    UINT id;
    DWORD key;
    OBSHOTKEYPROC proc;
    UPARAM param;
};

// The hotkey table's lock, which the host program also holds for the whole of a stop of
// recording or streaming (HostHoldHotkeyTable), as the host does.
std::recursive_mutex g_hotkeyLock;
using HotkeyGuard = std::lock_guard<std::recursive_mutex>;
std::vector<Hotkey> g_hotkeys;
UINT g_nextHotkeyId = 1;
bool g_failHotkeys = false;
std::size_t g_mostHotkeys = 0;

// A hotkey call with the scene mutex held waits, under it, for a stop that holds the hotkey
// table while it waits for the video thread, which waits for the scene mutex: said in the log.
void WarnUnderSceneMutex(const wchar_t* call) {
    if (HostSceneMutexHeldHere())
        AppWarning(L"%ls with the scene mutex held: a stop holding the hotkey table would wait for it for ever", call);
}

}  // namespace

UINT OBSCreateHotkey(DWORD hotkey, OBSHOTKEYPROC proc, UPARAM param) {
    WarnUnderSceneMutex(L"OBSCreateHotkey");
    HotkeyGuard lock(g_hotkeyLock);
    if (g_failHotkeys || !proc) return 0;
    UINT id = g_nextHotkeyId++;
    if (g_nextHotkeyId == 0) g_nextHotkeyId = 1;
    g_hotkeys.push_back({id, hotkey, proc, param});
    if (g_hotkeys.size() > g_mostHotkeys) g_mostHotkeys = g_hotkeys.size();
    return id;
}

void OBSDeleteHotkey(UINT hotkeyID) {
    WarnUnderSceneMutex(L"OBSDeleteHotkey");
    HotkeyGuard lock(g_hotkeyLock);
    for (auto it = g_hotkeys.begin(); it != g_hotkeys.end(); ++it) {
        if (it->id == hotkeyID) {
            g_hotkeys.erase(it);
            return;
        }
    }
}

unsigned HostDeliverHotkey(DWORD keyCode, bool down) {
    std::vector<Hotkey> matching;
    {
        HotkeyGuard lock(g_hotkeyLock);
        for (const Hotkey& h : g_hotkeys)
            if (h.key == keyCode) matching.push_back(h);
    }
    for (const Hotkey& h : matching) h.proc(keyCode, h.param, down);  // outside the lock: callbacks may re-register
    return static_cast<unsigned>(matching.size());
}

unsigned HostDeliverAllHotkeys(bool down) {
    std::vector<Hotkey> all;
    {
        HotkeyGuard lock(g_hotkeyLock);
        all = g_hotkeys;
    }
    for (const Hotkey& h : all) h.proc(h.key, h.param, down);
    return static_cast<unsigned>(all.size());
}

unsigned HostHotkeyCount() {
    HotkeyGuard lock(g_hotkeyLock);
    return static_cast<unsigned>(g_hotkeys.size());
}

DWORD HostHotkeyKey(UINT id) {
    HotkeyGuard lock(g_hotkeyLock);
    for (const Hotkey& h : g_hotkeys)
        if (h.id == id) return h.key;
    return 0;
}

void HostFailHotkeyCreation(bool fail) {
    HotkeyGuard lock(g_hotkeyLock);
    g_failHotkeys = fail;
}

unsigned HostMostHotkeysAtOnce() {
    HotkeyGuard lock(g_hotkeyLock);
    return static_cast<unsigned>(g_mostHotkeys);
}

void HostResetMostHotkeysAtOnce() {
    HotkeyGuard lock(g_hotkeyLock);
    g_mostHotkeys = g_hotkeys.size();
}

void HostHoldHotkeyTable(bool hold) {
    if (hold) g_hotkeyLock.lock();
    else g_hotkeyLock.unlock();
}

// ---------------------------------------------------------------- log

namespace {

std::mutex g_logLock;
std::vector<std::wstring> g_logLines;
std::FILE* g_logFile = nullptr;
bool g_logEcho = true;

void WriteLogLine(const wchar_t* prefix, const std::wstring& line) {
    std::lock_guard<std::mutex> lock(g_logLock);
    std::wstring full = std::wstring(prefix) + line;
    g_logLines.push_back(full);
    std::string utf8 = Utf16ToUtf8(full) + "\n";
    if (g_logEcho) {
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
        std::fflush(stdout);
    }
    if (g_logFile) {
        std::fwrite(utf8.data(), 1, utf8.size(), g_logFile);
        std::fflush(g_logFile);
    }
}

std::wstring Format(CTSTR format, std::va_list args) {
    if (!format) return std::wstring();
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        std::va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<std::size_t>(n) < buffer.size()) return std::wstring(buffer.data(), std::size_t(n));
        if (buffer.size() >= (1u << 20)) return std::wstring(buffer.data());  // give up growing, keep what fits
        buffer.resize(buffer.size() * 4);
    }
}

// A line break at the end belongs to the line; the log adds its own.
std::wstring WithoutFinalBreak(std::wstring text) {
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return text;
}

}  // namespace

void __cdecl Log(const TCHAR* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::wstring text = Format(format, args);
    va_end(args);
    WriteLogLine(L"", WithoutFinalBreak(text));
}

void __cdecl AppWarning(const TCHAR* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::wstring text = Format(format, args);
    va_end(args);
    WriteLogLine(L"Warning -- ", WithoutFinalBreak(text));
}

unsigned HostLogLineCount() {
    std::lock_guard<std::mutex> lock(g_logLock);
    return static_cast<unsigned>(g_logLines.size());
}

CTSTR HostGetLogLine(unsigned index) {
    std::lock_guard<std::mutex> lock(g_logLock);
    return index < g_logLines.size() ? g_logLines[index].c_str() : nullptr;
}

void HostClearLog() {
    std::lock_guard<std::mutex> lock(g_logLock);
    g_logLines.clear();
}

bool HostSetLogFile(CTSTR path) {
    std::lock_guard<std::mutex> lock(g_logLock);
    if (g_logFile) std::fclose(g_logFile);
    g_logFile = nullptr;
    if (!path) return true;
#ifdef _WIN32
    g_logFile = _wfopen(path, L"ab");
#else
    g_logFile = std::fopen(Utf16ToUtf8(std::wstring(path)).c_str(), "ab");
#endif
    return g_logFile != nullptr;
}

void HostSetLogEcho(bool echo) {
    std::lock_guard<std::mutex> lock(g_logLock);
    g_logEcho = echo;
}

// ---------------------------------------------------------------- message box

namespace {

struct MessageBoxEntry {
    std::wstring text;
    std::wstring caption;
    bool hasCaption;
    HostMessageBox view;
};

std::mutex g_boxLock;
std::vector<MessageBoxEntry*> g_boxes;
std::atomic<unsigned> g_boxWaitMs{0};

}  // namespace

int OBSMessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT flags) {
    auto* entry = new MessageBoxEntry{text ? text : L"", caption ? caption : L"", caption != nullptr, {}};
    entry->view = {owner, entry->text.c_str(), entry->hasCaption ? entry->caption.c_str() : nullptr, flags,
                   HostSceneMutexHeldHere()};
    {
        std::lock_guard<std::mutex> lock(g_boxLock);
        g_boxes.push_back(entry);
    }
    WriteLogLine(entry->view.sceneMutexHeld ? L"[message box, scene mutex held] " : L"[message box] ", entry->text);
    // Stands for the time the user takes to click; no window is shown.
    if (const unsigned wait = g_boxWaitMs.load()) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    return 1;  // IDOK
}

void HostSetMessageBoxWait(unsigned milliseconds) { g_boxWaitMs = milliseconds; }

unsigned HostMessageBoxCount() {
    std::lock_guard<std::mutex> lock(g_boxLock);
    return static_cast<unsigned>(g_boxes.size());
}

const HostMessageBox* HostGetMessageBox(unsigned index) {
    std::lock_guard<std::mutex> lock(g_boxLock);
    return index < g_boxes.size() ? &g_boxes[index]->view : nullptr;
}

void HostClearMessageBoxes() {
    std::lock_guard<std::mutex> lock(g_boxLock);
    for (MessageBoxEntry* entry : g_boxes) delete entry;
    g_boxes.clear();
}

// ---------------------------------------------------------------- the rest

namespace {
unsigned g_colorControlInits = 0;
HINSTANCE g_colorControlModule = nullptr;
}  // namespace

void InitColorControl(HINSTANCE module) {
    ++g_colorControlInits;
    g_colorControlModule = module;
}

unsigned HostColorControlInits() { return g_colorControlInits; }
HINSTANCE HostColorControlModule() { return g_colorControlModule; }

void STDCALL scpy_n(TCHAR* destination, const TCHAR* source, unsigned int count) {
    if (!destination || count == 0) return;
    unsigned int i = 0;
    if (source)
        for (; i < count && source[i]; ++i) destination[i] = source[i];
    destination[i] = 0;
}
