#pragma once
// The stress driver's host: the stand-in host (tools/standin_host) over our host library, with the
// plugins of bin/plugins; scenes are written as files into `directory`.
#include <string>

#include "tests/stress/StressHost.h"
#include "tools/standin_host/Host.h"

class StandinStressHost final : public StressHost {
public:
    explicit StandinStressHost(std::wstring directory);

    bool Open(const std::vector<std::wstring>& sources) override;
    void StartVideo() override { host.StartVideo(); }
    void StopVideo() override { host.StopVideo(); }
    void WaitFrames(long count) override { host.RunFrames(count); }
    bool Stop() override { return host.StopLikeTheHost(); }
    bool AddSource(const std::wstring& name) override;
    bool Configure(const std::wstring& name) override;
    void Activate(const std::wstring& name) override { host.Activate(name); }
    void Deactivate(const std::wstring& name) override { host.Deactivate(name); }
    void SwitchScene(const std::vector<std::wstring>& sources) override { host.SwitchScene(WriteScene(sources)); }
    void SaveScene() override { host.SaveScene(directory + L"\\saved.txt"); }
    unsigned PressHotkeys() override { return host.Hotkey(L"*", true, true); }
    void Close() override { host.Shutdown(); }

    long FramesRun() override { return host.FramesRun(); }
    unsigned MostHotkeysAtOnce() override { return HostMostHotkeysAtOnce(); }
    unsigned HotkeysRegistered() override { return HostHotkeyCount(); }
    unsigned Warnings() override { return WarningLines() - warningsAtOpen; }
    unsigned MessageBoxes() override { return HostMessageBoxCount() - boxesAtOpen; }
    long AllocatorBlocks() override { return HostLiveBlocks(); }
    long Textures() override { return HostLiveTextures(); }

private:
    static unsigned WarningLines();
    std::wstring WriteScene(const std::vector<std::wstring>& sources);

    StandinHost host;
    std::wstring directory;
    int scenes = 0;
    unsigned warningsAtOpen = 0;
    unsigned boxesAtOpen = 0;
};
