// What a streamer sees of the rendered list, checked without relying on exact glyph pixels:
// one band of ink per line, nothing after a line's text, bold, underline and the text colour.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "source/Gdip.h"
#include "source/Rasteriser.h"
#include "tests/source/SourceFixture.h"

namespace {

// A line without spaces: Wine cannot wrap it, even where it lays a path out wider than measured.
const std::wstring kUnbreakable = L"晴天-周杰伦(点歌:小明)";
const std::vector<std::wstring> kSongs = {
    L"1. 晴天 - 周杰伦 (点歌: 小明)", L"2. Yesterday - The Beatles", L"3. 后来 - 刘若英",
    L"4. Shape of You - Ed Sheeran (点歌: Amy)", L"5. 稻香 - 周杰伦",
};

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0],
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

std::wstring Block(const std::vector<std::wstring>& lines) {
    std::wstring text = L"#" + std::to_wstring(lines.size()) + L"#";
    for (const auto& line : lines) text += L"\r\n" + line;
    return text;
}

// Rows [top, bottom) holding ink, and the first and last column with ink in them.
struct Band {
    int top, bottom, left, right;
};

class Layout : public SourceTest {
protected:
    static std::uint32_t Alpha(const MorvathThanksImage& s, int x, int y) { return Pixel(s, x, y) >> 24; }

    // Runs of rows with ink (any pixel not fully transparent; the background is at 0 %).
    static std::vector<Band> InkBands(const MorvathThanksImage& s) {
        std::vector<Band> bands;
        bool inBand = false;
        for (int y = 0; y < s.textureSize.cy; ++y) {
            int left = -1, right = -1;
            for (int x = 0; x < s.textureSize.cx; ++x)
                if (Alpha(s, x, y)) {
                    if (left < 0) left = x;
                    right = x;
                }
            if (left < 0) {
                inBand = false;
                continue;
            }
            if (!inBand) bands.push_back({y, y, left, right});
            Band& band = bands.back();
            band.bottom = y + 1;
            band.left = std::min(band.left, left);
            band.right = std::max(band.right, right);
            inBand = true;
        }
        return bands;
    }

    // The longest run of fully opaque pixels in row y.
    static int LongestRun(const MorvathThanksImage& s, int y) {
        int longest = 0, run = 0;
        for (int x = 0; x < s.textureSize.cx; ++x) {
            run = Alpha(s, x, y) == 255 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        return longest;
    }

    static long TotalAlpha(const MorvathThanksImage& s) {
        long sum = 0;
        for (int y = 0; y < s.textureSize.cy; ++y)
            for (int x = 0; x < s.textureSize.cx; ++x) sum += static_cast<long>(Alpha(s, x, y));
        return sum;
    }

    // The advance width of one line in the source's font, measured as the renderer measures.
    static float LineWidth(const MorvathThanksImage& s, const std::wstring& line) {
        using namespace gdip;
        unique_hfont gdiFont(CreateTextFont(InputsOf(s, String())));
        unique_hdc dc(CreateCompatibleDC(nullptr));
        LOGFONTA narrow{};
        GetObjectA(gdiFont.get(), sizeof narrow, &narrow);
        font textFont;
        GdipCreateFontFromLogfontA(dc.get(), &narrow, textFont.put());
        graphics measuring;
        GdipCreateFromHDC(dc.get(), measuring.put());
        GdipSetTextRenderingHint(measuring.get(), TextRenderingHintAntiAlias);
        GpStringFormat* generic = nullptr;
        string_format format;
        MakeStringFormat(generic, format);
        const RectF unbounded{0, 0, 0, 0};
        RectF box{0, 0, 0, 0};
        GdipMeasureString(measuring.get(), line.c_str(), static_cast<INT>(line.size()), textFont.get(), &unbounded,
                          format.get(), &box, nullptr, nullptr);
        return box.Width;
    }

    std::unique_ptr<MorvathThanksImage> Render(const std::vector<std::wstring>& lines) {
        block.Write(Block(lines));
        std::unique_ptr<MorvathThanksImage> s(Create(data));
        Show(*s);
        return s;
    }
};

// Every line is its own band of ink, the last one as whole as when drawn alone, and each band
// ends where its line's text ends: no wrapped word, no mark drawn for the line break. Outlined
// text only as one unbreakable line, which is what Wine lays out right (docs/rendering.md).
TEST_F(Layout, EachLineIsABandOfInkEndingWithItsText) {
    struct Case { std::vector<std::wstring> lines; const wchar_t* face; int outline; } cases[] = {
        {kSongs, L"宋体", 0},
        {{kSongs[1], kSongs[0], kSongs[3]}, L"黑体", 0},
        {{kUnbreakable}, L"宋体", 1},
    };
    for (const auto& c : cases) {
        const std::string face = Utf8(c.face);
        data->SetString(keys::kFont, c.face);
        data->SetInt(keys::kOutline, c.outline);
        const auto alone = Render({c.lines.back()});
        const auto s = Render(c.lines);
        ASSERT_NE(s->texture, nullptr);
        const std::vector<Band> bands = InkBands(*s), last = InkBands(*alone);
        ASSERT_EQ(bands.size(), c.lines.size()) << face;
        ASSERT_EQ(last.size(), 1u) << face;
        EXPECT_GE(bands.back().bottom - bands.back().top, last[0].bottom - last[0].top) << face << ": the last line is cut";
        const float pen = c.outline ? s->outlineSize : 0.0f;
        for (std::size_t i = 0; i < bands.size(); ++i) {
            const float width = LineWidth(*s, c.lines[i]);
            EXPECT_LE(bands[i].right, width + pen + 1) << face << " line " << i << ": ink after the text";
            EXPECT_GT(bands[i].right, width - s->fontSize / 2) << face << " line " << i << ": its end is missing";
            EXPECT_GT(bands[i].bottom - bands[i].top, s->fontSize / 2) << face << " line " << i;
        }
    }
}

// The outline path is drawn at the size the plain text is drawn at, grown by the pen alone.
TEST_F(Layout, AnOutlinedLineHasThePlainLinesSize) {
    const auto plain = Render({kUnbreakable});
    data->SetInt(keys::kOutline, 1);
    data->SetFloat(keys::kOutlineSize, 2.0f);
    const auto outlined = Render({kUnbreakable});
    const std::vector<Band> a = InkBands(*plain), b = InkBands(*outlined);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_NEAR(b[0].right - b[0].left, a[0].right - a[0].left + 2, 3);
    EXPECT_NEAR(b[0].bottom - b[0].top, a[0].bottom - a[0].top + 2, 3);
}

TEST_F(Layout, BoldGivesMoreInk) {
    const auto regular = Render(kSongs);
    data->SetInt(keys::kBold, 1);
    const auto bold = Render(kSongs);
    EXPECT_GT(TotalAlpha(*bold), TotalAlpha(*regular) * 6 / 5);
}

// Underlined, each line gets a row of opaque ink nearly as long as the line; nothing in the
// plain text comes close. Wine's GDI+ draws no underline (the same pixels as without).
TEST_F(Layout, UnderlineRunsUnderEachLine) {
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) GTEST_SKIP() << "Wine draws no underline";
    const std::vector<std::wstring> lines = {kSongs[1], kSongs[0], kSongs[3]};
    const auto plain = Render(lines);
    data->SetInt(keys::kUnderline, 1);
    const auto underlined = Render(lines);
    ASSERT_EQ(plain->textureSize.cy, underlined->textureSize.cy);
    const std::vector<Band> bands = InkBands(*plain);
    ASSERT_EQ(bands.size(), lines.size());
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const int end = i + 1 < bands.size() ? bands[i + 1].top : plain->textureSize.cy;
        const int length = (bands[i].right - bands[i].left) * 9 / 10;
        int plainLongest = 0, underlinedLongest = 0;
        for (int y = bands[i].top; y < end; ++y) {
            plainLongest = std::max(plainLongest, LongestRun(*plain, y));
            underlinedLongest = std::max(underlinedLongest, LongestRun(*underlined, y));
        }
        EXPECT_LT(plainLongest, length) << "line " << i;
        EXPECT_GE(underlinedLongest, length) << "line " << i;
    }
}

// Wherever the ink is fully opaque it has the text colour, whichever way the colour was chosen.
TEST_F(Layout, OpaqueInkHasTheTextColour) {
    struct Case { int color, random; bool hasFore; int fore; std::uint32_t ink; } cases[] = {
        {static_cast<int>(0xFFFF9000u), 0, false, 0, 0xFF9000},
        {0x3366CC, 0, false, 0, 0x3366CC},  // the stored alpha is not used
        {static_cast<int>(0xFFFF9000u), 1, true, static_cast<int>(0xFF00AA55u), 0x00AA55},
    };
    for (const auto& c : cases) {
        data->SetInt(keys::kColor, c.color);
        data->SetInt(keys::kRandomColor, c.random);
        if (c.hasFore) data->SetInt(keys::kRandomForeColor, c.fore);
        const auto s = Render(kSongs);
        EXPECT_GT(Count(*s, [](std::uint32_t p) { return (p >> 24) == 255; }), 1000) << std::hex << c.ink;
        EXPECT_EQ(Count(*s, [&](std::uint32_t p) { return (p >> 24) == 255 && (p & 0xFFFFFF) != c.ink; }), 0)
            << std::hex << c.ink;
    }
}

}  // namespace
