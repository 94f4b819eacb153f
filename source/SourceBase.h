#pragma once
// The base of the song-list source. Against our host layer it is ImageSource itself, whose
// virtual functions carry this system's names. Built against the host library's own headers
// (TAVIK_HOST_HEADERS), where the same slots are named Preprocess, Tick, Render, GetSize,
// UpdateSettings, BeginScene and EndScene, it is a thin class that hands each of those on to the
// function of this system's name.
#include "host/HostApi.h"

#ifdef TAVIK_HOST_HEADERS

class SourceBase : public ImageSource {
public:
    virtual void RefreshFrame() {}
    virtual void Advance(float seconds) {}
    virtual void Draw(const Vect2& position, const Vect2& size) = 0;
    virtual Vect2 ReportSize() const = 0;
    virtual void ReloadSettings() {}
    virtual void ActivateSource() {}
    virtual void DeactivateSource() {}

    void Preprocess() override { RefreshFrame(); }
    void Tick(float seconds) override { Advance(seconds); }
    void Render(const Vect2& position, const Vect2& size) override { Draw(position, size); }
    Vect2 GetSize() const override { return ReportSize(); }
    void UpdateSettings() override { ReloadSettings(); }
    void BeginScene() override { ActivateSource(); }
    void EndScene() override { DeactivateSource(); }
};

#else

using SourceBase = ImageSource;

#endif
