#pragma once
// Stands in for the host library's own header in the adapter's test: its image-source base with
// the host library's names for the slots that carry other names in our host layer.
struct Vect2 {
    float x, y;
    Vect2() : x(0), y(0) {}
    Vect2(float a, float b) : x(a), y(b) {}
};

class ImageSource {
public:
    virtual ~ImageSource() {}
    virtual void Preprocess() {}
    virtual void Tick(float fSeconds) {}
    virtual void Render(const Vect2& pos, const Vect2& size) = 0;
    virtual Vect2 GetSize() const = 0;
    virtual void UpdateSettings() {}
    virtual void BeginScene() {}
    virtual void EndScene() {}
};
