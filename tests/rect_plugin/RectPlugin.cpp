// A test plugin whose source is a 4x2 texture of known colours, drawn into its rectangle.
#include "host/HostApi.h"

namespace {

// Rows of BGRA pixels: red, green, blue, half-transparent white / four opaque yellows.
unsigned char kPixels[2][16] = {
    {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 128},
    {0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255},
};

class RectSource : public ImageSource {
public:
    explicit RectSource(XElement* data) : data(data) {}
    ~RectSource() override { delete texture; }
    void RefreshFrame() override {
        if (!texture) texture = GS->CreateTexture(4, 2, GS_BGRA, kPixels, FALSE, FALSE);
        else texture->SetImage(kPixels, GS_IMAGEFORMAT_BGRA, 16);
        data->SetInt(L"frames", data->GetInt(L"frames", 0) + 1);
    }
    void Draw(const Vect2& position, const Vect2& size) override {
        GS->DrawSprite(texture, 0xFFFFFFFF, position.x, position.y, position.x + size.x, position.y + size.y);
    }
    Vect2 ReportSize() const override { return Vect2(4, 2); }

private:
    XElement* data;
    Texture* texture = nullptr;
};

LPVOID STDCALL CreateRect(XElement* data) { return static_cast<ImageSource*>(new RectSource(data)); }
bool STDCALL ConfigureRect(XElement* element, bool) {
    element->SetFloat(L"cx", 40);
    element->SetFloat(L"cy", 20);
    return true;
}

}  // namespace

extern "C" bool LoadPlugin() {
    API->RegisterImageSourceClass(L"RectSource", L"Rectangle", CreateRect, ConfigureRect);
    return true;
}
extern "C" void UnloadPlugin() {}
extern "C" CTSTR GetPluginName() { return L"Rect"; }
extern "C" CTSTR GetPluginDescription() { return L"draws a known rectangle"; }
