#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "host/HostSide.h"

namespace {

struct HotkeyCall {
    DWORD key;
    UPARAM param;
    bool down;
};
std::vector<HotkeyCall> g_calls;
void STDCALL RecordHotkey(DWORD key, UPARAM param, bool down) { g_calls.push_back({key, param, down}); }

TEST(HostHotkeys, CreateDeliverDelete) {
    g_calls.clear();
    UINT id = OBSCreateHotkey(0x77, RecordHotkey, 1234);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(HostHotkeyKey(id), 0x77u);
    EXPECT_EQ(HostDeliverHotkey(0x77, true), 1u);
    EXPECT_EQ(HostDeliverHotkey(0x78, true), 0u);
    EXPECT_EQ(HostDeliverHotkey(0x77, false), 1u);
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].param, 1234u);
    EXPECT_TRUE(g_calls[0].down);
    EXPECT_FALSE(g_calls[1].down);
    OBSDeleteHotkey(id);
    EXPECT_EQ(HostHotkeyKey(id), 0u);
    EXPECT_EQ(HostDeliverHotkey(0x77, false), 0u);
    OBSDeleteHotkey(id);  // deleting twice is harmless

    HostFailHotkeyCreation(true);
    EXPECT_EQ(OBSCreateHotkey(0x77, RecordHotkey, 0), 0u);
    HostFailHotkeyCreation(false);
    EXPECT_EQ(OBSCreateHotkey(0x77, nullptr, 0), 0u);
}

TEST(HostMessageBox, RecordsWithoutWaiting) {
    HostClearMessageBoxes();
    EXPECT_EQ(OBSMessageBox(nullptr, L"启动点歌平台错误", nullptr, 0), 1);
    ASSERT_EQ(HostMessageBoxCount(), 1u);
    const HostMessageBox* box = HostGetMessageBox(0);
    EXPECT_STREQ(box->text, L"启动点歌平台错误");
    EXPECT_EQ(box->caption, nullptr);
    EXPECT_EQ(box->flags, 0u);
    EXPECT_EQ(box->owner, nullptr);
    HostClearMessageBoxes();
    EXPECT_EQ(HostMessageBoxCount(), 0u);
}

TEST(HostMessageBox, BlocksForTheSetTimeAndRecordsTheSceneMutex) {
    HostClearMessageBoxes();
    HostSetMessageBoxWait(200);
    const auto start = std::chrono::steady_clock::now();
    OBSMessageBox(nullptr, L"outside", nullptr, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    HostSetMessageBoxWait(0);
    API->EnterSceneMutex();
    API->EnterSceneMutex();  // the mutex is recursive
    API->LeaveSceneMutex();
    OBSMessageBox(nullptr, L"inside", nullptr, 0);
    API->LeaveSceneMutex();
    std::thread([] { OBSMessageBox(nullptr, L"another thread", nullptr, 0); }).join();
    ASSERT_EQ(HostMessageBoxCount(), 3u);
    EXPECT_FALSE(HostGetMessageBox(0)->sceneMutexHeld);
    EXPECT_TRUE(HostGetMessageBox(1)->sceneMutexHeld);
    EXPECT_FALSE(HostGetMessageBox(2)->sceneMutexHeld);
    EXPECT_FALSE(HostSceneMutexHeldHere());
    HostClearMessageBoxes();
}

TEST(HostLog, FormatsWideTextAndWarnings) {
    HostSetLogEcho(false);
    HostClearLog();
    Log(L"return value:%d\n", -5);
    AppWarning(L"failed: %u", 7u);
    Log(L"%ls", L"歌单 50%");
    ASSERT_EQ(HostLogLineCount(), 3u);
    EXPECT_STREQ(HostGetLogLine(0), L"return value:-5");
    EXPECT_STREQ(HostGetLogLine(1), L"Warning -- failed: 7");
    EXPECT_STREQ(HostGetLogLine(2), L"歌单 50%");
    std::wstring longText(5000, L'x');
    Log(L"%ls", longText.c_str());
    EXPECT_EQ(std::wstring(HostGetLogLine(3)), longText);
    HostClearLog();
}

TEST(HostApi, RegistersSourceClasses) {
    HostClearSourceClasses();
    auto create = [](XElement*) -> LPVOID { return nullptr; };
    auto configure = [](XElement*, bool) { return true; };
    API->RegisterImageSourceClass(L"class", L"shown", create, configure);
    ASSERT_EQ(HostSourceClassCount(), 1u);
    const HostSourceClass* c = HostFindSourceClass(L"class");
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->displayName, L"shown");
    EXPECT_TRUE(c->configure(nullptr, false));
    EXPECT_EQ(HostFindSourceClass(L"other"), nullptr);
    HostClearSourceClasses();
}

std::vector<unsigned char> Solid(unsigned w, unsigned h, std::uint32_t argb) {
    std::vector<unsigned char> p(std::size_t(w) * h * 4);
    for (std::size_t i = 0; i < p.size(); i += 4) {
        p[i] = argb & 0xFF;
        p[i + 1] = (argb >> 8) & 0xFF;
        p[i + 2] = (argb >> 16) & 0xFF;
        p[i + 3] = argb >> 24;
    }
    return p;
}

std::uint32_t CanvasAt(unsigned x, unsigned y) {
    const unsigned char* p = HostCanvasPixels() + (std::size_t(y) * HostCanvasWidth() + x) * 4;
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}

TEST(HostTextures, CreateCopiesAndSetImageReplaces) {
    long live = HostLiveTextures();
    auto red = Solid(4, 2, 0xFFFF0000);
    Texture* t = GS->CreateTexture(4, 2, GS_BGRA, red.data(), FALSE, FALSE);
    ASSERT_NE(t, nullptr);
    red.assign(red.size(), 0);  // the texture holds its own copy
    EXPECT_EQ(HostTexturePixels(t)[2], 0xFF);
    EXPECT_EQ(HostLiveTextures(), live + 1);

    // Rows with a wider pitch: only width * 4 bytes of each are taken.
    std::vector<unsigned char> padded(2 * 20, 0xAB);
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 16; ++i) padded[row * 20 + i] = static_cast<unsigned char>(row * 16 + i);
    t->SetImage(padded.data(), GS_IMAGEFORMAT_BGRA, 20);
    EXPECT_EQ(HostTextureUploads(t), 1);
    EXPECT_EQ(HostTexturePixels(t)[16], 16);
    EXPECT_EQ(HostTexturePixels(t)[31], 31);
    delete t;
    EXPECT_EQ(HostLiveTextures(), live);

    struct Bad { unsigned w, h; int format; } bad[] = {{0, 2, GS_BGRA}, {2, 0, GS_BGRA}, {2, 2, 5}, {20000, 2, GS_BGRA}};
    for (const auto& b : bad)
        EXPECT_EQ(GS->CreateTexture(b.w, b.h, static_cast<GSColorFormat>(b.format), nullptr, FALSE, FALSE), nullptr);

    HostFailTextureCreation(1);
    EXPECT_EQ(GS->CreateTexture(4, 2, GS_BGRA, nullptr, FALSE, FALSE), nullptr);
    Texture* again = GS->CreateTexture(4, 2, GS_BGRA, nullptr, FALSE, FALSE);
    EXPECT_NE(again, nullptr);
    delete again;
}

TEST(HostTextures, DrawSpriteScalesAndBlends) {
    HostCanvasReset(8, 8, 0xFF000000);
    // A 2x2 texture: opaque red, half-transparent white, transparent, opaque blue.
    std::vector<unsigned char> px = {0, 0, 255, 255, 255, 255, 255, 128, 9, 9, 9, 0, 255, 0, 0, 255};
    Texture* t = GS->CreateTexture(2, 2, GS_BGRA, px.data(), FALSE, FALSE);
    ASSERT_NE(t, nullptr);
    GS->DrawSprite(t, 0xFFFFFFFF, 2, 2, 6, 6);  // twice the size
    EXPECT_EQ(CanvasAt(1, 1), 0xFF000000u);
    EXPECT_EQ(CanvasAt(2, 2), 0xFFFF0000u);
    EXPECT_EQ(CanvasAt(3, 3), 0xFFFF0000u);
    EXPECT_EQ(CanvasAt(4, 2), 0xFF808080u);
    EXPECT_EQ(CanvasAt(2, 4), 0xFF000000u);  // transparent texel leaves the canvas
    EXPECT_EQ(CanvasAt(5, 5), 0xFF0000FFu);
    EXPECT_EQ(CanvasAt(6, 6), 0xFF000000u);
    EXPECT_EQ(HostLastSpriteTexture(), t);
    // Off the canvas, empty or inverted rectangles draw nothing and do not fault.
    GS->DrawSprite(t, 0xFFFFFFFF, -100, -100, -50, -50);
    GS->DrawSprite(t, 0xFFFFFFFF, 4, 4, 4, 4);
    GS->DrawSprite(t, 0xFFFFFFFF, 6, 6, 2, 2);
    GS->DrawSprite(t, 0xFFFFFFFF, 6, 6, 100, 100);
    GS->DrawSprite(nullptr, 0xFFFFFFFF, 0, 0, 8, 8);
    delete t;
    EXPECT_EQ(HostLastSpriteTexture(), nullptr);
}

}  // namespace
