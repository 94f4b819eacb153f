#pragma once
// The GDI+ flat API and an owner per object type.
#include <windows.h>
#include <gdiplus.h>

#include "plugin/Handles.h"

namespace gdip {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

using font = unique_res<null_is_empty<GpFont*, &GdipDeleteFont>>;
using font_family = unique_res<null_is_empty<GpFontFamily*, &GdipDeleteFontFamily>>;
using graphics = unique_res<null_is_empty<GpGraphics*, &GdipDeleteGraphics>>;
using string_format = unique_res<null_is_empty<GpStringFormat*, &GdipDeleteStringFormat>>;
using solid_fill = unique_res<null_is_empty<GpSolidFill*, &GdipDeleteBrush>>;
using bitmap = unique_res<null_is_empty<GpBitmap*, &GdipDisposeImage>>;
using path = unique_res<null_is_empty<GpPath*, &GdipDeletePath>>;
using pen = unique_res<null_is_empty<GpPen*, &GdipDeletePen>>;

// The string format both the rasteriser and the measurement use: GDI+'s generic typographic
// format (fetched into `generic`), cloned, with exactly these flags (trailing spaces measured,
// no fit to the black box) and word trimming.
inline constexpr INT kStringFormatFlags = StringFormatFlagsMeasureTrailingSpaces | StringFormatFlagsNoFitBlackBox;
static_assert(kStringFormatFlags == 0x0804, "string format flags");
string_format MakeStringFormat(GpStringFormat*& generic) noexcept;

// How fonts are made. The plugin always uses the system's functions; tests substitute failing
// ones to reach the paths where no font can be had, which Wine's GDI and GDI+ never take.
struct FontMakers {
    HFONT(WINAPI* gdiFont)(const LOGFONTW*) = CreateFontIndirectW;
    GpStatus(WINGDIPAPI* fromLogfontA)(HDC, GDIPCONST LOGFONTA*, GpFont**) = GdipCreateFontFromLogfontA;
    GpStatus(WINGDIPAPI* fromLogfontW)(HDC, GDIPCONST LOGFONTW*, GpFont**) = GdipCreateFontFromLogfontW;
    GpStatus(WINGDIPAPI* fromDc)(HDC, GpFont**) = GdipCreateFontFromDC;
};

}  // namespace gdip
