// Per-frame costs of the song-list source under the host's frame loop, printed as one table.
//
//   bench [--frames N] [--calls N]
//
// Every figure is the time of one call (or one frame of all sources), median and 95th
// percentile, measured with QueryPerformanceCounter in this process; the companion's block is
// held by the benchmark itself.
#include "host/Platform.h"  // windows.h before gdiplus.h
#include <gdiplus.h>

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

const std::wstring kSettings = L"Set|宋体|42|-28672|100|-16777216|50|0|0|0|0|2|-16777216|100|0";
const std::wstring kOutlineSettings = L"Set|宋体|42|-28672|100|-16777216|50|0|0|0|1|2|-16777216|100|0";

std::wstring List(int lines, const wchar_t* variant) {
    const wchar_t* songs[] = {L"晴天 - 周杰伦", L"Yesterday - The Beatles", L"后来 - 刘若英", L"Shape of You", L"稻香 - 周杰伦",
                              L"Hotel California", L"小幸运 - 田馥甄", L"Let It Be", L"平凡之路 - 朴树", L"Bohemian Rhapsody"};
    std::wstring text = L"#" + std::to_wstring(lines) + L"#";
    for (int i = 0; i < lines; ++i)
        text += L"\r\n" + std::to_wstring(i + 1) + L". " + songs[i % 10] + variant;
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

// A pair of frames' figures as one frame's.
Figures PerFrame(Figures pair) { return {pair.median / 2, pair.p95 / 2}; }

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

std::string Format(double microseconds) {
    char text[32];
    if (microseconds >= 1000.0) std::snprintf(text, sizeof text, "%.2f ms", microseconds / 1000.0);
    else std::snprintf(text, sizeof text, "%.1f us", microseconds);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 300, calls = 2000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--frames")) frames = std::max(10, std::atoi(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--calls")) calls = std::max(10, std::atoi(argv[i + 1]));
    }
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    HostSetLogEcho(false);

    Block block;
    const std::wstring list20 = List(20, L"");
    const std::wstring list20b = List(20, L" ");  // same lines, one more space each: a changed frame
    // A changed frame is timed as half of a pair of frames, one of each list in turn: the two
    // lists cost different amounts to paint (the one with the spaces about half as much again,
    // under Wine here), so a median over frames of either list fell on one list's cost or the
    // other's from run to run, and rows of different scenes could not be compared.
    const std::wstring* const changedPair[] = {&list20b, &list20};
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
    Figures floor1{}, floor4{}, plainSteady1{}, plainSteady4{}, cachedSteady1{}, cachedSteady4{}, cachedChanged1{},
        cachedChanged4{}, fourLooks{}, fourLooksAlone{};
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
            const std::string renderer = everyFrame ? "every-frame renderer" : "render on change";
            Scene scene(count, everyFrame);
            block.Write(kSettings + L"|" + list20);
            Figures steady = Report(renderer + ", steady frame, " + n, Time(frames, [&](int) { scene.Frame(); }));
            if (everyFrame) (count == 1 ? plainSteady1 : plainSteady4) = steady;
            else (count == 1 ? cachedSteady1 : cachedSteady4) = steady;
            const bool looks = !everyFrame && count > 1;  // the sources share one look unless told otherwise
            // Render on change: its changed frames of one look are measured below, in turn.
            if (everyFrame)
                Report(renderer + ", changed frame, " + n, PerFrame(Time(frames / 2, [&](int) {
                           for (const std::wstring* list : changedPair) {
                               block.Write(kSettings + L"|" + *list);
                               scene.Frame();
                           }
                       })));
            if (looks) {
                // Four looks, so every source renders: against sources that each render on their
                // own, as every source did on a changed frame before renders were shared, the two
                // scenes' frames measured in turn. A block without a settings line leaves each
                // source's look as its element holds it.
                Scene alone(count, true);
                alone.Frame();  // the settings line still in the block: the same keys as `scene`
                for (Scene* each : {&scene, &alone})
                    for (std::size_t k = 0; k < each->sources.size(); ++k)
                        each->sources[k]->settings->SetInt(keys::kColor, static_cast<int>(0xFFFF9000u + 0x20 * k));
                std::vector<double> shared, own;
                for (int i = 0; i < frames / 2 + 3; ++i) {
                    double sharedPair = 0.0, ownPair = 0.0;
                    for (const std::wstring* list : changedPair) {
                        block.Write(*list);
                        const double start = Now();
                        scene.Frame();
                        const double between = Now();
                        alone.Frame();
                        sharedPair += between - start;
                        ownPair += Now() - between;
                    }
                    if (i < 3) continue;  // warm-up
                    shared.push_back(sharedPair / 2);
                    own.push_back(ownPair / 2);
                }
                fourLooks = Report(renderer + ", changed frame, " + n + ", four looks", Summary(shared));
                fourLooksAlone = Report("every-frame renderer, changed frame, " + n +
                                            ", four looks (in turn with the row above)",
                                        Summary(own));
            }
            if (everyFrame) {
                block.Write(kOutlineSettings + L"|" + list20);
                Report(renderer + ", outline on, " + n, Time(frames, [&](int) { scene.Frame(); }));
            }
        }
    }

    // ---- changed frames rendered on change, of one source and of four sources of one look, and
    // one render phase by phase (the first of two sources renders a changed text and keeps it,
    // the second takes it): the three scenes measured in turn, pair by pair, so that whatever
    // else the machine does weighs on them alike and the rows can be set against each other.
    {
        block.Write(kSettings + L"|" + list20);
        Scene one(1, false), four(4, false), scene(2, false);
        const gdip::Calls timed = phase::Timed();
        scene.sources[0]->calls = &timed;
        const auto changedFrames = [&](Scene& each) {
            double pairTime = 0.0;
            for (const std::wstring* list : changedPair) {
                block.Write(kSettings + L"|" + *list);
                const double start = Now();
                each.Frame();
                pairTime += Now() - start;
            }
            return pairTime / 2;
        };
        std::vector<double> oneFrames, fourFrames, samples[phase::kCount + 1];
        for (int i = 0; i < frames / 2 + 3; ++i) {
            const double oneFrame = changedFrames(one), fourFrame = changedFrames(four);
            if (i >= 3) {  // after the warm-up
                oneFrames.push_back(oneFrame);
                fourFrames.push_back(fourFrame);
            }
            double pair[phase::kCount + 1] = {};
            for (const std::wstring* list : changedPair) {
                block.Write(kSettings + L"|" + *list);
                phase::Begin();
                scene.sources[0]->RefreshFrame();
                const double rendered = Now();
                scene.sources[1]->RefreshFrame();
                const double taken = Now();
                for (int p = 0; p < phase::kCount; ++p)
                    pair[p] += (p + 1 < phase::kCount ? phase::g_start[p + 1] : rendered) - phase::g_start[p];
                pair[phase::kCount] += taken - rendered;
            }
            if (i < 3) continue;  // warm-up
            for (int p = 0; p <= phase::kCount; ++p) samples[p].push_back(pair[p] / 2);
        }
        cachedChanged1 = Report("render on change, changed frame, 1 source", Summary(oneFrames));
        cachedChanged4 = Report("render on change, changed frame, 4 sources, one look", Summary(fourFrames));
        const char* names[] = {"font (GDI font, string format, GDI+ font)", "measuring",
                               "surface (DIB section, GDI+ bitmap and graphics)", "painting (background, text)",
                               "hand-off to the texture, kept for other sources, releases"};
        for (int p = 0; p < phase::kCount; ++p)
            Report(std::string("one render (changed text, 1 of 2 sources): ") + names[p], Summary(samples[p]));
        Report("the other source of that look, taking the render (its whole frame)", Summary(samples[phase::kCount]));

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

    std::printf("| measured (Wine, 20-line list, 42 px) | median | p95 |\n|---|---|---|\n");
    for (const Row& r : g_rows)
        std::printf("| %s | %s | %s |\n", r.what.c_str(), Format(r.figures.median).c_str(), Format(r.figures.p95).c_str());
    std::printf("\nsteady frame, every-frame renderer / render on change: %.0fx (1 source), %.0fx (4 sources)\n",
                plainSteady1.median / cachedSteady1.median, plainSteady4.median / cachedSteady4.median);
    std::printf("steady frame, render on change / floor: %.2fx (1 source), %.2fx (4 sources)\n",
                cachedSteady1.median / floor1.median, cachedSteady4.median / floor4.median);
    std::printf("changed frame, render on change, 4 sources of one look / 1 source: %.2fx\n",
                cachedChanged4.median / cachedChanged1.median);
    std::printf("changed frame, 4 sources of four looks, render on change / every-frame renderer: %.2fx\n",
                fourLooks.median / fourLooksAlone.median);
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
