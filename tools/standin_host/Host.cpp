#include "tools/standin_host/Host.h"

#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "host/Utf.h"

namespace {

// The host's threads get the stack size of its program header.
constexpr SIZE_T kThreadStack = 1 << 20;

double Seconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// A text value of an element, empty text when it has none.
CTSTR TextOr(const XElement* element, CTSTR key) {
    CTSTR text = element->GetString(key);
    return text ? text : L"";
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Waits for `handle` while handling the thread's window messages, as a user-interface thread must.
void WaitHandlingMessages(HANDLE handle) {
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) PumpMessages();
}

// The scene mutex, held for a scope.
struct SceneLock {
    SceneLock() { API->EnterSceneMutex(); }
    ~SceneLock() { API->LeaveSceneMutex(); }
    SceneLock(const SceneLock&) = delete;
    SceneLock& operator=(const SceneLock&) = delete;
};

unsigned WarningCount() {
    unsigned warnings = 0;
    for (unsigned i = 0; i < HostLogLineCount(); ++i)
        if (std::wcsncmp(HostGetLogLine(i), L"Warning -- ", 11) == 0) ++warnings;
    return warnings;
}

// ---- a missing font: GDI+ fonts of one face name cannot be made, as when the font is not
// installed or is no TrueType font. The plugin's imports of GDI+'s two font constructors are
// pointed at these.

std::wstring g_missingFace;
decltype(&Gdiplus::DllExports::GdipCreateFontFromLogfontW) g_fontFromLogfontW = nullptr;
decltype(&Gdiplus::DllExports::GdipCreateFontFromLogfontA) g_fontFromLogfontA = nullptr;

bool IsMissing(const wchar_t* face) { return CompareStringOrdinal(face, -1, g_missingFace.c_str(), -1, TRUE) == CSTR_EQUAL; }

Gdiplus::GpStatus WINGDIPAPI FontFromLogfontW(HDC dc, const LOGFONTW* description, Gdiplus::GpFont** font) {
    if (description && IsMissing(description->lfFaceName)) return Gdiplus::NotTrueTypeFont;
    return g_fontFromLogfontW(dc, description, font);
}

Gdiplus::GpStatus WINGDIPAPI FontFromLogfontA(HDC dc, const LOGFONTA* description, Gdiplus::GpFont** font) {
    wchar_t face[LF_FACESIZE] = {};
    if (description) MultiByteToWideChar(CP_ACP, 0, description->lfFaceName, -1, face, LF_FACESIZE);
    if (description && IsMissing(face)) return Gdiplus::NotTrueTypeFont;
    return g_fontFromLogfontA(dc, description, font);
}

// ---- a slow render: the plugin's bitmaps are made only after a wait.

unsigned g_slowRenderMs = 0;
decltype(&Gdiplus::DllExports::GdipCreateBitmapFromScan0) g_bitmapFromScan0 = nullptr;

Gdiplus::GpStatus WINGDIPAPI SlowBitmapFromScan0(INT width, INT height, INT stride, Gdiplus::PixelFormat format,
                                                 BYTE* bits, Gdiplus::GpBitmap** bitmap) {
    ::Sleep(g_slowRenderMs);
    return g_bitmapFromScan0(width, height, stride, format, bits, bitmap);
}

void HideFont(HMODULE plugin) {
    void* original = nullptr;
    if (ReplaceImport(plugin, "gdiplus.dll", "GdipCreateFontFromLogfontW", reinterpret_cast<void*>(&FontFromLogfontW), &original))
        g_fontFromLogfontW = reinterpret_cast<decltype(g_fontFromLogfontW)>(original);
    if (ReplaceImport(plugin, "gdiplus.dll", "GdipCreateFontFromLogfontA", reinterpret_cast<void*>(&FontFromLogfontA), &original))
        g_fontFromLogfontA = reinterpret_cast<decltype(g_fontFromLogfontA)>(original);
}

}  // namespace

bool ReplaceImport(HMODULE module, const char* dll, const char* name, void* replacement, void** original) {
    auto* base = reinterpret_cast<unsigned char*>(module);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return false;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
        auto* lookup = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; lookup->u1.AddressOfData; ++lookup, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + lookup->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
            DWORD protection = 0;
            if (!VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection)) return false;
            *original = reinterpret_cast<void*>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

struct StandinHost::Source {
    std::wstring name;
    XElement* element;  // the source's own element; its "data" child holds the settings
    ImageSource* object;
    bool active = false;
    // What the last frame drew for it, to count the frames that showed new pixels.
    const Texture* lastTexture = nullptr;
    long lastUploads = 0;
    long renders = 0;  // in the current run of frames
};

StandinHost::StandinHost() : scene(std::make_unique<XConfig>()), frameDone(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

StandinHost::~StandinHost() {
    if (video) StopVideo();
    CloseHandle(frameDone);
}

void StandinHost::Print(const std::wstring& text) const {
    if (!printActions) return;
    std::string utf8 = Utf16ToUtf8(text) + "\n";
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

void StandinHost::StartReport() {
    report = true;
    blocksAtStart = HostLiveBlocks();
    texturesAtStart = HostLiveTextures();
}

bool StandinHost::LoadPlugins(const std::wstring& directory) {
    using LoadPluginProc = bool (*)();
    using UnloadPluginProc = void (*)();
    using PluginTextProc = CTSTR (*)();
    WIN32_FIND_DATAW found;
    std::wstring pattern = directory + L"\\*.dll";
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        Print(L"no plugins in " + directory);
        return true;
    }
    // A full path: LoadLibrary looks for a relative one in the program's folder before the
    // working directory, the host's.
    wchar_t full[MAX_PATH];
    const std::wstring folder = GetFullPathNameW(directory.c_str(), MAX_PATH, full, nullptr) ? full : directory;
    do {
        std::wstring file = folder + L"\\" + found.cFileName;
        HMODULE module = LoadLibraryW(file.c_str());
        if (!module) {
            Print(L"cannot load " + file + L" (error " + std::to_wstring(GetLastError()) + L")");
            continue;
        }
        auto load = reinterpret_cast<LoadPluginProc>(reinterpret_cast<void*>(GetProcAddress(module, "LoadPlugin")));
        auto unload = reinterpret_cast<UnloadPluginProc>(reinterpret_cast<void*>(GetProcAddress(module, "UnloadPlugin")));
        auto name = reinterpret_cast<PluginTextProc>(reinterpret_cast<void*>(GetProcAddress(module, "GetPluginName")));
        auto description = reinterpret_cast<PluginTextProc>(reinterpret_cast<void*>(GetProcAddress(module, "GetPluginDescription")));
        if (!load || !unload || !name || !description) {
            Print(L"not a plugin: " + file);
            FreeLibrary(module);
            continue;
        }
        if (!missingFace.empty()) {
            g_missingFace = missingFace;
            HideFont(module);
        }
        if (slowRenderMs) {
            g_slowRenderMs = slowRenderMs;
            void* original = nullptr;
            if (ReplaceImport(module, "gdiplus.dll", "GdipCreateBitmapFromScan0", reinterpret_cast<void*>(&SlowBitmapFromScan0),
                              &original))
                g_bitmapFromScan0 = reinterpret_cast<decltype(g_bitmapFromScan0)>(original);
        }
        unsigned classesBefore = HostSourceClassCount();
        if (!load()) {
            Print(L"plugin refused to load: " + file);
            FreeLibrary(module);
            continue;
        }
        Print(L"loaded plugin " + std::wstring(found.cFileName) + L": \"" + name() + L"\", \"" + description() + L"\"");
        for (unsigned i = classesBefore; i < HostSourceClassCount(); ++i) {
            const HostSourceClass* c = HostGetSourceClass(i);
            Print(L"  source class \"" + std::wstring(c->className) + L"\" shown as \"" + c->displayName + L"\"");
        }
        plugins.push_back({module, file, unload});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

// ---------------------------------------------------------------- sources

std::unique_ptr<StandinHost::Source> StandinHost::MakeSource(XElement* element) {
    const HostSourceClass* c = HostFindSourceClass(TextOr(element, L"class"));
    if (!c) {
        Print(L"source \"" + std::wstring(element->GetName()) + L"\": no class \"" + TextOr(element, L"class") + L"\"");
        return nullptr;
    }
    XElement* data = element->GetElement(L"data");
    if (!data) data = element->CreateElement(L"data");
    auto* object = static_cast<ImageSource*>(c->create(data));
    if (!object) {
        Print(L"source \"" + std::wstring(element->GetName()) + L"\": the class made no source");
        return nullptr;
    }
    Print(L"created source \"" + std::wstring(element->GetName()) + L"\"");
    auto source = std::make_unique<Source>();
    source->name = element->GetName();
    source->element = element;
    source->object = object;
    return source;
}

StandinHost::Source* StandinHost::Find(const std::wstring& name) {
    for (auto& s : sources)
        if (s->name == name) return s.get();
    Print(L"no source named " + name);
    return nullptr;
}

std::vector<std::wstring> StandinHost::SourceNames() const {
    std::vector<std::wstring> names;
    for (const auto& s : sources) names.push_back(s->name);
    return names;
}

bool StandinHost::OpenScene(const std::wstring& file) {
    if (!sources.empty()) {
        Print(L"a scene is open already: use --switch-scene");
        return false;
    }
    if (!scene->Open(file.c_str())) {
        Print(L"cannot read scene " + file + L": " + scene->ErrorText());
        return false;
    }
    XElement* list = scene->GetRootElement()->GetElement(L"sources");
    if (!list) return true;
    for (unsigned i = 0; i < list->NumElements(); ++i) {
        auto source = MakeSource(list->GetElementByID(i));
        if (!source) continue;
        SceneLock lock;
        sources.push_back(std::move(source));
    }
    return true;
}

void StandinHost::AddSource(const std::wstring& className, const std::wstring& name) {
    XElement* list = scene->GetRootElement()->GetElement(L"sources");
    if (!list) list = scene->GetRootElement()->CreateElement(L"sources");
    XElement* element = list->CreateElement(name.c_str());
    element->SetString(L"class", className.c_str());
    auto source = MakeSource(element);
    if (!source) return;
    SceneLock lock;
    sources.push_back(std::move(source));
}

bool StandinHost::AddConfiguredSource(const std::wstring& className, const std::wstring& name, bool* accepted) {
    if (accepted) *accepted = false;
    const HostSourceClass* c = HostFindSourceClass(className.c_str());
    if (!c) {
        Print(L"no class \"" + className + L"\"");
        return false;
    }
    XElement* list = scene->GetRootElement()->GetElement(L"sources");
    if (!list) list = scene->GetRootElement()->CreateElement(L"sources");
    XElement* element = list->CreateElement(name.c_str());
    element->SetString(L"class", className.c_str());
    if (c->configure && !c->configure(element, true)) {
        list->RemoveElement(element);
        Print(L"add \"" + name + L"\": not accepted, the source was not added");
        return true;
    }
    if (accepted) *accepted = true;
    auto source = MakeSource(element);
    if (!source) return false;
    SceneLock lock;
    source->object->ActivateSource();
    source->active = true;
    sources.push_back(std::move(source));
    return true;
}

bool StandinHost::Configure(const std::wstring& name, bool* accepted) {
    Source* s = Find(name);
    if (!s) return false;
    const HostSourceClass* c = HostFindSourceClass(TextOr(s->element, L"class"));
    if (!c || !c->configure) return false;
    const bool yes = c->configure(s->element, false);
    if (yes) {
        SceneLock lock;
        s->object->ReloadSettings();
    }
    if (accepted) *accepted = yes;
    Print(L"configure \"" + name + L"\": " + (yes ? L"accepted" : L"not accepted") + L", cx " +
          std::to_wstring(s->element->GetFloat(L"cx", 0.0f)) + L", cy " + std::to_wstring(s->element->GetFloat(L"cy", 0.0f)));
    return true;
}

bool StandinHost::ForEach(const std::wstring& name, void (*action)(Source&)) {
    SceneLock lock;
    bool any = false;
    for (auto& s : sources) {
        if (name == L"*" || s->name == name) {
            action(*s);
            any = true;
        }
    }
    if (!any) Print(L"no source named " + name);
    return any;
}

bool StandinHost::Activate(const std::wstring& name) {
    return ForEach(name, [](Source& s) {
        s.object->ActivateSource();
        s.active = true;
    });
}

bool StandinHost::Deactivate(const std::wstring& name) {
    return ForEach(name, [](Source& s) {
        s.object->DeactivateSource();
        s.active = false;
    });
}

bool StandinHost::Remove(const std::wstring& name) {
    SceneLock lock;
    for (auto it = sources.begin(); it != sources.end(); ++it) {
        if ((*it)->name != name) continue;
        Source& s = **it;
        if (s.active) s.object->DeactivateSource();
        delete s.object;
        if (XElement* parent = s.element->GetParent()) parent->RemoveElement(s.element);
        sources.erase(it);
        return true;
    }
    Print(L"no source named " + name);
    return false;
}

bool StandinHost::SwitchScene(const std::wstring& file) {
    auto next = std::make_unique<XConfig>();
    if (!next->Open(file.c_str())) {
        Print(L"cannot read scene " + file + L": " + next->ErrorText());
        return false;
    }
    // The new scene's sources exist before the old ones go.
    std::vector<std::unique_ptr<Source>> created;
    if (XElement* list = next->GetRootElement()->GetElement(L"sources"))
        for (unsigned i = 0; i < list->NumElements(); ++i)
            if (auto source = MakeSource(list->GetElementByID(i))) created.push_back(std::move(source));
    std::vector<std::unique_ptr<Source>> old;
    {
        SceneLock lock;
        for (auto& s : sources)
            if (s->active) s->object->DeactivateSource();
        old.swap(sources);
        sources.swap(created);
        for (auto& s : sources) {
            s->object->ActivateSource();
            s->active = true;
        }
    }
    // Destroyed while the video thread runs the new scene.
    for (auto& s : old) delete s->object;
    old.clear();
    scene.swap(next);
    Print(L"switched to scene " + file);
    return true;
}

bool StandinHost::SaveScene(const std::wstring& file) {
    bool ok = scene->Save(file.c_str());
    Print((ok ? L"saved scene " : L"cannot write scene ") + file);
    return ok;
}

bool StandinHost::SaveCanvas(const std::wstring& file) {
    SceneLock lock;  // not in the middle of a frame
    bool ok = HostCanvasPixels() && HostSavePng(file.c_str(), HostCanvasPixels(), HostCanvasWidth(), HostCanvasHeight());
    Print((ok ? L"saved canvas " : L"cannot write canvas ") + file);
    return ok;
}

bool StandinHost::SaveTextures(const std::wstring& directory) {
    CreateDirectoryW(directory.c_str(), nullptr);
    SceneLock lock;
    bool ok = true;
    for (auto& s : sources) {
        const Texture* t = s->lastTexture;
        std::wstring file = directory + L"\\" + s->name + L".png";
        if (!t) {
            Print(L"source \"" + s->name + L"\" drew no texture");
            continue;
        }
        bool saved = HostSavePng(file.c_str(), HostTexturePixels(t), t->Width(), t->Height());
        Print((saved ? L"saved texture " : L"cannot write texture ") + file + L" (" + std::to_wstring(t->Width()) + L"x" +
              std::to_wstring(t->Height()) + L")");
        ok = ok && saved;
    }
    return ok;
}

unsigned StandinHost::Hotkey(const std::wstring& key, bool down, bool up) {
    unsigned released = 0;
    for (bool isDown : {true, false}) {
        if (isDown ? !down : !up) continue;
        const unsigned delivered = key == L"*" ? HostDeliverAllHotkeys(isDown)
                                               : HostDeliverHotkey(static_cast<DWORD>(std::wcstoul(key.c_str(), nullptr, 0)), isDown);
        if (!isDown) released = delivered;
        Print(L"hotkey " + key + (isDown ? L" down" : L" up") + L": " + std::to_wstring(delivered) + L" callback(s)");
    }
    return released;
}

void StandinHost::Sleep(unsigned milliseconds) {
    const ULONGLONG until = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now < 5 ? until - now : 5), QS_ALLINPUT);
    }
    PumpMessages();
}

// ---------------------------------------------------------------- the video thread

DWORD WINAPI StandinHost::VideoThread(void* host) {
    static_cast<StandinHost*>(host)->VideoLoop();
    return 0;
}

void StandinHost::Frame() {
    HostCanvasReset(canvasWidth, canvasHeight, 0xFF1E2430);
    for (auto& s : sources) s->object->RefreshFrame();
    for (auto& s : sources) {
        Vect2 position{s->element->GetFloat(L"x", 0.0f), s->element->GetFloat(L"y", 0.0f)};
        Vect2 size{s->element->GetFloat(L"cx", 32.0f), s->element->GetFloat(L"cy", 32.0f)};
        HostResetLastSpriteTexture();
        s->object->Draw(position, size);
        const Texture* drawn = HostLastSpriteTexture();
        const long uploads = drawn ? HostTextureUploads(drawn) : 0;
        if (drawn && (drawn != s->lastTexture || uploads != s->lastUploads)) ++s->renders;
        s->lastTexture = drawn;
        s->lastUploads = uploads;
    }
    if (HostLiveTextures() > mostTextures) mostTextures = HostLiveTextures();
}

void StandinHost::VideoLoop() {
    const double start = Seconds();
    for (long frame = 0; !stopVideo.load() && (runLimit < 0 || frame < runLimit); ++frame) {
        const double asked = Seconds();
        API->EnterSceneMutex();
        const double waited = (Seconds() - asked) * 1000.0;
        if (waited > longestWaitMs.load()) longestWaitMs = waited;
        Frame();
        API->LeaveSceneMutex();
        ++runFrames;
        ++framesRun;
        SetEvent(frameDone);
        if (fps > 0) {
            const double due = start + static_cast<double>(frame + 1) / fps;
            for (double now = Seconds(); now < due && !stopVideo.load(); now = Seconds()) {
                const double left = (due - now) * 1000.0;
                ::Sleep(left > 5.0 ? 5 : 1);
            }
        }
    }
}

void StandinHost::BeginRun(long frames) {
    {
        SceneLock lock;
        for (auto& s : sources) s->renders = 0;
        mostTextures = HostLiveTextures();
    }
    runFrames = 0;
    longestWaitMs = 0.0;
    runStart = Seconds();
    runLimit = frames;
    stopVideo = false;
    video = CreateThread(nullptr, kThreadStack, &VideoThread, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
}

void StandinHost::EndRun() {
    WaitHandlingMessages(video);
    CloseHandle(video);
    video = nullptr;
    PumpMessages();
    const long count = runFrames.load();
    Print(L"ran " + std::to_wstring(count) + L" frames (" + std::to_wstring(framesRun.load()) + L" in all)");
    if (!report) return;
    wchar_t figures[96];
    std::swprintf(figures, 96, L"%.1f s", Seconds() - runStart);
    Print(L"report: " + std::to_wstring(count) + L" frames in " + figures + L", at most " +
          std::to_wstring(mostTextures - texturesAtStart) + L" textures alive for " + std::to_wstring(sources.size()) +
          L" sources");
    for (auto& s : sources)
        Print(L"report: source \"" + s->name + L"\" rendered anew in " + std::to_wstring(s->renders) + L" frames");
    std::swprintf(figures, 96, L"%.2f ms", longestWaitMs.load());
    Print(std::wstring(L"report: the video thread waited at most ") + figures + L" for the scene mutex");
}

void StandinHost::RunFrames(long count) {
    if (video) {
        const long until = framesRun.load() + count;
        while (framesRun.load() < until) WaitHandlingMessages(frameDone);
        return;
    }
    BeginRun(count);
    if (video) EndRun();
}

void StandinHost::StartVideo() {
    if (!video) BeginRun(-1);
}

void StandinHost::StopVideo() {
    if (!video) return;
    stopVideo = true;
    EndRun();
}

bool StandinHost::StopLikeTheHost() {
    if (!video) return true;
    const double start = Seconds();
    HostHoldHotkeyTable(true);
    stopVideo = true;
    if (WaitForSingleObject(video, stopLimitMs) != WAIT_OBJECT_0) {
        TerminateThread(video, 1);
        Print(L"WARNING: Forcibly terminating a thread after " + std::to_wstring(stopLimitMs) + L" ms timeout!");
        HostHoldHotkeyTable(false);
        return false;  // the scene mutex may be held by the thread killed: nothing can go on
    }
    HostHoldHotkeyTable(false);
    EndRun();
    wchar_t figures[64];
    std::swprintf(figures, 64, L"%.0f ms", (Seconds() - start) * 1000.0);
    Print(std::wstring(L"stopped in ") + figures);
    return true;
}

void StandinHost::Shutdown() {
    StopVideo();
    for (auto& s : sources) delete s->object;
    sources.clear();
    for (Plugin& p : plugins) p.unload();
    for (Plugin& p : plugins) FreeLibrary(p.module);
    plugins.clear();
    scene->Clear();
    if (!report) return;
    Print(L"report: at the end " + std::to_wstring(HostLiveBlocks() - blocksAtStart) + L" allocator blocks and " +
          std::to_wstring(HostLiveTextures() - texturesAtStart) + L" textures left, " + std::to_wstring(WarningCount()) +
          L" warnings in the log");
    unsigned held = 0;
    for (unsigned i = 0; i < HostMessageBoxCount(); ++i) held += HostGetMessageBox(i)->sceneMutexHeld ? 1 : 0;
    Print(L"report: " + std::to_wstring(HostMessageBoxCount()) + L" message boxes, " + std::to_wstring(held) +
          L" of them shown with the scene mutex held");
}
