#include "source/Sizing.h"

namespace sizing {

int TruncateSaturated(float value) noexcept {
    if (!(value == value)) return 0;
    if (value >= 2147483648.0f) return 2147483647;
    if (value <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(value);
}

namespace {
int EvenWithinLimits(int side) noexcept {
    // Odd sides grow by one; a side already past the largest is brought down before that step
    // can overflow.
    if (side > kLargestSide) side = kLargestSide;
    if (side % 2 != 0) ++side;
    if (side < kSmallestSide) side = kSmallestSide;
    if (side > kLargestSide) side = kLargestSide;
    return side;
}
}  // namespace

BitmapSize ForBox(float boxWidth, float& boxHeight, int fontSize) noexcept {
    BitmapSize size;
    const float fontHeight = static_cast<float>(fontSize);
    if (fontHeight > boxHeight) {
        boxHeight = fontHeight;
        size.height = fontSize;
    } else {
        size.height = TruncateSaturated(boxHeight + kRoundingEpsilon);
    }
    size.width = TruncateSaturated(boxWidth + kRoundingEpsilon);
    size.width = EvenWithinLimits(size.width);
    size.height = EvenWithinLimits(size.height);
    if (static_cast<long>(size.width) * size.height > kLargestArea)
        size.height = static_cast<int>(kLargestArea / size.width) & ~1;  // width <= 8192: at least 512
    return size;
}

BaseSize ForDefaultText(float boxWidth, float boxHeight, int fontSize) noexcept {
    BaseSize base;
    base.cy = boxHeight;
    if (static_cast<float>(fontSize) > base.cy) base.cy = static_cast<float>(fontSize);
    base.cx = boxWidth > static_cast<float>(kSmallestSide) ? boxWidth : static_cast<float>(kSmallestSide);
    base.cy = base.cy > static_cast<float>(kSmallestSide) ? base.cy : static_cast<float>(kSmallestSide);
    return base;
}

float OutlineWidth(float width, int fontSize) noexcept {
    const float widest = static_cast<float>(fontSize > kSmallestSide ? fontSize : kSmallestSide);
    return width > widest ? widest : width;
}

std::uint32_t Alpha(int opacity) noexcept { return static_cast<std::uint32_t>(opacity) * 255u / 100u; }

std::uint32_t Argb(std::uint32_t alpha, std::uint32_t color) noexcept { return (alpha << 24) | (color & 0xFFFFFFu); }

std::uint32_t PenAlpha(int outlineOpacity, int textOpacity) noexcept {
    // Kept in named single-precision steps: the rounding of each step shows in the result
    // (99 and 100 give 249, not 252).
    const float outlinePart = static_cast<float>(outlineOpacity) * 0.01f;
    const float textPart = static_cast<float>(textOpacity) * 0.01f;
    const float product = outlinePart * textPart;
    const float percent = product * 100.0f;
    return Alpha(TruncateSaturated(percent));
}

}  // namespace sizing
