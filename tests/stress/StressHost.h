#pragma once
// What the stress driver asks of a host: the host's own side, doing each thing on the thread and
// under the lock OBS Classic uses (docs/tools.md, the stand-in host), for scenes of
// song-list sources. The driver knows nothing else of the host; one implementation runs the
// stand-in host over our host library (StandinStressHost.cpp), and one over OBS Classic's own
// OBSApi.dll can take its place.
#include <string>
#include <vector>

class StressHost {
public:
    virtual ~StressHost() = default;

    // ---- on the user-interface thread: the thread that calls these
    // Loads the plugins and opens a scene of song-list sources of these names (not activated).
    virtual bool Open(const std::vector<std::wstring>& sources) = 0;
    // The video thread runs frames, as fast as it can, until StopVideo.
    virtual void StartVideo() = 0;
    virtual void StopVideo() = 0;
    // Returns once `count` more frames have run.
    virtual void WaitFrames(long count) = 0;
    // A stop of recording as OBS Classic makes it: the video thread asked to end and waited for
    // with the host's hotkey lock held, for at most kStopLimitMs; one that has not ended then is
    // killed, and the host can go on no further. Whether it ended in time.
    static constexpr unsigned kStopLimitMs = 5000;
    virtual bool Stop() = 0;
    // "Add source": the configure callback first, then the source is created and activated.
    // Whether the configure callback accepted it.
    virtual bool AddSource(const std::wstring& name) = 0;
    // The configure callback on an existing source; whether it accepted.
    virtual bool Configure(const std::wstring& name) = 0;
    virtual void Activate(const std::wstring& name) = 0;
    virtual void Deactivate(const std::wstring& name) = 0;
    // To a scene of song-list sources of these names: created, then swapped in with the scene
    // mutex held (the old ones deactivated, the new ones activated), the old ones destroyed after.
    virtual void SwitchScene(const std::vector<std::wstring>& sources) = 0;
    virtual void SaveScene() = 0;
    // A press and a release of every hotkey registered; how many callbacks the release ran.
    virtual unsigned PressHotkeys() = 0;
    // Destroys the sources and unloads and frees the plugins.
    virtual void Close() = 0;

    // ---- what the host saw, since Open
    virtual long FramesRun() = 0;
    virtual unsigned MostHotkeysAtOnce() = 0;
    virtual unsigned HotkeysRegistered() = 0;
    virtual unsigned Warnings() = 0;  // in the host log
    virtual unsigned MessageBoxes() = 0;
    // What the plugins hold of the host's: allocator blocks and textures (after Close: left).
    virtual long AllocatorBlocks() = 0;
    virtual long Textures() = 0;
};
