#pragma once
#include <windows.h>

#include "source/Gdip.h"
#include "source/RenderBoard.h"

class MorvathThanksImage;

// Renders `inputs` (the text in a look) into a new bitmap, with the calls the inputs name (the
// system's when none): the image, complete when every GDI and GDI+ object was made and every
// call succeeded; without pixels when no GDI font or no bitmap could be made. Runs on any
// thread; it touches no source and no host texture.
ImageRef RenderImage(const RenderInputs& inputs);

// The inputs of the source's look with `text`, and whether they are those.
RenderInputs InputsOf(const MorvathThanksImage& source, const String& text);
bool Matches(const RenderInputs& inputs, const MorvathThanksImage& source, const String& text) noexcept;

// The plain renderer, every frame: renders the process-wide display text in the source's look
// and hands it to the source's texture, on the calling thread. Returns whether the render was
// complete.
bool UpdateTexture(MorvathThanksImage& source, const gdip::Calls& calls = gdip::kSystemCalls);

// The GDI font of the look (GB2312 charset), falling back to "Arial"; null when even that cannot
// be made. The caller deletes it. `fellBack` is set when a named font could not be made and
// "Arial" stands in for it.
HFONT CreateTextFont(const RenderInputs& look, const gdip::Calls& calls = gdip::kSystemCalls,
                     bool* fellBack = nullptr);

// Strokes the text path with the outline pen, then fills it with the text brush. Whether every
// step succeeded.
bool DrawOutlinedText(const RenderInputs& look, Gdiplus::GpGraphics* graphics, Gdiplus::GpPath* path,
                      Gdiplus::GpBrush* textBrush, const gdip::Calls& calls = gdip::kSystemCalls);

// Hands an image's pixels to the source: into its texture when the size is the one the texture
// was made with (nothing when it has none), else into a new texture that replaces it. An image
// without pixels changes nothing. Whether the source then has a texture.
bool HandOff(MorvathThanksImage& source, const RenderedImage& image);
