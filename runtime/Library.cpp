// The entry point of our DLLs: static constructors at process attach, the module's own exit
// functions (static destructors, atexit) at process detach, and DllMain in between. A DLL
// without a DllMain of its own gets one that accepts every notification.
// The Windows types are spelt out: windows.h would declare atexit as an import of the UCRT's.
#include "runtime/Startup.h"

using BOOL = int;
using DWORD = unsigned long;
using HINSTANCE = struct HINSTANCE__*;
using LPVOID = void*;
#define WINAPI __stdcall
#define TRUE 1
#define FALSE 0
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

namespace {
_onexit_table_t g_exitFunctions;
}  // namespace

extern "C" {
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
BOOL WINAPI TavikDefaultDllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#ifdef _WIN64
#pragma comment(linker, "/alternatename:DllMain=TavikDefaultDllMain")
#else
// x86 __stdcall symbols: an underscore, the name, "@" and the size of the arguments.
#pragma comment(linker, "/alternatename:_DllMain@12=_TavikDefaultDllMain@12")
#endif

// In a DLL the exit functions belong to the module: they run when it is unloaded.
int __cdecl atexit(_PVFV function) {
    return _register_onexit_function(&g_exitFunctions, reinterpret_cast<_onexit_t>(function));
}
_onexit_t __cdecl _onexit(_onexit_t function) {
    return _register_onexit_function(&g_exitFunctions, function) == 0 ? function : nullptr;
}

BOOL WINAPI _DllMainCRTStartup(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (_initialize_onexit_table(&g_exitFunctions) != 0) return FALSE;
        if (_initterm_e(__xi_a, __xi_z) != 0) return FALSE;
        _initterm(__xc_a, __xc_z);
    }
    const BOOL result = DllMain(module, reason, reserved);
    if (reason == DLL_PROCESS_DETACH) _execute_onexit_table(&g_exitFunctions);
    return result;
}
}
