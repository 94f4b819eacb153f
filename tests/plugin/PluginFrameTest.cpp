#include <windows.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/HostSide.h"
#include "plugin/Constants.h"
#include "dll/Exports.h"
#include "plugin/PluginState.h"
#include "tests/support/Process.h"
#include "tools/standin_host/Host.h"

namespace {

TEST(PluginDll, LoadsThroughItsExportsAndKeepsItsModuleHandle) {
    HMODULE module = LoadLibraryW(L"plugins\\TavikSongList.dll");
    ASSERT_NE(module, nullptr);
    auto load = reinterpret_cast<bool (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "LoadPlugin")));
    auto unload = reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "UnloadPlugin")));
    auto name = reinterpret_cast<CTSTR (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "GetPluginName")));
    auto description = reinterpret_cast<CTSTR (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "GetPluginDescription")));
    ASSERT_TRUE(load && unload && name && description);
    unsigned inits = HostColorControlInits();
    HostClearSourceClasses();
    EXPECT_TRUE(load());
    EXPECT_EQ(HostColorControlInits(), inits + 1);
    EXPECT_EQ(HostColorControlModule(), module);  // stored by the attach routine
    EXPECT_STREQ(name(), L"Tavik直播点歌插件");
    EXPECT_STREQ(description(), L"Tavik直播点歌");
    unload();
    HostClearSourceClasses();
    FreeLibrary(module);
}

// LoadPlugin starts the plugin's two threads (the render thread, and the one the companion is
// launched on), so an activation or a frame, where the host holds its scene mutex, makes none;
// UnloadPlugin ends them, so nothing runs in the DLL once the host frees it.
TEST(PluginDll, LoadStartsThePluginsThreadsAndUnloadEndsThem) {
    HMODULE module = LoadLibraryW(L"plugins\\TavikSongList.dll");
    ASSERT_NE(module, nullptr);
    auto load = reinterpret_cast<bool (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "LoadPlugin")));
    auto unload = reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "UnloadPlugin")));
    HostClearSourceClasses();
    const long threads = ThreadsOfThisProcess();
    ASSERT_TRUE(load());
    EXPECT_EQ(ThreadsOfThisProcess(), threads + 2);
    const HostSourceClass* songList = HostFindSourceClass(names::kPluginName);
    ASSERT_NE(songList, nullptr);
    XConfig scene;
    XElement* data = scene.GetRootElement()->CreateElement(L"歌单")->CreateElement(L"data");
    auto* source = static_cast<ImageSource*>(songList->create(data));
    source->ActivateSource();
    source->RefreshFrame();  // a frame asks for its first render
    EXPECT_EQ(ThreadsOfThisProcess(), threads + 2);
    delete source;
    unload();
    EXPECT_EQ(ThreadsOfThisProcess(), threads);
    HostClearSourceClasses();
    FreeLibrary(module);
}

// A companion start that never comes back: ShellExecuteA waits, as behind a prompt the system
// shows before it starts a program, until the test lets it go.
HANDLE g_letStartGo = nullptr;
HINSTANCE WINAPI BlockedStart(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) {
    WaitForSingleObject(g_letStartGo, 30000);
    SetLastError(ERROR_CANCELLED);
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(5));  // access denied: not started
}

// Changed: UnloadPlugin waited without a limit for the plugin's own thread, which may wait in
// ShellExecuteA behind a prompt of the system's, and the host's exit with it. Now it waits a
// bounded time; a thread still blocked keeps the plugin's module loaded until it ends, and the
// module is unloaded then.
TEST(PluginDll, UnloadIsBoundedAndABlockedThreadKeepsTheModule) {
    wchar_t path[MAX_PATH];
    ASSERT_TRUE(GetFullPathNameW(L"plugins\\TavikSongList.dll", MAX_PATH, path, nullptr));
    HMODULE module = LoadLibraryW(path);
    ASSERT_NE(module, nullptr);
    auto load = reinterpret_cast<bool (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "LoadPlugin")));
    auto unload = reinterpret_cast<void (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "UnloadPlugin")));
    void* original = nullptr;
    ASSERT_TRUE(ReplaceImport(module, "shell32.dll", "ShellExecuteA", reinterpret_cast<void*>(&BlockedStart), &original));
    g_letStartGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HostClearSourceClasses();
    const long threads = ThreadsOfThisProcess();
    ASSERT_TRUE(load());
    XConfig scene;
    XElement* data = scene.GetRootElement()->CreateElement(L"歌单")->CreateElement(L"data");
    auto* source = static_cast<ImageSource*>(HostFindSourceClass(names::kPluginName)->create(data));
    source->ActivateSource();  // no companion window: the plugin's thread starts it, and waits
    Sleep(200);
    delete source;

    HANDLE unloading = CreateThread(
        nullptr, 0, [](void* proc) -> DWORD { reinterpret_cast<void (*)()>(proc)(); return 0; },
        reinterpret_cast<void*>(unload), 0, nullptr);
    const ULONGLONG start = GetTickCount64();
    const bool returned = WaitForSingleObject(unloading, 5000) == WAIT_OBJECT_0;
    EXPECT_TRUE(returned) << "UnloadPlugin waited for the blocked thread";
    if (returned) EXPECT_LE(GetTickCount64() - start, 3000u);
    HostClearSourceClasses();
    FreeLibrary(module);  // as the host does after UnloadPlugin
    EXPECT_EQ(GetModuleHandleW(path), module) << "the blocked thread keeps the module loaded";

    SetEvent(g_letStartGo);
    WaitForSingleObject(unloading, INFINITE);
    CloseHandle(unloading);
    const ULONGLONG letGo = GetTickCount64();
    while (GetModuleHandleW(path) && GetTickCount64() - letGo < 10000) Sleep(10);
    EXPECT_EQ(GetModuleHandleW(path), nullptr) << "the module stays loaded after its thread ended";
    // The thread unloads the module on its way out, and is gone a moment later.
    while (ThreadsOfThisProcess() != threads && GetTickCount64() - letGo < 10000) Sleep(10);
    EXPECT_EQ(ThreadsOfThisProcess(), threads);
    CloseHandle(g_letStartGo);
}

TEST(PluginState, HoldsItsLoadValues) {
    // Nothing in this test program has run a frame or touched the plugin yet.
    EXPECT_TRUE(g_plugin.defaultText == L"请在点歌平台中启动点歌系统");
    EXPECT_TRUE(g_plugin.displayText == L"请在点歌平台中启动点歌系统");
    EXPECT_NE(g_plugin.displayText.Array(), g_plugin.defaultText.Array());  // a copy
    EXPECT_FALSE(g_plugin.sharedText.IsValid());
    EXPECT_EQ(g_plugin.currentHotkeyCode, -1);
    EXPECT_EQ(g_plugin.hotkeyId, 0u);
    EXPECT_EQ(g_plugin.lastLaunchTime, 0);
    EXPECT_EQ(g_plugin.usingAscii, 0);
    EXPECT_FALSE(g_plugin.bridgeEnabled);
    EXPECT_EQ(g_plugin.runtimeInfo, nullptr);
    EXPECT_EQ(g_plugin.runtimeHost, nullptr);
    EXPECT_EQ(g_plugin.lastCopyData, nullptr);
    EXPECT_EQ(g_plugin.genericFormat, nullptr);
    EXPECT_EQ(g_plugin.registry.Count(), 0u);
    EXPECT_EQ(g_plugin.registry.Begin(), nullptr);
    // The meta host exists exactly when its creation succeeded (Wine without Mono may do
    // either, depending on the prefix); lastResult holds that outcome.
    EXPECT_EQ(g_plugin.metaHost != nullptr, SUCCEEDED(g_plugin.lastResult));
}

TEST(PluginState, AttachRoutineKeepsTheHandleFromProcessAttachOnly) {
    HINSTANCE saved = g_plugin.moduleHandle;
    auto* a = reinterpret_cast<HINSTANCE>(0x1000);
    auto* b = reinterpret_cast<HINSTANCE>(0x2000);
    OnLibraryNotification(a, DLL_PROCESS_ATTACH);
    EXPECT_EQ(g_plugin.moduleHandle, a);
    for (DWORD reason : {DWORD(DLL_THREAD_ATTACH), DWORD(DLL_THREAD_DETACH), DWORD(DLL_PROCESS_DETACH)}) {
        OnLibraryNotification(b, reason);
        EXPECT_EQ(g_plugin.moduleHandle, a) << reason;
    }
    g_plugin.moduleHandle = saved;
}

TEST(PluginExports, NamesAndUnloadWithTheSwitchOff) {
    EXPECT_STREQ(GetPluginName(), names::kPluginName);
    EXPECT_STREQ(GetPluginDescription(), L"Tavik直播点歌");
    unsigned classes = HostSourceClassCount();
    HostClearMessageBoxes();
    UnloadPlugin();  // with the switch off, only ends the launcher's thread (none was made here)
    EXPECT_EQ(HostSourceClassCount(), classes);
    EXPECT_EQ(HostMessageBoxCount(), 0u);
    EXPECT_EQ(g_plugin.runtimeHost, nullptr);
}

}  // namespace
