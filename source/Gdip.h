#pragma once
// The GDI+ flat API and an owner per object type.
#include <windows.h>
// GDI+'s headers need the COM types, which <windows.h> leaves out under WIN32_LEAN_AND_MEAN (as
// the host library's own header defines it).
#include <objidl.h>
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

// Every GDI and GDI+ call of a render or a measurement that can fail, by the scope and name of
// the system function.
#define SONGLIST_RENDER_CALLS(X)                                                                     \
    X(::, CreateFontIndirectW) X(::, GetObjectA) X(::, CreateCompatibleDC) X(::, CreateDIBSection)   \
    X(DllExports::, GdipStringFormatGetGenericTypographic) X(DllExports::, GdipCloneStringFormat)    \
    X(DllExports::, GdipSetStringFormatFlags) X(DllExports::, GdipSetStringFormatTrimming)           \
    X(DllExports::, GdipCreateFontFromLogfontA) X(DllExports::, GdipCreateFontFromLogfontW)          \
    X(DllExports::, GdipCreateFontFromDC) X(DllExports::, GdipCreateFromHDC)                         \
    X(DllExports::, GdipSetTextRenderingHint) X(DllExports::, GdipMeasureString)                     \
    X(DllExports::, GdipCreateBitmapFromScan0) X(DllExports::, GdipGetImageGraphicsContext)          \
    X(DllExports::, GdipCreateSolidFill) X(DllExports::, GdipGraphicsClear)                          \
    X(DllExports::, GdipFillRectangle) X(DllExports::, GdipSetCompositingMode)                       \
    X(DllExports::, GdipSetSmoothingMode) X(DllExports::, GdipDrawString)                            \
    X(DllExports::, GdipCreatePath) X(DllExports::, GdipGetFamily) X(DllExports::, GdipGetFontSize)  \
    X(DllExports::, GdipGetFontStyle) X(DllExports::, GdipAddPathString)                             \
    X(DllExports::, GdipCreatePen1) X(DllExports::, GdipSetPenLineJoin)                              \
    X(DllExports::, GdipTranslateWorldTransform) X(DllExports::, GdipResetWorldTransform)            \
    X(DllExports::, GdipDrawPath) X(DllExports::, GdipFillPath)

// The calls above, each a pointer to the system's function unless replaced. The plugin always
// uses kSystemCalls; tests and the benchmark substitute their own to fail or time single steps,
// which Wine's GDI and GDI+ never fail on their own. Releasing an object is not in the list: it
// cannot change a picture.
struct Calls {
#define SONGLIST_CALL(scope, fn) decltype(&scope fn) fn = scope fn;
    SONGLIST_RENDER_CALLS(SONGLIST_CALL)
#undef SONGLIST_CALL
};
extern const Calls kSystemCalls;

// The string format both the rasteriser and the measurement use: GDI+'s generic typographic
// format (fetched into `generic`), cloned, with exactly these flags (trailing spaces measured,
// no fit to the black box) and word trimming. Returns whether every step succeeded.
inline constexpr INT kStringFormatFlags = StringFormatFlagsMeasureTrailingSpaces | StringFormatFlagsNoFitBlackBox;
static_assert(kStringFormatFlags == 0x0804, "string format flags");
bool MakeStringFormat(GpStringFormat*& generic, string_format& format, const Calls& calls = kSystemCalls) noexcept;

}  // namespace gdip
