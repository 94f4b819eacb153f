// A stand-in for the streaming host: loads plugins, creates sources from a scene file, runs
// frames on a video thread (RefreshFrame, then Draw onto a canvas, with the scene mutex held)
// while this thread, the user-interface thread, runs the actions, and saves what came out. See
// docs/tools.md for the command line and what runs where; actions run in the order they are given.
#include "host/Platform.h"  // windows.h before gdiplus.h
#include <gdiplus.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/HostSide.h"
#include "host/Utf.h"
#include "tools/standin_host/Host.h"

namespace {

void Print(const std::wstring& text) {
    std::string utf8 = Utf16ToUtf8(text) + "\n";
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

void Usage() {
    Print(L"usage: standin_host [--plugins DIR] [--canvas WxH] [--fps N] [--log FILE] [--quiet] [--report]\n"
          L"                    [--message-box-ms MS] [--missing-font FACE] [--slow-render MS]\n"
          L"                    [--stop-limit-ms MS] ACTION...\n"
          L"actions, run in order on the user-interface thread:\n"
          L"  --scene FILE        create the sources of a scene file\n"
          L"  --source CLASS NAME add a source of a class\n"
          L"  --add CLASS NAME    add a source as the host's \"Add source\" does: configure first (a refusal\n"
          L"                      removes it), then create and activate it\n"
          L"  --frames N          run N frames on the video thread and wait for them\n"
          L"  --start-video       run frames on the video thread until --stop-video, meanwhile go on\n"
          L"  --stop-video\n"
          L"  --stop              stop as the host stops a recording: the video thread ended with the\n"
          L"                      hotkey table's lock held, killed after the stop's limit (the host\n"
          L"                      then exits with 3); frames run again after --start-video\n"
          L"  --configure NAME    call the configure callback for a source\n"
          L"  --activate NAME     ActivateSource (NAME may be * for every source)\n"
          L"  --deactivate NAME   DeactivateSource\n"
          L"  --switch-scene FILE switch to the scene of a file: its sources created, the old ones\n"
          L"                      deactivated and the new ones activated, then the old ones destroyed\n"
          L"  --remove NAME       deactivate and delete a source, and remove it from the scene\n"
          L"  --hotkey KEY        deliver a press and a release of key code KEY (* for every hotkey)\n"
          L"  --hotkey-down KEY / --hotkey-up KEY\n"
          L"  --sleep MS          wait, handling window messages\n"
          L"  --save-scene FILE   write the scene and every source's settings\n"
          L"  --canvas-png FILE   write the composed canvas of the last frame\n"
          L"  --texture-png DIR   write each source's texture as DIR\\NAME.png\n"
          L"--message-box-ms MS: OBSMessageBox blocks its caller for MS ms, as a box waits for a click\n"
          L"--missing-font FACE: the plugins cannot make a GDI+ font of that face, as when it is missing\n"
          L"--slow-render MS: every render of the plugins waits MS ms as it makes its bitmap\n"
          L"--stop-limit-ms MS: how long --stop waits for the video thread (the host's 30000)\n"
          L"--report: after each run of frames, how many frames each source rendered anew, the most\n"
          L"textures alive at once and the longest the video thread waited for the scene mutex; at the\n"
          L"end, what the plugins left: allocator blocks, textures, warnings in the log, message boxes");
}

int Run(int argc, wchar_t** argv) {
    StandinHost host;
    std::wstring pluginDirectory = L"plugins";
    std::vector<std::wstring> args(argv + 1, argv + argc);
    // Set-up options first; everything else is an action, run in order.
    std::vector<std::wstring> actions;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        auto next = [&]() -> std::wstring {
            if (i + 1 >= args.size()) throw std::runtime_error("missing value after option");
            return args[++i];
        };
        if (a == L"--plugins") pluginDirectory = next();
        else if (a == L"--fps") host.fps = std::wcstod(next().c_str(), nullptr);
        else if (a == L"--canvas") {
            std::wstring v = next();
            if (std::swscanf(v.c_str(), L"%ux%u", &host.canvasWidth, &host.canvasHeight) != 2) throw std::runtime_error("bad --canvas");
        } else if (a == L"--log") HostSetLogFile(next().c_str());
        else if (a == L"--quiet") HostSetLogEcho(false);
        else if (a == L"--report") host.StartReport();
        else if (a == L"--message-box-ms") HostSetMessageBoxWait(static_cast<unsigned>(std::wcstoul(next().c_str(), nullptr, 10)));
        else if (a == L"--missing-font") host.SetMissingFont(next());
        else if (a == L"--slow-render") host.SetSlowRender(static_cast<unsigned>(std::wcstoul(next().c_str(), nullptr, 10)));
        else if (a == L"--stop-limit-ms") host.stopLimitMs = static_cast<unsigned>(std::wcstoul(next().c_str(), nullptr, 10));
        else if (a == L"--help" || a == L"-h") {
            Usage();
            return 0;
        } else actions.push_back(a);
    }

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        Print(L"cannot start GDI+");
        return 1;
    }
    host.LoadPlugins(pluginDirectory);

    int failures = 0;
    for (size_t i = 0; i < actions.size(); ++i) {
        const std::wstring& a = actions[i];
        auto next = [&]() -> std::wstring {
            if (i + 1 >= actions.size()) throw std::runtime_error("missing value after action");
            return actions[++i];
        };
        bool ok = true;
        if (a == L"--scene") ok = host.OpenScene(next());
        else if (a == L"--source") {
            std::wstring className = next();
            host.AddSource(className, next());
        } else if (a == L"--add") {
            std::wstring className = next();
            ok = host.AddConfiguredSource(className, next());
        } else if (a == L"--frames") host.RunFrames(std::wcstol(next().c_str(), nullptr, 10));
        else if (a == L"--start-video") host.StartVideo();
        else if (a == L"--stop-video") host.StopVideo();
        else if (a == L"--stop") {
            if (!host.StopLikeTheHost()) {
                // As the host: a video thread killed inside its frame leaves the scene mutex held.
                std::fflush(stdout);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        }
        else if (a == L"--configure") ok = host.Configure(next());
        else if (a == L"--activate") ok = host.Activate(next());
        else if (a == L"--deactivate") ok = host.Deactivate(next());
        else if (a == L"--switch-scene") ok = host.SwitchScene(next());
        else if (a == L"--hotkey") host.Hotkey(next(), true, true);
        else if (a == L"--hotkey-down") host.Hotkey(next(), true, false);
        else if (a == L"--hotkey-up") host.Hotkey(next(), false, true);
        else if (a == L"--sleep") host.Sleep(static_cast<unsigned>(std::wcstoul(next().c_str(), nullptr, 10)));
        else if (a == L"--save-scene") ok = host.SaveScene(next());
        else if (a == L"--canvas-png") ok = host.SaveCanvas(next());
        else if (a == L"--texture-png") ok = host.SaveTextures(next());
        else if (a == L"--remove") ok = host.Remove(next());
        else {
            Print(L"unknown option " + a);
            Usage();
            host.Shutdown();
            return 2;
        }
        if (!ok) ++failures;
    }
    host.Shutdown();
    Gdiplus::GdiplusShutdown(token);
    return failures ? 1 : 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    try {
        int result = Run(argc, argv);
        LocalFree(argv);
        return result;
    } catch (const std::exception& e) {
        Print(L"error: " + Utf8ToUtf16(e.what()));
        return 2;
    }
}
