#include "source/SongListSource.h"

#include "bridge/BridgeSteps.h"
#include "companion/CompanionThread.h"
#include "companion/SharedBlock.h"
#include "plugin/Constants.h"
#include "plugin/HostText.h"
#include "plugin/PluginState.h"
#include "source/Defaults.h"
#include "source/Measure.h"
#include "source/Rasteriser.h"
#include "source/RenderThread.h"

MorvathThanksImage::MorvathThanksImage(XElement* settingsElement) : settings(settingsElement) {
    render::Join(renders);
}

MorvathThanksImage::~MorvathThanksImage() {
    BridgeRetireStep(settings);
    render::Leave(renders);  // a render only this source wanted is dropped
    if (texture) {
        delete texture;
        texture = nullptr;
    }
    try {
        // The host may hold the scene mutex here: the key is removed on the plugin's own thread.
        // The next frame of any source registers it again from the block, even when the
        // companion's key has not changed.
        ForgetHotkey();
        failures.Succeeded(HostCall::DestroySource);
    } catch (...) {
        failures.Failed(HostCall::DestroySource);
    }
}

void MorvathThanksImage::operator delete(void* block) noexcept { MainAllocator->_Free(block); }

void MorvathThanksImage::RefreshFrame() {
    try {
        const int randomColor = ReadInt(settings, keys::kRandomColor, defaults::kRandomColor);
        const int randomForeColor = ReadInt(settings, keys::kRandomForeColor, defaults::kRandomForeColor);
        ReadSharedBlock(settings, this);
        // The text on show is the shared block's, for every source. Text the companion pushes to
        // a source's window through the bridge stays in that source's registry record and is not
        // shown: the block's text is the one source of what a frame shows.
        g_plugin.displayText = g_plugin.sharedText;
        ReloadSettings();
        if (randomColor != 0) color = static_cast<std::uint32_t>(randomForeColor);
        if (renderEveryFrame) UpdateTexture(*this, *calls);
        else FollowRenders(g_plugin.displayText);
        failures.Succeeded(HostCall::RefreshFrame);
    } catch (...) {
        // A frame that could not be made leaves the last texture on show.
        failures.Failed(HostCall::RefreshFrame);
    }
}

void MorvathThanksImage::FollowRenders(const String& text) {
    if (hasShown && Matches(shown, *this, text)) {
        if (renders.wanting) render::Withdraw(renders);  // back to what the texture shows
        return;
    }
    if (!renders.wanting || !Matches(renders.wanted, *this, text)) render::Want(renders, InputsOf(*this, text));
    const ImageRef image = render::Take(renders);
    if (!image) return;
    // Settled, whatever the render gave: the same inputs would give the same, so they are not
    // asked for again until they change.
    shown = renders.wanted;
    hasShown = true;
    HandOff(*this, *image);
}

void MorvathThanksImage::Draw(const Vect2& position, const Vect2& size) {
    if (!texture) return;
    // A base size of 0 (never measured) draws the texture at its own pixel size.
    const float scaleX = baseSize.x != 0.0f ? size.x / baseSize.x : 1.0f;
    const float scaleY = baseSize.y != 0.0f ? size.y / baseSize.y : 1.0f;
    GS->DrawSprite(texture, 0xFFFFFFFF, position.x, position.y,
                   position.x + static_cast<float>(textureSize.cx) * scaleX,
                   position.y + static_cast<float>(textureSize.cy) * scaleY);
}

void MorvathThanksImage::ReloadSettings() {
    const XElement* s = settings;
    font = ReadText(s, keys::kFont, defaults::kFont);
    color = static_cast<std::uint32_t>(ReadInt(s, keys::kColor, static_cast<int>(defaults::kColor)));
    fontSize = ReadInt(s, keys::kFontSize, defaults::kFontSize);
    textOpacity = ReadInt(s, keys::kTextOpacity, defaults::kTextOpacity);
    outline = ReadInt(s, keys::kOutline, defaults::kOutline) == 1;
    outlineColor = static_cast<std::uint32_t>(ReadInt(s, keys::kOutlineColor, static_cast<int>(defaults::kOutlineColor)));
    outlineSize = ReadFloat(s, keys::kOutlineSize, defaults::kOutlineSize);
    outlineOpacity = ReadInt(s, keys::kOutlineOpacity, defaults::kOutlineOpacity);
    backgroundColor = static_cast<std::uint32_t>(ReadInt(s, keys::kBackgroundColor, static_cast<int>(defaults::kBackgroundColor)));
    backgroundOpacity = ReadInt(s, keys::kBackgroundOpacity, defaults::kBackgroundOpacity);
    bold = ReadInt(s, keys::kBold, defaults::kBold) != 0;
    italic = ReadInt(s, keys::kItalic, defaults::kItalic) != 0;
    underline = ReadInt(s, keys::kUnderline, defaults::kUnderline) != 0;
    baseSize.x = ReadFloat(s, keys::kBaseSizeCx, defaults::kBaseSize);
    baseSize.y = ReadFloat(s, keys::kBaseSizeCy, defaults::kBaseSize);
}

void MorvathThanksImage::ActivateSource() {
    // A failed bridge step does not keep the companion from being started.
    bool failed = false;
    try {
        if (g_plugin.runtimeHost) BridgeActivateStep(settings);
    } catch (...) {
        failures.Failed(HostCall::ActivateSource);
        failed = true;
    }
    try {
        // The host holds the scene mutex here: the companion is woken or started on the
        // plugin's own thread, so no frame waits for it.
        LaunchCompanionInBackground();
    } catch (...) {
        failures.Failed(HostCall::ActivateSource);
        failed = true;
    }
    if (!failed) failures.Succeeded(HostCall::ActivateSource);
}

void MorvathThanksImage::DeactivateSource() {
    try {
        // The host holds the scene mutex here: a message box would stop every frame until the
        // user clicks, so a font that cannot be made is said in the log.
        if (!MeasureDefaultText(settings, *calls))
            AppWarning(names::kHintFontNotFoundWarning, names::kFontNotFoundMessage,
                       ReadText(settings, keys::kFont, defaults::kFont));
        const float cx = ReadFloat(settings, keys::kBaseSizeCx, 0.0f);
        const float cy = ReadFloat(settings, keys::kBaseSizeCy, 0.0f);
        if (XElement* parent = settings ? settings->GetParent() : nullptr) {
            parent->SetFloat(keys::kCx, cx);
            parent->SetFloat(keys::kCy, cy);
        }
        if (g_plugin.runtimeHost) BridgeDeactivateStep(settings);
        failures.Succeeded(HostCall::DeactivateSource);
    } catch (...) {
        failures.Failed(HostCall::DeactivateSource);
    }
}
