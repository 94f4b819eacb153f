#pragma once
// The stress run: while the video thread runs frames (and the companion rewrites its block every
// millisecond), the user-interface thread, round after round, configures, activates and
// deactivates a source, saves the scene, presses the hotkey, adds a source and switches scenes,
// and now and then stops recording right after the switch.
// What it saw is returned for the test to judge.
#include "tests/stress/StressHost.h"

struct StressOutcome {
    int rounds = 0;
    long frames = 0;
    int configuresRefused = 0;  // configure callbacks (adding included) that returned false
    int stops = 0;              // stops of recording right after a scene switch
    int stopsKilled = 0;        // that had to kill the video thread (the run ends there)
    unsigned releases = 0;      // hotkey releases delivered
    unsigned callbacksOnRelease = 0;
    unsigned mostCallbacksOnOneRelease = 0;
    unsigned mostHotkeysAtOnce = 0;
    unsigned warnings = 0;
    unsigned messageBoxes = 0;
    // After the sources were destroyed and the plugins unloaded, against before they were loaded.
    long blocksLeft = 0;
    long texturesLeft = 0;
    unsigned hotkeysLeft = 0;
    long threadsLeft = 0;  // threads of this process
};

StressOutcome RunStress(StressHost& host, int rounds);
