#pragma once
// The arithmetic of turning a measured text box into a bitmap and of the colours handed to
// GDI+. Plain code, built and tested natively; every float step is single precision.
#include <cstdint>

namespace sizing {

inline constexpr float kRoundingEpsilon = 0.0001f;
inline constexpr int kSmallestSide = 32;
inline constexpr int kLargestSide = 8192;
// At most 4 Mi pixels (16 MiB), such as 2048 x 2048: what one bitmap, and the texture made from
// it, may hold. A song list is far smaller; a larger bitmap only comes from a look no one shows
// (a font thousands of pixels high), and its hand-off to the texture would hold up the frame.
inline constexpr long kLargestArea = 4L << 20;

// Truncates toward zero like a float-to-int conversion, but saturates instead of overflowing
// (NaN gives 0) so that absurd measurements cannot cause undefined behaviour.
int TruncateSaturated(float value) noexcept;

struct BitmapSize {
    int width = 0;
    int height = 0;
};

// The bitmap for a measured box: the height is the font size when that is larger than the box
// (and the box height is then raised to it), else the box height; both sides truncated after
// adding the epsilon, made even, and kept within 32 to 8192. A bitmap of more than kLargestArea
// pixels is cut at the bottom (to an even height) until it holds no more.
BitmapSize ForBox(float boxWidth, float& boxHeight, int fontSize) noexcept;

// The natural size of a source from the measured hint text: at least 32 each way, and at least
// the font size high; fractions are kept.
struct BaseSize {
    float cx = 0.0f;
    float cy = 0.0f;
};
BaseSize ForDefaultText(float boxWidth, float boxHeight, int fontSize) noexcept;

// The outline pen's width as drawn: at most the font size (and at least that bound is the
// smallest bitmap side), others as they are. A pen as wide as the font's em already covers every
// glyph and the space between them; a wider one only grows the bitmap and the time the stroke
// takes, without end (a width of 100000 from the companion made an 8192 x 8192 bitmap that took
// seconds to draw).
float OutlineWidth(float width, int fontSize) noexcept;

// alpha = opacity * 255 / 100 in unsigned 32-bit arithmetic, truncating.
std::uint32_t Alpha(int opacity) noexcept;
// (alpha << 24) | the low 24 bits of `color`.
std::uint32_t Argb(std::uint32_t alpha, std::uint32_t color) noexcept;
// The outline pen's alpha from the outline and text opacities, through the single-precision
// product of the two percentages.
std::uint32_t PenAlpha(int outlineOpacity, int textOpacity) noexcept;

}  // namespace sizing
