// A test plugin whose source is a 4x2 texture of known colours, drawn into its rectangle. It
// says in the host log where the host calls it: on which thread and whether the scene mutex was
// held (the host side's record of it), so tests can check what the stand-in host runs where.
#include "host/HostApi.h"
#include "host/HostSide.h"

#include <cwchar>

// Windows 8's; Wine's headers leave it out.
extern "C" __declspec(dllimport) void WINAPI GetCurrentThreadStackLimits(PULONG_PTR low, PULONG_PTR high);

namespace {

DWORD g_loadingThread = 0;  // the host's user-interface thread

// `element`: the source's own element, the parent of its "data".
void Where(const wchar_t* call, const XElement* element) {
    ULONG_PTR low = 0, high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    Log(L"RectSource %ls %ls: %ls thread (%u KiB stack), scene mutex %ls", call, element ? element->GetName() : L"?",
        GetCurrentThreadId() == g_loadingThread ? L"user-interface" : L"another", static_cast<unsigned>((high - low) / 1024),
        HostSceneMutexHeldHere() ? L"held" : L"free");
}

// Rows of BGRA pixels: red, green, blue, half-transparent white / four opaque yellows.
unsigned char kPixels[2][16] = {
    {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 128},
    {0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255},
};

class RectSource : public ImageSource {
public:
    explicit RectSource(XElement* data) : data(data) { Where(L"create", data->GetParent()); }
    ~RectSource() override {
        Where(L"destroy", data->GetParent());
        delete texture;
    }
    void RefreshFrame() override {
        if (!texture) Where(L"first frame", data->GetParent());
        if (!texture) texture = GS->CreateTexture(4, 2, GS_BGRA, kPixels, FALSE, FALSE);
        else texture->SetImage(kPixels, GS_IMAGEFORMAT_BGRA, 16);
        data->SetInt(L"frames", data->GetInt(L"frames", 0) + 1);
    }
    void Draw(const Vect2& position, const Vect2& size) override {
        GS->DrawSprite(texture, 0xFFFFFFFF, position.x, position.y, position.x + size.x, position.y + size.y);
    }
    Vect2 ReportSize() const override { return Vect2(4, 2); }
    void ReloadSettings() override { Where(L"reload", data->GetParent()); }
    void ActivateSource() override { Where(L"activate", data->GetParent()); }
    void DeactivateSource() override { Where(L"deactivate", data->GetParent()); }

private:
    XElement* data;
    Texture* texture = nullptr;
};

LPVOID STDCALL CreateRect(XElement* data) { return static_cast<ImageSource*>(new RectSource(data)); }
// A source being added whose name begins "refused" is refused.
bool STDCALL ConfigureRect(XElement* element, bool initializing) {
    Where(L"configure", element);
    if (initializing && std::wcsncmp(element->GetName(), L"refused", 7) == 0) return false;
    element->SetFloat(L"cx", 40);
    element->SetFloat(L"cy", 20);
    return true;
}

}  // namespace

extern "C" bool LoadPlugin() {
    g_loadingThread = GetCurrentThreadId();
    API->RegisterImageSourceClass(L"RectSource", L"Rectangle", CreateRect, ConfigureRect);
    return true;
}
extern "C" void UnloadPlugin() {}
extern "C" CTSTR GetPluginName() { return L"Rect"; }
extern "C" CTSTR GetPluginDescription() { return L"draws a known rectangle"; }
