#pragma once
#include <cstdint>

#include "host/HostApi.h"
#include "plugin/FailureReports.h"
#include "source/RenderBoard.h"
#include "source/SourceBase.h"

namespace gdip {
struct Calls;
extern const Calls kSystemCalls;
}  // namespace gdip

// The song-list source: every frame it pulls the companion's shared block, takes the text to
// show and reloads its look from its settings element. When the text or the look changed it asks
// the render thread for the pixels of those inputs and goes on showing its texture; the first
// frame after they are ready hands them to the texture. It never renders on the host's video
// thread, and a failed render is not asked for again until its inputs change. Draw scales the
// texture into the host's rectangle.
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

    // Renders on every frame even when nothing changed, on its own and in the frame: the plain
    // renderer, kept so tests and benchmarks can compare the two. No setting turns it on.
    bool renderEveryFrame = false;
    // The GDI and GDI+ calls its renders and its measuring of the hint text make: the system's,
    // unless a test or the benchmark puts its own in.
    const gdip::Calls* calls = &gdip::kSystemCalls;

private:
    // Asks for the render of the frame's inputs unless they are those of the texture, or those
    // asked for already; hands a finished render to the texture.
    void FollowRenders(const String& text);

    RenderBoard::Client renders;  // what it asked the render thread for
    RenderInputs shown;           // the inputs of the last render handed to the texture
    bool hasShown = false;
    FailureReports failures;      // of this source's own calls
};
