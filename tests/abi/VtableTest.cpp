// The virtual functions of the host's classes sit in the slots the host library's declarations
// give them under Microsoft's C++ ABI (one slot for a virtual destructor, slots in declaration
// order). Each slot is called through the raw vtable, as code built against the host library's
// own headers would call it, and must reach the function of the table's row.
#include <gtest/gtest.h>

#include <string>

#include "host/HostApi.h"

namespace {

// Member functions are __thiscall on x86 (the object in ecx, the arguments on the stack, popped by
// the function); x64 has one calling convention.
#ifdef _M_IX86
#define MEMBER __thiscall
#else
#define MEMBER
#endif

// The function in slot `index` of the object's vtable, called as the ABI calls a member
// function: the object first (in ecx on x86), a returned class through a pointer after it.
template <typename Fn>
Fn Slot(const void* object, int index) {
    return reinterpret_cast<Fn>((*static_cast<void* const* const*>(object))[index]);
}

struct Row {
    int index;
    const char* declaration;  // the host library's
    const char* reached;      // our function in that slot
    void (*call)(void* object);
};

template <typename Probe>
void ExpectSlots(const Row* rows, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        alignas(Probe) unsigned char storage[sizeof(Probe)];
        auto* probe = ::new (storage) Probe;
        Probe::reached.clear();
        rows[i].call(probe);
        EXPECT_EQ(Probe::reached, rows[i].reached) << "slot " << rows[i].index << ": " << rows[i].declaration;
        if (Probe::reached != "~") probe->~Probe();  // the destructor's row destroyed it already
    }
}

// ---- ImageSource: the plugin's source implements these.
struct SourceProbe : ImageSource {
    static inline std::string reached;
    void Is(const char* name) const { reached = name; }
    ~SourceProbe() override { Is("~"); }
    void RefreshFrame() override { Is("RefreshFrame"); }
    void Advance(float seconds) override { Is(seconds == 0.5f ? "Advance" : "Advance, wrong argument"); }
    void Draw(const Vect2& p, const Vect2& s) override { Is(p.x == 1 && s.y == 4 ? "Draw" : "Draw, wrong arguments"); }
    Vect2 ReportSize() const override {
        Is("ReportSize");
        return Vect2(7, 8);
    }
    void ReloadSettings() override { Is("ReloadSettings"); }
    void ActivateSource() override { Is("ActivateSource"); }
    void DeactivateSource() override { Is("DeactivateSource"); }
    void GlobalSourceLeaveScene() override { Is("GlobalSourceLeaveScene"); }
    void GlobalSourceEnterScene() override { Is("GlobalSourceEnterScene"); }
    void SetFloat(CTSTR, float) override { Is("SetFloat"); }
    void SetInt(CTSTR, int) override { Is("SetInt"); }
    void SetString(CTSTR, CTSTR) override { Is("SetString"); }
    void SetVector(CTSTR, const Vect&) override { Is("SetVector"); }
    void SetVector2(CTSTR, const Vect2&) override { Is("SetVector2"); }
    void SetVector4(CTSTR, const Vect4&) override { Is("SetVector4"); }
    void SetMatrix(CTSTR, const Matrix&) override { Is("SetMatrix"); }
    bool GetFloat(CTSTR, float&) const override { return Is("GetFloat"), true; }
    bool GetInt(CTSTR, int&) const override { return Is("GetInt"), true; }
    bool GetString(CTSTR, String&) const override { return Is("GetString"), true; }
    bool GetVector(CTSTR, Vect&) const override { return Is("GetVector"), true; }
    bool GetVector2(CTSTR, Vect2&) const override { return Is("GetVector2"), true; }
    bool GetVector4(CTSTR, Vect4&) const override { return Is("GetVector4"), true; }
    bool GetMatrix(CTSTR, Matrix&) const override { return Is("GetMatrix"), true; }
};

using Plain = void (MEMBER*)(void*);
template <typename T>
using Getter = bool (MEMBER*)(const void*, CTSTR, T*);
template <typename T>
using Setter = void (MEMBER*)(void*, CTSTR, const T*);

TEST(HostVtables, ImageSource) {
    static const Row rows[] = {
        {0, "virtual ~ImageSource() {}", "~", [](void* o) { Slot<void* (MEMBER*)(void*, unsigned)>(o, 0)(o, 0); }},
        {1, "virtual void Preprocess() {}", "RefreshFrame", [](void* o) { Slot<Plain>(o, 1)(o); }},
        {2, "virtual void Tick(float fSeconds) {}", "Advance", [](void* o) { Slot<void (MEMBER*)(void*, float)>(o, 2)(o, 0.5f); }},
        {3, "virtual void Render(const Vect2 &pos, const Vect2 &size)=0", "Draw",
         [](void* o) {
             const Vect2 p(1, 2), s(3, 4);
             Slot<void (MEMBER*)(void*, const Vect2*, const Vect2*)>(o, 3)(o, &p, &s);
         }},
        {4, "virtual Vect2 GetSize() const=0", "ReportSize",
         [](void* o) {
             Vect2 size;
             Slot<Vect2* (MEMBER*)(const void*, Vect2*)>(o, 4)(o, &size);
             if (size.x != 7 || size.y != 8) SourceProbe::reached = "ReportSize, not returned through the pointer";
         }},
        {5, "virtual void UpdateSettings() {}", "ReloadSettings", [](void* o) { Slot<Plain>(o, 5)(o); }},
        {6, "virtual void BeginScene() {}", "ActivateSource", [](void* o) { Slot<Plain>(o, 6)(o); }},
        {7, "virtual void EndScene() {}", "DeactivateSource", [](void* o) { Slot<Plain>(o, 7)(o); }},
        {8, "virtual void GlobalSourceLeaveScene() {}", "GlobalSourceLeaveScene", [](void* o) { Slot<Plain>(o, 8)(o); }},
        {9, "virtual void GlobalSourceEnterScene() {}", "GlobalSourceEnterScene", [](void* o) { Slot<Plain>(o, 9)(o); }},
        {10, "virtual void SetFloat(CTSTR lpName, float fValue) {}", "SetFloat",
         [](void* o) { Slot<void (MEMBER*)(void*, CTSTR, float)>(o, 10)(o, L"k", 1.0f); }},
        {11, "virtual void SetInt(CTSTR lpName, int iValue) {}", "SetInt",
         [](void* o) { Slot<void (MEMBER*)(void*, CTSTR, int)>(o, 11)(o, L"k", 1); }},
        {12, "virtual void SetString(CTSTR lpName, CTSTR lpVal) {}", "SetString",
         [](void* o) { Slot<void (MEMBER*)(void*, CTSTR, CTSTR)>(o, 12)(o, L"k", L"v"); }},
        {13, "virtual void SetVector(CTSTR lpName, const Vect &value) {}", "SetVector",
         [](void* o) { Vect v; Slot<Setter<Vect>>(o, 13)(o, L"k", &v); }},
        {14, "virtual void SetVector2(CTSTR lpName, const Vect2 &value) {}", "SetVector2",
         [](void* o) { Vect2 v; Slot<Setter<Vect2>>(o, 14)(o, L"k", &v); }},
        {15, "virtual void SetVector4(CTSTR lpName, const Vect4 &value) {}", "SetVector4",
         [](void* o) { Vect4 v; Slot<Setter<Vect4>>(o, 15)(o, L"k", &v); }},
        {16, "virtual void SetMatrix(CTSTR lpName, const Matrix &mat) {}", "SetMatrix",
         [](void* o) { Matrix m; Slot<Setter<Matrix>>(o, 16)(o, L"k", &m); }},
        {17, "virtual bool GetFloat(CTSTR lpName, float &fValue) const", "GetFloat",
         [](void* o) { float v; Slot<Getter<float>>(o, 17)(o, L"k", &v); }},
        {18, "virtual bool GetInt(CTSTR lpName, int &iValue) const", "GetInt",
         [](void* o) { int v; Slot<Getter<int>>(o, 18)(o, L"k", &v); }},
        {19, "virtual bool GetString(CTSTR lpName, String &strVal) const", "GetString",
         [](void* o) { String v; Slot<Getter<String>>(o, 19)(o, L"k", &v); }},
        {20, "virtual bool GetVector(CTSTR lpName, Vect &value) const", "GetVector",
         [](void* o) { Vect v; Slot<Getter<Vect>>(o, 20)(o, L"k", &v); }},
        {21, "virtual bool GetVector2(CTSTR lpName, Vect2 &value) const", "GetVector2",
         [](void* o) { Vect2 v; Slot<Getter<Vect2>>(o, 21)(o, L"k", &v); }},
        {22, "virtual bool GetVector4(CTSTR lpName, Vect4 &value) const", "GetVector4",
         [](void* o) { Vect4 v; Slot<Getter<Vect4>>(o, 22)(o, L"k", &v); }},
        {23, "virtual bool GetMatrix(CTSTR lpName, Matrix &mat) const", "GetMatrix",
         [](void* o) { Matrix m; Slot<Getter<Matrix>>(o, 23)(o, L"k", &m); }},
    };
    ExpectSlots<SourceProbe>(rows, std::size(rows));
}

// ---- Texture: the plugin sets pixels and deletes textures.
struct TextureProbe : Texture {
    static inline std::string reached;
    ~TextureProbe() override { reached = "~"; }
    DWORD Width() const override { return reached = "Width", 0; }
    DWORD Height() const override { return reached = "Height", 0; }
    BOOL HasAlpha() const override { return reached = "HasAlpha", 0; }
    void SetImage(void* data, GSImageFormat format, UINT pitch) override {
        reached = data && format == GS_IMAGEFORMAT_BGRA && pitch == 16 ? "SetImage" : "SetImage, wrong arguments";
    }
};

TEST(HostVtables, Texture) {
    static const Row rows[] = {
        {0, "virtual ~BaseTexture() {}", "~", [](void* o) { Slot<void* (MEMBER*)(void*, unsigned)>(o, 0)(o, 0); }},
        {1, "virtual DWORD Width() const=0", "Width", [](void* o) { Slot<DWORD (MEMBER*)(const void*)>(o, 1)(o); }},
        {2, "virtual DWORD Height() const=0", "Height", [](void* o) { Slot<DWORD (MEMBER*)(const void*)>(o, 2)(o); }},
        {3, "virtual BOOL HasAlpha() const=0", "HasAlpha", [](void* o) { Slot<BOOL (MEMBER*)(const void*)>(o, 3)(o); }},
        {4, "virtual void SetImage(void *lpData, GSImageFormat imageFormat, UINT pitch)=0", "SetImage",
         [](void* o) {
             unsigned char pixels[16] = {};
             Slot<void (MEMBER*)(void*, void*, GSImageFormat, UINT)>(o, 4)(o, pixels, GS_IMAGEFORMAT_BGRA, 16);
         }},
    };
    ExpectSlots<TextureProbe>(rows, std::size(rows));
}

// ---- GraphicsSystem: the plugin creates textures.
struct GraphicsProbe : GraphicsSystem {
    static inline std::string reached;
    void ResizeView() override { reached = "ResizeView"; }
    void UnloadAllData() override { reached = "UnloadAllData"; }
    ~GraphicsProbe() override { reached = "~"; }
    LPVOID GetDevice() override { return reached = "GetDevice", nullptr; }
    void Init() override { reached = "Init"; }
    Texture* CreateTextureFromSharedHandle(unsigned, unsigned, HANDLE) override {
        return reached = "CreateTextureFromSharedHandle", nullptr;
    }
    Texture* CreateTexture(unsigned width, unsigned height, GSColorFormat format, void*, BOOL mipMaps, BOOL isStatic) override {
        reached = width == 4 && height == 2 && format == GS_BGRA && !mipMaps && isStatic ? "CreateTexture"
                                                                                       : "CreateTexture, wrong arguments";
        return nullptr;
    }
};

TEST(HostVtables, GraphicsSystem) {
    using Create = Texture* (MEMBER*)(void*, unsigned, unsigned, GSColorFormat, void*, BOOL, BOOL);
    static const Row rows[] = {
        {0, "virtual void ResizeView()=0 (private)", "ResizeView", [](void* o) { Slot<Plain>(o, 0)(o); }},
        {1, "virtual void UnloadAllData()=0 (private)", "UnloadAllData", [](void* o) { Slot<Plain>(o, 1)(o); }},
        {2, "virtual ~GraphicsSystem() {}", "~", [](void* o) { Slot<void* (MEMBER*)(void*, unsigned)>(o, 2)(o, 0); }},
        {3, "virtual LPVOID GetDevice()=0", "GetDevice", [](void* o) { Slot<LPVOID (MEMBER*)(void*)>(o, 3)(o); }},
        {4, "virtual void Init()", "Init", [](void* o) { Slot<Plain>(o, 4)(o); }},
        {5, "virtual Texture* CreateTextureFromSharedHandle(unsigned int width, unsigned int height, HANDLE handle)=0",
         "CreateTextureFromSharedHandle",
         [](void* o) { Slot<Texture* (MEMBER*)(void*, unsigned, unsigned, GSColorFormat, HANDLE)>(o, 5)(o, 1, 1, GS_BGRA, nullptr); }},
        {6, "virtual Texture* CreateTexture(unsigned int width, unsigned int height, GSColorFormat colorFormat, void *lpData, BOOL bBuildMipMaps, BOOL bStatic)=0",
         "CreateTexture", [](void* o) { Slot<Create>(o, 6)(o, 4, 2, GS_BGRA, nullptr, FALSE, TRUE); }},
    };
    ExpectSlots<GraphicsProbe>(rows, std::size(rows));
}

// ---- APIInterface: the plugin registers its source class.
struct ApiProbe : APIInterface {
    static inline std::string reached;
    void Invalid03() const override { reached = "Invalid03"; }
    ~ApiProbe() override { reached = "~"; }
    void EnterSceneMutex() override { reached = "EnterSceneMutex"; }
    void LeaveSceneMutex() override { reached = "LeaveSceneMutex"; }
    void RegisterSceneClass(CTSTR, CTSTR, OBSCREATEPROC, OBSCONFIGPROC) override { reached = "RegisterSceneClass"; }
    void RegisterImageSourceClass(CTSTR name, CTSTR shown, OBSCREATEPROC, OBSCONFIGPROC) override {
        reached = std::wstring(name) == L"c" && std::wstring(shown) == L"d" ? "RegisterImageSourceClass"
                                                                           : "RegisterImageSourceClass, wrong arguments";
    }
};

TEST(HostVtables, APIInterface) {
    using Register = void (MEMBER*)(void*, CTSTR, CTSTR, OBSCREATEPROC, OBSCONFIGPROC);
    static const Row rows[] = {
        {0, "virtual void Invalid03() const {}", "Invalid03", [](void* o) { Slot<Plain>(o, 0)(o); }},
        {1, "virtual ~APIInterface() {}", "~", [](void* o) { Slot<void* (MEMBER*)(void*, unsigned)>(o, 1)(o, 0); }},
        {2, "virtual void EnterSceneMutex()=0", "EnterSceneMutex", [](void* o) { Slot<Plain>(o, 2)(o); }},
        {3, "virtual void LeaveSceneMutex()=0", "LeaveSceneMutex", [](void* o) { Slot<Plain>(o, 3)(o); }},
        {4, "virtual void RegisterSceneClass(CTSTR lpClassName, CTSTR lpDisplayName, OBSCREATEPROC createProc, OBSCONFIGPROC configProc)=0",
         "RegisterSceneClass", [](void* o) { Slot<Register>(o, 4)(o, L"a", L"b", nullptr, nullptr); }},
        {5, "virtual void RegisterImageSourceClass(CTSTR lpClassName, CTSTR lpDisplayName, OBSCREATEPROC createProc, OBSCONFIGPROC configProc)=0",
         "RegisterImageSourceClass", [](void* o) { Slot<Register>(o, 5)(o, L"c", L"d", nullptr, nullptr); }},
    };
    ExpectSlots<ApiProbe>(rows, std::size(rows));
}

// ---- Alloc: the plugin allocates and frees through MainAllocator.
struct AllocProbe : Alloc {
    static inline std::string reached;
    ~AllocProbe() override { reached = "~"; }
    void* _Allocate(std::size_t size) override { return reached = size == 24 ? "_Allocate" : "_Allocate, wrong size", nullptr; }
    void* _ReAllocate(LPVOID, std::size_t) override { return reached = "_ReAllocate", nullptr; }
    void _Free(LPVOID block) override { reached = block == &reached ? "_Free" : "_Free, wrong block"; }
    void ErrorTermination() override { reached = "ErrorTermination"; }
};

TEST(HostVtables, Alloc) {
    static const Row rows[] = {
        {0, "virtual ~Alloc() {}", "~", [](void* o) { Slot<void* (MEMBER*)(void*, unsigned)>(o, 0)(o, 0); }},
        {1, "virtual void * __restrict _Allocate(size_t dwSize)=0", "_Allocate",
         [](void* o) { Slot<void* (MEMBER*)(void*, std::size_t)>(o, 1)(o, 24); }},
        {2, "virtual void * _ReAllocate(LPVOID lpData, size_t dwSize)=0", "_ReAllocate",
         [](void* o) { Slot<void* (MEMBER*)(void*, void*, std::size_t)>(o, 2)(o, nullptr, 1); }},
        {3, "virtual void _Free(LPVOID lpData)=0", "_Free", [](void* o) { Slot<void (MEMBER*)(void*, void*)>(o, 3)(o, &AllocProbe::reached); }},
        {4, "virtual void ErrorTermination()=0", "ErrorTermination", [](void* o) { Slot<Plain>(o, 4)(o); }},
    };
    ExpectSlots<AllocProbe>(rows, std::size(rows));
}

}  // namespace
