#pragma once
#include <cstddef>
#include <cstdint>

#include "host/HostApi.h"
#include "plugin/Handles.h"

class MorvathThanksImage;

// What a render is made from: the text and every look field the rasteriser reads. Renders of
// equal inputs give the same pixels.
struct RenderInputs {
    String text;
    String font;
    int fontSize = 0;
    bool bold = false, italic = false, underline = false;
    std::uint32_t color = 0;
    int textOpacity = 0;
    bool outline = false;
    float outlineSize = 0.0f;  // compared bit for bit
    std::uint32_t outlineColor = 0;
    int outlineOpacity = 0;
    std::uint32_t backgroundColor = 0;
    int backgroundOpacity = 0;

    // Whether the source's look with `text` is what these inputs hold.
    bool Match(const MorvathThanksImage& source, const String& text) const noexcept;
    // Takes the source's look and `text`.
    void Take(const MorvathThanksImage& source, const String& text);
};

// The last complete render of the process that fits in kLargestBytes, by its inputs and its
// pixels. Every source shows the same text and normally the same look, so a source whose inputs
// equal these takes the pixels into its own texture instead of rendering them again. The pixels
// are the render's own DIB section, kept instead of released, so keeping copies nothing. Nothing
// is kept while fewer than two sources exist, and the last source to go releases what is held.
// Like the process-wide state, it is used on the host's threads without a lock.
class SharedRender {
public:
    // A larger render is not kept (its sources render each on its own): at most this much
    // memory, 4 million pixels such as 2048 x 2048, is held besides the textures.
    static constexpr std::size_t kLargestBytes = std::size_t(16) << 20;

    void SourceCreated() noexcept { ++sources; }
    void SourceDestroyed() noexcept;

    bool Holds(const MorvathThanksImage& source, const String& text) const noexcept {
        return held && inputs.Match(source, text);
    }
    // The pixels held, rows of Width() * 4 bytes; only while Holds.
    void* Pixels() const noexcept { return pixels; }
    int Width() const noexcept { return width; }
    int Height() const noexcept { return height; }

    // Keeps a complete render of the source's look and `text` in place of what is held, taking
    // its DIB section (`bits` is its memory, w x h pixels), unless the render is too large or
    // fewer than two sources could use it; `dib` is then left to its owner.
    void Keep(const MorvathThanksImage& source, const String& text, unique_hbitmap& dib, void* bits, int w,
              int h) noexcept;

private:
    void Release() noexcept;

    long sources = 0;
    bool held = false;
    RenderInputs inputs;
    unique_hbitmap bitmap;
    void* pixels = nullptr;  // the host's texture calls take it as non-constant; they only copy it
    int width = 0;
    int height = 0;
};

extern SharedRender g_sharedRender;
