#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/HostSide.h"

namespace {

std::atomic<long> g_liveTextures{0};
std::atomic<int> g_failTextures{0};

struct Canvas {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> pixels;
};
Canvas g_canvas;

// Set by the host's video thread; a texture deleted on another thread clears it.
std::atomic<const Texture*> g_lastSprite{nullptr};
float g_lastSpriteRect[4] = {};

constexpr unsigned kLargestSide = 16384;

// This host's textures: BGRA rows in memory, top to bottom, width * 4 bytes each.
class HostTexture final : public Texture {
public:
    HostTexture(unsigned w, unsigned h)
        : width(w), height(h), pixels(static_cast<unsigned char*>(std::malloc(std::size_t(w) * h * 4))) {
        ++g_liveTextures;
    }
    ~HostTexture() override {
        const Texture* self = this;
        g_lastSprite.compare_exchange_strong(self, nullptr);
        std::free(pixels);
        --g_liveTextures;
    }

    DWORD Width() const override { return width; }
    DWORD Height() const override { return height; }
    BOOL HasAlpha() const override { return TRUE; }
    void SetImage(void* data, GSImageFormat format, UINT pitch) override {
        if (!data || format != GS_IMAGEFORMAT_BGRA || pitch < width * 4) return;
        const auto* source = static_cast<const unsigned char*>(data);
        for (unsigned row = 0; row < height; ++row)
            std::memcpy(pixels + std::size_t(row) * width * 4, source + std::size_t(row) * pitch, std::size_t(width) * 4);
        ++uploads;
    }

    const unsigned width;
    const unsigned height;
    unsigned char* const pixels;
    long uploads = 0;
};

const HostTexture* AsHost(const Texture* texture) { return static_cast<const HostTexture*>(texture); }

// This host's graphics system: textures in memory, sprites composited onto the frame canvas.
class HostGraphicsSystem final : public GraphicsSystem {
    void ResizeView() override {}
    void UnloadAllData() override {}

public:
    LPVOID GetDevice() override { return nullptr; }  // there is no device behind this host

    Texture* CreateTextureFromSharedHandle(unsigned, unsigned, HANDLE) override {
        AppWarning(L"GraphicsSystem::CreateTextureFromSharedHandle: not available in this host");
        return nullptr;
    }

    Texture* CreateTexture(unsigned width, unsigned height, GSColorFormat colorFormat, void* data, BOOL /*buildMipMaps*/,
                           BOOL /*isStatic*/) override {
        int fail = g_failTextures.load();
        if (fail != 0) {
            if (fail > 0) --g_failTextures;
            return nullptr;
        }
        if (colorFormat != GS_BGRA || width == 0 || height == 0 || width > kLargestSide || height > kLargestSide)
            return nullptr;
        auto* texture = new HostTexture(width, height);
        if (!texture->pixels) {
            delete texture;
            return nullptr;
        }
        if (data) std::memcpy(texture->pixels, data, std::size_t(width) * height * 4);
        else std::memset(texture->pixels, 0, std::size_t(width) * height * 4);
        return texture;
    }
};

HostGraphicsSystem g_graphicsSystem;

}  // namespace

GraphicsSystem* GS = &g_graphicsSystem;

GraphicsSystem::GraphicsSystem() = default;

void GraphicsSystem::Init() {}

void GraphicsSystem::DrawSprite(Texture* texture, DWORD color, float x, float y, float x2, float y2) {
    if (!texture) return;
    if (x2 == -998.0f) x2 = x + static_cast<float>(texture->Width());
    if (y2 == -998.0f) y2 = y + static_cast<float>(texture->Height());
    g_lastSprite = texture;
    g_lastSpriteRect[0] = x;
    g_lastSpriteRect[1] = y;
    g_lastSpriteRect[2] = x2;
    g_lastSpriteRect[3] = y2;
    if (g_canvas.pixels.empty()) return;
    if (!(x2 > x) || !(y2 > y)) return;  // also refuses NaN
    const HostTexture* host = AsHost(texture);
    const float scaleX = static_cast<float>(host->width) / (x2 - x);
    const float scaleY = static_cast<float>(host->height) / (y2 - y);
    const long left = std::lround(std::max(0.0f, std::floor(x)));
    const long top = std::lround(std::max(0.0f, std::floor(y)));
    const long right = std::lround(std::min(static_cast<float>(g_canvas.width), std::ceil(x2)));
    const long bottom = std::lround(std::min(static_cast<float>(g_canvas.height), std::ceil(y2)));
    const unsigned mulA = (color >> 24) & 0xFF, mulR = (color >> 16) & 0xFF, mulG = (color >> 8) & 0xFF,
                   mulB = color & 0xFF;
    const unsigned char* source = host->pixels;
    for (long py = top; py < bottom; ++py) {
        // Sample the texel under the centre of each canvas pixel.
        const float v = (static_cast<float>(py) + 0.5f - y) * scaleY;
        if (v < 0.0f || v >= static_cast<float>(host->height)) continue;
        const unsigned ty = static_cast<unsigned>(v);
        for (long px = left; px < right; ++px) {
            const float u = (static_cast<float>(px) + 0.5f - x) * scaleX;
            if (u < 0.0f || u >= static_cast<float>(host->width)) continue;
            const unsigned tx = static_cast<unsigned>(u);
            const unsigned char* s = source + (std::size_t(ty) * host->width + tx) * 4;
            unsigned char* d = g_canvas.pixels.data() + (std::size_t(py) * g_canvas.width + std::size_t(px)) * 4;
            const unsigned a = s[3] * mulA / 255;
            const unsigned b = s[0] * mulB / 255, g = s[1] * mulG / 255, r = s[2] * mulR / 255;
            d[0] = static_cast<unsigned char>((b * a + d[0] * (255 - a) + 127) / 255);
            d[1] = static_cast<unsigned char>((g * a + d[1] * (255 - a) + 127) / 255);
            d[2] = static_cast<unsigned char>((r * a + d[2] * (255 - a) + 127) / 255);
            d[3] = 255;
        }
    }
}

void HostCanvasReset(unsigned width, unsigned height, std::uint32_t argb) {
    g_canvas.width = width;
    g_canvas.height = height;
    g_canvas.pixels.assign(std::size_t(width) * height * 4, 0);
    for (std::size_t i = 0; i < g_canvas.pixels.size(); i += 4) {
        g_canvas.pixels[i] = static_cast<unsigned char>(argb);
        g_canvas.pixels[i + 1] = static_cast<unsigned char>(argb >> 8);
        g_canvas.pixels[i + 2] = static_cast<unsigned char>(argb >> 16);
        g_canvas.pixels[i + 3] = 255;
    }
}

unsigned HostCanvasWidth() { return g_canvas.width; }
unsigned HostCanvasHeight() { return g_canvas.height; }
const unsigned char* HostCanvasPixels() { return g_canvas.pixels.empty() ? nullptr : g_canvas.pixels.data(); }

const unsigned char* HostTexturePixels(const Texture* texture) { return texture ? AsHost(texture)->pixels : nullptr; }
long HostTextureUploads(const Texture* texture) { return texture ? AsHost(texture)->uploads : 0; }
long HostLiveTextures() { return g_liveTextures.load(); }
void HostFailTextureCreation(int count) { g_failTextures = count; }

const Texture* HostLastSpriteTexture() { return g_lastSprite.load(); }
void HostResetLastSpriteTexture() { g_lastSprite = nullptr; }
void HostLastSpriteRect(float rect[4]) {
    for (int i = 0; i < 4; ++i) rect[i] = g_lastSpriteRect[i];
}
