#include "source/SharedRender.h"

#include <cstring>

#include "source/SongListSource.h"

SharedRender g_sharedRender;

bool RenderInputs::Match(const MorvathThanksImage& s, const String& t) const noexcept {
    return text == t && font == s.font && fontSize == s.fontSize && bold == s.bold && italic == s.italic &&
           underline == s.underline && color == s.color && textOpacity == s.textOpacity && outline == s.outline &&
           std::memcmp(&outlineSize, &s.outlineSize, sizeof outlineSize) == 0 && outlineColor == s.outlineColor &&
           outlineOpacity == s.outlineOpacity && backgroundColor == s.backgroundColor &&
           backgroundOpacity == s.backgroundOpacity;
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

void SharedRender::Keep(const MorvathThanksImage& source, const String& text, const void* pixels, int w, int h) noexcept {
    if (sources < 2 || w <= 0 || h <= 0) return;
    const std::size_t bytes = std::size_t(w) * std::size_t(h) * 4;
    if (bytes > kLargestBytes) return;  // what is held still shows its own inputs
    held = false;
    if (bytes > capacity) {
        block.reset();
        capacity = 0;
        block.emplace(bytes);
        if (!*block) {
            block.reset();
            return;
        }
        capacity = bytes;
    }
    try {
        inputs.Take(source, text);
    } catch (...) {
        return;  // no storage for the text: nothing is held
    }
    std::memcpy(block->get(), pixels, bytes);
    width = w;
    height = h;
    held = true;
}

void SharedRender::Release() noexcept {
    held = false;
    inputs = RenderInputs{};
    block.reset();
    capacity = 0;
    width = height = 0;
}
