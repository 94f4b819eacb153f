#include "source/Gdip.h"

namespace gdip {

string_format MakeStringFormat(GpStringFormat*& generic) noexcept {
    string_format format;
    GdipStringFormatGetGenericTypographic(&generic);
    GdipCloneStringFormat(generic, format.put());
    GdipSetStringFormatFlags(format.get(), kStringFormatFlags);
    GdipSetStringFormatTrimming(format.get(), StringTrimmingWord);
    return format;
}

}  // namespace gdip
