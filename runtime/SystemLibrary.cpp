// The entry point of our DLLs that run on Windows' own C runtime, msvcrt.dll (the plugin): as
// Library.cpp, but msvcrt.dll has none of the Universal CRT's exit-function tables or
// _initterm_e, so the module keeps its exit functions in a table of its own and runs its C
// initialisers itself.
// The Windows types are spelt out: windows.h would declare atexit as an import of the C runtime's.
#include "runtime/Startup.h"

using BOOL = int;
using DWORD = unsigned long;
using HINSTANCE = struct HINSTANCE__*;
using HANDLE = void*;
using LPVOID = void*;
#define WINAPI __stdcall
#define TRUE 1
#define FALSE 0
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

extern "C" {
struct SrwLock {
    void* ptr;
};
__declspec(dllimport) void WINAPI AcquireSRWLockExclusive(SrwLock* lock);
__declspec(dllimport) void WINAPI ReleaseSRWLockExclusive(SrwLock* lock);
__declspec(dllimport) HANDLE WINAPI GetProcessHeap();
__declspec(dllimport) LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, __SIZE_TYPE__ bytes);
__declspec(dllimport) BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);
}

namespace {

// The module's exit functions, in the order registered; run last first at unload. Static
// destructors register here at load, under the loader's lock; local statics with destructors
// register when first used, on any thread.
class ExitFunctions {
public:
    bool Add(_PVFV function) {
        AcquireSRWLockExclusive(&lock_);
        bool added = count_ < capacity_ || Grow();
        if (added) functions_[count_++] = function;
        ReleaseSRWLockExclusive(&lock_);
        return added;
    }

    // Runs every function, the last registered first, including any registered meanwhile.
    void RunAll() {
        for (;;) {
            AcquireSRWLockExclusive(&lock_);
            _PVFV function = count_ > 0 ? functions_[--count_] : nullptr;
            ReleaseSRWLockExclusive(&lock_);
            if (!function) break;
            function();
        }
        if (functions_) HeapFree(GetProcessHeap(), 0, functions_);
        functions_ = nullptr;
        capacity_ = 0;
    }

private:
    bool Grow() {
        const unsigned long long capacity = capacity_ ? capacity_ * 2 : 32;
        auto* grown = static_cast<_PVFV*>(HeapAlloc(GetProcessHeap(), 0, capacity * sizeof(_PVFV)));
        if (!grown) return false;
        for (unsigned long long i = 0; i < count_; ++i) grown[i] = functions_[i];
        if (functions_) HeapFree(GetProcessHeap(), 0, functions_);
        functions_ = grown;
        capacity_ = capacity;
        return true;
    }

    SrwLock lock_{};
    _PVFV* functions_ = nullptr;
    unsigned long long count_ = 0;
    unsigned long long capacity_ = 0;
};

// Zero-initialised data, usable before any constructor runs.
ExitFunctions g_exitFunctions;

int RunInitialisers(_PIFV* first, _PIFV* last) {
    for (; first < last; ++first) {
        if (!*first) continue;
        if (const int status = (*first)()) return status;
    }
    return 0;
}

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
int __cdecl atexit(_PVFV function) { return g_exitFunctions.Add(function) ? 0 : -1; }
_onexit_t __cdecl _onexit(_onexit_t function) {
    return g_exitFunctions.Add(reinterpret_cast<_PVFV>(function)) ? function : nullptr;
}

BOOL WINAPI _DllMainCRTStartup(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (RunInitialisers(__xi_a, __xi_z) != 0) return FALSE;
        _initterm(__xc_a, __xc_z);
    }
    const BOOL result = DllMain(module, reason, reserved);
    if (reason == DLL_PROCESS_DETACH) g_exitFunctions.RunAll();
    return result;
}
}
