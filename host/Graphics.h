#pragma once
#include "host/Platform.h"

// Host colour-format and image-format codes, numbered as in the host library; both codes the
// plugin uses, GS_BGRA (6) and GS_IMAGEFORMAT_BGRA (9), mean 32-bit pixels stored blue, green,
// red, alpha (straight alpha).
enum GSColorFormat {
    GS_UNKNOWNFORMAT, GS_ALPHA, GS_GRAYSCALE, GS_RGB, GS_RGBA, GS_BGR, GS_BGRA,
    GS_RGBA16F, GS_RGBA32F, GS_B5G5R5A1, GS_B5G6R5, GS_R10G10B10A2, GS_DXT1, GS_DXT3, GS_DXT5
};
enum GSImageFormat {
    GS_IMAGEFORMAT_A8, GS_IMAGEFORMAT_L8, GS_IMAGEFORMAT_RGB, GS_IMAGEFORMAT_RGBX, GS_IMAGEFORMAT_RGBA,
    GS_IMAGEFORMAT_RGBA16F, GS_IMAGEFORMAT_RGBA32F, GS_IMAGEFORMAT_BGR, GS_IMAGEFORMAT_BGRX, GS_IMAGEFORMAT_BGRA
};

class HOSTAPI BaseTexture {
public:
    virtual ~BaseTexture() {}
};

// A texture of the host's graphics system. The virtual functions are the host library's, in its
// order, as far as the plugin uses them; the host implements them.
class HOSTAPI Texture : public BaseTexture {
public:
    virtual DWORD Width() const = 0;
    virtual DWORD Height() const = 0;
    virtual BOOL HasAlpha() const = 0;
    // Replaces the pixels; the texture takes its own copy during the call. `pitch` is the byte
    // distance between rows of `data`.
    virtual void SetImage(void* data, GSImageFormat imageFormat, UINT pitch) = 0;
};

// The host's graphics system, with the host library's leading virtual functions in its order up
// to CreateTexture; DrawSprite is its non-virtual member, as there.
class HOSTAPI GraphicsSystem {
    virtual void ResizeView() = 0;
    virtual void UnloadAllData() = 0;

public:
    GraphicsSystem();
    virtual ~GraphicsSystem() {}

    virtual LPVOID GetDevice() = 0;
    virtual void Init();

    virtual Texture* CreateTextureFromSharedHandle(unsigned int width, unsigned int height, HANDLE handle) = 0;
    // A texture holding a copy of `data` (rows of width * 4 bytes), or null when it cannot be
    // made: a zero or oversized dimension, an unknown format, or no memory.
    virtual Texture* CreateTexture(unsigned int width, unsigned int height, GSColorFormat colorFormat, void* data,
                                   BOOL buildMipMaps, BOOL isStatic) = 0;

    // Draws the texture, scaled to the rectangle (x, y)-(x2, y2), with alpha blending; `color`
    // (0xAARRGGBB) multiplies every pixel. A corner left at -998 takes the texture's own size.
    void DrawSprite(Texture* texture, DWORD color, float x, float y, float x2 = -998.0f, float y2 = -998.0f);
};

extern HOSTAPI GraphicsSystem* GS;
