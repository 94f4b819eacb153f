#pragma once
// The stand-in host's own side: it loads plugins, keeps a scene of sources and drives them on
// the threads, and under the lock, that the streaming host uses:
//
// - a video thread (made with the host's 1 MiB stack) runs every frame, RefreshFrame of every
//   source and then Draw onto the canvas, holding the scene mutex for the whole frame;
// - the thread that made the StandinHost is the user-interface thread: every other operation
//   runs on it. Create and configure callbacks run without the scene mutex; activation,
//   deactivation, the settings reload after an accepted configure and removal run with it; a
//   scene switch creates the new scene's sources, swaps the scenes with the mutex held
//   (deactivating the old sources, activating the new ones) and destroys the old sources
//   without it while the video thread runs; hotkey callbacks run on it, with no lock; the scene
//   is saved without the mutex.
//
// The scene mutex is the host library's (API->EnterSceneMutex), which plugins may take too.
#include "host/Platform.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "host/HostSide.h"

// Points the module's import of `name` from `dll` at `replacement`; the address it held goes to
// `original`. False when the module does not import it by name. How the host's levers reach into
// a plugin (a missing font, a slow render), and tests with it.
bool ReplaceImport(HMODULE module, const char* dll, const char* name, void* replacement, void** original);

class StandinHost {
public:
    StandinHost();
    ~StandinHost();  // stops the video thread; Shutdown does the rest
    StandinHost(const StandinHost&) = delete;
    StandinHost& operator=(const StandinHost&) = delete;

    // ---- set-up, before the first action
    double fps = 30.0;  // 0: frames as fast as they can be made
    unsigned canvasWidth = 1280;
    unsigned canvasHeight = 720;
    bool printActions = true;  // lines about what each action did, on standard output
    // --report: figures after each run of frames, and what the plugins left at the end.
    void StartReport();
    // Plugins loaded after this cannot make a GDI+ font of `face` (compared without regard to
    // case), as on a machine where that font is missing or is not a TrueType font.
    void SetMissingFont(const std::wstring& face) { missingFace = face; }
    // Plugins loaded after this wait `milliseconds` in every render (as they make its bitmap),
    // as on a slow machine or with a look that takes long to draw.
    void SetSlowRender(unsigned milliseconds) { slowRenderMs = milliseconds; }
    // How long a stop waits for the video thread before it kills it (OBS Classic: 30 s).
    unsigned stopLimitMs = 30000;
    bool LoadPlugins(const std::wstring& directory);

    // ---- the user-interface thread's operations
    bool OpenScene(const std::wstring& file);  // creates the file's sources (not activated)
    void AddSource(const std::wstring& className, const std::wstring& name);  // creates one (no configure)
    // "Add source": the class's configure callback with the new element (initialising), without
    // the scene mutex; refused, the element is removed and nothing is created; accepted, the
    // source is created and activated.
    bool AddConfiguredSource(const std::wstring& className, const std::wstring& name, bool* accepted = nullptr);
    // The configure callback on an existing source, without the scene mutex; accepted, the
    // source reloads its settings with the mutex held. Whether the callback accepted.
    bool Configure(const std::wstring& name, bool* accepted = nullptr);
    bool Activate(const std::wstring& name);    // "*": every source
    bool Deactivate(const std::wstring& name);  // "*": every source
    bool Remove(const std::wstring& name);      // deactivated when active, destroyed, its element removed
    bool SwitchScene(const std::wstring& file);
    bool SaveScene(const std::wstring& file);
    bool SaveCanvas(const std::wstring& file);
    bool SaveTextures(const std::wstring& directory);
    // A press and a release ("*": of every registered hotkey); how many callbacks the release ran.
    unsigned Hotkey(const std::wstring& key, bool down, bool up);
    void Sleep(unsigned milliseconds);  // handles window messages meanwhile

    // ---- the video thread
    void RunFrames(long count);  // runs `count` frames (more of them, when it is running) and waits
    void StartVideo();           // frames run until StopVideo while other actions go on
    void StopVideo();
    // A stop of recording or streaming as OBS Classic makes it: with the hotkey table's lock held
    // for the whole stop, the video thread is asked to end and waited for at most stopLimitMs;
    // one that has not ended by then is killed, as OBS does ("WARNING: Forcibly terminating a
    // thread after N ms timeout!"), and the host can go on no further. Whether it ended in time.
    bool StopLikeTheHost();
    bool VideoRunning() const { return video != nullptr; }
    long FramesRun() const { return framesRun.load(); }
    // The longest the video thread waited for the scene mutex before a frame, in milliseconds,
    // since the last run of frames started.
    double LongestSceneWaitMs() const { return longestWaitMs.load(); }

    // Names of the sources of the scene, in order.
    std::vector<std::wstring> SourceNames() const;
    // Stops the video thread, destroys the sources, unloads and frees the plugins.
    void Shutdown();

private:
    struct Source;
    struct Plugin {
        HMODULE module;
        std::wstring file;
        void (*unload)();
    };

    std::unique_ptr<Source> MakeSource(XElement* element);
    Source* Find(const std::wstring& name);
    bool ForEach(const std::wstring& name, void (*action)(Source&));
    void BeginRun(long frames);
    void EndRun();
    void VideoLoop();
    void Frame();
    static DWORD WINAPI VideoThread(void* host);
    void Print(const std::wstring& text) const;

    std::unique_ptr<XConfig> scene;
    std::vector<Plugin> plugins;
    std::vector<std::unique_ptr<Source>> sources;  // changed only with the scene mutex held
    std::wstring missingFace;
    unsigned slowRenderMs = 0;

    HANDLE video = nullptr;
    HANDLE frameDone = nullptr;  // set after every frame
    std::atomic<bool> stopVideo{false};
    long runLimit = -1;  // frames the current run makes; -1: until stopped
    std::atomic<long> framesRun{0};
    std::atomic<long> runFrames{0};
    std::atomic<double> longestWaitMs{0.0};
    long mostTextures = 0;
    double runStart = 0.0;

    bool report = false;
    long blocksAtStart = 0;
    long texturesAtStart = 0;
};
