// Loads a plugin DLL the way OBS Classic does, over OBS Classic's own OBSApi.dll: the host
// library is initialised as OBS.exe initialises it before loading plugins, `API` points at an
// interface of this program's own, and the DLL's LoadPlugin, GetPluginName and
// GetPluginDescription are called. Exit 0 when the plugin loaded and registered its source
// class; run under WINEDEBUG=warn+module, its output also shows any import the loader could not
// resolve (see loader-check.sh).
//
// Built against our host layer's declarations, which are the host library's own, and linked with
// the real OBSApi.lib.
#include "host/HostApi.h"
#include "plugin/Constants.h"

#include <cstdio>
#include <cwchar>
#include <string>

// From the host library's XT.h: what OBS.exe calls first.
__declspec(dllimport) BOOL STDCALL InitXT(CTSTR logFile, CTSTR allocatorName);

namespace {

class MinimalApi final : public APIInterface {
public:
    void EnterSceneMutex() override {}
    void LeaveSceneMutex() override {}
    void RegisterSceneClass(CTSTR, CTSTR, OBSCREATEPROC, OBSCONFIGPROC) override { ++sceneClasses; }
    void RegisterImageSourceClass(CTSTR className, CTSTR displayName, OBSCREATEPROC create,
                                  OBSCONFIGPROC configure) override {
        ++imageClasses;
        registered = className && displayName && create && configure &&
                     std::wcscmp(className, names::kPluginName) == 0 &&
                     std::wcscmp(displayName, names::kSourceDisplayName) == 0;
    }

    int sceneClasses = 0;
    int imageClasses = 0;
    bool registered = false;
};

MinimalApi api;

std::string Narrow(CTSTR text) {
    if (!text) return "(null)";
    char buffer[512];
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return n > 0 ? std::string(buffer) : std::string("?");
}

int Fail(const char* what) {
    std::printf("loader_check: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return Fail("usage: loader_check PLUGIN.dll");
    if (!InitXT(nullptr, L"FastAlloc")) return Fail("InitXT failed");
    API = &api;

    HMODULE plugin = LoadLibraryA(argv[1]);
    if (!plugin) {
        std::printf("loader_check: %s did not load (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    using LoadProc = bool (*)();
    using TextProc = CTSTR (*)();
    using UnloadProc = void (*)();
    auto load = reinterpret_cast<LoadProc>(GetProcAddress(plugin, "LoadPlugin"));
    auto unload = reinterpret_cast<UnloadProc>(GetProcAddress(plugin, "UnloadPlugin"));
    auto name = reinterpret_cast<TextProc>(GetProcAddress(plugin, "GetPluginName"));
    auto description = reinterpret_cast<TextProc>(GetProcAddress(plugin, "GetPluginDescription"));
    if (!load || !unload || !name || !description) return Fail("an entry point is missing");

    if (!load()) return Fail("LoadPlugin returned false");
    if (api.imageClasses != 1 || api.sceneClasses != 0 || !api.registered)
        return Fail("LoadPlugin did not register exactly the song-list source class");
    const std::string pluginName = Narrow(name());
    const std::string pluginDescription = Narrow(description());
    if (pluginName != Narrow(names::kPluginName) || pluginDescription != Narrow(names::kPluginDescription))
        return Fail("the plugin's name or description is not its own");
    unload();
    FreeLibrary(plugin);
    std::printf("loader_check: %s loaded over the real host library: %s, %s\n", argv[1], pluginName.c_str(),
                pluginDescription.c_str());
    return 0;
}
