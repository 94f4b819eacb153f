#include "source/Rasteriser.h"

#include <cstring>

#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "source/Defaults.h"
#include "source/Sizing.h"
#include "source/SongListSource.h"

using namespace gdip;

namespace {

// A render's pixels: the memory of its DIB section, kept with it.
class DibImage final : public RenderedImage {
public:
    DibImage(unique_hbitmap&& dib, void* bits, int w, int h, bool complete) noexcept
        : RenderedImage(w, h, bits, complete), section(static_cast<unique_hbitmap&&>(dib)) {}

private:
    unique_hbitmap section;
};

}  // namespace

RenderInputs InputsOf(const MorvathThanksImage& s, const String& text) {
    RenderInputs in;
    in.text = text;
    in.font = s.font;
    in.fontSize = s.fontSize;
    in.bold = s.bold;
    in.italic = s.italic;
    in.underline = s.underline;
    in.color = s.color;
    in.textOpacity = s.textOpacity;
    in.outline = s.outline;
    in.outlineSize = s.outlineSize;
    in.outlineColor = s.outlineColor;
    in.outlineOpacity = s.outlineOpacity;
    in.backgroundColor = s.backgroundColor;
    in.backgroundOpacity = s.backgroundOpacity;
    in.calls = s.calls;
    return in;
}

bool Matches(const RenderInputs& in, const MorvathThanksImage& s, const String& text) noexcept {
    // The text, the longest, last.
    return in.fontSize == s.fontSize && in.bold == s.bold && in.italic == s.italic && in.underline == s.underline &&
           in.color == s.color && in.textOpacity == s.textOpacity && in.outline == s.outline &&
           std::memcmp(&in.outlineSize, &s.outlineSize, sizeof in.outlineSize) == 0 &&
           in.outlineColor == s.outlineColor && in.outlineOpacity == s.outlineOpacity &&
           in.backgroundColor == s.backgroundColor && in.backgroundOpacity == s.backgroundOpacity &&
           in.calls == s.calls && in.font == s.font && in.text == text;
}

HFONT CreateTextFont(const RenderInputs& source, const Calls& calls, bool* fellBack) {
    LOGFONTW description{};
    description.lfHeight = source.fontSize;
    description.lfWeight = source.bold ? FW_BOLD : FW_DONTCARE;
    description.lfItalic = source.italic ? 1 : 0;
    description.lfUnderline = source.underline ? 1 : 0;
    description.lfCharSet = GB2312_CHARSET;
    description.lfQuality = ANTIALIASED_QUALITY;
    if (source.font.IsValid()) {
        scpy_n(description.lfFaceName, source.font.Array(), defaults::kFaceNameUnits);
        if (HFONT font = calls.CreateFontIndirectW(&description)) return font;
        if (fellBack) *fellBack = true;
    }
    scpy_n(description.lfFaceName, defaults::kFallbackFace, defaults::kFaceNameUnits);
    return calls.CreateFontIndirectW(&description);
}

bool DrawOutlinedText(const RenderInputs& source, GpGraphics* graphics, GpPath* path, GpBrush* textBrush,
                      const Calls& calls) {
    const ARGB penColor = sizing::Argb(sizing::PenAlpha(source.outlineOpacity, source.textOpacity), source.outlineColor);
    pen outlinePen;
    const REAL width = sizing::OutlineWidth(source.outlineSize, source.fontSize);
    bool complete = calls.GdipCreatePen1(penColor, width, UnitWorld, outlinePen.put()) == Ok;
    complete &= calls.GdipSetPenLineJoin(outlinePen.get(), LineJoinRound) == Ok;
    complete &= calls.GdipDrawPath(graphics, outlinePen.get(), path) == Ok;  // centred on the glyph outlines
    complete &= calls.GdipFillPath(graphics, textBrush, path) == Ok;         // covers the inner half of the stroke
    return complete;
}

bool HandOff(MorvathThanksImage& source, const RenderedImage& image) {
    if (!image.pixels) return source.texture != nullptr;
    const int width = image.width, height = image.height;
    if (width == source.textureSize.cx && height == source.textureSize.cy) {
        if (source.texture) source.texture->SetImage(image.pixels, GS_IMAGEFORMAT_BGRA, static_cast<UINT>(width) * 4);
    } else {
        delete source.texture;
        source.texture = nullptr;
        source.textureSize = {width, height};
        source.texture = GS->CreateTexture(static_cast<unsigned>(width), static_cast<unsigned>(height), GS_BGRA,
                                           image.pixels, FALSE, FALSE);
    }
    return source.texture != nullptr;
}

bool UpdateTexture(MorvathThanksImage& source, const Calls& calls) {
    RenderInputs inputs = InputsOf(source, g_plugin.displayText);
    inputs.calls = &calls;
    const ImageRef image = RenderImage(inputs);
    return HandOff(source, *image) && image->complete;
}

ImageRef RenderImage(const RenderInputs& source) {
    const Calls& calls = source.calls ? *source.calls : kSystemCalls;
    const String& text = source.text;
    const bool hasText = text.IsValid();

    // Whatever fails below, the render goes on as far as it can; it only no longer counts as
    // complete, so nothing takes it for the picture of its inputs.
    bool complete = true;
    auto check = [&complete](GpStatus status) {
        if (status != Ok) complete = false;
        return status;
    };

    bool fellBack = false;
    unique_hfont gdiFont(CreateTextFont(source, calls, &fellBack));
    if (!gdiFont) return ImageRef::Nothing();
    if (fellBack) complete = false;

    string_format format;
    if (!MakeStringFormat(g_plugin.genericFormat, format, calls)) complete = false;

    // The GDI+ font from the GDI font's description, read back in its narrow form.
    font textFont;
    RectF box{0.0f, 0.0f, 32.0f, 32.0f};
    {
        unique_hdc screen(calls.CreateCompatibleDC(nullptr));
        if (!screen) complete = false;
        LOGFONTA narrow{};
        if (calls.GetObjectA(gdiFont.get(), sizeof narrow, &narrow)) {
            check(calls.GdipCreateFontFromLogfontA(screen.get(), &narrow, textFont.put()));
        } else {
            complete = false;  // the device context's own font is not the one asked for
            check(calls.GdipCreateFontFromDC(screen.get(), textFont.put()));
        }

        graphics measuring;
        check(calls.GdipCreateFromHDC(screen.get(), measuring.put()));
        check(calls.GdipSetTextRenderingHint(measuring.get(), TextRenderingHintAntiAlias));
        if (hasText) {
            const RectF unbounded{0.0f, 0.0f, 0.0f, 0.0f};
            const GpStatus status = check(calls.GdipMeasureString(measuring.get(), text.Array(),
                                                                  static_cast<INT>(text.Length()), textFont.get(),
                                                                  &unbounded, format.get(), &box, nullptr, nullptr));
            if (status != Ok) AppWarning(names::kMeasureStringFailed, static_cast<unsigned>(status));
            if (source.outline) {
                box.Width += sizing::OutlineWidth(source.outlineSize, source.fontSize);
                box.Height += sizing::OutlineWidth(source.outlineSize, source.fontSize);
            }
        }
        measuring.reset();
        screen.reset();
        gdiFont.reset();
    }
    if (!textFont) complete = false;

    const sizing::BitmapSize size = sizing::ForBox(box.Width, box.Height, source.fontSize);

    // The pixel buffer: a DIB section's memory, written by GDI+ rows top to bottom.
    unique_hdc memoryDc(calls.CreateCompatibleDC(nullptr));
    if (!memoryDc) complete = false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = size.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    unique_hbitmap dib(calls.CreateDIBSection(memoryDc.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!dib || !pixels) return ImageRef(new RenderedImage(size.width, size.height, nullptr, false));
    const INT pitch = size.width * 4;
    bitmap surface;
    check(calls.GdipCreateBitmapFromScan0(size.width, size.height, pitch, PixelFormat32bppARGB,
                                          static_cast<BYTE*>(pixels), surface.put()));
    {
        graphics canvas;
        check(calls.GdipGetImageGraphicsContext(surface.get(), canvas.put()));

        solid_fill textBrush;
        const ARGB textColor = sizing::Argb(sizing::Alpha(source.textOpacity), source.color);
        check(calls.GdipCreateSolidFill(textColor, textBrush.put()));

        const ARGB background = sizing::Argb(hasText ? sizing::Alpha(source.backgroundOpacity) : 0u, source.backgroundColor);
        GpStatus cleared;
        if (static_cast<float>(size.width) > box.Width || static_cast<float>(size.height) > box.Height) {
            // Only the text's box carries the background; the margin stays transparent.
            cleared = calls.GdipGraphicsClear(canvas.get(), 0);
            solid_fill backgroundBrush;
            check(calls.GdipCreateSolidFill(background, backgroundBrush.put()));
            check(calls.GdipFillRectangle(canvas.get(), backgroundBrush.get(), box.X, box.Y, box.Width, box.Height));
        } else {
            cleared = calls.GdipGraphicsClear(canvas.get(), background);
        }
        if (check(cleared) != Ok) AppWarning(names::kClearFailed, static_cast<unsigned>(cleared));

        check(calls.GdipSetTextRenderingHint(canvas.get(), TextRenderingHintAntiAlias));
        check(calls.GdipSetCompositingMode(canvas.get(), CompositingModeSourceOver));
        check(calls.GdipSetSmoothingMode(canvas.get(), SmoothingModeAntiAlias));

        if (hasText) {
            if (!source.outline) {
                const GpStatus status = check(calls.GdipDrawString(canvas.get(), text.Array(), -1, textFont.get(), &box,
                                                                   format.get(), textBrush.get()));
                if (status != Ok) AppWarning(names::kDrawStringFailed, static_cast<unsigned>(status));
            } else {
                // The text goes half a pen in from the box's corner. The path is laid out at the
                // box and moved there by the world transform, so GDI+ flattens the glyphs' curves
                // near the origin: Wine's GDI+ flattens curves lying far from it on both axes
                // without end (a few lines at 42 px, half a pen of 1,350 pixels in: the stack
                // overflows, however large).
                const float halfPen = sizing::OutlineWidth(source.outlineSize, source.fontSize) * 0.5f;
                path textPath;
                check(calls.GdipCreatePath(FillModeAlternate, textPath.put()));
                if (textPath) {  // nothing to add the text to or draw otherwise (Wine reads through a null path)
                    font_family family;
                    check(calls.GdipGetFamily(textFont.get(), family.put()));
                    REAL emSize = 0.0f;
                    check(calls.GdipGetFontSize(textFont.get(), &emSize));
                    INT style = 0;
                    check(calls.GdipGetFontStyle(textFont.get(), &style));
                    check(calls.GdipAddPathString(textPath.get(), text.Array(), -1, family.get(), style, emSize, &box,
                                                  format.get()));
                    // Not moved, the text would be drawn in the wrong place: then it is not drawn.
                    if (check(calls.GdipTranslateWorldTransform(canvas.get(), halfPen, halfPen, MatrixOrderAppend)) == Ok) {
                        if (!DrawOutlinedText(source, canvas.get(), textPath.get(), textBrush.get(), calls))
                            complete = false;
                        check(calls.GdipResetWorldTransform(canvas.get()));
                    }
                }
            }
        }
    }  // brush and graphics released: every pixel is in the buffer now
    surface.reset();
    return ImageRef(new DibImage(static_cast<unique_hbitmap&&>(dib), pixels, size.width, size.height, complete));
}
