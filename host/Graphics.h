#pragma once
#include "host/Platform.h"

// Host colour-format and image-format codes; both codes used here mean 32-bit pixels stored
// blue, green, red, alpha (straight alpha).
enum GSColorFormat { GS_BGRA = 6 };
enum GSImageFormat { GS_IMAGEFORMAT_BGRA = 9 };

class HOSTAPI Texture {
public:
    virtual ~Texture();
    // Replaces the pixels; the texture takes its own copy during the call. `pitch` is the byte
    // distance between rows of `data`. Formats other than GS_IMAGEFORMAT_BGRA are ignored.
    virtual void SetImage(const void* data, GSImageFormat format, UINT pitch);

    unsigned Width() const noexcept { return width; }
    unsigned Height() const noexcept { return height; }

private:
    friend class GraphicsSystem;
    friend struct TextureAccess;
    Texture(unsigned w, unsigned h);

    unsigned width;
    unsigned height;
    unsigned char* pixels;  // BGRA rows, top to bottom, width * 4 bytes each
    long uploads = 0;
};

class HOSTAPI GraphicsSystem {
public:
    virtual ~GraphicsSystem();
    // A texture holding a copy of `data` (rows of width * 4 bytes), or null when it cannot be
    // made: a zero or oversized dimension, an unknown format, or no memory.
    virtual Texture* CreateTexture(unsigned width, unsigned height, GSColorFormat colorFormat, const void* data,
                                   BOOL buildMipMaps, BOOL isStatic);
    // Composites the texture, scaled to the rectangle (x, y)-(x2, y2), onto the frame canvas
    // with alpha blending; `color` (0xAARRGGBB) multiplies every pixel.
    virtual void DrawSprite(Texture* texture, DWORD color, float x, float y, float x2, float y2);
};

extern HOSTAPI GraphicsSystem* GS;
