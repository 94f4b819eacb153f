#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "tests/source/SourceFixture.h"

namespace {

using RenderCache = SourceTest;

// Random frames through two sources: one renders only on change, the other on every frame.
// After every frame their textures must agree, byte for byte.
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
    struct Key { const wchar_t* key; int low, high; } lookKeys[] = {
        {keys::kFontSize, 8, 60},       {keys::kBold, 0, 2},          {keys::kItalic, 0, 1},
        {keys::kUnderline, 0, 1},       {keys::kTextOpacity, 0, 100}, {keys::kOutline, 0, 2},
        {keys::kOutlineOpacity, 0, 100}, {keys::kBackgroundOpacity, 0, 100}, {keys::kRandomColor, 0, 1},
    };
    const wchar_t* colourKeys[] = {keys::kColor, keys::kOutlineColor, keys::kBackgroundColor, keys::kRandomForeColor};
    const wchar_t* faces[] = {L"宋体", L"Arial", L""};

    XElement* plainData = config.GetRootElement()->CreateElement(L"plain")->CreateElement(keys::kData);
    std::unique_ptr<MorvathThanksImage> cached(Create(data));
    std::unique_ptr<MorvathThanksImage> plain(Create(plainData));
    plain->renderEveryFrame = true;

    const unsigned seed = 20261208;
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto both = [&](auto set) {
        set(data);
        set(plainData);
    };
    int nullTextures = 0;
    for (int frame = 0; frame < 240; ++frame) {
        bool failTexture = false;
        switch (pick(0, 9)) {
        case 0:
        case 1:
            block.Write(texts[pick(0, 6)]);
            break;
        case 2: {
            const Key& k = lookKeys[pick(0, 8)];
            const int value = pick(k.low, k.high);
            both([&](XElement* e) { e->SetInt(k.key, value); });
            break;
        }
        case 3: {
            const wchar_t* key = colourKeys[pick(0, 3)];
            const int value = static_cast<int>(random());
            both([&](XElement* e) { e->SetInt(key, value); });
            break;
        }
        case 4: {
            const wchar_t* face = faces[pick(0, 2)];
            const float width = static_cast<float>(pick(0, 12)) * 0.5f;
            both([&](XElement* e) {
                e->SetString(keys::kFont, face);
                e->SetFloat(keys::kOutlineSize, width);
            });
            break;
        }
        case 5:
            block.Write(texts[pick(0, 6)]);
            failTexture = true;  // and the host has no texture to give this frame
            break;
        default:
            break;  // nothing changes
        }
        if (failTexture) HostFailTextureCreation(1);
        cached->RefreshFrame();
        if (failTexture) HostFailTextureCreation(1);
        plain->RefreshFrame();
        HostFailTextureCreation(0);
        nullTextures += cached->texture ? 0 : 1;

        ASSERT_EQ(cached->textureSize.cx, plain->textureSize.cx) << "frame " << frame << ", seed " << seed;
        ASSERT_EQ(cached->textureSize.cy, plain->textureSize.cy) << "frame " << frame;
        ASSERT_EQ(cached->texture == nullptr, plain->texture == nullptr) << "frame " << frame;
        if (cached->texture) {
            ASSERT_EQ(0, std::memcmp(HostTexturePixels(cached->texture), HostTexturePixels(plain->texture),
                                     std::size_t(cached->textureSize.cx) * cached->textureSize.cy * 4))
                << "frame " << frame;
        }
    }
    EXPECT_GT(nullTextures, 0) << "the sequence reached a frame without a texture";
}

}  // namespace
