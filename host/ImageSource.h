#pragma once
#include "host/Platform.h"
#include "host/String.h"

struct Vect2 { float x = 0.0f, y = 0.0f; };
struct Vect { float x = 0.0f, y = 0.0f, z = 0.0f; };
struct Vect4 { float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f; };
struct Matrix { Vect x, y, z, t; };

// Base class of every image source. The host deletes a source through its destructor, calls
// RefreshFrame once per video frame before Draw, asks ReportSize for the natural size, and
// calls ReloadSettings, ActivateSource and DeactivateSource. The named-value operations at the
// end are the host's own and store what they are given.
class HOSTAPI ImageSource {
public:
    ImageSource();
    ImageSource(const ImageSource&) = delete;
    ImageSource& operator=(const ImageSource&) = delete;

    virtual ~ImageSource();
    virtual void RefreshFrame() {}
    virtual void Advance() {}
    virtual void Draw(const Vect2& position, const Vect2& size) = 0;
    virtual Vect2 ReportSize() const = 0;
    virtual void ReloadSettings() {}
    virtual void ActivateSource() {}
    virtual void DeactivateSource() {}

    virtual void GlobalSourceLeaveScene() {}
    virtual void GlobalSourceEnterScene() {}
    virtual void SetFloat(CTSTR name, float value);
    virtual void SetInt(CTSTR name, int value);
    virtual void SetString(CTSTR name, CTSTR value);
    virtual void SetVector(CTSTR name, const Vect& value);
    virtual void SetVector2(CTSTR name, const Vect2& value);
    virtual void SetVector4(CTSTR name, const Vect4& value);
    virtual void SetMatrix(CTSTR name, const Matrix& value);
    virtual bool GetFloat(CTSTR name, float& out) const;
    virtual bool GetInt(CTSTR name, int& out) const;
    virtual bool GetString(CTSTR name, String& out) const;
    virtual bool GetVector(CTSTR name, Vect& out) const;
    virtual bool GetVector2(CTSTR name, Vect2& out) const;
    virtual bool GetVector4(CTSTR name, Vect4& out) const;
    virtual bool GetMatrix(CTSTR name, Matrix& out) const;

private:
    struct NamedValues;
    NamedValues* namedValues = nullptr;
};
