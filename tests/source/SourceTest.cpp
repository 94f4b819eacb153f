#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "source/Rasteriser.h"
#include "tests/source/SourceFixture.h"
#include "tests/support/Launches.h"

namespace {

const std::wstring kList = L"#2#\r\n晴天 - 周杰伦\r\nYesterday - The Beatles";

using SongListSource = SourceTest;

TEST_F(SongListSource, NothingBeforeTheFirstFrame) {
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    EXPECT_EQ(s->ReportSize().x, 0.0f);
    EXPECT_EQ(s->ReportSize().y, 0.0f);
    EXPECT_EQ(s->texture, nullptr);
    EXPECT_TRUE(s->outline);
    EXPECT_EQ(s->settings, data);
    EXPECT_FALSE(s->font.IsValid());
    HostResetLastSpriteTexture();
    s->Draw(Vect2{0, 0}, Vect2{100, 100});
    EXPECT_EQ(HostLastSpriteTexture(), nullptr);
    EXPECT_EQ(data->NumDataItems(), 0u) << "construction reads and writes nothing";
}

TEST_F(SongListSource, DefaultsWhenNoKeysAreStored) {
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    Show(*s);
    EXPECT_TRUE(s->font == L"宋体");
    EXPECT_EQ(s->color, 0xFFFF9000u);
    EXPECT_EQ(s->fontSize, 42);
    EXPECT_EQ(s->textOpacity, 100);
    EXPECT_FALSE(s->outline);
    EXPECT_EQ(s->outlineColor, 0xFF000000u);
    EXPECT_EQ(s->outlineSize, 2.0f);
    EXPECT_EQ(s->outlineOpacity, 100);
    EXPECT_EQ(s->backgroundColor, 0xFF000000u);
    EXPECT_EQ(s->backgroundOpacity, 0);
    EXPECT_FALSE(s->bold);
    EXPECT_FALSE(s->italic);
    EXPECT_FALSE(s->underline);
    EXPECT_EQ(s->ReportSize().x, 32.0f);
    EXPECT_EQ(s->ReportSize().y, 32.0f);
    // The hint text is never rendered: the first frame shows the (empty) block text.
    EXPECT_FALSE(g_plugin.displayText.IsValid());
    ASSERT_NE(s->texture, nullptr);
    EXPECT_EQ(s->textureSize.cx, 32);
    EXPECT_EQ(s->textureSize.cy, 42);
    EXPECT_EQ(Count(*s, [](std::uint32_t p) { return (p >> 24) != 0; }), 0) << "no text: every pixel transparent";
}

TEST_F(SongListSource, SettingRules) {
    struct Case { const wchar_t* key; int stored; bool on; } cases[] = {
        {keys::kOutline, 1, true},   {keys::kOutline, 2, false},  {keys::kOutline, -1, false},
        {keys::kBold, 2, true},      {keys::kBold, 0, false},     {keys::kItalic, 2, true},
        {keys::kItalic, -7, true},   {keys::kUnderline, 2, true}, {keys::kUnderline, 0, false},
    };
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    for (const auto& c : cases) {
        data->SetInt(c.key, c.stored);
        s->ReloadSettings();
        const bool value = c.key == keys::kOutline ? s->outline
                         : c.key == keys::kBold    ? s->bold
                         : c.key == keys::kItalic  ? s->italic
                                                   : s->underline;
        EXPECT_EQ(value, c.on) << c.stored;
        data->RemoveItem(c.key);
    }
}

TEST_F(SongListSource, RandomColourReplacesTheTextColour) {
    struct Case { int random; bool hasFore; int fore; std::uint32_t color; } cases[] = {
        {0, false, 0, 0xFF112233u}, {1, false, 0, 0xFFFFFFFFu}, {1, true, static_cast<int>(0xFF00FF00u), 0xFF00FF00u},
        {5, true, 0x123456, 0x00123456u}, {0, true, static_cast<int>(0xFF00FF00u), 0xFF112233u},
    };
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    for (const auto& c : cases) {
        data->SetInt(keys::kColor, static_cast<int>(0xFF112233u));
        data->SetInt(keys::kRandomColor, c.random);
        if (c.hasFore) data->SetInt(keys::kRandomForeColor, c.fore);
        else data->RemoveItem(keys::kRandomForeColor);
        Show(*s);
        EXPECT_EQ(s->color, c.color) << c.random;
    }
}

TEST_F(SongListSource, DrawsTheBlockTextInItsLook) {
    block.Write(SettingsLine(L"宋体", 42, static_cast<int>(0xFFFF9000u), 100, static_cast<int>(0xFF000000u), 0, 0, 0, 0, 0, 2,
                             static_cast<int>(0xFF000000u), 100, 0) +
                L"|" + kList);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    Show(*s);
    EXPECT_TRUE(g_plugin.displayText == L"晴天 - 周杰伦\r\nYesterday - The Beatles\r\n");
    ASSERT_NE(s->texture, nullptr);
    EXPECT_GT(s->textureSize.cx, 200);
    EXPECT_GE(s->textureSize.cy, 84);  // two lines of 42
    EXPECT_EQ(s->textureSize.cx % 2, 0);
    EXPECT_EQ(s->textureSize.cy % 2, 0);
    // Text pixels in the text colour, opaque where fully covered; background opacity 0 leaves
    // every other pixel transparent.
    EXPECT_GT(Count(*s, [](std::uint32_t p) { return p == 0xFFFF9000u; }), 100);
    EXPECT_EQ(Count(*s, [](std::uint32_t p) { return (p >> 24) != 0 && (p & 0xFFFFFF) != 0xFF9000; }), 0);
    EXPECT_EQ(Pixel(*s, 0, s->textureSize.cy - 1) >> 24, 0u);
}

TEST_F(SongListSource, BackgroundOnlyWithText) {
    data->SetInt(keys::kBackgroundOpacity, 100);
    data->SetInt(keys::kBackgroundColor, static_cast<int>(0xFF0000FFu));
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    Show(*s);  // no text yet: the background has alpha 0 whatever its opacity
    EXPECT_EQ(Count(*s, [](std::uint32_t p) { return (p >> 24) != 0; }), 0);

    block.Write(L"#1#\r\nline one");
    Show(*s);
    EXPECT_EQ(Pixel(*s, 1, 1), 0xFF0000FFu);
    EXPECT_GT(Count(*s, [](std::uint32_t p) { return p == 0xFFFF9000u; }), 20);

    data->SetInt(keys::kBackgroundOpacity, 50);
    Show(*s);
    EXPECT_EQ(Pixel(*s, 1, 1), 0x7F0000FFu);
}

TEST_F(SongListSource, OutlinedTextUsesThePenAlpha) {
    block.Write(L"#1#\r\nOutline 描边");
    data->SetInt(keys::kOutline, 1);
    data->SetFloat(keys::kOutlineSize, 4.0f);
    data->SetInt(keys::kOutlineColor, static_cast<int>(0xFF00FF00u));
    data->SetInt(keys::kOutlineOpacity, 99);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    Show(*s);
    ASSERT_NE(s->texture, nullptr);
    // The stroke's outer half shows in the outline colour at alpha 249 (99 % of 100 %), the fill
    // in the text colour.
    EXPECT_GT(Count(*s, [](std::uint32_t p) { return p == 0xF900FF00u; }), 20);
    EXPECT_GT(Count(*s, [](std::uint32_t p) { return p == 0xFFFF9000u; }), 20);
}

TEST_F(SongListSource, TextureKeptWhileTheSizeStaysAndReplacedOtherwise) {
    block.Write(kList);
    const long liveBefore = HostLiveTextures();
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    s->renderEveryFrame = true;
    s->RefreshFrame();
    Texture* first = s->texture;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(HostTextureUploads(first), 0);
    s->RefreshFrame();
    s->RefreshFrame();
    EXPECT_EQ(s->texture, first) << "same size: same texture, new pixels";
    EXPECT_EQ(HostTextureUploads(first), 2);
    EXPECT_EQ(HostLiveTextures(), liveBefore + 1);

    block.Write(kList + L"\r\nA much longer third line of the list than any before it");
    s->RefreshFrame();
    EXPECT_NE(s->textureSize.cy, 0);
    EXPECT_EQ(HostTextureUploads(s->texture), 0) << "a new texture was created";
    EXPECT_EQ(HostLiveTextures(), liveBefore + 1) << "the old one was deleted";
    s.reset();
    EXPECT_EQ(HostLiveTextures(), liveBefore);
}

TEST_F(SongListSource, UnchangedFramesReuseTheLastRender) {
    block.Write(kList);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    Show(*s);
    Texture* first = s->texture;
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < 3; ++i) Show(*s);
    EXPECT_EQ(s->texture, first);
    EXPECT_EQ(HostTextureUploads(first), 0) << "nothing changed: nothing measured, painted or uploaded";

    // Any input the renderer reads renders again, into the same texture while the size stays.
    struct Change { const wchar_t* key; int value; } changes[] = {
        {keys::kColor, static_cast<int>(0xFF00FF00u)}, {keys::kTextOpacity, 50}, {keys::kBackgroundOpacity, 30},
        {keys::kBackgroundColor, 0x123456},            {keys::kUnderline, 1},    {keys::kOutlineColor, 0x00FF00},
    };
    long uploads = 0;
    for (const auto& c : changes) {
        data->SetInt(c.key, c.value);
        Show(*s);
        Show(*s);
        EXPECT_EQ(HostTextureUploads(s->texture), ++uploads) << "one render per change";
    }
    block.Write(L"#2#\r\nsame length 1\r\nsame length 2");
    Show(*s);
    const long afterText = HostTextureUploads(s->texture);
    block.Write(L"#2#\r\nsame length 3\r\nsame length 4");
    Show(*s);
    EXPECT_EQ(HostTextureUploads(s->texture), afterText + 1) << "new text of the same size";
    // The settings line is still written every frame, and the hotkey still taken from it.
    block.Write(SettingsLine(L"宋体", 42, 0, 100, 0, 0, 0, 0, 0, 0, 2, 0, 100, 66) + L"|#1#\r\nx");
    Show(*s);
    data->SetInt(keys::kFontSize, 10);
    Show(*s);
    EXPECT_EQ(data->GetInt(keys::kFontSize, 0), 42);
    EXPECT_EQ(s->fontSize, 42);
    ASSERT_TRUE(SettleLaunches());
    EXPECT_EQ(HostHotkeyKey(g_plugin.hotkeyId), 66u);
}

TEST_F(SongListSource, NullTextureFromTheHostIsNotRetriedUntilTheSizeChanges) {
    block.Write(kList);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    HostFailTextureCreation(1);
    Show(*s);
    EXPECT_EQ(s->texture, nullptr);
    const MorvathThanksImage::TextureSize size = s->textureSize;
    EXPECT_GT(size.cx, 32);
    Show(*s);  // the host would succeed now, but the size is the same
    EXPECT_EQ(s->texture, nullptr);
    HostResetLastSpriteTexture();
    s->Draw(Vect2{0, 0}, Vect2{32, 32});
    EXPECT_EQ(HostLastSpriteTexture(), nullptr);
    block.Write(L"#1#\r\nshort");
    Show(*s);
    EXPECT_NE(s->texture, nullptr);
}

TEST_F(SongListSource, DrawScalesByTheBaseSize) {
    block.Write(kList);
    data->SetFloat(keys::kBaseSizeCx, 100.0f);
    data->SetFloat(keys::kBaseSizeCy, 50.0f);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    Show(*s);
    const float w = static_cast<float>(s->textureSize.cx), h = static_cast<float>(s->textureSize.cy);
    struct Case { Vect2 position, size; float x2, y2; } cases[] = {
        {{10, 20}, {200, 100}, 10 + 2 * w, 20 + 2 * h},  // twice the base size: twice the pixels
        {{0, 0}, {100, 50}, w, h},                       // one to one
        {{5, 5}, {50, 100}, 5 + w / 2, 5 + 2 * h},
    };
    for (const auto& c : cases) {
        s->Draw(c.position, c.size);
        float rect[4];
        HostLastSpriteRect(rect);
        EXPECT_FLOAT_EQ(rect[0], c.position.x);
        EXPECT_FLOAT_EQ(rect[1], c.position.y);
        EXPECT_FLOAT_EQ(rect[2], c.x2);
        EXPECT_FLOAT_EQ(rect[3], c.y2);
    }
    // A base size of 0 draws the texture at its own size on that axis.
    data->SetFloat(keys::kBaseSizeCx, 0.0f);
    Show(*s);
    s->Draw(Vect2{0, 0}, Vect2{300, 100});
    float rect[4];
    HostLastSpriteRect(rect);
    EXPECT_FLOAT_EQ(rect[2], w);
    EXPECT_FLOAT_EQ(rect[3], 2 * h);
}

TEST_F(SongListSource, WithoutAFontTheTextureIsKept) {
    block.Write(kList);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    Show(*s);
    Texture* kept = s->texture;
    gdip::Calls noGdiFont;
    noGdiFont.CreateFontIndirectW = [](const LOGFONTW*) -> HFONT { return nullptr; };
    UpdateTexture(*s, noGdiFont);
    EXPECT_EQ(s->texture, kept);
    EXPECT_EQ(HostTextureUploads(kept), 0);
}

TEST_F(SongListSource, WithoutAGdiplusFontOnlyTheBackgroundShows) {
    block.Write(kList);
    data->SetInt(keys::kBackgroundOpacity, 100);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    gdip::Calls noGdiplusFont;
    noGdiplusFont.GdipCreateFontFromLogfontA = [](HDC, const LOGFONTA*, Gdiplus::GpFont**) { return Gdiplus::FontFamilyNotFound; };
    noGdiplusFont.GdipCreateFontFromDC = [](HDC, Gdiplus::GpFont**) { return Gdiplus::FontFamilyNotFound; };
    const std::wstring measureFailed = L"Warning -- TextSource::UpdateTexture: Gdiplus::Graphics::MeasureString failed: ";
    const std::wstring drawFailed = L"Warning -- TextSource::UpdateTexture: Graphics::DrawString failed: ";
    struct Case { int outline; int width; std::vector<std::wstring> warnings; } cases[] = {
        {0, 32, {measureFailed, drawFailed}},  // the starting box, 32 x 32
        {1, 34, {measureFailed}},              // grown by the outline width; the path's failures are silent
    };
    for (const auto& c : cases) {
        data->SetInt(keys::kOutline, c.outline);
        s->ReloadSettings();
        g_plugin.displayText = g_plugin.sharedText = L"晴天\r\n";
        HostClearLog();
        UpdateTexture(*s, noGdiplusFont);
        ASSERT_EQ(HostLogLineCount(), c.warnings.size()) << c.outline;
        for (std::size_t i = 0; i < c.warnings.size(); ++i) {
            const std::wstring line = HostGetLogLine(static_cast<unsigned>(i));
            EXPECT_EQ(line.substr(0, c.warnings[i].size()), c.warnings[i]) << c.outline;
            EXPECT_GT(std::stoul(line.substr(c.warnings[i].size())), 0ul) << c.outline;
        }
        EXPECT_EQ(s->textureSize.cx, c.width) << c.outline;
        EXPECT_EQ(s->textureSize.cy, 42) << c.outline << ": the font size";
        // The box was raised to the font size, so the whole bitmap carries the background alone.
        EXPECT_EQ(Count(*s, [](std::uint32_t p) { return p != 0xFF000000u; }), 0) << c.outline;
    }
}

TEST_F(SongListSource, DestroyingASourceLetsTheNextFrameRegisterTheHotkeyAgain) {
    block.Write(SettingsLine(L"宋体", 42, 0, 100, 0, 0, 0, 0, 0, 0, 2, 0, 100, 65) + L"|" + kList);
    const unsigned before = HostHotkeyCount();
    std::unique_ptr<MorvathThanksImage> a(Create(data));
    XElement* otherData = config.GetRootElement()->CreateElement(L"second")->CreateElement(keys::kData);
    std::unique_ptr<MorvathThanksImage> b(Create(otherData));
    a->RefreshFrame();
    b->RefreshFrame();
    ASSERT_TRUE(SettleLaunches());
    EXPECT_EQ(HostHotkeyCount(), before + 1) << "one hotkey for all sources";
    EXPECT_EQ(data->GetInt(keys::kHotkey, 0), 65);
    EXPECT_FALSE(otherData->HasItem(keys::kHotkey)) << "only the first source to see the code gets it";

    a.reset();  // deleting one of two sources
    ASSERT_TRUE(SettleLaunches());
    EXPECT_EQ(HostHotkeyCount(), before);
    EXPECT_EQ(g_plugin.hotkeyId, 0u);
    b->RefreshFrame();
    ASSERT_TRUE(SettleLaunches());
    EXPECT_EQ(HostHotkeyCount(), before + 1) << "the companion's key works again";
    EXPECT_EQ(HostHotkeyKey(g_plugin.hotkeyId), 65u);

    b.reset();  // deleting the last source, then adding one again
    ASSERT_TRUE(SettleLaunches());
    EXPECT_EQ(HostHotkeyCount(), before);
    std::unique_ptr<MorvathThanksImage> c(Create(data));
    c->RefreshFrame();
    ASSERT_TRUE(SettleLaunches());
    EXPECT_EQ(HostHotkeyCount(), before + 1);
}

// Changed: a frame that read a new hotkey code registered the key itself, on the host's video
// thread with the scene mutex held, and a source destroyed with the mutex held removed it there.
// The host's hotkey calls take its hotkey lock, which the host holds for the whole of a stop of
// recording while it waits for the video thread to end: the frame waited for the stop and the
// stop for the frame, until the host killed its video thread 30 s later. Now the plugin's own
// thread registers and removes the key, and frames and destruction only say what they want.
TEST_F(SongListSource, TheHotkeyIsRegisteredAndRemovedOffTheHostsThreads) {
    block.Write(SettingsLine(L"宋体", 42, 0, 100, 0, 0, 0, 0, 0, 0, 2, 0, 100, 65) + L"|" + kList);
    const unsigned before = HostHotkeyCount();
    std::unique_ptr<MorvathThanksImage> shown(Create(data));
    MorvathThanksImage* leaving = Create(config.GetRootElement()->CreateElement(L"old")->CreateElement(keys::kData));
    HostClearLog();
    HostHoldHotkeyTable(true);  // as the host's stop does
    block.Write(SettingsLine(L"宋体", 42, 0, 100, 0, 0, 0, 0, 0, 0, 2, 0, 100, 66) + L"|" + kList);
    std::thread video([&] {
        API->EnterSceneMutex();  // as the host runs frames and removes sources
        shown->RefreshFrame();   // a new code
        delete leaving;
        shown->RefreshFrame();   // the code again, after the destruction
        API->LeaveSceneMutex();
    });
    HANDLE videoThread = video.native_handle();
    const bool ended = WaitForSingleObject(videoThread, 2000) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended) << "a frame or a destruction waited for the host's hotkey lock";
    EXPECT_EQ(HostHotkeyCount(), before) << "nothing registered while the host holds its lock";
    HostHoldHotkeyTable(false);
    video.join();
    ASSERT_TRUE(SettleLaunches());
    EXPECT_EQ(HostHotkeyCount(), before + 1);
    EXPECT_EQ(HostHotkeyKey(g_plugin.hotkeyId), 66u) << "the newest key, once";
    EXPECT_EQ(HostLogLineCount(), 0u) << "the host's hotkey calls were made with the scene mutex held";
}

TEST_F(SongListSource, TwoSourcesShowTheSameText) {
    block.Write(kList);
    std::unique_ptr<MorvathThanksImage> a(Create(data));
    XElement* otherData = config.GetRootElement()->CreateElement(L"second")->CreateElement(keys::kData);
    std::unique_ptr<MorvathThanksImage> b(Create(otherData));
    Show(*a);
    Show(*b);
    EXPECT_EQ(a->textureSize.cx, b->textureSize.cx);
    EXPECT_EQ(a->textureSize.cy, b->textureSize.cy);
    EXPECT_EQ(0, std::memcmp(HostTexturePixels(a->texture), HostTexturePixels(b->texture),
                             std::size_t(a->textureSize.cx) * a->textureSize.cy * 4));
    block.Write(L"");  // the companion went away: the last text stays on show
    Show(*a);
    EXPECT_TRUE(g_plugin.displayText == L"晴天 - 周杰伦\r\nYesterday - The Beatles\r\n");
}

TEST_F(SongListSource, ActivationWakesTheCompanionAndDeactivationResizes) {
    CompanionWindow main(names::kCompanionMainWindow);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    s->ActivateSource();
    ASSERT_TRUE(SettleLaunches());
    ASSERT_EQ(CompanionWindow::Received().size(), 1u);
    EXPECT_EQ(CompanionWindow::Received()[0].message, names::kWakeMessage);
    s->ActivateSource();  // within two seconds: refused, and nothing else happens
    ASSERT_TRUE(SettleLaunches());
    EXPECT_EQ(CompanionWindow::Received().size(), 1u);

    s->DeactivateSource();
    const float cx = data->GetFloat(keys::kBaseSizeCx, 0.0f), cy = data->GetFloat(keys::kBaseSizeCy, 0.0f);
    EXPECT_GT(cx, 32.0f * 4) << "thirteen characters at 42 pixels";
    EXPECT_GE(cy, 42.0f);
    EXPECT_EQ(element->GetFloat(keys::kCx, 0.0f), cx);
    EXPECT_EQ(element->GetFloat(keys::kCy, 0.0f), cy);
}

// Changed: activation, which the host calls with the scene mutex held, used to wake the companion
// itself and wait for the answer, so a companion that stopped answering held every frame for the
// send's two-second time-out. Now the wake runs on the plugin's own thread and activation returns
// at once.
TEST_F(SongListSource, ActivationDoesNotWaitForACompanionThatDoesNotAnswer) {
    // The companion's main window, on a thread that handles no message once the window exists.
    HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr), release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread companion([&] {
        CompanionWindow main(names::kCompanionMainWindow);
        SetEvent(made);
        WaitForSingleObject(release, INFINITE);
    });
    WaitForSingleObject(made, INFINITE);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    const ULONGLONG start = GetTickCount64();
    API->EnterSceneMutex();  // as the host calls it
    s->ActivateSource();
    API->LeaveSceneMutex();
    EXPECT_LT(GetTickCount64() - start, 500u) << "activation waited for the companion";
    EXPECT_TRUE(SettleLaunches()) << "the wake gives up after the send's time-out";
    EXPECT_GE(GetTickCount64() - start, 1900u) << "the wake was sent and waited for the companion";
    SetEvent(release);
    companion.join();
    CloseHandle(made);
    CloseHandle(release);
}

// Changed: deactivation, which the host calls with the scene mutex held, used to show
// "Sources.TextSource.FontNotFound" in a message box when the hint text's font could not be
// made, so every frame waited until the user clicked. Now it says so in the log and goes on.
TEST_F(SongListSource, DeactivationWithoutItsFontWarnsInTheLogAndShowsNoBox) {
    gdip::Calls noFont;
    noFont.GdipCreateFontFromLogfontW = [](HDC, const LOGFONTW*, Gdiplus::GpFont**) { return Gdiplus::FontFamilyNotFound; };
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    s->calls = &noFont;
    data->SetString(keys::kFont, L"缺失字体");
    struct Case { const wchar_t* stored; float size; } cases[] = {{nullptr, 0.0f}, {L"123.5", 123.5f}};
    for (const Case& c : cases) {
        if (c.stored) data->SetString(keys::kBaseSizeCx, c.stored);
        HostClearLog();
        API->EnterSceneMutex();  // as the host calls it
        s->DeactivateSource();
        API->LeaveSceneMutex();
        EXPECT_EQ(HostMessageBoxCount(), 0u);
        ASSERT_EQ(HostLogLineCount(), 1u);
        EXPECT_STREQ(HostGetLogLine(0), L"Warning -- MorvathThanksImage::DeactivateSource: "
                                        L"Sources.TextSource.FontNotFound: \"缺失字体\", the hint text is not measured");
        EXPECT_EQ(element->GetFloat(keys::kCx, -1.0f), c.size) << "the stored base size, 0 without one";
    }
}

// Changed: every change of the text or the look was rendered inside the frame, on the host's
// video thread: 15 ms and more a change, a late frame or several. Now the frame asks the render
// thread for it and goes on showing the texture it has; a later frame hands the new pixels over.
TEST_F(SongListSource, AChangeIsRenderedOffTheFramesThread) {
    static DWORD renderThread;
    static HANDLE release;
    release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    gdip::Calls slow;  // a render that waits for the test in its middle
    slow.GdipCreateBitmapFromScan0 = [](INT w, INT h, INT stride, Gdiplus::PixelFormat f, BYTE* bits, Gdiplus::GpBitmap** b) {
        renderThread = GetCurrentThreadId();
        WaitForSingleObject(release, 10000);
        return gdip::kSystemCalls.GdipCreateBitmapFromScan0(w, h, stride, f, bits, b);
    };
    block.Write(kList);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    Show(*s);
    Texture* before = s->texture;
    const long uploads = HostTextureUploads(before);
    s->calls = &slow;
    renderThread = 0;
    const ULONGLONG start = GetTickCount64();
    for (int frame = 0; frame < 5; ++frame) s->RefreshFrame();
    EXPECT_LT(GetTickCount64() - start, 1000u) << "a frame waited for the render";
    EXPECT_EQ(s->texture, before);
    EXPECT_EQ(HostTextureUploads(before), uploads) << "the old pixels stay on show until the new ones are made";
    SetEvent(release);
    Show(*s);
    EXPECT_NE(renderThread, 0u);
    EXPECT_NE(renderThread, GetCurrentThreadId()) << "rendered on the frame's thread";
    EXPECT_EQ(HostTextureUploads(s->texture), uploads + 1) << "the new pixels, once";
    CloseHandle(release);
}

// Changed: a render that failed (a face GDI+ refuses, such as a non-TrueType one) counted as not
// made, so every frame rendered it again and wrote its two warnings again, for as long as the
// look stayed. Now it is settled like any other until its inputs change.
TEST_F(SongListSource, AFailedRenderIsNotTriedAgainUntilItsInputsChange) {
    static int fontCalls;
    gdip::Calls noGdiplusFont;
    noGdiplusFont.GdipCreateFontFromLogfontA = [](HDC, const LOGFONTA*, Gdiplus::GpFont**) {
        ++fontCalls;
        return Gdiplus::NotTrueTypeFont;
    };
    noGdiplusFont.GdipCreateFontFromDC = [](HDC, Gdiplus::GpFont**) { return Gdiplus::NotTrueTypeFont; };
    block.Write(kList);
    std::unique_ptr<MorvathThanksImage> s(Create(data));
    s->calls = &noGdiplusFont;
    fontCalls = 0;
    HostClearLog();
    for (int frame = 0; frame < 10; ++frame) Show(*s);
    EXPECT_EQ(fontCalls, 1);
    EXPECT_EQ(HostLogLineCount(), 2u) << "measuring and drawing failed: each said once";
    EXPECT_NE(s->texture, nullptr) << "the background shows";
    block.Write(L"#1#\r\nanother list");
    Show(*s);
    Show(*s);
    EXPECT_EQ(fontCalls, 2) << "new inputs are rendered";
    EXPECT_EQ(HostLogLineCount(), 4u);
}

// Changed: a settings line with the outline on and a width of 100000 made an 8192 x 8192 bitmap
// whose stroke took seconds under Wine, inside the frame (before that, Wine's GDI+ flattened the
// glyphs laid out half a pen in without end until the frame's stack ran out). Now the pen is at
// most as wide as the font is high, which draws every glyph as a blob already, and the render is
// made on the render thread, whose stack is the host's 1 MiB.
TEST_F(SongListSource, AHugeOutlineDrawsAsAPenTheFontsHeight) {
    auto rendered = [&](int outlineWidth) {
        block.Write(SettingsLine(L"宋体", 42, -28672, 100, 0, 0, 0, 0, 0, 1, outlineWidth, -16777216, 100, 0) + L"|" + kList);
        std::unique_ptr<MorvathThanksImage> s(Create(data));
        const ULONGLONG start = GetTickCount64();
        s->RefreshFrame();
        EXPECT_LT(GetTickCount64() - start, 200u) << outlineWidth << ": the frame waited for the render";
        Show(*s);
        std::vector<unsigned char> pixels;
        if (s->texture) {
            const unsigned char* p = HostTexturePixels(s->texture);
            pixels.assign(p, p + std::size_t(s->textureSize.cx) * s->textureSize.cy * 4);
        }
        return std::make_pair(s->textureSize.cx * 100000 + s->textureSize.cy, pixels);
    };
    const auto widest = rendered(2147483647);
    const auto fontHigh = rendered(42);
    ASSERT_FALSE(fontHigh.second.empty());
    EXPECT_EQ(widest.first, fontHigh.first);
    EXPECT_TRUE(widest.second == fontHigh.second) << "the wider pen drew something more";
    EXPECT_LT(fontHigh.first / 100000, 1000) << "the bitmap grows by the font's height only";
}

TEST_F(SongListSource, GivesBackEveryBlockAndTexture) {
    block.Write(kList);
    std::unique_ptr<MorvathThanksImage> warm(Create(data));  // sizes the shared strings, adds the size keys
    Show(*warm);
    warm->DeactivateSource();
    warm.reset();
    const long blocks = HostLiveBlocks();
    const long textures = HostLiveTextures();
    for (int i = 0; i < 3; ++i) {
        MorvathThanksImage* s = Create(data);
        for (int f = 0; f < 3; ++f) Show(*s);
        s->DeactivateSource();
        delete s;  // as the host does: through the base, back to the host's allocator
    }
    EXPECT_EQ(HostLiveBlocks(), blocks);
    EXPECT_EQ(HostLiveTextures(), textures);
}

}  // namespace
