#include "host/Platform.h"  // windows.h before gdiplus.h
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/HostSide.h"
#include "tests/support/Process.h"
#include "tests/support/Simulator.h"

namespace {

struct Image {
    unsigned width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    std::uint32_t At(unsigned x, unsigned y) const { return argb[std::size_t(y) * width + x]; }
};

bool LoadPng(const std::wstring& path, Image& image) {
    using namespace Gdiplus;
    using namespace Gdiplus::DllExports;
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Ok) return false;
    UINT w = 0, h = 0;
    GdipGetImageWidth(bitmap, &w);
    GdipGetImageHeight(bitmap, &h);
    image.width = w;
    image.height = h;
    image.argb.resize(std::size_t(w) * h);
    BitmapData data{};
    Rect rect{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
    bool ok = GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, PixelFormat32bppARGB, &data) == Ok;
    if (ok) {
        for (UINT y = 0; y < h; ++y)
            std::memcpy(&image.argb[std::size_t(y) * w], static_cast<const char*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride, w * 4);
        GdipBitmapUnlockBits(bitmap, &data);
    }
    GdipDisposeImage(bitmap);
    return ok;
}

TEST(StandinHost, RunsFramesComposesAndSavesThePictures) {
    CreateDirectoryW(L"standin_out", nullptr);
    DeleteFileW(L"standin_out\\canvas.png");
    DeleteFileW(L"standin_out\\scene.txt");
    DeleteFileW(L"standin_out\\box.png");
    ProcessResult run = RunProcess(
        L"standin_host.exe --quiet --plugins testplugins --canvas 64x48 --fps 0 --source RectSource box"
        L" --configure box --frames 3 --save-scene standin_out\\scene.txt --canvas-png standin_out\\canvas.png"
        L" --texture-png standin_out",
        30000);
    ASSERT_TRUE(run.started);
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("loaded plugin RectPlugin.dll"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("ran 3 frames"), std::string::npos) << run.output;

    Image canvas;
    ASSERT_TRUE(LoadPng(L"standin_out\\canvas.png", canvas));
    ASSERT_EQ(canvas.width, 64u);
    ASSERT_EQ(canvas.height, 48u);
    // The configure callback sized the source to 40x20 at (0, 0): each texel is 10x10.
    EXPECT_EQ(canvas.At(5, 5), 0xFFFF0000u);    // red
    EXPECT_EQ(canvas.At(15, 5), 0xFF00FF00u);   // green
    EXPECT_EQ(canvas.At(25, 5), 0xFF0000FFu);   // blue
    EXPECT_EQ(canvas.At(35, 15), 0xFFFFFF00u);  // yellow
    const std::uint32_t background = canvas.At(60, 40);
    EXPECT_EQ(background, 0xFF1E2430u);
    // Half-transparent white over the background.
    const std::uint32_t blended = canvas.At(35, 5);
    EXPECT_EQ((blended >> 16) & 0xFF, (0xFFu * 128 + 0x1Eu * 127 + 127) / 255);

    Image texture;
    ASSERT_TRUE(LoadPng(L"standin_out\\box.png", texture));
    EXPECT_EQ(texture.width, 4u);
    EXPECT_EQ(texture.height, 2u);
    EXPECT_EQ(texture.At(3, 0), 0x80FFFFFFu);  // straight alpha survives

    XConfig scene;
    ASSERT_TRUE(scene.Open(L"standin_out\\scene.txt")) << scene.ErrorText();
    XElement* box = scene.GetRootElement()->GetElement(L"sources")->GetElement(L"box");
    ASSERT_NE(box, nullptr);
    EXPECT_STREQ(box->GetString(L"class"), L"RectSource");
    EXPECT_EQ(box->GetElement(L"data")->GetInt(L"frames", 0), 3);
    EXPECT_FLOAT_EQ(box->GetFloat(L"cx", 0), 40.0f);
}

// What runs where: the test plugin says in the log on which thread, with how much stack, and
// whether the scene mutex was held, for each call the host made.
TEST(StandinHost, CallsEachPluginOperationOnTheHostsThreadUnderTheHostsLock) {
    CreateDirectoryW(L"standin_out", nullptr);
    simulator::WriteFileBytes(L"standin_out\\first.txt", "sources {\n \"A\" {\n  class: \"RectSource\"\n }\n}\n");
    simulator::WriteFileBytes(L"standin_out\\second.txt", "sources {\n \"B\" {\n  class: \"RectSource\"\n }\n}\n");
    DeleteFileW(L"standin_out\\switched.txt");
    ProcessResult run = RunProcess(
        L"standin_host.exe --plugins testplugins --fps 0 --scene standin_out\\first.txt --activate A --start-video"
        L" --frames 2 --switch-scene standin_out\\second.txt --frames 2 --configure B --add RectSource refusedC"
        L" --add RectSource D --remove B --stop-video --save-scene standin_out\\switched.txt",
        30000);
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    const std::string ui = ": user-interface thread (1024 KiB stack), scene mutex ";
    const std::string video = ": another thread (1024 KiB stack), scene mutex ";
    // The user-interface thread's calls in this order; other lines may come between.
    const std::vector<std::string> expected = {
        "create A" + ui + "free",       "activate A" + ui + "held",
        "create B" + ui + "free",       "deactivate A" + ui + "held",   "activate B" + ui + "held",
        "destroy A" + ui + "free",      "configure B" + ui + "free",
        "reload B" + ui + "held",       "configure refusedC" + ui + "free", "configure D" + ui + "free",
        "create D" + ui + "free",       "activate D" + ui + "held",     "deactivate B" + ui + "held",
        "destroy B" + ui + "held",      "destroy D" + ui + "free",
    };
    std::size_t at = 0;
    for (const std::string& line : expected) {
        const std::size_t found = run.output.find("RectSource " + line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << run.output;
        at = found;
    }
    // A source's first frame comes on the video thread after its activation; how it falls
    // against what the user-interface thread does meanwhile is the threads' own.
    for (const char* name : {"A", "B"}) {
        const std::size_t activated = run.output.find(std::string("RectSource activate ") + name + ui);
        const std::size_t first = run.output.find(std::string("RectSource first frame ") + name + video + "held");
        ASSERT_NE(first, std::string::npos) << name << "\n" << run.output;
        EXPECT_GT(first, activated) << name;
    }
    EXPECT_EQ(run.output.find("create refusedC"), std::string::npos) << "a refused source is not created";
    XConfig scene;
    ASSERT_TRUE(scene.Open(L"standin_out\\switched.txt")) << scene.ErrorText();
    XElement* list = scene.GetRootElement()->GetElement(L"sources");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->NumElements(), 1u) << "B removed, refusedC never added";
    EXPECT_STREQ(list->GetElementByID(0)->GetName(), L"D");
}

TEST(StandinHost, ReportsUnknownOptionsAndMissingSources) {
    ProcessResult run = RunProcess(L"standin_host.exe --quiet --plugins testplugins --bogus", 30000);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 2u);
    run = RunProcess(L"standin_host.exe --quiet --plugins testplugins --configure nobody", 30000);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find("no source named nobody"), std::string::npos) << run.output;
}

// The whole way: the companion writes its block, the host loads the plugin and runs frames, and
// the saved settings and texture show what the block asked for.
TEST(EndToEnd, TheBlockReachesTheSettingsAndThePicture) {
    simulator::Simulator companion;
    // 宋体 36, blue text (0xFF0000FF), black background at 50 %, bold, hotkey 112 (F1).
    ASSERT_TRUE(companion.Start(L"--windows none --settings \"Set|宋体|36|-16776961|100|-16777216|50|1|0|0|0|2|-16777216|100|112\""
                                L" --song \"晴天 - 周杰伦\" --song \"Yesterday - The Beatles\""));
    CreateDirectoryW(L"end_to_end", nullptr);
    DeleteFileW(L"end_to_end\\scene.txt");
    DeleteFileW(L"end_to_end\\歌单.png");
    ProcessResult run = RunProcess(L"standin_host.exe --quiet --fps 30 --source Tavik直播点歌插件 歌单 --frames 15"
                                   L" --save-scene end_to_end\\scene.txt --texture-png end_to_end",
                                   30000);
    EXPECT_EQ(companion.Stop(), 0);
    ASSERT_EQ(run.exitCode, 0u) << run.output;

    XConfig scene;
    ASSERT_TRUE(scene.Open(L"end_to_end\\scene.txt")) << scene.ErrorText();
    XElement* data = scene.GetRootElement()->GetElement(L"sources")->GetElement(L"歌单")->GetElement(L"data");
    ASSERT_NE(data, nullptr);
    EXPECT_STREQ(data->GetString(L"font"), L"宋体");
    struct Key { const wchar_t* key; int value; } expected[] = {
        {L"fontSize", 36}, {L"color", -16776961}, {L"textOpacity", 100}, {L"backgroundColor", -16777216},
        {L"backgroundOpacity", 50}, {L"bold", 1}, {L"outline", 0}, {L"hotkey", 112},
    };
    for (const auto& k : expected) EXPECT_EQ(data->GetInt(k.key, -1), k.value) << k.value;

    Image texture;
    ASSERT_TRUE(LoadPng(L"end_to_end\\歌单.png", texture));
    EXPECT_GT(texture.width, 200u);
    EXPECT_GE(texture.height, 72u);  // two lines of 36
    int text = 0, background = 0;
    for (std::uint32_t p : texture.argb) {
        text += p == 0xFF0000FFu;
        background += p == 0x7F000000u;
    }
    EXPECT_GT(text, 100) << "text pixels in the block's colour";
    EXPECT_GT(background, 1000) << "the half-transparent black background";
}

// A scene switch with a missing font and a companion that stopped answering a moment before:
// the old source is deactivated (it measures its hint text) and the new one activated (it wakes
// the companion) while the host holds the scene mutex. Neither may make the video thread wait:
// a message box waits for a click (here one second), a wake for the send's two-second time-out.
TEST(StandinHost, ASceneSwitchDoesNotStopTheFrames) {
    CreateDirectoryW(L"standin_out", nullptr);
    const std::string source = "class: \"Tavik直播点歌插件\"\n  data {\n   font: \"缺失字体\"\n  }\n";
    simulator::WriteFileBytes(L"standin_out\\old.txt", "sources {\n \"A\" {\n  " + source + " }\n}\n");
    simulator::WriteFileBytes(L"standin_out\\new.txt", "sources {\n \"B\" {\n  " + source + " }\n}\n");
    simulator::Simulator companion;
    ASSERT_TRUE(companion.Start(L"--hang-after-ms 2000 --song \"晴天 - 周杰伦\""));
    ProcessResult run = RunProcess(L"standin_host.exe --quiet --report --fps 60 --message-box-ms 1000 --missing-font 缺失字体"
                                   L" --scene standin_out\\old.txt --activate A --start-video --sleep 2500"
                                   L" --switch-scene standin_out\\new.txt --sleep 300 --stop-video",
                                   60000);
    companion.Stop();
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    const std::string waited = "report: the video thread waited at most ";
    const std::size_t at = run.output.find(waited);
    ASSERT_NE(at, std::string::npos) << run.output;
    EXPECT_LT(std::atof(run.output.c_str() + at + waited.size()), 250.0) << run.output;
    EXPECT_NE(run.output.find("report: 0 message boxes"), std::string::npos) << run.output;
}

// Changed: after a scene switch destroyed a song-list source, the next frame registered the
// companion's key again on the video thread, and a stop of recording right then (the host holds
// its hotkey table's lock for the whole stop while it waits for the video thread) froze until the
// host killed its video thread. Now no frame calls the host's hotkey functions: every stop right
// after a switch ends as quickly as one without a song-list source.
TEST(StandinHost, AStopRightAfterASceneSwitchIsQuick) {
    CreateDirectoryW(L"standin_out", nullptr);
    const std::string source = "class: \"Tavik直播点歌插件\"\n";
    simulator::WriteFileBytes(L"standin_out\\first.txt", "sources {\n \"A\" {\n  " + source + " }\n}\n");
    simulator::WriteFileBytes(L"standin_out\\second.txt", "sources {\n \"B\" {\n  " + source + " }\n}\n");
    simulator::Simulator companion;  // its settings line carries hotkey 112
    ASSERT_TRUE(companion.Start(L"--windows none --song \"晴天 - 周杰伦\""
                                L" --settings \"Set|宋体|42|-28672|100|-16777216|50|0|0|0|0|2|-16777216|100|112\""));
    std::wstring actions = L" --scene standin_out\\first.txt --activate A --start-video --sleep 500";
    for (int stop = 0; stop < 4; ++stop)
        actions += std::wstring(L" --switch-scene standin_out\\") + (stop % 2 ? L"first" : L"second") +
                   L".txt --stop --start-video --sleep 200";
    ProcessResult run = RunProcess(L"standin_host.exe --quiet --fps 60 --stop-limit-ms 3000" + actions + L" --stop-video", 90000);
    companion.Stop();
    EXPECT_EQ(run.output.find("Forcibly terminating"), std::string::npos) << run.output;
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    int stops = 0;
    for (std::size_t at = 0; (at = run.output.find("stopped in ", at)) != std::string::npos; at += 11, ++stops)
        EXPECT_LT(std::atof(run.output.c_str() + at + 11), 1000.0) << run.output;
    EXPECT_EQ(stops, 4) << run.output;
}

// A long run: the companion rewrites a rotating list every millisecond while two sources show
// it, so every render the sources take shows a new text. Nothing may be warned, and at the end
// the plugin has given back every allocator block and texture; two sources never hold more than
// two textures. Sized for CI; docs/testing.md gives a longer run.
TEST(LongRun, ARotatingListLeavesNothingBehind) {
    constexpr long kFrames = 1000;
    const std::wstring list = simulator::kOut + simulator::Unique(L"songs") + L".txt";
    simulator::WriteFileBytes(list, "第一首 - 歌手\n第二首 - 另一位歌手\nYesterday - The Beatles\n晴天 - 周杰伦\n"
                                    "Hey Jude - The Beatles\n稻香 - 周杰伦\n");
    simulator::Simulator companion;
    ASSERT_TRUE(companion.Start(L"--windows none --list " + simulator::Quoted(list) + L" --rewrite-ms 1 --rotate"
                                L" --settings \"Set|宋体|30|-28672|100|-16777216|50|0|0|0|0|2|-16777216|100|0\""));
    ProcessResult run = RunProcess(L"standin_host.exe --quiet --fps 100 --report --source Tavik直播点歌插件 A"
                                   L" --source Tavik直播点歌插件 B --frames " + std::to_wstring(kFrames),
                                   240000);
    EXPECT_EQ(companion.Stop(), 0);
    DeleteFileW(list.c_str());
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    std::printf("%s", run.output.substr(run.output.find("report:")).c_str());  // the figures, for the log
    EXPECT_NE(run.output.find("at most 2 textures alive for 2 sources"), std::string::npos) << run.output;
    for (const char* name : {"A", "B"}) {
        const std::string line = std::string("report: source \"") + name + "\" rendered anew in ";
        const std::size_t at = run.output.find(line);
        ASSERT_NE(at, std::string::npos) << run.output;
        // A render a few frames long, on a machine shared with other work.
        EXPECT_GT(std::atol(run.output.c_str() + at + line.size()), kFrames / 10) << "new texts are shown all along";
    }
    EXPECT_NE(run.output.find("report: at the end 0 allocator blocks and 0 textures left, 0 warnings in the log"),
              std::string::npos)
        << run.output;
}

}  // namespace
