#pragma once
#include <windows.h>

#include "source/Gdip.h"

class MorvathThanksImage;
class SharedRender;

// Renders the process-wide display text with the source's look into a bitmap and hands it to
// the host: into the source's texture when the size is unchanged, into a new texture otherwise.
// Returns whether the render was complete: every GDI and GDI+ object made, every call
// succeeded, and a texture holding the result. A complete render is also kept in `share`, when
// given, for other sources of the same look.
bool UpdateTexture(MorvathThanksImage& source, const gdip::Calls& calls = gdip::kSystemCalls,
                   SharedRender* share = nullptr);

// The GDI font of the source's look (GB2312 charset), falling back to "Arial"; null when even
// that cannot be made. The caller deletes it. `fellBack` is set when a named font could not be
// made and "Arial" stands in for it.
HFONT CreateTextFont(const MorvathThanksImage& source, const gdip::Calls& calls = gdip::kSystemCalls,
                     bool* fellBack = nullptr);

// Strokes the text path with the outline pen, then fills it with the text brush. Whether every
// step succeeded.
bool DrawOutlinedText(const MorvathThanksImage& source, Gdiplus::GpGraphics* graphics, Gdiplus::GpPath* path,
                      Gdiplus::GpBrush* textBrush, const gdip::Calls& calls = gdip::kSystemCalls);

// Hands a bitmap (rows of width * 4 bytes) to the source: into its texture when the size is the
// one the texture was made with (nothing when it has none), else into a new texture that
// replaces it. Whether the source then has a texture.
bool HandOff(MorvathThanksImage& source, void* pixels, int width, int height);
