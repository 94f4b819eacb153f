// What OBS.exe needs here beside its own compile units:
// - stand-ins for the two parts of OBS Classic left out of this build: its Text source (it needs
//   GDI+'s C++ classes, and Wine's <gdiplus.h> has only the flat API) and its MP3 encoder (the
//   LAME library it links holds objects lld-link cannot read). The Text source class stays
//   registered and cannot be created; the MP3 encoder cannot be chosen (the test profiles use
//   AAC).
// - the entry point: our start-up code calls main, OBS Classic's is WinMain.
// - a GUID Microsoft's SDK defines in a library and Wine's headers only declare.
#include <windows.h>

class XElement;
class ImageSource;
class AudioEncoder;

ImageSource* __stdcall CreateTextSource(XElement*) { return nullptr; }
bool __stdcall ConfigureTextSource(XElement*, bool) { return false; }
AudioEncoder* CreateMP3Encoder(UINT) { return nullptr; }

extern "C" const GUID KSDATAFORMAT_SUBTYPE_IEEE_FLOAT = {
    0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

int main() {
    // The command line after the program's own name, as WinMain receives it.
    char* arguments = GetCommandLineA();
    bool quoted = false;
    for (; *arguments && (quoted || (*arguments != ' ' && *arguments != '\t')); ++arguments)
        if (*arguments == '"') quoted = !quoted;
    while (*arguments == ' ' || *arguments == '\t') ++arguments;
    return WinMain(GetModuleHandleA(nullptr), nullptr, arguments, SW_SHOWDEFAULT);
}
