#pragma once
#include "host/Platform.h"
#include "host/String.h"

// The host library's vector types as far as the plugin names them, exported and laid out as
// there (Vect and Vect4 share their storage with an SSE register: 16 bytes, 16-byte aligned). The
// host library's default constructors leave the members as they were; these zero them.
struct HOSTAPI Vect2 {
    float x, y;
    Vect2() : x(0.0f), y(0.0f) {}
    Vect2(float a, float b) : x(a), y(b) {}
};
struct HOSTAPI alignas(16) Vect {
    float x, y, z, w;
    Vect() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
};
struct HOSTAPI alignas(16) Vect4 {
    float x, y, z, w;
    Vect4() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
};
struct HOSTAPI Matrix {
    Vect x, y, z, t;
};

// Base class of every image source, with the host library's virtual functions in its order; the
// first seven carry this system's names (the host library's own in the comments). The host
// deletes a source through its destructor, calls RefreshFrame once per video frame before Draw,
// asks ReportSize for the natural size, and calls ReloadSettings, ActivateSource and
// DeactivateSource. The named-value operations at the end do nothing unless a source overrides
// them, as in the host library.
class HOSTAPI ImageSource {
public:
    virtual ~ImageSource() {}
    virtual void RefreshFrame() {}                                     // Preprocess
    virtual void Advance(float seconds) {}                             // Tick
    virtual void Draw(const Vect2& position, const Vect2& size) = 0;   // Render
    virtual Vect2 ReportSize() const = 0;                              // GetSize
    virtual void ReloadSettings() {}                                   // UpdateSettings
    virtual void ActivateSource() {}                                   // BeginScene
    virtual void DeactivateSource() {}                                 // EndScene

    virtual void GlobalSourceLeaveScene() {}
    virtual void GlobalSourceEnterScene() {}

    virtual void SetFloat(CTSTR name, float value) {}
    virtual void SetInt(CTSTR name, int value) {}
    virtual void SetString(CTSTR name, CTSTR value) {}
    virtual void SetVector(CTSTR name, const Vect& value) {}
    virtual void SetVector2(CTSTR name, const Vect2& value) {}
    virtual void SetVector4(CTSTR name, const Vect4& value) {}
    virtual void SetMatrix(CTSTR name, const Matrix& value) {}

    virtual bool GetFloat(CTSTR name, float& value) const { return false; }
    virtual bool GetInt(CTSTR name, int& value) const { return false; }
    virtual bool GetString(CTSTR name, String& value) const { return false; }
    virtual bool GetVector(CTSTR name, Vect& value) const { return false; }
    virtual bool GetVector2(CTSTR name, Vect2& value) const { return false; }
    virtual bool GetVector4(CTSTR name, Vect4& value) const { return false; }
    virtual bool GetMatrix(CTSTR name, Matrix& value) const { return false; }
};
