// The plugin DLL as the host would load it: what it exports, and what it imports from the host
// library (only names the host library declares, under Microsoft's decoration) and from the
// system (DLLs that are part of Windows, nothing of MinGW's or of a Visual C++ redistributable).
// Where OBS Classic's own OBSApi.dll was built (TAVIK_REAL_OBSAPI), its export table is the judge
// of the host names.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/abi/PeFile.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// What the plugin imports from OBSApi.dll: every name under x64 and under x86 decoration (on x86
// member functions are __thiscall, QAE/QBE, STDCALL functions __stdcall, YG, pointers 32-bit),
// with the host library's declaration it comes from: for reading, and the check where the real
// library was not built.
struct HostName {
    const char* x64;
    const char* x86;
    const char* declaration;
};
const HostName kHostNames[] = {
    {"??0String@@QEAA@XZ", "??0String@@QAE@XZ",
     "String::String()"},
    {"??0String@@QEAA@PEBD@Z", "??0String@@QAE@PBD@Z",
     "String::String(LPCSTR str)"},
    {"??0String@@QEAA@PEB_W@Z", "??0String@@QAE@PB_W@Z",
     "String::String(CWSTR str)"},
    {"??0String@@QEAA@AEBV0@@Z", "??0String@@QAE@ABV0@@Z",
     "String::String(const String &str)"},
    {"??1String@@QEAA@XZ", "??1String@@QAE@XZ",
     "String::~String()"},
    {"??4String@@QEAAAEAV0@PEB_W@Z", "??4String@@QAEAAV0@PB_W@Z",
     "String& String::operator=(CTSTR str)"},
    {"??4String@@QEAAAEAV0@AEBV0@@Z", "??4String@@QAEAAV0@ABV0@@Z",
     "String& String::operator=(const String &str)"},
    {"??YString@@QEAAAEAV0@PEB_W@Z", "??YString@@QAEAAV0@PB_W@Z",
     "String& String::operator+=(CTSTR str)"},
    {"??YString@@QEAAAEAV0@_W@Z", "??YString@@QAEAAV0@_W@Z",
     "String& String::operator+=(TCHAR ch)"},
    {"??YString@@QEAAAEAV0@AEBV0@@Z", "??YString@@QAEAAV0@ABV0@@Z",
     "String& String::operator+=(const String &str)"},
    {"??HString@@QEBA?AV0@PEB_W@Z", "??HString@@QBE?AV0@PB_W@Z",
     "String String::operator+(CTSTR str) const"},
    {"??HString@@QEBA?AV0@AEBV0@@Z", "??HString@@QBE?AV0@ABV0@@Z",
     "String String::operator+(const String &str) const"},
    {"??6String@@QEAAAEAV0@PEB_W@Z", "??6String@@QAEAAV0@PB_W@Z",
     "String& String::operator<<(CTSTR str)"},
    {"??6String@@QEAAAEAV0@H@Z", "??6String@@QAEAAV0@H@Z",
     "String& String::operator<<(int number)"},
    {"??6String@@QEAAAEAV0@AEBV0@@Z", "??6String@@QAEAAV0@ABV0@@Z",
     "String& String::operator<<(const String &str)"},
    {"?Compare@String@@QEBAHPEB_W@Z", "?Compare@String@@QBEHPB_W@Z",
     "BOOL String::Compare(CTSTR str) const"},
    {"?FindReplace@String@@QEAAAEAV1@PEB_W0@Z", "?FindReplace@String@@QAEAAV1@PB_W0@Z",
     "String& String::FindReplace(CTSTR strFind, CTSTR strReplace)"},
    {"?AppendString@String@@QEAAAEAV1@PEB_WI@Z", "?AppendString@String@@QAEAAV1@PB_WI@Z",
     "String& String::AppendString(CTSTR str, UINT count=0)"},
    {"?Clear@String@@QEAAAEAV1@XZ", "?Clear@String@@QAEAAV1@XZ",
     "String& String::Clear()"},
    {"?GetToken@String@@QEBA?AV1@H_W@Z", "?GetToken@String@@QBE?AV1@H_W@Z",
     "String String::GetToken(int id, TCHAR token=' ') const"},
    {"?GetTokenOffset@String@@QEBAPEB_WH_W@Z", "?GetTokenOffset@String@@QBEPB_WH_W@Z",
     "CTSTR String::GetTokenOffset(int token, TCHAR seperator=' ') const"},
    {"?Left@String@@QEAA?AV1@I@Z", "?Left@String@@QAE?AV1@I@Z",
     "String String::Left(UINT iEnd)"},
    {"?ToInt@String@@QEBAHH@Z", "?ToInt@String@@QBEHH@Z",
     "inline int String::ToInt(int base=10) const"},
    {"?KillSpaces@String@@QEAAAEAV1@XZ", "?KillSpaces@String@@QAEAAV1@XZ",
     "inline String& String::KillSpaces()"},
    {"?GetString@XElement@@QEBAPEB_WPEB_WPEA_W@Z", "?GetString@XElement@@QBEPB_WPB_WPA_W@Z",
     "CTSTR XElement::GetString(CTSTR lpName, TSTR def=NULL) const"},
    {"?GetInt@XElement@@QEBAHPEB_WH@Z", "?GetInt@XElement@@QBEHPB_WH@Z",
     "int XElement::GetInt(CTSTR lpName, int def=0) const"},
    {"?GetFloat@XElement@@QEBAMPEB_WM@Z", "?GetFloat@XElement@@QBEMPB_WM@Z",
     "float XElement::GetFloat(CTSTR lpName, float def=0.0f) const"},
    {"?SetString@XElement@@QEAAXPEB_W0@Z", "?SetString@XElement@@QAEXPB_W0@Z",
     "void XElement::SetString(CTSTR lpName, CTSTR lpString)"},
    {"?SetInt@XElement@@QEAAXPEB_WH@Z", "?SetInt@XElement@@QAEXPB_WH@Z",
     "void XElement::SetInt(CTSTR lpName, int number)"},
    {"?SetFloat@XElement@@QEAAXPEB_WM@Z", "?SetFloat@XElement@@QAEXPB_WM@Z",
     "void XElement::SetFloat(CTSTR lpName, float number)"},
    {"?GetElement@XElement@@QEBAPEAV1@PEB_W@Z", "?GetElement@XElement@@QBEPAV1@PB_W@Z",
     "XElement* XElement::GetElement(CTSTR lpName) const"},
    {"?CreateElement@XElement@@QEAAPEAV1@PEB_W@Z", "?CreateElement@XElement@@QAEPAV1@PB_W@Z",
     "XElement* XElement::CreateElement(CTSTR lpName)"},
    {"?GlobalSourceLeaveScene@ImageSource@@UEAAXXZ", "?GlobalSourceLeaveScene@ImageSource@@UAEXXZ",
     "virtual void ImageSource::GlobalSourceLeaveScene() {}"},
    {"?GlobalSourceEnterScene@ImageSource@@UEAAXXZ", "?GlobalSourceEnterScene@ImageSource@@UAEXXZ",
     "virtual void ImageSource::GlobalSourceEnterScene() {}"},
    {"?SetFloat@ImageSource@@UEAAXPEB_WM@Z", "?SetFloat@ImageSource@@UAEXPB_WM@Z",
     "virtual void ImageSource::SetFloat(CTSTR lpName, float fValue) {}"},
    {"?SetInt@ImageSource@@UEAAXPEB_WH@Z", "?SetInt@ImageSource@@UAEXPB_WH@Z",
     "virtual void ImageSource::SetInt(CTSTR lpName, int iValue) {}"},
    {"?SetString@ImageSource@@UEAAXPEB_W0@Z", "?SetString@ImageSource@@UAEXPB_W0@Z",
     "virtual void ImageSource::SetString(CTSTR lpName, CTSTR lpVal) {}"},
    {"?SetVector@ImageSource@@UEAAXPEB_WAEBUVect@@@Z", "?SetVector@ImageSource@@UAEXPB_WABUVect@@@Z",
     "virtual void ImageSource::SetVector(CTSTR lpName, const Vect &value) {}"},
    {"?SetVector2@ImageSource@@UEAAXPEB_WAEBUVect2@@@Z", "?SetVector2@ImageSource@@UAEXPB_WABUVect2@@@Z",
     "virtual void ImageSource::SetVector2(CTSTR lpName, const Vect2 &value) {}"},
    {"?SetVector4@ImageSource@@UEAAXPEB_WAEBUVect4@@@Z", "?SetVector4@ImageSource@@UAEXPB_WABUVect4@@@Z",
     "virtual void ImageSource::SetVector4(CTSTR lpName, const Vect4 &value) {}"},
    {"?SetMatrix@ImageSource@@UEAAXPEB_WAEBUMatrix@@@Z", "?SetMatrix@ImageSource@@UAEXPB_WABUMatrix@@@Z",
     "virtual void ImageSource::SetMatrix(CTSTR lpName, const Matrix &mat) {}"},
    {"?GetFloat@ImageSource@@UEBA_NPEB_WAEAM@Z", "?GetFloat@ImageSource@@UBE_NPB_WAAM@Z",
     "virtual bool ImageSource::GetFloat(CTSTR lpName, float &fValue) const"},
    {"?GetInt@ImageSource@@UEBA_NPEB_WAEAH@Z", "?GetInt@ImageSource@@UBE_NPB_WAAH@Z",
     "virtual bool ImageSource::GetInt(CTSTR lpName, int &iValue) const"},
    {"?GetString@ImageSource@@UEBA_NPEB_WAEAVString@@@Z", "?GetString@ImageSource@@UBE_NPB_WAAVString@@@Z",
     "virtual bool ImageSource::GetString(CTSTR lpName, String &strVal) const"},
    {"?GetVector@ImageSource@@UEBA_NPEB_WAEAUVect@@@Z", "?GetVector@ImageSource@@UBE_NPB_WAAUVect@@@Z",
     "virtual bool ImageSource::GetVector(CTSTR lpName, Vect &value) const"},
    {"?GetVector2@ImageSource@@UEBA_NPEB_WAEAUVect2@@@Z", "?GetVector2@ImageSource@@UBE_NPB_WAAUVect2@@@Z",
     "virtual bool ImageSource::GetVector2(CTSTR lpName, Vect2 &value) const"},
    {"?GetVector4@ImageSource@@UEBA_NPEB_WAEAUVect4@@@Z", "?GetVector4@ImageSource@@UBE_NPB_WAAUVect4@@@Z",
     "virtual bool ImageSource::GetVector4(CTSTR lpName, Vect4 &value) const"},
    {"?GetMatrix@ImageSource@@UEBA_NPEB_WAEAUMatrix@@@Z", "?GetMatrix@ImageSource@@UBE_NPB_WAAUMatrix@@@Z",
     "virtual bool ImageSource::GetMatrix(CTSTR lpName, Matrix &mat) const"},
    {"?DrawSprite@GraphicsSystem@@QEAAXPEAVTexture@@KMMMM@Z", "?DrawSprite@GraphicsSystem@@QAEXPAVTexture@@KMMMM@Z",
     "void GraphicsSystem::DrawSprite(Texture *texture, DWORD color, float x, float y, float x2 = -998.0f, float y2 = -998.0f)"},
    {"?OBSCreateHotkey@@YAIKP6AXK_K_N@Z0@Z", "?OBSCreateHotkey@@YAIKP6GXKK_N@ZK@Z",
     "UINT OBSCreateHotkey(DWORD hotkey, OBSHOTKEYPROC hotkeyProc, UPARAM param)"},
    {"?OBSDeleteHotkey@@YAXI@Z", "?OBSDeleteHotkey@@YAXI@Z",
     "void OBSDeleteHotkey(UINT hotkeyID)"},
    {"?OBSMessageBox@@YAHPEAUHWND__@@PEB_W1I@Z", "?OBSMessageBox@@YAHPAUHWND__@@PB_W1I@Z",
     "int OBSMessageBox(HWND hwnd, LPCTSTR lpText, LPCTSTR lpCaption, UINT flags)"},
    {"?Log@@YAXPEB_WZZ", "?Log@@YAXPB_WZZ",
     "void __cdecl Log(const TCHAR *format, ...)"},
    {"?AppWarning@@YAXPEB_WZZ", "?AppWarning@@YAXPB_WZZ",
     "void __cdecl AppWarning(const TCHAR *format, ...)"},
    {"?InitColorControl@@YAXPEAUHINSTANCE__@@@Z", "?InitColorControl@@YAXPAUHINSTANCE__@@@Z",
     "void InitColorControl(HINSTANCE hInstance)"},
    {"?scpy_n@@YAXPEA_WPEB_WI@Z", "?scpy_n@@YGXPA_WPB_WI@Z",
     "void STDCALL scpy_n(TCHAR *strDest, const TCHAR *strSrc, unsigned int n)"},
    {"?MainAllocator@@3PEAVAlloc@@EA", "?MainAllocator@@3PAVAlloc@@A",
     "extern Alloc *MainAllocator"},
    {"?API@@3PEAVAPIInterface@@EA", "?API@@3PAVAPIInterface@@A",
     "extern APIInterface *API"},
    {"?GS@@3PEAVGraphicsSystem@@EA", "?GS@@3PAVGraphicsSystem@@A",
     "extern GraphicsSystem *GS"},
};
#ifdef _WIN64
const char* Decorated(const HostName& name) { return name.x64; }
#else
const char* Decorated(const HostName& name) { return name.x86; }
#endif
std::set<std::string> HostLibraryNames() {
    std::set<std::string> names;
    for (const HostName& name : kHostNames) names.insert(Decorated(name));
    return names;
}

// The DLLs every Windows from 7 SP1 on has, the C runtime among them (msvcrt.dll): a streamer
// needs nothing installed but the host. On x86 ntdll.dll has the compiler's 64-bit arithmetic
// helpers.
const std::set<std::string> kSystemDlls = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "gdiplus.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
    "msvcrt.dll",
#ifndef _WIN64
    "ntdll.dll",
#endif
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

class PluginImage : public testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryW(L"plugins\\TavikSongList.dll");
        ASSERT_NE(module, nullptr) << GetLastError();
        base = reinterpret_cast<const unsigned char*>(module);
        auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    const IMAGE_DATA_DIRECTORY& Directory(int entry) const { return nt->OptionalHeader.DataDirectory[entry]; }
    template <typename T>
    const T* At(DWORD rva) const {
        return reinterpret_cast<const T*>(base + rva);
    }

    // Every DLL the image imports from, with the names it takes from each (ordinals as "#n").
    std::map<std::string, std::vector<std::string>> Imports() const {
        std::map<std::string, std::vector<std::string>> imports;
        const IMAGE_DATA_DIRECTORY& dir = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
        for (auto* d = At<IMAGE_IMPORT_DESCRIPTOR>(dir.VirtualAddress); dir.VirtualAddress && d->Name; ++d) {
            std::vector<std::string>& names = imports[Lower(At<char>(d->Name))];
            for (auto* t = At<IMAGE_THUNK_DATA>(d->OriginalFirstThunk); t->u1.AddressOfData; ++t) {
                if (IMAGE_SNAP_BY_ORDINAL(t->u1.Ordinal))
                    names.push_back("#" + std::to_string(IMAGE_ORDINAL(t->u1.Ordinal)));
                else
                    names.push_back(reinterpret_cast<const char*>(At<IMAGE_IMPORT_BY_NAME>(static_cast<DWORD>(t->u1.AddressOfData))->Name));
            }
        }
        return imports;
    }

    HMODULE module = nullptr;
    const unsigned char* base = nullptr;
    const IMAGE_NT_HEADERS* nt = nullptr;
};

TEST_F(PluginImage, ExportsExactlyTheFourEntryPoints) {
    const IMAGE_DATA_DIRECTORY& dir = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(dir.VirtualAddress, 0u);
    auto* exports = At<IMAGE_EXPORT_DIRECTORY>(dir.VirtualAddress);
    std::set<std::string> names;
    auto* nameRvas = At<DWORD>(exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.insert(At<char>(nameRvas[i]));
    EXPECT_EQ(names, (std::set<std::string>{"LoadPlugin", "UnloadPlugin", "GetPluginName", "GetPluginDescription"}));
    // Nothing is exported by ordinal alone (the table may have an empty slot before the first
    // ordinal).
    auto* functions = At<DWORD>(exports->AddressOfFunctions);
    const auto used = std::count_if(functions, functions + exports->NumberOfFunctions, [](DWORD rva) { return rva != 0; });
    EXPECT_EQ(static_cast<DWORD>(used), exports->NumberOfNames);
}

TEST_F(PluginImage, ImportsTheHostLibraryByItsDecoratedNamesAndOnlySystemDllsBesides) {
    const auto imports = Imports();
    ASSERT_EQ(imports.count("obsapi.dll"), 1u);
    for (const auto& [dll, names] : imports) {
        if (dll == "obsapi.dll") {
#ifndef TAVIK_REAL_OBSAPI
            const std::set<std::string> known = HostLibraryNames();
            for (const std::string& name : names)
                EXPECT_EQ(known.count(name), 1u) << name << " is not one of the host library's names";
#endif
        } else {
            EXPECT_EQ(kSystemDlls.count(dll), 1u) << dll;
        }
    }
    // What the plugin reaches of the host outside vtables is there under the same names.
    const std::vector<std::string>& host = imports.at("obsapi.dll");
    for (const HostName& name : kHostNames) {
        const std::string declaration = name.declaration;
        if (declaration.find("OBSCreateHotkey") == std::string::npos && declaration.find("DrawSprite") == std::string::npos &&
            declaration.find("extern") == std::string::npos)
            continue;
        EXPECT_EQ(std::count(host.begin(), host.end(), Decorated(name)), 1) << Decorated(name);
    }
}

// Every name a plugin DLL imports from OBSApi.dll is exported by OBS Classic's own: the shipped
// DLL, built against our host layer, and the one built against the host library's own headers.
TEST(RealHostLibrary, ExportsEveryNameThePluginImports) {
#ifndef TAVIK_REAL_OBSAPI
    GTEST_SKIP() << "OBS Classic's source was not found, so its OBSApi.dll was not built (see OBS_CLASSIC_SOURCE)";
#else
    const PeFile real("obs-classic\\OBSApi.dll");
    ASSERT_TRUE(real.Valid());
    const std::set<std::string> exported = real.Exports();
    ASSERT_GT(exported.size(), 1000u);
    for (const char* path : {"plugins\\TavikSongList.dll", "obs-classic\\plugins\\TavikSongList.dll"}) {
        const PeFile plugin(path);
        ASSERT_TRUE(plugin.Valid()) << path;
        const auto imports = plugin.Imports();
        ASSERT_EQ(imports.count("obsapi.dll"), 1u) << path;
        for (const std::string& name : imports.at("obsapi.dll"))
            EXPECT_EQ(exported.count(name), 1u) << path << " imports " << name << ", which OBS Classic's OBSApi.dll does not export";
    }
#endif
}

}  // namespace
