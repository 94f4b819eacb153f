#pragma once
#include <cstdint>

#include "host/HostApi.h"
#include "plugin/FailureReports.h"
#include "source/SharedRender.h"
#include "source/SourceBase.h"

namespace gdip {
struct Calls;
extern const Calls kSystemCalls;
}  // namespace gdip

// The song-list source: every frame it pulls the companion's shared block, takes the text to
// show and reloads its look from its settings element; only when the text or the look changed
// (or its texture is not the one its last render made) does it render the text into its texture,
// or take the render another source of the same look made. Draw scales the texture into the
// host's rectangle.
class MorvathThanksImage : public SourceBase {
public:
    struct TextureSize {
        int cx = 0;
        int cy = 0;
    };

    // Only stores the element: nothing is read and no texture is made until the first frame.
    explicit MorvathThanksImage(XElement* settings);
    ~MorvathThanksImage() override;

    void RefreshFrame() override;
    void Advance(float seconds) override {}
    void Draw(const Vect2& position, const Vect2& size) override;
    Vect2 ReportSize() const override { return baseSize; }
    void ReloadSettings() override;
    void ActivateSource() override;
    void DeactivateSource() override;

    // Storage comes from, and goes back to, the host's allocator (see CreateSongListSource).
    static void operator delete(void* block) noexcept;

    Vect2 baseSize;
    TextureSize textureSize;
    Texture* texture = nullptr;
    bool outline = true;
    XElement* settings;
    String font;
    int fontSize = 0;
    std::uint32_t color = 0;
    int textOpacity = 0;
    float outlineSize = 0.0f;
    std::uint32_t outlineColor = 0;
    int outlineOpacity = 0;
    int backgroundOpacity = 0;
    std::uint32_t backgroundColor = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    // Renders on every frame even when nothing changed, on its own: the plain renderer, kept so
    // tests and benchmarks can compare the two. No setting turns it on.
    bool renderEveryFrame = false;
    // The GDI and GDI+ calls its renders and its measuring of the hint text make: the system's,
    // unless a test or the benchmark puts its own in.
    const gdip::Calls* calls = &gdip::kSystemCalls;

private:
    // A frame whose inputs are those of the texture on show, while the texture is still the one
    // that render made, needs no new render: it would produce the same pixels.
    bool RenderIsCurrent(const String& text) const noexcept {
        return renderedTexture && renderedTexture == texture && rendered.Match(*this, text);
    }
    // The pixels of `text` in this look: taken from the shared render when that holds them,
    // rendered otherwise. Whether they are complete and in the texture.
    bool RenderText(const String& text);

    RenderInputs rendered;
    const Texture* renderedTexture = nullptr;  // null: nothing remembered
    FailureReports failures;                   // of this source's own calls
};
