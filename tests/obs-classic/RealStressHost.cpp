// The stress driver's host over OBS Classic's own OBSApi.dll: this DLL is the host's side that
// OBS.exe is (an APIInterface with the scene mutex and the hotkeys, a graphics system whose
// textures are memory, the scene's sources, the video thread), built against the real headers,
// and String, XElement, XConfig, the allocator, the log and OBSMessageBox are the real library's.
// It threads and locks as OBS Classic does and as the stand-in host does (see
// tools/standin_host/Host.cpp): frames on a video thread (1 MiB stack) with the scene mutex held,
// the rest on the calling (user-interface) thread, with the mutex for activation, deactivation and
// the settings reload, without it for the configure callback, saving, hotkeys and destroying the
// old scene's sources after a switch.
//
// Besides: every block the plugin, the library and this host take from MainAllocator after the
// host starts is counted (the host gives its own back when the plugins are unloaded; it keeps no
// std::wstring, whose growing happens inside the C++ library, which allocates on its own heap,
// while the header makes this DLL's operator new the allocator's); the log goes to a file, whose warnings are counted; OBSMessageBox's MessageBoxW is
// counted and answered at once instead of waiting for a click.
#include "host/HostApi.h"
#include "tests/stress/StressHost.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <new>
#include <set>
#include <vector>

namespace {

constexpr SIZE_T kThreadStack = 1 << 20;  // OBS.exe's threads take the size of its EXE header

// ---------------------------------------------------------------- allocator

// An allocator for the host's own bookkeeping that takes nothing from MainAllocator.
template <typename T>
struct ProcessHeap {
    using value_type = T;
    ProcessHeap() = default;
    template <typename U>
    ProcessHeap(const ProcessHeap<U>&) {}
    T* allocate(size_t n) {
        if (void* p = HeapAlloc(GetProcessHeap(), 0, n * sizeof(T))) return static_cast<T*>(p);
        throw std::bad_alloc();
    }
    void deallocate(T* p, size_t) { HeapFree(GetProcessHeap(), 0, p); }
    template <typename U>
    bool operator==(const ProcessHeap<U>&) const { return true; }
    template <typename U>
    bool operator!=(const ProcessHeap<U>&) const { return false; }
};

// MainAllocator with a count of the blocks it handed out and has not had back. Blocks the library
// took before the count began pass through.
class CountingAllocator final : public Alloc {
public:
    explicit CountingAllocator(Alloc* allocator) : inner(allocator) {}

    void* __restrict _Allocate(size_t size) override {
        void* block = inner->_Allocate(size);
        if (block) {
            Guard guard(lock);
            live.insert(block);
        }
        return block;
    }
    void* _ReAllocate(LPVOID data, size_t size) override {
        void* block = inner->_ReAllocate(data, size);
        Guard guard(lock);
        const bool ours = !data || live.erase(data) > 0;
        if (block && ours) live.insert(block);
        return block;
    }
    void _Free(LPVOID data) override {
        {
            Guard guard(lock);
            live.erase(data);
        }
        inner->_Free(data);
    }
    void ErrorTermination() override { inner->ErrorTermination(); }

    long Live() {
        Guard guard(lock);
        return static_cast<long>(live.size());
    }

private:
    struct Guard {
        explicit Guard(SRWLOCK& l) : lock(l) { AcquireSRWLockExclusive(&lock); }
        ~Guard() { ReleaseSRWLockExclusive(&lock); }
        SRWLOCK& lock;
    };

    Alloc* inner;
    SRWLOCK lock = SRWLOCK_INIT;
    std::set<void*, std::less<void*>, ProcessHeap<void*>> live;
};

// ---------------------------------------------------------------- message boxes

std::atomic<unsigned> g_messageBoxes{0};

int WINAPI CountedMessageBox(HWND, LPCWSTR, LPCWSTR, UINT) {
    ++g_messageBoxes;
    return IDOK;
}

// Points `module`'s import of `dll`!`name` at `replacement`.
bool ReplaceImport(HMODULE module, const char* dll, const char* name, void* replacement) {
    auto* base = reinterpret_cast<unsigned char*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            slots->u1.Function = reinterpret_cast<ULONGLONG>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- graphics

std::atomic<long> g_textures{0};

class MemoryTexture final : public Texture {
public:
    MemoryTexture(unsigned width, unsigned height) : width(width), height(height), pixels(size_t{width} * height * 4) {
        ++g_textures;
    }
    ~MemoryTexture() override { --g_textures; }

    DWORD Width() const override { return width; }
    DWORD Height() const override { return height; }
    BOOL HasAlpha() const override { return TRUE; }
    void SetImage(void* data, GSImageFormat, UINT pitch) override {
        for (unsigned y = 0; data && y < height; ++y)
            std::memcpy(&pixels[size_t{y} * width * 4], static_cast<const char*>(data) + size_t{y} * pitch, size_t{width} * 4);
    }
    bool Map(BYTE*&, UINT&) override { return false; }
    void Unmap() override {}
    GSColorFormat GetFormat() const override { return GS_BGRA; }
    bool GetDC(HDC&) override { return false; }
    void ReleaseDC() override {}
    LPVOID GetD3DTexture() override { return nullptr; }
    HANDLE GetSharedHandle() override { return nullptr; }

private:
    unsigned width, height;
    std::vector<unsigned char> pixels;
};

// The graphics system of a host that composes nothing: textures hold their pixels in memory;
// drawing and everything else does nothing.
class MemoryGraphics final : public GraphicsSystem {
    void ResizeView() override {}
    void UnloadAllData() override {}

public:
    LPVOID GetDevice() override { return nullptr; }
    Texture* CreateTextureFromSharedHandle(unsigned, unsigned, HANDLE) override { return nullptr; }
    Texture* CreateTexture(unsigned width, unsigned height, GSColorFormat, void* data, BOOL, BOOL) override {
        if (!width || !height || width > 16384 || height > 16384) return nullptr;
        auto* texture = new MemoryTexture(width, height);
        texture->SetImage(data, GS_IMAGEFORMAT_BGRA, width * 4);
        return texture;
    }
    Texture* CreateTextureFromFile(CTSTR, BOOL) override { return nullptr; }
    Texture* CreateRenderTarget(unsigned, unsigned, GSColorFormat, BOOL) override { return nullptr; }
    Texture* CreateGDITexture(unsigned, unsigned) override { return nullptr; }
    bool GetTextureFileInfo(CTSTR, TextureInfo&) override { return false; }
    SamplerState* CreateSamplerState(SamplerInfo&) override { return nullptr; }
    UINT GetNumOutputs() override { return 0; }
    OutputDuplicator* CreateOutputDuplicator(UINT) override { return nullptr; }
    Shader* CreateVertexShader(CTSTR, CTSTR) override { return nullptr; }
    Shader* CreatePixelShader(CTSTR, CTSTR) override { return nullptr; }
    VertexBuffer* CreateVertexBuffer(VBData*, BOOL) override { return nullptr; }
    void LoadVertexBuffer(VertexBuffer*) override {}
    void LoadTexture(Texture*, UINT) override {}
    void LoadSamplerState(SamplerState*, UINT) override {}
    void LoadVertexShader(Shader*) override {}
    void LoadPixelShader(Shader*) override {}
    Shader* GetCurrentPixelShader() override { return nullptr; }
    Shader* GetCurrentVertexShader() override { return nullptr; }
    void SetRenderTarget(Texture*) override {}
    void Draw(GSDrawMode, DWORD, DWORD) override {}
    void EnableBlending(BOOL) override {}
    void BlendFunction(GSBlendType, GSBlendType, float) override {}
    void ClearColorBuffer(DWORD) override {}
    void DrawSpriteEx(Texture*, DWORD, float, float, float, float, float, float, float, float) override {}
    void DrawBox(const Vect2&, const Vect2&) override {}
    void SetCropping(float, float, float, float) override {}
    void Ortho(float, float, float, float, float, float) override {}
    void Frustum(float, float, float, float, float, float) override {}
    void SetViewport(float, float, float, float) override {}
    void SetScissorRect(XRect*) override {}
    Texture* CreateSharedTexture(unsigned, unsigned) override { return nullptr; }
    void ResetViewMatrix() override {}
    void CopyTexture(Texture*, Texture*) override {}
    void DrawSpriteExRotate(Texture*, DWORD, float, float, float, float, float, float, float, float, float, float) override {}
    Shader* CreateVertexShaderFromBlob(ShaderBlob const&, CTSTR, CTSTR) override { return nullptr; }
    Shader* CreatePixelShaderFromBlob(ShaderBlob const&, CTSTR, CTSTR) override { return nullptr; }
    void CreateVertexShaderBlob(ShaderBlob&, CTSTR, CTSTR) override {}
    void CreatePixelShaderBlob(ShaderBlob&, CTSTR, CTSTR) override {}
};

// ---------------------------------------------------------------- the host's interface

struct Hotkey {
    UINT id;
    DWORD key;
    OBSHOTKEYPROC proc;
    UPARAM param;
};

// What a plugin reaches through API: the scene mutex, class registration and hotkeys; the rest
// answers as a host without scenes, streams or windows.
class HostApi final : public APIInterface {
public:
    HostApi() { InitializeCriticalSection(&sceneMutex); InitializeCriticalSection(&hotkeyMutex); }

    void EnterSceneMutex() override { EnterCriticalSection(&sceneMutex); }
    void LeaveSceneMutex() override { LeaveCriticalSection(&sceneMutex); }
    void RegisterSceneClass(CTSTR, CTSTR, OBSCREATEPROC, OBSCONFIGPROC) override {}
    void RegisterImageSourceClass(CTSTR className, CTSTR, OBSCREATEPROC createProc, OBSCONFIGPROC configProc) override {
        if (className && std::wcscmp(className, L"Tavik\u76F4\u64AD\u70B9\u6B4C\u63D2\u4EF6") == 0) {
            create = createProc;
            configure = configProc;
        }
    }
    ImageSource* CreateImageSource(CTSTR, XElement*) override { return nullptr; }
    XElement* GetSceneListElement() override { return nullptr; }
    XElement* GetGlobalSourceListElement() override { return nullptr; }
    bool SetScene(CTSTR, bool) override { return false; }
    Scene* GetScene() const override { return nullptr; }
    CTSTR GetSceneName() const override { return L""; }
    XElement* GetSceneElement() override { return nullptr; }
    UINT CreateHotkey(DWORD key, OBSHOTKEYPROC proc, UPARAM param) override {
        if (!key || !proc) return 0;
        EnterCriticalSection(&hotkeyMutex);
        const UINT id = ++lastHotkey;
        hotkeys.push_back({id, key, proc, param});
        if (hotkeys.size() > mostHotkeys) mostHotkeys = static_cast<unsigned>(hotkeys.size());
        LeaveCriticalSection(&hotkeyMutex);
        return id;
    }
    void DeleteHotkey(UINT id) override {
        EnterCriticalSection(&hotkeyMutex);
        for (auto it = hotkeys.begin(); it != hotkeys.end(); ++it) {
            if (it->id == id) {
                hotkeys.erase(it);
                break;
            }
        }
        LeaveCriticalSection(&hotkeyMutex);
    }
    Vect2 GetBaseSize() const override { return Vect2(1280.0f, 720.0f); }
    Vect2 GetRenderFrameSize() const override { return GetBaseSize(); }
    Vect2 GetOutputSize() const override { return GetBaseSize(); }
    void GetBaseSize(UINT& width, UINT& height) const override { width = 1280, height = 720; }
    void GetRenderFrameSize(UINT& width, UINT& height) const override { GetBaseSize(width, height); }
    void GetOutputSize(UINT& width, UINT& height) const override { GetBaseSize(width, height); }
    UINT GetMaxFPS() const override { return 60; }
    CTSTR GetLanguage() const override { return L"en"; }
    HWND GetMainWindow() const override { return nullptr; }
    CTSTR GetAppDataPath() const override { return L"."; }
    String GetPluginDataPath() const override { return String(L"."); }
    UINT AddStreamInfo(CTSTR, StreamInfoPriority) override { return 0; }
    void SetStreamInfo(UINT, CTSTR) override {}
    void SetStreamInfoPriority(UINT, StreamInfoPriority) override {}
    void RemoveStreamInfo(UINT) override {}
    bool UseMultithreadedOptimizations() const override { return true; }
    void AddAudioSource(AudioSource*) override {}
    void RemoveAudioSource(AudioSource*) override {}
    QWORD GetAudioTime() const override { return 0; }
    CTSTR GetAppPath() const override { return L"."; }
    void StartStopStream() override {}
    void StartStopPreview() override {}
    bool GetStreaming() override { return false; }
    bool GetPreviewOnly() override { return false; }
    void SetSourceOrder(StringList&) override {}
    void SetSourceRender(CTSTR, bool) override {}
    void SetDesktopVolume(float, bool) override {}
    float GetDesktopVolume() override { return 1.0f; }
    void ToggleDesktopMute() override {}
    bool GetDesktopMuted() override { return false; }
    void SetMicVolume(float, bool) override {}
    float GetMicVolume() override { return 1.0f; }
    void ToggleMicMute() override {}
    bool GetMicMuted() override { return false; }
    DWORD GetOBSVersion() const override { return 0x659; }
    bool IsTestVersion() const override { return false; }
    UINT NumAuxAudioSources() const override { return 0; }
    AudioSource* GetAuxAudioSource(UINT) override { return nullptr; }
    AudioSource* GetDesktopAudioSource() override { return nullptr; }
    AudioSource* GetMicAudioSource() override { return nullptr; }
    void GetCurDesktopVolumeStats(float*, float*, float*) const override {}
    void GetCurMicVolumeStats(float*, float*, float*) const override {}
    void AddSettingsPane(SettingsPane*) override {}
    void RemoveSettingsPane(SettingsPane*) override {}
    void SetChangedSettings(bool) override {}
    Vect2 GetRenderFrameOffset() const override { return Vect2(0.0f, 0.0f); }
    Vect2 GetRenderFrameControlSize() const override { return GetBaseSize(); }
    void GetRenderFrameOffset(UINT& x, UINT& y) const override { x = y = 0; }
    void GetRenderFrameControlSize(UINT& width, UINT& height) const override { GetBaseSize(width, height); }
    bool GetRenderFrameIn1To1Mode() const override { return true; }
    Vect2 MapWindowToFramePos(Vect2 position) const override { return position; }
    Vect2 MapFrameToWindowPos(Vect2 position) const override { return position; }
    Vect2 MapWindowToFrameSize(Vect2 size) const override { return size; }
    Vect2 MapFrameToWindowSize(Vect2 size) const override { return size; }
    Vect2 GetWindowToFrameScale() const override { return Vect2(1.0f, 1.0f); }
    Vect2 GetFrameToWindowScale() const override { return Vect2(1.0f, 1.0f); }
    UINT GetSampleRateHz() const override { return 44100; }
    void SetAbortApplySettings(bool) override {}
    void StartStopRecording() override {}
    bool GetRecording() const override { return false; }
    bool GetKeepRecording() const override { return false; }
    UINT GetCaptureFPS() const override { return 60; }
    UINT GetTotalFrames() const override { return 0; }
    UINT GetFramesDropped() const override { return 0; }
    UINT GetTotalStreamTime() const override { return 0; }
    UINT GetBytesPerSec() const override { return 0; }
    void SetCanOptimizeSettings(bool) override {}
    void StartStopRecordingReplayBuffer() override {}
    bool GetRecordingReplayBuffer() const override { return false; }
    void SaveReplayBuffer() override {}
    bool SetSceneCollection(CTSTR, CTSTR) override { return false; }
    CTSTR GetSceneCollectionName() const override { return L""; }
    void GetSceneCollectionNames(StringList&) const override {}
    void DisableTransitions() override {}
    void EnableTransitions() override {}
    bool TransitionsEnabled() const override { return false; }

    // A press or a release of every registered hotkey, on the calling thread with no lock held,
    // as OBS's user-interface thread delivers them; how many callbacks ran.
    unsigned Deliver(bool down) {
        EnterCriticalSection(&hotkeyMutex);
        const std::vector<Hotkey> now = hotkeys;
        LeaveCriticalSection(&hotkeyMutex);
        for (const Hotkey& h : now) h.proc(h.key, h.param, down);
        return static_cast<unsigned>(now.size());
    }
    // Gives back the table's storage (the count of blocks left must not see it).
    void ReleaseTable() {
        EnterCriticalSection(&hotkeyMutex);
        std::vector<Hotkey>().swap(hotkeys);
        LeaveCriticalSection(&hotkeyMutex);
    }
    unsigned Registered() {
        EnterCriticalSection(&hotkeyMutex);
        const unsigned count = static_cast<unsigned>(hotkeys.size());
        LeaveCriticalSection(&hotkeyMutex);
        return count;
    }

    OBSCREATEPROC create = nullptr;
    OBSCONFIGPROC configure = nullptr;
    unsigned mostHotkeys = 0;
    CRITICAL_SECTION hotkeyMutex;  // the host's own stop holds it too

private:
    CRITICAL_SECTION sceneMutex;
    std::vector<Hotkey> hotkeys;
    UINT lastHotkey = 0;
};

struct SceneLock {
    SceneLock() { API->EnterSceneMutex(); }
    ~SceneLock() { API->LeaveSceneMutex(); }
};

// ---------------------------------------------------------------- the host

class RealStressHost final : public StressHost {
public:
    RealStressHost(const wchar_t* folder, const wchar_t* log, CountingAllocator* counting)
        : allocator(counting), frameDone(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
        swprintf(directory, MAX_PATH, L"%ls", folder);
        swprintf(logFile, MAX_PATH, L"%ls", log);
        CreateDirectoryW(directory, nullptr);
    }
    ~RealStressHost() override {
        StopVideo();
        CloseHandle(frameDone);
    }

    bool Open(const std::vector<std::wstring>& names) override {
        api.mostHotkeys = 0;
        warningsAtOpen = LogWarnings();
        boxesAtOpen = g_messageBoxes.load();
        wchar_t path[MAX_PATH];
        if (!GetFullPathNameW(L"plugins\\TavikSongList.dll", MAX_PATH, path, nullptr)) return false;
        plugin = LoadLibraryW(path);
        if (!plugin) return false;
        using LoadProc = bool (*)();
        auto load = reinterpret_cast<LoadProc>(reinterpret_cast<void*>(GetProcAddress(plugin, "LoadPlugin")));
        unload = reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(plugin, "UnloadPlugin")));
        if (!load || !unload || !load() || !api.create || !api.configure) return false;
        scene = NewScene(names, &sources);
        return scene != nullptr;
    }

    void StartVideo() override {
        if (video) return;
        stop = false;
        video = CreateThread(nullptr, kThreadStack, &VideoThread, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    }
    void StopVideo() override {
        if (!video) return;
        stop = true;
        WaitForSingleObject(video, INFINITE);
        CloseHandle(video);
        video = nullptr;
    }
    bool Stop() override {
        if (!video) return true;
        EnterCriticalSection(&api.hotkeyMutex);  // for the whole stop, as OBS::Stop holds its hotkey mutex
        stop = true;
        const bool ended = WaitForSingleObject(video, kStopLimitMs) == WAIT_OBJECT_0;
        if (!ended) TerminateThread(video, 1);
        LeaveCriticalSection(&api.hotkeyMutex);
        CloseHandle(video);
        video = nullptr;
        return ended;
    }
    void WaitFrames(long count) override {
        const long until = frames.load() + count;
        while (video && frames.load() < until) WaitForSingleObject(frameDone, 1000);
    }

    bool AddSource(const std::wstring& name) override {
        XElement* list = scene->GetElement(L"sources");
        XElement* element = list->CreateElement(name.c_str());
        element->SetString(L"class", L"Tavik\u76F4\u64AD\u70B9\u6B4C\u63D2\u4EF6");
        if (!api.configure(element, true)) {
            list->RemoveElement(element);
            return false;
        }
        Source source = Make(element);
        if (!source.object) return false;
        SceneLock lock;
        source.object->BeginScene();
        source.active = true;
        sources.push_back(source);
        return true;
    }
    bool Configure(const std::wstring& name) override {
        Source* s = Find(name);
        if (!s) return false;
        const bool accepted = api.configure(s->element, false);
        if (accepted) {
            SceneLock lock;
            s->object->UpdateSettings();
        }
        return accepted;
    }
    void Activate(const std::wstring& name) override {
        SceneLock lock;
        if (Source* s = Find(name)) {
            s->object->BeginScene();
            s->active = true;
        }
    }
    void Deactivate(const std::wstring& name) override {
        SceneLock lock;
        if (Source* s = Find(name)) {
            s->object->EndScene();
            s->active = false;
        }
    }
    void SwitchScene(const std::vector<std::wstring>& names) override {
        std::vector<Source> created;
        XConfig* next = NewScene(names, &created);
        if (!next) return;
        std::vector<Source> old;
        {
            SceneLock lock;
            for (Source& s : sources)
                if (s.active) s.object->EndScene();
            old.swap(sources);
            sources.swap(created);
            for (Source& s : sources) {
                s.object->BeginScene();
                s.active = true;
            }
        }
        // Destroyed while the video thread runs the new scene, as after OBS Classic's switch.
        for (Source& s : old) delete s.object;
        delete scene;
        scene = next;
    }
    void SaveScene() override {
        wchar_t file[MAX_PATH];
        swprintf(file, MAX_PATH, L"%ls\\saved.xconfig", directory);
        scene->SaveTo(file);
    }
    unsigned PressHotkeys() override {
        api.Deliver(true);
        return api.Deliver(false);
    }
    void Close() override {
        StopVideo();
        {
            SceneLock lock;
            for (Source& s : sources)
                if (s.active) s.object->EndScene();
        }
        for (Source& s : sources) delete s.object;
        std::vector<Source>().swap(sources);
        delete scene;
        scene = nullptr;
        if (plugin) {
            unload();
            FreeLibrary(plugin);
            plugin = nullptr;
        }
        if (!api.Registered()) api.ReleaseTable();
    }

    long FramesRun() override { return frames.load(); }
    unsigned MostHotkeysAtOnce() override { return api.mostHotkeys; }
    unsigned HotkeysRegistered() override { return api.Registered(); }
    unsigned Warnings() override { return LogWarnings() - warningsAtOpen; }
    unsigned MessageBoxes() override { return g_messageBoxes.load() - boxesAtOpen; }
    long AllocatorBlocks() override { return allocator->Live(); }
    long Textures() override { return g_textures.load(); }

    HostApi api;
    MemoryGraphics graphics;

private:
    struct Source {
        XElement* element;
        ImageSource* object;
        bool active;
    };

    Source Make(XElement* element) {
        XElement* data = element->GetElement(L"data");
        if (!data) data = element->CreateElement(L"data");
        return Source{element, static_cast<ImageSource*>(api.create(data)), false};
    }
    Source* Find(const std::wstring& name) {
        for (Source& s : sources)
            if (name == s.element->GetName()) return &s;
        return nullptr;
    }
    // A scene of song-list sources of these names, made as OBS Classic makes one from its file.
    XConfig* NewScene(const std::vector<std::wstring>& names, std::vector<Source>* made) {
        wchar_t file[MAX_PATH];
        swprintf(file, MAX_PATH, L"%ls\\scene%d.xconfig", directory, ++scenes % 2);
        HANDLE empty = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(empty);
        auto* config = new XConfig;
        if (!config->Open(file)) {
            delete config;
            return nullptr;
        }
        XElement* list = config->CreateElement(L"sources");
        for (const std::wstring& name : names) {
            XElement* element = list->CreateElement(name.c_str());
            element->SetString(L"class", L"Tavik\u76F4\u64AD\u70B9\u6B4C\u63D2\u4EF6");
            Source source = Make(element);
            if (source.object) made->push_back(source);
        }
        return config;
    }
    unsigned LogWarnings() const {
        HANDLE file = CreateFileW(logFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 0;
        std::vector<char> text;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) text.insert(text.end(), buffer, buffer + got);
        CloseHandle(file);
        static const char warning[] = "Warning -- ";
        unsigned count = 0;
        for (auto at = text.begin(); (at = std::search(at, text.end(), warning, warning + sizeof warning - 1)) != text.end(); ++at)
            ++count;
        return count;
    }

    static DWORD WINAPI VideoThread(void* self) {
        static_cast<RealStressHost*>(self)->VideoLoop();
        return 0;
    }
    void VideoLoop() {
        while (!stop.load()) {
            {
                SceneLock lock;
                for (Source& s : sources) s.object->Preprocess();
                for (Source& s : sources) {
                    s.object->Tick(0.0f);
                    s.object->Render(Vect2(s.element->GetFloat(L"x"), s.element->GetFloat(L"y")),
                                     Vect2(s.element->GetFloat(L"cx", 100.0f), s.element->GetFloat(L"cy", 100.0f)));
                }
            }
            ++frames;
            SetEvent(frameDone);
        }
    }

    wchar_t directory[MAX_PATH];
    wchar_t logFile[MAX_PATH];
    CountingAllocator* allocator;
    HANDLE frameDone;
    HANDLE video = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<long> frames{0};
    HMODULE plugin = nullptr;
    void (*unload)() = nullptr;
    XConfig* scene = nullptr;
    std::vector<Source> sources;
    int scenes = 0;
    unsigned warningsAtOpen = 0;
    unsigned boxesAtOpen = 0;
};

}  // namespace

// The host as OBS.exe sets it up: the library initialised with a log file, API and GS pointed at
// this host's own; the plugins then come from plugins\ of the working directory.
// Nothing may be allocated before InitXT: the host library's header makes operator new take its
// blocks from MainAllocator.
extern "C" __declspec(dllexport) StressHost* CreateRealStressHost(const wchar_t* directory) {
    static CountingAllocator* counting = nullptr;
    static wchar_t logFile[MAX_PATH];
    if (!counting) {
        CreateDirectoryW(directory, nullptr);
        swprintf(logFile, MAX_PATH, L"%ls\\obsapi.log", directory);
        InitXT(logFile, L"FastAlloc");
        Log(L"stress: OBS Classic's OBSApi.dll");  // the log file is open from here on
        counting = new CountingAllocator(MainAllocator);
        MainAllocator = counting;
        ReplaceImport(GetModuleHandleW(L"OBSApi.dll"), "user32.dll", "MessageBoxW", reinterpret_cast<void*>(&CountedMessageBox));
    }
    auto* host = new RealStressHost(directory, logFile, counting);
    API = &host->api;
    GS = &host->graphics;
    return host;
}
