#include "source/Measure.h"

#include "plugin/Constants.h"
#include "plugin/HostText.h"
#include "plugin/PluginState.h"
#include "source/Defaults.h"
#include "source/Gdip.h"
#include "source/Sizing.h"

using namespace gdip;

bool MeasureDefaultText(XElement* element) { return MeasureDefaultText(element, kSystemCalls); }

bool MeasureDefaultText(XElement* element, const Calls& calls) {
    if (!element) return true;
    const String face(ReadText(element, keys::kFont, defaults::kFont));
    const int fontSize = ReadInt(element, keys::kFontSize, defaults::kFontSize);
    const bool bold = ReadInt(element, keys::kBold, defaults::kBold) != 0;
    const bool italic = ReadInt(element, keys::kItalic, defaults::kItalic) != 0;
    const String text(g_plugin.defaultText);

    // No underline and the ANSI character set here, unlike the rendered text's font.
    LOGFONTW description{};
    description.lfHeight = fontSize;
    description.lfWeight = bold ? FW_BOLD : FW_DONTCARE;
    description.lfItalic = italic ? 1 : 0;
    description.lfQuality = ANTIALIASED_QUALITY;
    scpy_n(description.lfFaceName, face.IsValid() ? face.Array() : defaults::kFallbackFace, defaults::kFaceNameUnits);

    unique_hdc screen(calls.CreateCompatibleDC(nullptr));
    font measureFont;
    calls.GdipCreateFontFromLogfontW(screen.get(), &description, measureFont.put());
    if (!measureFont) return false;

    RectF box{0.0f, 0.0f, 0.0f, 0.0f};
    {
        graphics measuring;
        calls.GdipCreateFromHDC(screen.get(), measuring.put());
        string_format format;
        (void)MakeStringFormat(g_plugin.genericFormat, format, calls);  // measured with what the steps gave
        const RectF unbounded{0.0f, 0.0f, 0.0f, 0.0f};
        calls.GdipMeasureString(measuring.get(), text.Array(), -1, measureFont.get(), &unbounded, format.get(), &box,
                                nullptr, nullptr);
    }
    const sizing::BaseSize base = sizing::ForDefaultText(box.Width, box.Height, fontSize);
    element->SetFloat(keys::kBaseSizeCx, base.cx);
    element->SetFloat(keys::kBaseSizeCy, base.cy);
    return true;
}
