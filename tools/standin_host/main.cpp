// A stand-in for the streaming host: loads plugins, creates sources from a scene file, runs
// frames (RefreshFrame, then Draw onto a canvas), and saves what came out. See the README for
// the command line; actions run in the order they are given.
#include "host/Platform.h"  // windows.h before gdiplus.h
#include <gdiplus.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/HostSide.h"
#include "host/Utf.h"

namespace {

// A text value of an element, empty text when it has none.
CTSTR TextOr(const XElement* element, CTSTR key) {
    CTSTR text = element->GetString(key);
    return text ? text : L"";
}

using LoadPluginProc = bool (*)();
using UnloadPluginProc = void (*)();
using PluginTextProc = CTSTR (*)();

struct Plugin {
    HMODULE module;
    std::wstring file;
    UnloadPluginProc unload;
};

struct Source {
    std::wstring name;
    XElement* element;  // the source's own element; its "data" child holds the settings
    ImageSource* object;
};

void Print(const std::wstring& text) {
    std::string utf8 = Utf16ToUtf8(text) + "\n";
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

void Usage() {
    Print(L"usage: standin_host [--plugins DIR] [--canvas WxH] [--fps N] [--log FILE] [--quiet] [--report]\n"
          L"                    [--scene FILE] [--source CLASS NAME] ACTION...\n"
          L"actions, run in order:\n"
          L"  --frames N          run N frames (RefreshFrame, then Draw, for every source)\n"
          L"  --configure NAME    call the configure callback for a source\n"
          L"  --activate NAME     ActivateSource (NAME may be * for every source)\n"
          L"  --deactivate NAME   DeactivateSource\n"
          L"  --hotkey KEY        deliver a press and a release of key code KEY (* for every hotkey)\n"
          L"  --hotkey-down KEY / --hotkey-up KEY\n"
          L"  --sleep MS          wait, handling window messages\n"
          L"  --save-scene FILE   write the scene and every source's settings\n"
          L"  --canvas-png FILE   write the composed canvas of the last frame\n"
          L"  --texture-png DIR   write each source's texture as DIR\\NAME.png\n"
          L"  --remove NAME       delete a source\n"
          L"--report: after each --frames, how many frames each source rendered anew and the most\n"
          L"textures alive at once; at the end, what the plugins left: allocator blocks, textures,\n"
          L"warnings in the log");
}

// How many log lines so far are warnings.
unsigned WarningCount() {
    unsigned warnings = 0;
    for (unsigned i = 0; i < HostLogLineCount(); ++i)
        if (std::wcsncmp(HostGetLogLine(i), L"Warning -- ", 11) == 0) ++warnings;
    return warnings;
}

class StandinHost {
public:
    // What the host itself holds before any plugin runs, to compare with what is left at the end.
    void StartReport() {
        report = true;
        blocksAtStart = HostLiveBlocks();
        texturesAtStart = HostLiveTextures();
    }

    bool LoadPlugins(const std::wstring& directory) {
        WIN32_FIND_DATAW found;
        std::wstring pattern = directory + L"\\*.dll";
        HANDLE search = FindFirstFileW(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            Print(L"no plugins in " + directory);
            return true;
        }
        do {
            std::wstring file = directory + L"\\" + found.cFileName;
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

    bool OpenScene(const std::wstring& file) {
        if (!scene.Open(file.c_str())) {
            Print(L"cannot read scene " + file + L": " + scene.ErrorText());
            return false;
        }
        XElement* list = scene.GetRootElement()->GetElement(L"sources");
        if (!list) return true;
        for (unsigned i = 0; i < list->NumElements(); ++i) CreateSource(list->GetElementByID(i));
        return true;
    }

    void AddSource(const std::wstring& className, const std::wstring& name) {
        XElement* list = scene.GetRootElement()->GetElement(L"sources");
        if (!list) list = scene.GetRootElement()->CreateElement(L"sources");
        XElement* element = list->CreateElement(name.c_str());
        element->SetString(L"class", className.c_str());
        CreateSource(element);
    }

    void RunFrames(long count, double fps) {
        LARGE_INTEGER frequency, start, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        std::map<std::wstring, long> renders;  // frames whose drawn texture is new or was uploaded again
        long mostTextures = 0;
        for (long frame = 0; frame < count; ++frame) {
            PumpMessages();
            HostCanvasReset(canvasWidth, canvasHeight, 0xFF1E2430);
            for (Source& s : sources) s.object->RefreshFrame();
            for (Source& s : sources) {
                Vect2 position{s.element->GetFloat(L"x", 0.0f), s.element->GetFloat(L"y", 0.0f)};
                Vect2 size{s.element->GetFloat(L"cx", 32.0f), s.element->GetFloat(L"cy", 32.0f)};
                HostResetLastSpriteTexture();
                s.object->Draw(position, size);
                const Texture* drawn = HostLastSpriteTexture();
                const long uploads = drawn ? HostTextureUploads(drawn) : 0;
                if (drawn && (drawn != lastTextures[s.name] || uploads != lastUploads[s.name])) ++renders[s.name];
                lastTextures[s.name] = drawn;
                lastUploads[s.name] = uploads;
            }
            if (HostLiveTextures() > mostTextures) mostTextures = HostLiveTextures();
            ++framesRun;
            if (fps > 0) {
                double due = static_cast<double>(frame + 1) / fps;
                for (;;) {
                    QueryPerformanceCounter(&now);
                    double elapsed = static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
                    if (elapsed >= due) break;
                    PumpMessages();
                    Sleep(static_cast<DWORD>((due - elapsed) * 1000.0) > 5 ? 5 : 1);
                }
            }
        }
        PumpMessages();
        QueryPerformanceCounter(&now);
        Print(L"ran " + std::to_wstring(count) + L" frames (" + std::to_wstring(framesRun) + L" in all)");
        if (!report) return;
        const double seconds = static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        wchar_t time[32];
        std::swprintf(time, 32, L"%.1f", seconds);
        Print(L"report: " + std::to_wstring(count) + L" frames in " + time + L" s, at most " +
              std::to_wstring(mostTextures - texturesAtStart) + L" textures alive for " + std::to_wstring(sources.size()) +
              L" sources");
        for (Source& s : sources)
            Print(L"report: source \"" + s.name + L"\" rendered anew in " + std::to_wstring(renders[s.name]) + L" frames");
    }

    bool Configure(const std::wstring& name) {
        Source* s = Find(name);
        if (!s) return false;
        const HostSourceClass* c = HostFindSourceClass(TextOr(s->element, L"class"));
        if (!c || !c->configure) return false;
        bool accepted = c->configure(s->element, false);
        Print(L"configure \"" + name + L"\": " + (accepted ? L"accepted" : L"not accepted") + L", cx " +
              std::to_wstring(s->element->GetFloat(L"cx", 0.0f)) + L", cy " + std::to_wstring(s->element->GetFloat(L"cy", 0.0f)));
        return true;
    }

    bool ForEach(const std::wstring& name, void (*action)(ImageSource*)) {
        bool any = false;
        for (Source& s : sources) {
            if (name == L"*" || s.name == name) {
                action(s.object);
                any = true;
            }
        }
        if (!any) Print(L"no source named " + name);
        return any;
    }

    bool Remove(const std::wstring& name) {
        for (auto it = sources.begin(); it != sources.end(); ++it) {
            if (it->name == name) {
                delete it->object;
                lastTextures.erase(it->name);
                lastUploads.erase(it->name);
                sources.erase(it);
                return true;
            }
        }
        Print(L"no source named " + name);
        return false;
    }

    bool SaveScene(const std::wstring& file) {
        bool ok = scene.Save(file.c_str());
        Print((ok ? L"saved scene " : L"cannot write scene ") + file);
        return ok;
    }

    bool SaveCanvas(const std::wstring& file) {
        bool ok = HostCanvasPixels() && HostSavePng(file.c_str(), HostCanvasPixels(), HostCanvasWidth(), HostCanvasHeight());
        Print((ok ? L"saved canvas " : L"cannot write canvas ") + file);
        return ok;
    }

    bool SaveTextures(const std::wstring& directory) {
        CreateDirectoryW(directory.c_str(), nullptr);
        bool ok = true;
        for (Source& s : sources) {
            const Texture* t = lastTextures.count(s.name) ? lastTextures[s.name] : nullptr;
            std::wstring file = directory + L"\\" + s.name + L".png";
            if (!t) {
                Print(L"source \"" + s.name + L"\" drew no texture");
                continue;
            }
            bool saved = HostSavePng(file.c_str(), HostTexturePixels(t), t->Width(), t->Height());
            Print((saved ? L"saved texture " : L"cannot write texture ") + file + L" (" + std::to_wstring(t->Width()) + L"x" +
                  std::to_wstring(t->Height()) + L")");
            ok = ok && saved;
        }
        return ok;
    }

    void Shutdown() {
        for (Source& s : sources) delete s.object;
        sources.clear();
        lastTextures.clear();
        for (Plugin& p : plugins) p.unload();
        for (Plugin& p : plugins) FreeLibrary(p.module);
        plugins.clear();
        scene.Clear();
        if (!report) return;
        Print(L"report: at the end " + std::to_wstring(HostLiveBlocks() - blocksAtStart) +
              L" allocator blocks and " + std::to_wstring(HostLiveTextures() - texturesAtStart) +
              L" textures left, " + std::to_wstring(WarningCount()) + L" warnings in the log");
    }

    unsigned canvasWidth = 1280;
    unsigned canvasHeight = 720;

private:
    static void PumpMessages() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    void CreateSource(XElement* element) {
        const HostSourceClass* c = HostFindSourceClass(TextOr(element, L"class"));
        if (!c) {
            Print(L"source \"" + std::wstring(element->GetName()) + L"\": no class \"" + TextOr(element, L"class") + L"\"");
            return;
        }
        XElement* data = element->GetElement(L"data");
        if (!data) data = element->CreateElement(L"data");
        ImageSource* object = static_cast<ImageSource*>(c->create(data));
        if (!object) {
            Print(L"source \"" + std::wstring(element->GetName()) + L"\": the class made no source");
            return;
        }
        sources.push_back({element->GetName(), element, object});
        Print(L"created source \"" + std::wstring(element->GetName()) + L"\"");
    }

    Source* Find(const std::wstring& name) {
        for (Source& s : sources)
            if (s.name == name) return &s;
        Print(L"no source named " + name);
        return nullptr;
    }

    XConfig scene;
    std::vector<Plugin> plugins;
    std::vector<Source> sources;
    std::map<std::wstring, const Texture*> lastTextures;
    std::map<std::wstring, long> lastUploads;
    long framesRun = 0;
    bool report = false;
    long blocksAtStart = 0;
    long texturesAtStart = 0;
};

void DeliverKey(const std::wstring& text, bool down) {
    unsigned delivered = text == L"*" ? HostDeliverAllHotkeys(down)
                                      : HostDeliverHotkey(static_cast<DWORD>(std::wcstoul(text.c_str(), nullptr, 0)), down);
    Print(std::wstring(L"hotkey ") + text + (down ? L" down" : L" up") + L": " + std::to_wstring(delivered) + L" callback(s)");
}

int Run(int argc, wchar_t** argv) {
    StandinHost host;
    std::wstring pluginDirectory = L"plugins";
    double fps = 30.0;
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
        else if (a == L"--fps") fps = std::wcstod(next().c_str(), nullptr);
        else if (a == L"--canvas") {
            std::wstring v = next();
            if (std::swscanf(v.c_str(), L"%ux%u", &host.canvasWidth, &host.canvasHeight) != 2) throw std::runtime_error("bad --canvas");
        } else if (a == L"--log") HostSetLogFile(next().c_str());
        else if (a == L"--quiet") HostSetLogEcho(false);
        else if (a == L"--report") host.StartReport();
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
        } else if (a == L"--frames") host.RunFrames(std::wcstol(next().c_str(), nullptr, 10), fps);
        else if (a == L"--configure") ok = host.Configure(next());
        else if (a == L"--activate") ok = host.ForEach(next(), [](ImageSource* s) { s->ActivateSource(); });
        else if (a == L"--deactivate") ok = host.ForEach(next(), [](ImageSource* s) { s->DeactivateSource(); });
        else if (a == L"--hotkey") {
            std::wstring key = next();
            DeliverKey(key, true);
            DeliverKey(key, false);
        } else if (a == L"--hotkey-down") DeliverKey(next(), true);
        else if (a == L"--hotkey-up") DeliverKey(next(), false);
        else if (a == L"--sleep") {
            DWORD until = GetTickCount() + static_cast<DWORD>(std::wcstoul(next().c_str(), nullptr, 10));
            while (static_cast<LONG>(until - GetTickCount()) > 0) {
                MSG message;
                while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
                Sleep(5);
            }
        } else if (a == L"--save-scene") ok = host.SaveScene(next());
        else if (a == L"--canvas-png") ok = host.SaveCanvas(next());
        else if (a == L"--texture-png") ok = host.SaveTextures(next());
        else if (a == L"--remove") ok = host.Remove(next());
        else {
            Print(L"unknown option " + a);
            Usage();
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
