#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/HostSide.h"
#include "dll/Exports.h"
#include "source/Measure.h"
#include "source/Gdip.h"
#include "source/Rasteriser.h"
#include "tests/source/SourceFixture.h"

namespace {

using Callbacks = SourceTest;

TEST_F(Callbacks, LoadPluginRegistersTheSourceClass) {
    HostClearSourceClasses();
    EXPECT_TRUE(LoadPlugin());
    ASSERT_EQ(HostSourceClassCount(), 1u);
    const HostSourceClass* c = HostGetSourceClass(0);
    EXPECT_STREQ(c->className, L"Tavik直播点歌插件");
    EXPECT_STREQ(c->className, GetPluginName());
    EXPECT_STREQ(c->displayName, L"Tavik直播点歌源");
    EXPECT_EQ(c->create, &CreateSongListSource);
    EXPECT_EQ(c->configure, &ConfigureSongListSource);
    HostClearSourceClasses();
}

TEST_F(Callbacks, CreateTakesZeroedStorageFromTheHostAllocator) {
    const long before = HostLiveBlocks();
    auto* s = static_cast<ImageSource*>(CreateSongListSource(data));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(HostLiveBlocks(), before + 1);
    EXPECT_EQ(static_cast<MorvathThanksImage*>(s)->fontSize, 0);
    delete s;
    EXPECT_EQ(HostLiveBlocks(), before);
}

TEST_F(Callbacks, NullElementStillWakesTheCompanion) {
    CompanionWindow main(names::kCompanionMainWindow);
    EXPECT_FALSE(ConfigureSongListSource(nullptr, false));
    ASSERT_EQ(CompanionWindow::Received().size(), 1u);
    EXPECT_EQ(CompanionWindow::Received()[0].message, names::kWakeMessage);
    ASSERT_EQ(HostLogLineCount(), 1u);
    EXPECT_STREQ(HostGetLogLine(0), L"Warning -- ConfigureTextSource: NULL element");
    EXPECT_EQ(HostMessageBoxCount(), 0u);
}

TEST_F(Callbacks, ConfigureWithTheCompanionRunning) {
    CompanionWindow main(names::kCompanionMainWindow);
    XElement* bare = config.GetRootElement()->CreateElement(L"bare");  // no "data" child yet
    EXPECT_TRUE(ConfigureSongListSource(bare, false));
    XElement* created = bare->GetElement(keys::kData);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(HostMessageBoxCount(), 0u);
    EXPECT_EQ(CompanionWindow::Received().size(), 1u);
    const float cx = bare->GetFloat(keys::kCx, 0.0f), cy = bare->GetFloat(keys::kCy, 0.0f);
    EXPECT_EQ(cx, created->GetFloat(keys::kBaseSizeCx, -1.0f));
    EXPECT_EQ(cy, created->GetFloat(keys::kBaseSizeCy, -1.0f));
    EXPECT_GT(cx, 32.0f * 4);
    EXPECT_GE(cy, 42.0f);
}

// Changed: a configure call the two-second throttle refuses used to show the launch-error message
// and return false, although nothing had failed, and the host deletes a source being added when
// its configuration returns false. Now the refusal shows nothing and counts as accepted.
TEST_F(Callbacks, SecondConfigureWithinTwoSecondsCountsAsAccepted) {
    CompanionWindow main(names::kCompanionMainWindow);
    EXPECT_TRUE(ConfigureSongListSource(element, false));
    element->SetFloat(keys::kCx, 1.0f);
    data->SetInt(keys::kFontSize, 60);
    EXPECT_TRUE(ConfigureSongListSource(element, true));  // the host adding a source
    EXPECT_EQ(HostMessageBoxCount(), 0u);
    EXPECT_EQ(CompanionWindow::Received().size(), 1u) << "refused: not woken again";
    // Still measured and resized, now in the larger font.
    EXPECT_GE(element->GetFloat(keys::kCy, 0.0f), 60.0f);
    EXPECT_EQ(element->GetFloat(keys::kCx, 0.0f), data->GetFloat(keys::kBaseSizeCx, -1.0f));
}

// A failed start still says so and is not accepted, refused by the throttle or not afterwards.
TEST_F(Callbacks, FailedStartIsReported) {
    // No companion window and no executable where the tests run.
    EXPECT_FALSE(ConfigureSongListSource(element, false));
    ASSERT_EQ(HostMessageBoxCount(), 1u);
    const HostMessageBox* box = HostGetMessageBox(0);
    EXPECT_EQ(std::wstring(box->text), std::wstring(L"启动点歌平台错误, 请重试或联系QQ群: ") + names::kSupportGroup);
    EXPECT_EQ(box->owner, nullptr);
    EXPECT_EQ(box->caption, nullptr);
    EXPECT_EQ(box->flags, 0u);
    EXPECT_GE(element->GetFloat(keys::kCx, 0.0f), 32.0f);
    EXPECT_TRUE(ConfigureSongListSource(element, false)) << "within two seconds: refused, no new start tried";
    EXPECT_EQ(HostMessageBoxCount(), 1u);
}

// The companion's main window on a thread of its own that handles messages; `woken` is set when
// the wake arrives.
class WakeWatcher {
public:
    WakeWatcher() {
        thread = std::thread([this] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
                if (message == names::kWakeMessage) SetEvent(reinterpret_cast<HANDLE>(GetWindowLongPtrW(window, GWLP_USERDATA)));
                return DefWindowProcW(window, message, w, l);
            };
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"TavikTestWakeWatcher";
            RegisterClassW(&windowClass);  // fails harmlessly once registered
            HWND window = CreateWindowExW(0, windowClass.lpszClassName, names::kCompanionMainWindow, 0, 0, 0, 0, 0,
                                          nullptr, nullptr, windowClass.hInstance, nullptr);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(woken));
            threadId = GetCurrentThreadId();
            SetEvent(ready);
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
            DestroyWindow(window);
        });
        WaitForSingleObject(ready, 10000);
    }
    ~WakeWatcher() {
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        thread.join();
        CloseHandle(woken);
        CloseHandle(ready);
    }
    HANDLE woken = CreateEventW(nullptr, TRUE, FALSE, nullptr);

private:
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD threadId = 0;
    std::thread thread;
};

// The host calls the configure callback without its scene mutex, while its video thread runs
// frames that read and write the same element with the mutex held. A frame holds the mutex here
// when the callback is called: the callback must wake the companion at once, but touch the
// element only once the frame has left it.
TEST_F(Callbacks, ConfigureTakesTheSceneMutexForTheElementButNotToWakeTheCompanion) {
    WakeWatcher companion;
    element->SetString(keys::kCx, L"1");
    bool wokenDuringTheFrame = false;
    std::wstring cxAtTheFrameEnd;
    HANDLE holding = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread frame([&] {
        API->EnterSceneMutex();
        SetEvent(holding);
        wokenDuringTheFrame = WaitForSingleObject(companion.woken, 1500) == WAIT_OBJECT_0;
        Sleep(200);  // the rest of the frame: time enough for the callback to write, if it could
        cxAtTheFrameEnd = element->GetString(keys::kCx);
        API->LeaveSceneMutex();
    });
    WaitForSingleObject(holding, INFINITE);
    EXPECT_TRUE(ConfigureSongListSource(element, false));
    frame.join();
    CloseHandle(holding);
    EXPECT_TRUE(wokenDuringTheFrame) << "the companion was woken only after the frame";
    EXPECT_EQ(cxAtTheFrameEnd, L"1") << "the element was written while the frame held the mutex";
    EXPECT_GT(element->GetFloat(keys::kCx, 0.0f), 32.0f) << "measured once the frame was over";
}

// The font message of the configure callback comes with the scene mutex free: a message box waits
// for a click, and every frame would wait with it.
TEST_F(Callbacks, ConfigureShowsTheFontMessageWithTheSceneMutexFree) {
    CompanionWindow main(names::kCompanionMainWindow);
    gdip::Calls noFont;
    noFont.GdipCreateFontFromLogfontW = [](HDC, const LOGFONTW*, Gdiplus::GpFont**) { return Gdiplus::FontFamilyNotFound; };
    EXPECT_TRUE(ConfigureSongListSourceWith(element, noFont));
    ASSERT_EQ(HostMessageBoxCount(), 1u);
    EXPECT_STREQ(HostGetMessageBox(0)->text, L"Sources.TextSource.FontNotFound");
    EXPECT_EQ(HostGetMessageBox(0)->caption, nullptr);
    EXPECT_FALSE(HostGetMessageBox(0)->sceneMutexHeld);
    EXPECT_EQ(element->GetFloat(keys::kCx, -1.0f), 0.0f) << "no base size stored: 0";
}

float MeasuredWidth(XElement* e) {
    e->RemoveItem(keys::kBaseSizeCx);
    MeasureDefaultText(e);
    return e->GetFloat(keys::kBaseSizeCx, -1.0f);
}

TEST_F(Callbacks, MeasurementFollowsTheFontSetting) {
    XElement* a = config.GetRootElement()->CreateElement(L"a");
    XElement* b = config.GetRootElement()->CreateElement(L"b");
    // No "font" key measures in 宋体; an empty one in Arial; a long name is cut to 31 units.
    b->SetString(keys::kFont, L"宋体");
    EXPECT_EQ(MeasuredWidth(a), MeasuredWidth(b));
    a->SetString(keys::kFont, L"");
    b->SetString(keys::kFont, L"Arial");
    EXPECT_EQ(MeasuredWidth(a), MeasuredWidth(b));
    a->SetString(keys::kFont, L"Arial                              tail");
    b->SetString(keys::kFont, L"Arial                          ");  // its first 31 units
    EXPECT_EQ(MeasuredWidth(a), MeasuredWidth(b));

    struct Case { int fontSize; float minCy; } cases[] = {{10, 32.0f}, {42, 42.0f}, {60, 60.0f}, {0, 32.0f}};
    for (const auto& c : cases) {
        a->SetInt(keys::kFontSize, c.fontSize);
        MeasureDefaultText(a);
        EXPECT_GE(a->GetFloat(keys::kBaseSizeCx, 0.0f), 32.0f) << c.fontSize;
        EXPECT_GE(a->GetFloat(keys::kBaseSizeCy, 0.0f), c.minCy) << c.fontSize;
    }
    MeasureDefaultText(nullptr);  // nothing happens
}

// Changed: the measurement used to show "Sources.TextSource.FontNotFound" itself, also when
// deactivation measured with the host's scene mutex held. Now it says so to its caller, which
// tells the user (configure) or the log (deactivation).
TEST_F(Callbacks, FontNotFoundWritesNothingAndSaysSo) {
    gdip::Calls noFont;
    noFont.GdipCreateFontFromLogfontW = [](HDC, const LOGFONTW*, Gdiplus::GpFont**) { return Gdiplus::FontFamilyNotFound; };
    EXPECT_FALSE(MeasureDefaultText(data, noFont));
    EXPECT_EQ(HostMessageBoxCount(), 0u);
    EXPECT_FALSE(data->HasItem(keys::kBaseSizeCx));
    EXPECT_FALSE(data->HasItem(keys::kBaseSizeCy));
    EXPECT_TRUE(MeasureDefaultText(data));
    EXPECT_TRUE(data->HasItem(keys::kBaseSizeCx));
}

}  // namespace

namespace {

// A host that refuses to take the source class.
struct RefusingApi : APIInterface {
    void EnterSceneMutex() override {}
    void LeaveSceneMutex() override {}
    void RegisterSceneClass(CTSTR, CTSTR, OBSCREATEPROC, OBSCONFIGPROC) override {}
    void RegisterImageSourceClass(CTSTR, CTSTR, OBSCREATEPROC, OBSCONFIGPROC) override {
        throw std::runtime_error("class table full");
    }
};

std::vector<std::wstring> LogLines() {
    std::vector<std::wstring> lines;
    for (unsigned i = 0; i < HostLogLineCount(); ++i) lines.push_back(HostGetLogLine(i));
    return lines;
}

using Failures = SourceTest;

TEST_F(Failures, AFrameThatFailsOnEveryFrameIsReportedOncePerSource) {
    HostSetLogEcho(false);
    std::unique_ptr<MorvathThanksImage> a(Create(data)), b(Create(data));
    const std::wstring warning = L"Warning -- MorvathThanksImage::RefreshFrame failed: std::bad_alloc";
    for (int round = 1; round <= 2; ++round) {
        // A font name longer than the last one needs a new block for the source's copy of it.
        if (round == 2) data->SetString(keys::kFont, L"Microsoft Sans Serif");
        ASSERT_TRUE(SettleRenders());
        HostFailAllocations(true);  // out of memory: no frame can be made
        for (int frame = 0; frame < 30; ++frame) {
            a->RefreshFrame();
            b->RefreshFrame();
        }
        HostFailAllocations(false);
        EXPECT_EQ(LogLines(), std::vector<std::wstring>(2 * round, warning)) << "round " << round;
        a->RefreshFrame();  // memory back: the frames succeed, and the next failure is said again
        b->RefreshFrame();
        EXPECT_EQ(HostLogLineCount(), 2u * round);
    }
}

TEST_F(Failures, EveryHostCallSaysWhatItCaught) {
    HostSetLogEcho(false);
    std::unique_ptr<MorvathThanksImage> source(Create(data));
    struct Case {
        const wchar_t* warning;
        std::function<void()> call;
    } cases[] = {
        {L"Warning -- MorvathThanksImage::DeactivateSource failed: std::bad_alloc", [&] { source->DeactivateSource(); }},
        {L"Warning -- ConfigureSongListSource failed: std::bad_alloc", [&] { EXPECT_FALSE(ConfigureSongListSource(element, false)); }},
    };
    for (const Case& c : cases) {
        HostClearLog();
        g_plugin.lastLaunchTime = 0;
        HostFailAllocations(true);
        c.call();
        c.call();
        HostFailAllocations(false);
        EXPECT_EQ(LogLines(), std::vector<std::wstring>{c.warning});
    }

    HostClearLog();
    APIInterface* host = API;
    RefusingApi refusing;
    API = &refusing;
    EXPECT_FALSE(LoadPlugin());
    EXPECT_FALSE(LoadPlugin());
    API = host;
    EXPECT_EQ(LogLines(), std::vector<std::wstring>{L"Warning -- LoadPlugin failed: class table full"});
    HostClearSourceClasses();
    EXPECT_TRUE(LoadPlugin());
    API = &refusing;
    EXPECT_FALSE(LoadPlugin());  // failing again after a success is said again
    API = host;
    EXPECT_EQ(LogLines().size(), 2u);
    HostClearSourceClasses();
}

}  // namespace
