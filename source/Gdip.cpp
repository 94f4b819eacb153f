#include "source/Gdip.h"

namespace gdip {

const Calls kSystemCalls;

bool MakeStringFormat(GpStringFormat*& generic, string_format& format, const Calls& calls) noexcept {
    bool complete = calls.GdipStringFormatGetGenericTypographic(&generic) == Ok;
    complete &= calls.GdipCloneStringFormat(generic, format.put()) == Ok;
    complete &= calls.GdipSetStringFormatFlags(format.get(), kStringFormatFlags) == Ok;
    complete &= calls.GdipSetStringFormatTrimming(format.get(), StringTrimmingWord) == Ok;
    return complete;
}

}  // namespace gdip
