#include "tests/stress/StressDriver.h"

#include <windows.h>

#include <algorithm>

#include "tests/support/Process.h"

namespace {

// The scene of round `round`: one or two sources, named for the round so none is reused.
std::vector<std::wstring> SceneOfRound(int round) {
    std::vector<std::wstring> names{L"歌单" + std::to_wstring(round) + L"a"};
    if (round % 2 == 0) names.push_back(L"歌单" + std::to_wstring(round) + L"b");
    return names;
}

}  // namespace

StressOutcome RunStress(StressHost& host, int rounds) {
    StressOutcome o;
    const long threads = ThreadsOfThisProcess();
    const long blocks = host.AllocatorBlocks();
    const long textures = host.Textures();

    std::vector<std::wstring> scene = SceneOfRound(0);
    if (!host.Open(scene)) return o;
    host.StartVideo();
    for (const std::wstring& name : scene) host.Activate(name);  // the scene is live
    host.WaitFrames(2);
    for (int round = 1; round <= rounds; ++round) {
        const std::wstring& first = scene.front();
        if (!host.Configure(first)) ++o.configuresRefused;
        host.Deactivate(first);
        host.Activate(first);
        host.SaveScene();
        const unsigned callbacks = host.PressHotkeys();
        ++o.releases;
        o.callbacksOnRelease += callbacks;
        o.mostCallbacksOnOneRelease = std::max(o.mostCallbacksOnOneRelease, callbacks);
        if (round % 3 == 0) {
            const std::wstring added = L"添加" + std::to_wstring(round);
            if (host.AddSource(added)) scene.push_back(added);
            else ++o.configuresRefused;
        }
        scene = SceneOfRound(round);
        host.SwitchScene(scene);
        if (round % 10 == 0) {  // a stop of recording right after the switch, then the preview again
            ++o.stops;
            if (!host.Stop()) {
                ++o.stopsKilled;
                return o;  // the host cannot go on
            }
            host.StartVideo();
        }
        // The new sources' first frames have run: they write the companion's settings into
        // their elements, and the host saves the scene without the scene mutex, as OBS Classic
        // does, so a key added to an element while it is written out would be the host's own
        // hazard, not the plugin's.
        host.WaitFrames(2);
        ++o.rounds;
    }
    host.StopVideo();
    o.frames = host.FramesRun();
    o.mostHotkeysAtOnce = host.MostHotkeysAtOnce();
    o.warnings = host.Warnings();
    o.messageBoxes = host.MessageBoxes();
    host.Close();
    o.blocksLeft = host.AllocatorBlocks() - blocks;
    o.texturesLeft = host.Textures() - textures;
    o.hotkeysLeft = host.HotkeysRegistered();
    o.threadsLeft = ThreadsOfThisProcess() - threads;
    return o;
}
