#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "source/Sizing.h"

namespace {

TEST(Sizing, BitmapForMeasuredBoxes) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        float boxWidth, boxHeight;
        int fontSize;
        int width, height;
        float boxHeightAfter;
    } cases[] = {
        {"no text, font 43", 32.0f, 32.0f, 43, 32, 44, 43.0f},
        {"no text, font 20", 32.0f, 32.0f, 20, 32, 32, 32.0f},
        {"truncation decides", 100.5f, 41.3f, 20, 100, 42, 41.3f},
        {"odd width grows", 101.3f, 41.3f, 20, 102, 42, 41.3f},
        {"height below the font size", 200.0f, 30.0f, 50, 200, 50, 50.0f},
        {"epsilon reaches the next integer", 99.99995f, 40.0f, 10, 100, 40, 40.0f},
        {"wider than 8192", 9000.7f, 60.0f, 42, 8192, 60, 60.0f},
        {"taller than 8192", 64.0f, 10000.0f, 42, 64, 8192, 10000.0f},
        {"tiny box", 0.0f, 0.0f, 0, 32, 32, 0.0f},
        {"negative font size", 40.0f, 40.0f, -5, 40, 40, 40.0f},
        {"huge font size", 40.0f, 40.0f, 2147483647, 40, 8192, 2147483648.0f},
        {"infinite box: 8192 wide, cut to 4 Mi pixels", inf, inf, 42, 8192, 512, inf},
        {"more than 4 Mi pixels: cut at the bottom", 3000.0f, 2000.0f, 42, 3000, 1398, 2000.0f},
        {"exactly 4 Mi pixels", 2048.0f, 2048.0f, 42, 2048, 2048, 2048.0f},
        {"NaN box", std::nanf(""), 40.0f, 42, 32, 42, 42.0f},
    };
    for (const Case& c : cases) {
        float boxHeight = c.boxHeight;
        const sizing::BitmapSize size = sizing::ForBox(c.boxWidth, boxHeight, c.fontSize);
        EXPECT_EQ(size.width, c.width) << c.name;
        EXPECT_EQ(size.height, c.height) << c.name;
        EXPECT_EQ(boxHeight, c.boxHeightAfter) << c.name;
        EXPECT_EQ(size.width % 2, 0) << c.name;
        EXPECT_EQ(size.height % 2, 0) << c.name;
    }
}

TEST(Sizing, BaseSizeOfTheHintText) {
    struct Case { float boxWidth, boxHeight; int fontSize; float cx, cy; } cases[] = {
        {401.25f, 41.5f, 42, 401.25f, 42.0f},   // fractions kept, height at least the font size
        {300.0f, 50.0f, 60, 300.0f, 60.0f},
        {300.0f, 20.0f, 10, 300.0f, 32.0f},     // never below 32
        {10.0f, 10.0f, 10, 32.0f, 32.0f},
        {0.0f, 0.0f, 42, 32.0f, 42.0f},         // a failed measurement
        {std::nanf(""), std::nanf(""), 42, 32.0f, 32.0f},  // no comparison holds for NaN: the floor of 32
    };
    for (const auto& c : cases) {
        const sizing::BaseSize base = sizing::ForDefaultText(c.boxWidth, c.boxHeight, c.fontSize);
        EXPECT_EQ(base.cx, c.cx) << c.boxWidth;
        EXPECT_EQ(base.cy, c.cy) << c.boxHeight;
    }
}

TEST(Sizing, OutlineWidthIsBoundedByTheFontSize) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case { float width; int fontSize; float drawn; } cases[] = {
        {2.0f, 42, 2.0f},       {0.0f, 42, 0.0f},       {-3.0f, 42, -3.0f},  {42.0f, 42, 42.0f},
        {42.5f, 42, 42.0f},     {100000.0f, 42, 42.0f}, {inf, 42, 42.0f},    {-inf, 42, -inf},
        {40.0f, 12, 32.0f},     {40.0f, -5, 32.0f},     {31.0f, 0, 31.0f},   {5000.0f, 2147483647, 5000.0f},
    };
    for (const Case& c : cases) EXPECT_EQ(sizing::OutlineWidth(c.width, c.fontSize), c.drawn) << c.width << " at " << c.fontSize;
    EXPECT_TRUE(std::isnan(sizing::OutlineWidth(std::nanf(""), 42)));
}

TEST(Sizing, Alphas) {
    struct Case { int opacity; std::uint32_t alpha; } alphas[] = {{0, 0}, {50, 127}, {100, 255}, {1, 2}, {99, 252}};
    for (const auto& c : alphas) EXPECT_EQ(sizing::Alpha(c.opacity), c.alpha) << c.opacity;

    struct Pen { int outline, text; std::uint32_t alpha; } pens[] = {
        {99, 100, 249}, {80, 80, 160}, {50, 50, 63}, {100, 100, 255}, {0, 100, 0}, {100, 0, 0},
    };
    for (const auto& c : pens) EXPECT_EQ(sizing::PenAlpha(c.outline, c.text), c.alpha) << c.outline << "/" << c.text;
    // Opacities far outside 0..100 stay defined.
    (void)sizing::PenAlpha(2147483647, 2147483647);
    (void)sizing::PenAlpha(-2147483647 - 1, 100);

    EXPECT_EQ(sizing::Argb(127, 0xFF123456u), 0x7F123456u);
    EXPECT_EQ(sizing::Argb(0, 0xFF000000u), 0x00000000u);
    EXPECT_EQ(sizing::Argb(255, 0x00FF9000u), 0xFFFF9000u);
}

TEST(Sizing, TruncationSaturates) {
    struct Case { float value; int result; } cases[] = {
        {41.9f, 41}, {-41.9f, -41}, {0.0f, 0}, {3e9f, 2147483647}, {-3e9f, -2147483647 - 1}, {std::nanf(""), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(sizing::TruncateSaturated(c.value), c.result) << c.value;
}

}  // namespace
