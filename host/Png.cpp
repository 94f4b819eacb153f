// PNG output for the host program, through GDI+'s encoder.
#include "host/Platform.h"  // windows.h before gdiplus.h
#include <gdiplus.h>

#include "host/HostSide.h"

namespace {
// GDI+'s built-in PNG encoder.
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
}  // namespace

bool HostSavePng(CTSTR path, const unsigned char* bgra, unsigned width, unsigned height) {
    using namespace Gdiplus;
    using namespace Gdiplus::DllExports;
    if (!path || !bgra || !width || !height) return false;
    GpBitmap* bitmap = nullptr;
    // GDI+ reads the rows in place; the caller's buffer outlives the bitmap.
    if (GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), static_cast<INT>(width * 4),
                                  PixelFormat32bppARGB, const_cast<BYTE*>(bgra), &bitmap) != Ok)
        return false;
    Status status = GdipSaveImageToFile(bitmap, path, &kPngEncoder, nullptr);
    GdipDisposeImage(bitmap);
    return status == Ok;
}
