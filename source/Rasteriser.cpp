#include "source/Rasteriser.h"

#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "source/Defaults.h"
#include "source/Sizing.h"
#include "source/SongListSource.h"

using namespace gdip;

HFONT CreateTextFont(const MorvathThanksImage& source, const FontMakers& makers) {
    LOGFONTW description{};
    description.lfHeight = source.fontSize;
    description.lfWeight = source.bold ? FW_BOLD : FW_DONTCARE;
    description.lfItalic = source.italic ? 1 : 0;
    description.lfUnderline = source.underline ? 1 : 0;
    description.lfCharSet = GB2312_CHARSET;
    description.lfQuality = ANTIALIASED_QUALITY;
    if (source.font.IsValid()) {
        scpy_n(description.lfFaceName, source.font.Array(), defaults::kFaceNameUnits);
        if (HFONT font = makers.gdiFont(&description)) return font;
    }
    scpy_n(description.lfFaceName, defaults::kFallbackFace, defaults::kFaceNameUnits);
    return makers.gdiFont(&description);
}

void DrawOutlinedText(const MorvathThanksImage& source, GpGraphics* graphics, GpPath* path, GpBrush* textBrush) {
    const ARGB penColor = sizing::Argb(sizing::PenAlpha(source.outlineOpacity, source.textOpacity), source.outlineColor);
    pen outlinePen;
    GdipCreatePen1(penColor, source.outlineSize, UnitWorld, outlinePen.put());
    GdipSetPenLineJoin(outlinePen.get(), LineJoinRound);
    GdipDrawPath(graphics, outlinePen.get(), path);  // centred on the glyph outlines
    GdipFillPath(graphics, textBrush, path);         // covers the inner half of the stroke
}

bool UpdateTexture(MorvathThanksImage& source, const FontMakers& makers) {
    const String& text = g_plugin.displayText;
    const bool hasText = text.IsValid();

    unique_hfont gdiFont(CreateTextFont(source, makers));
    if (!gdiFont) return false;
    bool complete = true;

    string_format format = MakeStringFormat(g_plugin.genericFormat);

    // The GDI+ font from the GDI font's description, read back in its narrow form.
    font textFont;
    RectF box{0.0f, 0.0f, 32.0f, 32.0f};
    {
        unique_hdc screen(CreateCompatibleDC(nullptr));
        LOGFONTA narrow{};
        if (GetObjectA(gdiFont.get(), sizeof narrow, &narrow)) makers.fromLogfontA(screen.get(), &narrow, textFont.put());
        else makers.fromDc(screen.get(), textFont.put());

        graphics measuring;
        GdipCreateFromHDC(screen.get(), measuring.put());
        GdipSetTextRenderingHint(measuring.get(), TextRenderingHintAntiAlias);
        if (hasText) {
            const RectF unbounded{0.0f, 0.0f, 0.0f, 0.0f};
            const GpStatus status = GdipMeasureString(measuring.get(), text.Array(), static_cast<INT>(text.Length()),
                                                      textFont.get(), &unbounded, format.get(), &box, nullptr, nullptr);
            if (status != Ok) {
                AppWarning(names::kMeasureStringFailed, static_cast<unsigned>(status));
                complete = false;
            }
            if (source.outline) {
                box.Width += source.outlineSize;
                box.Height += source.outlineSize;
            }
        }
        measuring.reset();
        screen.reset();
        gdiFont.reset();
    }
    if (!textFont) complete = false;

    const sizing::BitmapSize size = sizing::ForBox(box.Width, box.Height, source.fontSize);

    // The pixel buffer: a DIB section's memory, written by GDI+ rows top to bottom.
    unique_hdc memoryDc(CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = size.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    unique_hbitmap dib(CreateDIBSection(memoryDc.get(), &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!dib || !pixels) return false;
    const INT pitch = size.width * 4;
    bitmap surface;
    GdipCreateBitmapFromScan0(size.width, size.height, pitch, PixelFormat32bppARGB, static_cast<BYTE*>(pixels), surface.put());
    {
        graphics canvas;
        GdipGetImageGraphicsContext(surface.get(), canvas.put());

        solid_fill textBrush;
        GdipCreateSolidFill(sizing::Argb(sizing::Alpha(source.textOpacity), source.color), textBrush.put());

        const ARGB background = sizing::Argb(hasText ? sizing::Alpha(source.backgroundOpacity) : 0u, source.backgroundColor);
        GpStatus cleared;
        if (static_cast<float>(size.width) > box.Width || static_cast<float>(size.height) > box.Height) {
            // Only the text's box carries the background; the margin stays transparent.
            cleared = GdipGraphicsClear(canvas.get(), 0);
            solid_fill backgroundBrush;
            GdipCreateSolidFill(background, backgroundBrush.put());
            GdipFillRectangle(canvas.get(), backgroundBrush.get(), box.X, box.Y, box.Width, box.Height);
        } else {
            cleared = GdipGraphicsClear(canvas.get(), background);
        }
        if (cleared != Ok) {
            AppWarning(names::kClearFailed, static_cast<unsigned>(cleared));
            complete = false;
        }

        GdipSetTextRenderingHint(canvas.get(), TextRenderingHintAntiAlias);
        GdipSetCompositingMode(canvas.get(), CompositingModeSourceOver);
        GdipSetSmoothingMode(canvas.get(), SmoothingModeAntiAlias);

        if (hasText) {
            if (!source.outline) {
                const GpStatus status =
                    GdipDrawString(canvas.get(), text.Array(), -1, textFont.get(), &box, format.get(), textBrush.get());
                if (status != Ok) {
                    AppWarning(names::kDrawStringFailed, static_cast<unsigned>(status));
                    complete = false;
                }
            } else {
                box.X += source.outlineSize * 0.5f;
                box.Y += source.outlineSize * 0.5f;
                path textPath;
                GdipCreatePath(FillModeAlternate, textPath.put());
                font_family family;
                GdipGetFamily(textFont.get(), family.put());
                REAL emSize = 0.0f;
                GdipGetFontSize(textFont.get(), &emSize);
                INT style = 0;
                GdipGetFontStyle(textFont.get(), &style);
                GdipAddPathString(textPath.get(), text.Array(), -1, family.get(), style, emSize, &box, format.get());
                DrawOutlinedText(source, canvas.get(), textPath.get(), textBrush.get());
            }
        }
    }  // brush and graphics released: every pixel is in the buffer now

    if (size.width == source.textureSize.cx && size.height == source.textureSize.cy) {
        if (source.texture) source.texture->SetImage(pixels, GS_IMAGEFORMAT_BGRA, static_cast<UINT>(pitch));
    } else {
        delete source.texture;
        source.texture = nullptr;
        source.textureSize = {size.width, size.height};
        source.texture = GS->CreateTexture(static_cast<unsigned>(size.width), static_cast<unsigned>(size.height), GS_BGRA,
                                           pixels, FALSE, FALSE);
    }
    return complete && source.texture != nullptr;
}
