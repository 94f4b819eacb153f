#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "source/Gdip.h"
#include "tests/source/SourceFixture.h"

namespace {

// Call number `failAt` of a frame's render (counting every call of the table) fails the way the
// system's call fails, with an error status or no object; every other call goes to the system.
struct Fault {
    static inline int calls = 0;
    static inline int failAt = -1;
    static inline bool fired = false;
    static inline int renders = 0;  // bitmaps made: one a render
    static void Arm(int at) {
        calls = 0;
        failAt = at;
        fired = false;
    }
};

template <auto Member>
struct Faulty;
template <typename R, typename... A, R (WINAPI* gdip::Calls::*Member)(A...)>
struct Faulty<Member> {
    static R WINAPI Call(A... args) {
        if constexpr (std::is_same_v<decltype(Member), decltype(&gdip::Calls::GdipCreateBitmapFromScan0)>)
            ++Fault::renders;  // the one call with this type
        if (Fault::calls++ != Fault::failAt) return (gdip::kSystemCalls.*Member)(args...);
        Fault::fired = true;
        if constexpr (std::is_same_v<R, Gdiplus::GpStatus>) return Gdiplus::OutOfMemory;
        else return R{};
    }
};

const gdip::Calls kFaulty = [] {
    gdip::Calls calls;
#define SONGLIST_FAULTY(scope, fn) calls.fn = &Faulty<&gdip::Calls::fn>::Call;
    SONGLIST_RENDER_CALLS(SONGLIST_FAULTY)
#undef SONGLIST_FAULTY
    return calls;
}();

// What a texture shows now, to tell whether a frame handed pixels over.
struct Handed {
    const Texture* texture;
    long uploads;
    bool operator==(const Handed& o) const { return texture == o.texture && uploads == o.uploads; }
};
Handed State(const MorvathThanksImage& s) { return {s.texture, HostTextureUploads(s.texture)}; }

// A source whose renders are made on the render thread and its twin with the every-frame
// renderer, over elements that always hold the same look.
struct Twins {
    std::unique_ptr<MorvathThanksImage> cached, plain;
    // The cached source shows a render that failed: the plain one renders again every frame and
    // would show what it makes, while the cached one waits for its inputs to change.
    bool showsAFailure = false;

    // One frame of both, and the frame of the cached source that takes its render: call `failAt`
    // of the cached source's render failing, if it renders, and the same call of the plain one's
    // when the cached render got that far; the host has no texture to give to either. Whether
    // the failure happened.
    bool Frame(int failAt, bool failTexture) {
        Fault::Arm(failAt);
        const Handed before = State(*cached);
        if (failTexture) HostFailTextureCreation(1);
        cached->RefreshFrame();  // takes a kept render at once
        EXPECT_TRUE(SettleRenders());
        const bool rendered = Fault::calls > 0, fired = Fault::fired;
        if (failTexture) HostFailTextureCreation(1);
        cached->RefreshFrame();  // takes the render made for it
        if (rendered) showsAFailure = fired;
        else if (!(State(*cached) == before)) showsAFailure = false;
        Fault::Arm(fired ? failAt : -1);
        if (failTexture) HostFailTextureCreation(1);
        plain->RefreshFrame();
        HostFailTextureCreation(0);
        EXPECT_EQ(Fault::fired, fired) << "the twins' renders made the same calls";
        return fired;
    }

    testing::AssertionResult Agree() const {
        if (cached->textureSize.cx != plain->textureSize.cx || cached->textureSize.cy != plain->textureSize.cy)
            return testing::AssertionFailure() << "sizes differ";
        if ((cached->texture == nullptr) != (plain->texture == nullptr))
            return testing::AssertionFailure() << "only one has a texture";
        if (cached->texture && std::memcmp(HostTexturePixels(cached->texture), HostTexturePixels(plain->texture),
                                           std::size_t(cached->textureSize.cx) * cached->textureSize.cy * 4) != 0)
            return testing::AssertionFailure() << "pixels differ";
        return testing::AssertionSuccess();
    }
};

class RenderCache : public SourceTest {
protected:
    Twins MakeTwins() {
        auto element = [&] { return config.GetRootElement()->CreateElement(L"source")->CreateElement(keys::kData); };
        Twins t{std::unique_ptr<MorvathThanksImage>(Create(element())),
                std::unique_ptr<MorvathThanksImage>(Create(element()))};
        t.plain->renderEveryFrame = true;
        t.cached->calls = t.plain->calls = &kFaulty;
        return t;
    }
};

// Random frames through three pairs of twins whose looks are now equal, now different, with
// failing render steps and failing texture creation. Once its render has come, each source must
// hold what its every-frame twin holds, byte for byte, whether the render thread made it for
// this source, for another source of that look, or kept it from before; a source that shows a
// failed render keeps it until its inputs change.
TEST_F(RenderCache, AgreesWithTheEveryFrameRenderer) {
    const std::wstring texts[] = {
        L"",
        L"#1#\r\nYesterday",
        L"#2#\r\n晴天 - 周杰伦\r\nYesterday",
        L"#2#\r\nYesterday\r\n晴天 - 周杰伦",
        L"#3#\r\n1. 后来 - 刘若英\r\n2. Shape of You - Ed Sheeran\r\n3. 稻香 - 周杰伦 (点歌: 小明)",
        L"#1#\r\n a line with spaces at both ends   ",
        L"#0#",
    };
    struct Key { const wchar_t* key; int low, high, start; } lookKeys[] = {
        {keys::kFontSize, 8, 60, 42},         {keys::kBold, 0, 2, 0},         {keys::kItalic, 0, 1, 0},
        {keys::kUnderline, 0, 1, 0},          {keys::kTextOpacity, 0, 100, 100}, {keys::kOutline, 0, 2, 0},
        {keys::kOutlineOpacity, 0, 100, 100}, {keys::kBackgroundOpacity, 0, 100, 0}, {keys::kRandomColor, 0, 1, 0},
    };
    const wchar_t* colourKeys[] = {keys::kColor, keys::kOutlineColor, keys::kBackgroundColor, keys::kRandomForeColor};
    const wchar_t* faces[] = {L"宋体", L"Arial", L""};
    constexpr int kInts = 9, kColours = 4, kCalls = 34;  // more calls than a render makes
    struct Look {
        std::array<int, kInts> ints;
        std::array<int, kColours> colours{-28672, -16777216, -16777216, -1};
        const wchar_t* face = L"宋体";
        float outlineWidth = 2.0f;
    };
    Look start;
    for (int k = 0; k < kInts; ++k) start.ints[k] = lookKeys[k].start;
    auto apply = [&](const Look& look, XElement* e) {
        for (int k = 0; k < kInts; ++k) e->SetInt(lookKeys[k].key, look.ints[k]);
        for (int k = 0; k < kColours; ++k) e->SetInt(colourKeys[k], look.colours[k]);
        e->SetString(keys::kFont, look.face);
        e->SetFloat(keys::kOutlineSize, look.outlineWidth);
    };

    std::vector<Twins> twins;
    for (int i = 0; i < 3; ++i) twins.push_back(MakeTwins());
    std::vector<Look> looks(twins.size(), start);

    const unsigned seed = 20261208;
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    int nullTextures = 0, failures = 0, lookChanges = 0;
    for (int frame = 0; frame < 240; ++frame) {
        bool failTexture = false;
        // A look change goes to every pair (their looks stay as equal as they were) or to one.
        const int only = pick(0, 1) ? -1 : pick(0, 2);
        auto change = [&](auto set) {
            for (std::size_t i = 0; i < looks.size(); ++i)
                if (only < 0 || only == int(i)) set(looks[i]);
            ++lookChanges;
        };
        switch (pick(0, 10)) {
        case 0:
        case 1:
            block.Write(texts[pick(0, 6)]);
            break;
        case 2: {
            const int k = pick(0, kInts - 1);
            const int value = pick(lookKeys[k].low, lookKeys[k].high);
            change([&](Look& l) { l.ints[k] = value; });
            break;
        }
        case 3: {
            const int k = pick(0, kColours - 1);
            const int value = static_cast<int>(random());
            change([&](Look& l) { l.colours[k] = value; });
            break;
        }
        case 4: {
            const wchar_t* face = faces[pick(0, 2)];
            const float width = static_cast<float>(pick(0, 12)) * 0.5f;
            change([&](Look& l) {
                l.face = face;
                l.outlineWidth = width;
            });
            break;
        }
        case 5:
            block.Write(texts[pick(0, 6)]);
            failTexture = true;  // and the host has no texture to give this frame
            break;
        case 6:
            looks[pick(1, 2)] = looks[0];  // two pairs show the same again
            break;
        default:
            break;  // nothing changes
        }
        for (std::size_t i = 0; i < twins.size(); ++i) {
            apply(looks[i], twins[i].cached->settings);
            apply(looks[i], twins[i].plain->settings);
            failures += twins[i].Frame(pick(0, 3) ? -1 : pick(0, kCalls - 1), failTexture) ? 1 : 0;
            ASSERT_TRUE(twins[i].Agree()) << "frame " << frame << ", pair " << i << ", seed " << seed;
            // A source showing a failed render keeps it while the plain one renders anew every
            // frame: the pair's next frame brings another look.
            if (twins[i].showsAFailure) looks[i].colours[0] ^= 1;
            nullTextures += twins[i].cached->texture ? 0 : 1;
        }
    }
    EXPECT_GT(nullTextures, 0) << "the sequence reached a frame without a texture";
    EXPECT_GT(failures, 20) << "the sequence reached failing steps";
    EXPECT_GT(lookChanges, 40);
}

// Each step of a render failing in turn, in looks that take each branch: the frame that takes
// the failed render shows what the every-frame renderer shows, and the frames after it render
// nothing again until the inputs change (its texture is spoilt in between, to show that nothing
// is handed over). A second pair of the same look, refreshed after the failure, must not be
// given the failed render.
TEST_F(RenderCache, AFailedStepIsKeptUntilTheInputsChange) {
    Twins failing = MakeTwins(), other = MakeTwins();
    struct Case { const wchar_t* face; int outline; int steps; } cases[] = {
        {L"宋体", 0, 23},  // a named font, plain text
        {L"宋体", 1, 31},  // the outline's path
        {L"", 0, 22},      // no name: Arial at once
    };
    // Two texts, so that one of them takes the branch where only the text's box gets the
    // background: a line narrower than the smallest bitmap does in any face.
    const std::wstring texts[] = {L"#1#\r\ni", L"#2#\r\nYesterday\r\n稻香"};
    for (const auto& c : cases) {
        for (auto* s : {failing.cached.get(), failing.plain.get(), other.cached.get(), other.plain.get()}) {
            s->settings->SetString(keys::kFont, c.face);
            s->settings->SetInt(keys::kOutline, c.outline);
            s->settings->SetInt(keys::kBackgroundOpacity, 60);
        }
        int most = 0;
        for (const std::wstring& text : texts) {
            int step = 0;
            for (;; ++step) {
                const std::string where = std::to_string(c.outline) + (c.face[0] ? " named" : " Arial") + ", " +
                                          std::to_string(text.size()) + " units, step " + std::to_string(step);
                // A colour of this step's own, so no render kept from an earlier step serves it.
                for (auto* s : {failing.cached.get(), failing.plain.get(), other.cached.get(), other.plain.get()})
                    s->settings->SetInt(keys::kColor, static_cast<int>(0xFF000000u) + step * 7 + c.outline * 1000);
                block.Write(L"#0#");
                failing.Frame(-1, false);
                other.Frame(-1, false);
                block.Write(text);
                if (!failing.Frame(step, false)) break;  // past the render's last call
                failing.showsAFailure = false;  // the frame that took it agrees with the plain renderer
                ASSERT_TRUE(failing.Agree()) << where;
                other.Frame(-1, false);
                ASSERT_TRUE(other.Agree()) << where << ": the failed render was given to another source";

                MorvathThanksImage& s = *failing.cached;
                if (!s.texture) continue;  // the failure left no texture: nothing to spoil
                std::vector<unsigned char> spoilt(std::size_t(s.textureSize.cx) * s.textureSize.cy * 4, 0xA5);
                s.texture->SetImage(spoilt.data(), GS_IMAGEFORMAT_BGRA, static_cast<UINT>(s.textureSize.cx) * 4);
                const Handed spoiltState = State(s);
                Fault::Arm(-1);
                for (int frame = 0; frame < 3; ++frame) Show(s);
                EXPECT_EQ(Fault::calls, 0) << where << ": the failed render was made again";
                EXPECT_TRUE(State(s) == spoiltState) << where << ": a steady frame handed pixels over";
            }
            most = std::max(most, step);
        }
        EXPECT_GE(most, c.steps) << c.outline << c.face[0] << ": the calls of a render with the background's fill";
    }
}

// One render serves every source that wants its inputs; renders of other looks are made in turn.
TEST_F(RenderCache, SourcesOfOneLookShareOneRender) {
    std::vector<Twins> twins;
    for (int i = 0; i < 3; ++i) twins.push_back(MakeTwins());
    struct Case { int colours[3]; int renders; } cases[] = {
        {{1, 1, 1}, 1},
        {{1, 1, 2}, 2},
        {{1, 2, 1}, 2},
        {{1, 2, 3}, 3},
    };
    int n = 0;
    for (const auto& c : cases) {
        block.Write(L"#1#\r\n晴天 - 周杰伦 " + std::to_wstring(++n));
        for (int i = 0; i < 3; ++i) twins[i].cached->settings->SetInt(keys::kColor, c.colours[i]);
        Fault::Arm(-1);
        Fault::renders = 0;
        for (auto& t : twins) t.cached->RefreshFrame();  // one video frame
        ASSERT_TRUE(SettleRenders());
        EXPECT_EQ(Fault::renders, c.renders) << n;
        for (auto& t : twins) t.cached->RefreshFrame();  // the hand-off
        for (auto& t : twins) EXPECT_NE(t.cached->texture, nullptr) << n;
        for (auto& t : twins) Show(*t.cached);
        ASSERT_TRUE(SettleRenders());
        EXPECT_EQ(Fault::renders, c.renders) << n << ": a steady frame renders nothing";
    }
}

}  // namespace
