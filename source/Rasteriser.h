#pragma once
#include <windows.h>

#include "source/Gdip.h"

class MorvathThanksImage;

// Renders the process-wide display text with the source's look into a bitmap and hands it to
// the host: into the source's texture when the size is unchanged, into a new texture otherwise.
// Returns whether the render was complete: a font, every GDI+ step, and a texture holding it.
bool UpdateTexture(MorvathThanksImage& source, const gdip::FontMakers& makers = {});

// The GDI font of the source's look (GB2312 charset), falling back to "Arial"; null when even
// that cannot be made. The caller deletes it.
HFONT CreateTextFont(const MorvathThanksImage& source, const gdip::FontMakers& makers = {});

// Strokes the text path with the outline pen, then fills it with the text brush.
void DrawOutlinedText(const MorvathThanksImage& source, Gdiplus::GpGraphics* graphics, Gdiplus::GpPath* path,
                      Gdiplus::GpBrush* textBrush);
