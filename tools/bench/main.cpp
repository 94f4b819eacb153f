// Per-frame costs of the song-list source under the host's frame loop, printed as one table.
//
//   bench [--frames N] [--calls N] [--markdown FILE]
//
// Every figure is the time of one call (or one frame of all sources), median and 95th
// percentile, measured with QueryPerformanceCounter in this process; the companion's block is
// held by the benchmark itself. The table is Markdown, headed by when and where it was taken;
// --markdown writes it to FILE too (docs/perf-table.md is made so).
#include "host/Platform.h"  // windows.h before gdiplus.h
#include <gdiplus.h>
#include <intrin.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "companion/SharedBlock.h"
#include "host/HostSide.h"
#include "host/Utf.h"
#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "source/Callbacks.h"
#include "source/Gdip.h"
#include "source/Measure.h"
#include "source/RenderThread.h"
#include "source/SongListSource.h"

namespace {

class Block {
public:
    Block() {
        mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, names::kSharedBlockBytes,
                                     names::kSharedBlockName);
        view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, names::kSharedBlockBytes));
    }
    ~Block() {
        UnmapViewOfFile(view);
        CloseHandle(mapping);
    }
    void Write(const std::wstring& text) {
        std::memset(view, 0, names::kSharedBlockBytes);
        for (std::size_t i = 0; i < text.size() && i < 1023; ++i) {
            const auto unit = static_cast<std::uint16_t>(text[i]);
            std::memcpy(view + 2 * i, &unit, 2);
        }
    }

private:
    HANDLE mapping;
    unsigned char* view;
};

// The settings line of the runs, its colour raised by `blue` units of blue.
std::wstring SettingsLine(int blue = 0) {
    return L"Set|宋体|42|" + std::to_wstring(-28672 + blue) + L"|100|-16777216|50|0|0|0|0|2|-16777216|100|0";
}
const std::wstring kSettings = SettingsLine();
const std::wstring kOutlineSettings = L"Set|宋体|42|-28672|100|-16777216|50|0|0|0|1|2|-16777216|100|0";

// A list of `lines` songs, each line followed by `variant`; `halvesSwapped` puts the second half
// of the lines first (the same lines, so the same size of bitmap, other pixels).
std::wstring List(int lines, const wchar_t* variant, bool halvesSwapped = false) {
    const wchar_t* songs[] = {L"晴天 - 周杰伦", L"Yesterday - The Beatles", L"后来 - 刘若英", L"Shape of You", L"稻香 - 周杰伦",
                              L"Hotel California", L"小幸运 - 田馥甄", L"Let It Be", L"平凡之路 - 朴树", L"Bohemian Rhapsody"};
    std::wstring text = L"#" + std::to_wstring(lines) + L"#";
    for (int k = 0; k < lines; ++k) {
        const int i = halvesSwapped ? (k + lines / 2) % lines : k;
        text += L"\r\n" + std::to_wstring(i + 1) + L". " + songs[i % 10] + variant;
    }
    return text;
}

struct Figures {
    double median;
    double p95;
};

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

Figures Summary(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[std::min(samples.size() - 1, samples.size() * 95 / 100)]};
}

// Runs `step` `count` times after a short warm-up; microseconds per call.
Figures Time(int count, const std::function<void(int)>& step) {
    for (int i = 0; i < 5; ++i) step(i);
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double start = Now();
        step(i);
        samples.push_back(Now() - start);
    }
    return Summary(samples);
}

struct Row {
    std::string what;
    Figures figures;
};
std::vector<Row> g_rows;

Figures Report(const std::string& what, Figures f) {
    g_rows.push_back({what, f});
    return f;
}

class Scene {
public:
    explicit Scene(int count, bool everyFrame) {
        for (int i = 0; i < count; ++i) {
            XElement* data = config.GetRootElement()->CreateElement(L"source")->CreateElement(keys::kData);
            auto* s = static_cast<MorvathThanksImage*>(CreateSongListSource(data));
            s->renderEveryFrame = everyFrame;
            sources.emplace_back(s);
        }
    }
    void Frame() {
        for (auto& s : sources) s->RefreshFrame();
    }
    std::vector<std::unique_ptr<MorvathThanksImage>> sources;
    XConfig config;
};

// Where one render's time goes. The render's calls, timed through the table of calls, mark
// where each phase begins: the font at the first GDI font, measuring at the measuring graphics,
// the surface at the second device context, painting at the text brush; the hand-off to the
// texture begins when the text has been drawn.
namespace phase {
enum { kFont, kMeasuring, kSurface, kPainting, kHandOff, kCount };
double g_start[kCount];
int g_dcs = 0, g_brushes = 0;
const gdip::Calls& System() { return gdip::kSystemCalls; }
void Begin() {
    for (double& t : g_start) t = 0.0;
    g_dcs = g_brushes = 0;
}
void Mark(int which) {
    if (g_start[which] == 0.0) g_start[which] = Now();
}
gdip::Calls Timed() {
    gdip::Calls calls;
    calls.CreateFontIndirectW = [](const LOGFONTW* d) {
        Mark(kFont);
        return System().CreateFontIndirectW(d);
    };
    calls.GdipCreateFromHDC = [](HDC dc, Gdiplus::GpGraphics** g) {
        Mark(kMeasuring);
        return System().GdipCreateFromHDC(dc, g);
    };
    calls.CreateCompatibleDC = [](HDC dc) {
        if (++g_dcs == 2) Mark(kSurface);
        return System().CreateCompatibleDC(dc);
    };
    calls.GdipCreateSolidFill = [](Gdiplus::ARGB c, Gdiplus::GpSolidFill** b) {
        if (++g_brushes == 1) Mark(kPainting);
        return System().GdipCreateSolidFill(c, b);
    };
    calls.GdipDrawString = [](Gdiplus::GpGraphics* g, const WCHAR* t, INT n, const Gdiplus::GpFont* f,
                              const Gdiplus::RectF* r, const Gdiplus::GpStringFormat* sf, const Gdiplus::GpBrush* b) {
        const Gdiplus::GpStatus status = System().GdipDrawString(g, t, n, f, r, sf, b);
        Mark(kHandOff);
        return status;
    };
    calls.GdipFillPath = [](Gdiplus::GpGraphics* g, Gdiplus::GpBrush* b, Gdiplus::GpPath* p) {
        const Gdiplus::GpStatus status = System().GdipFillPath(g, b, p);
        Mark(kHandOff);
        return status;
    };
    return calls;
}
}  // namespace phase

// Waits until the render thread has made every render asked for.
void Settle() {
    while (!render::Idle()) Sleep(0);
}

// What a source's texture shows, to tell when new pixels arrive: the texture, its uploads and its
// size (a texture made in place of a deleted one may come at the same address; the two lists of a
// change differ in width).
struct Shown {
    const Texture* texture;
    long uploads;
    int width;
    bool operator==(const Shown& o) const { return texture == o.texture && uploads == o.uploads && width == o.width; }
};
Shown ShownBy(const MorvathThanksImage& s) { return {s.texture, HostTextureUploads(s.texture), s.textureSize.cx}; }

std::string Format(double microseconds) {
    char text[32];
    if (microseconds >= 1000.0) std::snprintf(text, sizeof text, "%.2f ms", microseconds / 1000.0);
    else std::snprintf(text, sizeof text, "%.1f us", microseconds);
    return text;
}

// Where a machine has two CPUs for the benchmark: this thread, which runs the frames as the host's
// video thread does, on the first (with the Wine server, which scripts/bench starts there), and
// every other thread of the process, the plugin's render thread among them, on the second, as on
// a streamer's PC, where the render thread runs beside the video thread. On one CPU the render
// thread, woken by a frame's request, may run inside that frame and lengthen it. Whether the
// threads were placed so.
bool PlaceThreads() {
    DWORD_PTR allowed = 0, present = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &allowed, &present) || (allowed & 3) != 3) return false;
    if (!SetThreadAffinityMask(GetCurrentThread(), 1)) return false;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    bool placed = true;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId() || entry.th32ThreadID == GetCurrentThreadId()) continue;
        const HANDLE thread = OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread || !SetThreadAffinityMask(thread, 2)) placed = false;
        if (thread) CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return placed;
}

// When and where the figures were taken, for the head of the table: the date (UTC), the processor
// (its brand string, and whether it runs under a hypervisor), how many logical CPUs the machine
// has and where the benchmark's threads ran, the Wine version when there is one, and the counts
// the rows were measured with.
std::string TakenLine(const SYSTEMTIME& at, bool placed, int frames, int calls) {
    int info[4] = {};
    char brand[49] = {};
    __cpuid(info, static_cast<int>(0x80000000));
    if (static_cast<unsigned>(info[0]) >= 0x80000004u) {
        for (int leaf = 0; leaf < 3; ++leaf) {
            __cpuid(info, static_cast<int>(0x80000002u + leaf));
            std::memcpy(brand + 16 * leaf, info, sizeof info);
        }
    }
    std::string cpu = brand;
    cpu.erase(0, cpu.find_first_not_of(' '));  // the brand string is padded with spaces
    cpu.erase(cpu.find_last_not_of(' ') + 1);
    if (cpu.empty()) cpu = "an unnamed processor";
    __cpuid(info, 1);
    const bool virtualMachine = (static_cast<unsigned>(info[2]) >> 31) & 1u;

    SYSTEM_INFO system;
    GetSystemInfo(&system);
    DWORD_PTR allowed = 0, present = 0;
    GetProcessAffinityMask(GetCurrentProcess(), &allowed, &present);
    int usable = 0;
    for (; allowed; allowed &= allowed - 1) ++usable;
    char where[96];
    if (placed)
        std::snprintf(where, sizeof where, "the frames on one CPU, the render thread on another");
    else
        std::snprintf(where, sizeof where, "the benchmark on %d of them", usable);

    using WineVersion = const char*(__cdecl*)();
    const auto wineVersion = reinterpret_cast<WineVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));

    char line[512];
    std::snprintf(line, sizeof line,
                  "Taken %04u-%02u-%02u %02u:%02u UTC on %s (%s%lu logical CPUs, %s), "
                  "%s%s; every row over %d frames or %d calls.\n",
                  at.wYear, at.wMonth, at.wDay, at.wHour, at.wMinute, cpu.c_str(),
                  virtualMachine ? "a virtual machine, " : "", system.dwNumberOfProcessors, where,
                  wineVersion ? "under Wine " : "on Windows", wineVersion ? wineVersion() : "", frames, calls);
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 300, calls = 2000;
    std::string markdownFile;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--frames")) frames = std::max(10, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--calls")) calls = std::max(10, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--markdown")) markdownFile = argv[i + 1];
    }
    SYSTEMTIME startedAt;
    GetSystemTime(&startedAt);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    render::Start();  // as LoadPlugin does; then its thread is placed with the others
    const bool placed = PlaceThreads();
    HostSetLogEcho(false);

    Block block;
    const std::wstring list20 = List(20, L"");
    const std::wstring list20b = List(20, L" ");  // same lines, one more space each: a changed frame
    // A changed frame is timed as half of a pair of frames, one of each list in turn: the two
    // lists cost different amounts to paint (the one with the spaces about half as much again,
    // under Wine here), so a median over frames of either list fell on one list's cost or the
    // other's from run to run, and rows of different scenes could not be compared.
    const std::wstring* const changedPair[] = {&list20b, &list20};
    const std::wstring list20swapped = List(20, L"", true);
    const std::wstring* const sameSizePair[] = {&list20swapped, &list20};  // SetImage, no new texture
    std::wstring full = kSettings + L"|#63#";
    for (int i = 0; i < 63 && full.size() < 1000; ++i) full += L"\r\n" + std::to_wstring(i) + L" 歌名";

    // ---- the shared block alone
    {
        XConfig config;
        XElement* data = config.GetRootElement();
        block.Write(L"");
        Report("ReadSharedBlock, empty block", Time(calls, [&](int) { ReadSharedBlock(data, nullptr); }));
        block.Write(full);
        Report("ReadSharedBlock, settings line + 63 lines (" + std::to_string(full.size()) + " units)",
               Time(calls, [&](int) { ReadSharedBlock(data, nullptr); }));
        block.Write(kSettings + L"|" + list20);
        Report("ReadSharedBlock, settings line + 20-line list", Time(calls, [&](int) { ReadSharedBlock(data, nullptr); }));
        Report("MeasureDefaultText", Time(std::min(calls, 300), [&](int) { MeasureDefaultText(data); }));
    }

    // ---- whole frames
    Figures floor1{}, floor4{}, plainSteady1{}, steady1{}, steady4{};
    for (int count : {1, 4}) {
        const std::string n = std::to_string(count) + (count == 1 ? " source" : " sources");
        block.Write(kSettings + L"|" + list20);
        {
            // The floor: what a frame must do anyway (read the block, reload the settings).
            Scene scene(count, false);
            scene.Frame();
            Figures f = Report("floor: ReadSharedBlock + ReloadSettings, " + n, Time(frames, [&](int) {
                                   for (auto& s : scene.sources) {
                                       ReadSharedBlock(s->settings, s.get());
                                       g_plugin.displayText = g_plugin.sharedText;
                                       s->ReloadSettings();
                                   }
                               }));
            (count == 1 ? floor1 : floor4) = f;
        }
        for (bool everyFrame : {true, false}) {
            Scene scene(count, everyFrame);
            scene.Frame();
            Settle();
            scene.Frame();
            const Figures steady = Report(std::string(everyFrame ? "synchronous render every frame" : "renders on the render thread") +
                                              ", steady frame, " + n,
                                          Time(frames, [&](int) { scene.Frame(); }));
            if (everyFrame) {
                if (count == 1) plainSteady1 = steady;
            } else {
                (count == 1 ? steady1 : steady4) = steady;
            }
        }
    }

    // ---- changed frames: the video thread's part of a change (the frame that asks for the
    // render and the frame that hands it to the texture, the render made in between) against the
    // same change rendered inside the frame, scene by scene in turn, pair by pair, so that whatever
    // else the machine does weighs on them alike. Each change is one of the two lists in turn.
    struct Case {
        const char* name;
        int sources;
        bool fourLooks;
        const std::wstring* const* pair;
        std::unique_ptr<Scene> async, sync;
        std::vector<double> video, synchronous, render;
    } cases[] = {{"1 source", 1, false, changedPair, {}, {}, {}, {}, {}},
                 {"4 sources, one look", 4, false, changedPair, {}, {}, {}, {}, {}},
                 {"4 sources, four looks", 4, true, changedPair, {}, {}, {}, {}, {}},
                 {"the same size (SetImage), 1 source", 1, false, sameSizePair, {}, {}, {}, {}, {}},
                 {"the same size (SetImage), 4 sources, four looks", 4, true, sameSizePair, {}, {}, {}, {}, {}}};
    constexpr int kCases = 5;
    block.Write(kSettings + L"|" + list20);
    for (Case& c : cases) {
        c.async = std::make_unique<Scene>(c.sources, false);
        c.sync = std::make_unique<Scene>(c.sources, true);
        for (Scene* each : {c.async.get(), c.sync.get()}) {
            each->Frame();  // takes the settings line into every element
            if (c.fourLooks)
                for (std::size_t k = 0; k < each->sources.size(); ++k)
                    each->sources[k]->settings->SetInt(keys::kColor, static_cast<int>(0xFFFF9000u + 0x20 * k));
        }
        Settle();
    }
    for (int i = 0; i < frames / 4 + 3; ++i) {
        for (Case& c : cases) {
            double video = 0.0, synchronous = 0.0, render = 0.0;
            for (int half = 0; half < 2; ++half) {
                const std::wstring* list = c.pair[half];
                // Without a settings line each source keeps the look its element holds. With
                // one, each change of each case has a colour of its own, so it is a render no
                // source has had (the renders kept for sources that ask again are shared by all
                // the cases' sources), and its size is the list's.
                const int blue = (2 * i + half) % 32 * 8 + static_cast<int>(&c - cases);
                block.Write(c.fourLooks ? *list : SettingsLine(blue) + L"|" + *list);
                double start = Now();
                c.async->Frame();
                video += Now() - start;
                start = Now();
                Settle();
                render += Now() - start;
                start = Now();
                c.async->Frame();
                video += Now() - start;
                start = Now();
                c.sync->Frame();
                synchronous += Now() - start;
            }
            if (i < 3) continue;  // warm-up
            c.video.push_back(video / 2);
            c.synchronous.push_back(synchronous / 2);
            c.render.push_back(render / 2);
        }
    }
    Figures changed[kCases], sync[kCases];
    for (int k = 0; k < kCases; ++k) {
        Case& c = cases[k];
        changed[k] = Report(std::string("video thread, changed frame (asking + handing over), ") + c.name, Summary(c.video));
        sync[k] = Report(std::string("synchronous render of the same frame, ") + c.name, Summary(c.synchronous));
        Report(std::string("render thread, the change's renders, ") + c.name, Summary(c.render));
    }
    for (Case& c : cases) c.async.reset(), c.sync.reset();

    // ---- from a change of the block to its pixels on show, frames at 60 per second
    {
        Scene scene(1, false);
        block.Write(kSettings + L"|" + list20);
        scene.Frame();
        Settle();
        scene.Frame();
        std::vector<double> samples;
        for (int i = 0; i < 40; ++i) {
            const Shown before = ShownBy(*scene.sources[0]);
            block.Write(kSettings + L"|" + *changedPair[i % 2]);
            const double changedAt = Now();
            double next = changedAt;
            for (;;) {
                next += 1e6 / 60.0;
                while (Now() < next) Sleep(1);
                scene.Frame();
                if (!(ShownBy(*scene.sources[0]) == before)) break;
            }
            samples.push_back(Now() - changedAt);
        }
        Report("a block change to its pixels on show, frames at 60 per second, 1 source", Summary(samples));
    }

    // ---- a hostile look: the outline on at the widest width the block allows; the video
    // thread runs frames while its render is made
    Figures hostileLongest{};
    {
        Scene scene(1, false);
        block.Write(kSettings + L"|" + list20);
        scene.Frame();
        Settle();
        scene.Frame();
        std::vector<double> longest, renders;
        for (int i = 0; i < 10; ++i) {
            block.Write(L"Set|宋体|42|-28672|100|-16777216|50|0|0|0|1|2147483647|-16777216|100|0|" + *changedPair[i % 2]);
            const Shown before = ShownBy(*scene.sources[0]);
            const double changedAt = Now();
            double most = 0.0;
            for (;;) {
                const double start = Now();
                scene.Frame();
                if (!(ShownBy(*scene.sources[0]) == before)) break;  // the hand-off: a changed frame
                most = std::max(most, Now() - start);
                Sleep(1);
            }
            longest.push_back(most);
            renders.push_back(Now() - changedAt);
        }
        hostileLongest = Report("hostile look (outline 2147483647): the video thread's longest frame while it is rendered",
                                Summary(longest));
        Report("hostile look: from the change to its pixels on show", Summary(renders));
    }

    // ---- where one render's time goes, phase by phase (a source rendering in its frame)
    {
        block.Write(kSettings + L"|" + list20);
        Scene scene(1, true);
        const gdip::Calls timed = phase::Timed();
        scene.sources[0]->calls = &timed;
        std::vector<double> samples[phase::kCount];
        for (int i = 0; i < frames / 2 + 3; ++i) {
            double pair[phase::kCount] = {};
            for (const std::wstring* list : changedPair) {
                block.Write(kSettings + L"|" + *list);
                phase::Begin();
                scene.Frame();
                const double ended = Now();
                for (int p = 0; p < phase::kCount; ++p)
                    pair[p] += (p + 1 < phase::kCount ? phase::g_start[p + 1] : ended) - phase::g_start[p];
            }
            if (i < 3) continue;  // warm-up
            for (int p = 0; p < phase::kCount; ++p) samples[p].push_back(pair[p] / 2);
        }
        const char* names[] = {"font (GDI font, string format, GDI+ font)", "measuring",
                               "surface (DIB section, GDI+ bitmap and graphics)", "painting (background, text)",
                               "hand-off to the texture, releases"};
        for (int p = 0; p < phase::kCount; ++p) Report(std::string("one render: ") + names[p], Summary(samples[p]));

        // What the host's part of a hand-off costs at this size.
        const int w = scene.sources[0]->textureSize.cx, h = scene.sources[0]->textureSize.cy;
        std::vector<unsigned char> pixels(std::size_t(w) * h * 4, 0x80);
        Texture* texture = nullptr;
        Report("host: a new " + std::to_string(w) + " x " + std::to_string(h) + " texture, the old one deleted",
               Time(frames, [&](int) {
                   delete texture;
                   texture = GS->CreateTexture(w, h, GS_BGRA, pixels.data(), FALSE, FALSE);
               }));
        Report("host: SetImage of that texture", Time(frames, [&](int) {
                   texture->SetImage(pixels.data(), GS_IMAGEFORMAT_BGRA, static_cast<UINT>(w) * 4);
               }));
        delete texture;
    }

    // One Markdown text for the console and the file: when and where, the table, and the ratios
    // the targets are stated in, as a list.
    std::string table = TakenLine(startedAt, placed, frames, calls) +
                        "\n| measured (Wine, 20-line list, 42 px) | median | p95 |\n|---|---|---|\n";
    for (const Row& r : g_rows)
        table += "| " + r.what + " | " + Format(r.figures.median) + " | " + Format(r.figures.p95) + " |\n";
    char lines[1024];
    std::snprintf(lines, sizeof lines,
                  "\n- video thread, changed frame / synchronous render: %.3f (1 source), %.3f (4 sources, four looks)\n"
                  "- video thread, changed frame / synchronous render, 4 sources of one look: %.3f\n"
                  "- video thread, changed frame / synchronous render, keeping the size: %.3f (1 source), %.3f (4 sources, four looks)\n"
                  "- steady frame, renders on the render thread / floor: %.2fx (1 source), %.2fx (4 sources)\n"
                  "- steady frame, synchronous render every frame / renders on the render thread: %.0fx (1 source)\n"
                  "- hostile look: the video thread's longest frame / a normal changed frame: %.2f\n",
                  changed[0].median / sync[0].median, changed[2].median / sync[2].median,
                  changed[1].median / sync[1].median, changed[3].median / sync[3].median, changed[4].median / sync[4].median,
                  steady1.median / floor1.median, steady4.median / floor4.median,
                  plainSteady1.median / steady1.median, hostileLongest.median / changed[0].median);
    std::printf("%s%s", table.c_str(), lines);
    int status = 0;
    if (!markdownFile.empty()) {
        FILE* out = std::fopen(markdownFile.c_str(), "wb");
        bool written = out && std::fprintf(out, "%s%s", table.c_str(), lines) >= 0;
        if (out && std::fclose(out) != 0) written = false;
        if (!written) {
            std::fprintf(stderr, "bench: could not write %s\n", markdownFile.c_str());
            status = 1;
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return status;
}
