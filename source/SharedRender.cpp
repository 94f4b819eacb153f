#include "source/SharedRender.h"

#include <cstring>
#include <utility>

#include "source/SongListSource.h"

SharedRender g_sharedRender;

bool RenderInputs::Match(const MorvathThanksImage& s, const String& t) const noexcept {
    // The text, the longest, last.
    return fontSize == s.fontSize && bold == s.bold && italic == s.italic && underline == s.underline &&
           color == s.color && textOpacity == s.textOpacity && outline == s.outline &&
           std::memcmp(&outlineSize, &s.outlineSize, sizeof outlineSize) == 0 && outlineColor == s.outlineColor &&
           outlineOpacity == s.outlineOpacity && backgroundColor == s.backgroundColor &&
           backgroundOpacity == s.backgroundOpacity && font == s.font && text == t;
}

void RenderInputs::Take(const MorvathThanksImage& s, const String& t) {
    text = t;
    font = s.font;
    fontSize = s.fontSize;
    bold = s.bold;
    italic = s.italic;
    underline = s.underline;
    color = s.color;
    textOpacity = s.textOpacity;
    outline = s.outline;
    outlineSize = s.outlineSize;
    outlineColor = s.outlineColor;
    outlineOpacity = s.outlineOpacity;
    backgroundColor = s.backgroundColor;
    backgroundOpacity = s.backgroundOpacity;
}

void SharedRender::SourceDestroyed() noexcept {
    if (--sources <= 0) {
        sources = 0;
        Release();
    }
}

void SharedRender::Keep(const MorvathThanksImage& source, const String& text, unique_hbitmap& dib, void* bits,
                        int w, int h) noexcept {
    if (sources < 2 || !dib || !bits || w <= 0 || h <= 0) return;
    if (std::size_t(w) * std::size_t(h) * 4 > kLargestBytes) return;  // what is held still shows its own inputs
    held = false;
    try {
        inputs.Take(source, text);
    } catch (...) {
        Release();  // no storage for the text: nothing is held
        return;
    }
    bitmap = std::move(dib);  // the render held before is released
    pixels = bits;
    width = w;
    height = h;
    held = true;
}

void SharedRender::Release() noexcept {
    held = false;
    inputs = RenderInputs{};
    bitmap.reset();
    pixels = nullptr;
    width = height = 0;
}
