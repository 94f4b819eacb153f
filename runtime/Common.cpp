// What every module of ours needs from a C runtime's static part, which Microsoft ships in its
// own libraries and nobody else does: the sections static constructors are listed in, the TLS
// directory, thread-safe local statics, the stack probe, the floating-point marker and the
// type_info vtable. The rest comes from the C runtime DLLs: ucrtbase.dll and vcruntime140.dll, or
// Windows' own msvcrt.dll with SystemCrt.cpp and SystemCxx.cpp.
#include <windows.h>

#include "runtime/Startup.h"

extern "C" {

// Floating-point code references this to pull a floating-point runtime in; ucrtbase needs none.
int _fltused = 0x9875;

// ---- static constructors: the compiler lists them in .CRT$XCU, sorted between these two.
#pragma section(".CRT$XCA", long, read)
#pragma section(".CRT$XCZ", long, read)
#pragma section(".CRT$XIA", long, read)
#pragma section(".CRT$XIZ", long, read)
__declspec(allocate(".CRT$XCA")) _PVFV __xc_a[] = {nullptr};
__declspec(allocate(".CRT$XCZ")) _PVFV __xc_z[] = {nullptr};
__declspec(allocate(".CRT$XIA")) _PIFV __xi_a[] = {nullptr};
__declspec(allocate(".CRT$XIZ")) _PIFV __xi_z[] = {nullptr};

// ---- thread-local storage: the loader reads this directory (the linker points the image's TLS
// entry at _tls_used) and gives every thread a copy of the .tls section.
ULONG _tls_index = 0;
#pragma section(".tls", long, read, write)
#pragma section(".tls$ZZZ", long, read, write)
#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLZ", long, read)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
__declspec(allocate(".CRT$XLA")) PIMAGE_TLS_CALLBACK __xl_a = nullptr;
__declspec(allocate(".CRT$XLZ")) PIMAGE_TLS_CALLBACK __xl_z = nullptr;
#ifdef _WIN64
extern const IMAGE_TLS_DIRECTORY64 _tls_used = {
    /* StartAddressOfRawData */ reinterpret_cast<ULONGLONG>(&_tls_start),
    /* EndAddressOfRawData */ reinterpret_cast<ULONGLONG>(&_tls_end),
    /* AddressOfIndex */ reinterpret_cast<ULONGLONG>(&_tls_index),
    /* AddressOfCallBacks */ reinterpret_cast<ULONGLONG>(&__xl_a + 1),
    /* SizeOfZeroFill */ 0,
    /* Characteristics */ 0,
};
#else
extern const IMAGE_TLS_DIRECTORY32 _tls_used = {
    /* StartAddressOfRawData */ reinterpret_cast<DWORD>(&_tls_start),
    /* EndAddressOfRawData */ reinterpret_cast<DWORD>(&_tls_end),
    /* AddressOfIndex */ reinterpret_cast<DWORD>(&_tls_index),
    /* AddressOfCallBacks */ reinterpret_cast<DWORD>(&__xl_a + 1),
    /* SizeOfZeroFill */ 0,
    /* Characteristics */ 0,
};
#endif

// ---- thread-safe initialisation of local statics, as the compiler expects it: a guard word per
// static (0 not started, -1 running, else the epoch it finished in) and a per-thread epoch that
// makes the fast path a plain comparison.
int _Init_global_epoch = INT_MIN;
__declspec(thread) int _Init_thread_epoch = INT_MIN;
}  // extern "C"

namespace {
SRWLOCK g_staticsLock = SRWLOCK_INIT;
CONDITION_VARIABLE g_staticsDone = CONDITION_VARIABLE_INIT;
constexpr int kRunning = -1;
}  // namespace

extern "C" void __cdecl _Init_thread_header(int* guard) {
    AcquireSRWLockExclusive(&g_staticsLock);
    while (*guard == kRunning) SleepConditionVariableSRW(&g_staticsDone, &g_staticsLock, INFINITE, 0);
    if (*guard == 0) {
        *guard = kRunning;  // this thread runs the initialiser; the caller sees -1 and goes on
    } else {
        _Init_thread_epoch = _Init_global_epoch;
    }
    ReleaseSRWLockExclusive(&g_staticsLock);
}

extern "C" void __cdecl _Init_thread_footer(int* guard) {
    AcquireSRWLockExclusive(&g_staticsLock);
    *guard = ++_Init_global_epoch;
    _Init_thread_epoch = _Init_global_epoch;
    ReleaseSRWLockExclusive(&g_staticsLock);
    WakeAllConditionVariable(&g_staticsDone);
}

extern "C" void __cdecl _Init_thread_abort(int* guard) {
    AcquireSRWLockExclusive(&g_staticsLock);
    *guard = 0;
    ReleaseSRWLockExclusive(&g_staticsLock);
    WakeAllConditionVariable(&g_staticsDone);
}

// ---- the type_info vtable every RTTI descriptor points at. Its one slot, the destructor, is
// never called: type_info objects are static data of the modules that hold them.
namespace {
void TypeInfoDestructor() {}
struct TypeInfoVtable {
    const void* completeObjectLocator;
    void (*destructor)();
};
}  // namespace
extern "C" const TypeInfoVtable tavik_type_info_vtable = {nullptr, TypeInfoDestructor};
#ifdef _WIN64
asm(".globl \"??_7type_info@@6B@\"\n"
    ".set \"??_7type_info@@6B@\", tavik_type_info_vtable + 8\n");
#else
// x86 symbols of C names carry a leading underscore.
asm(".globl \"??_7type_info@@6B@\"\n"
    ".set \"??_7type_info@@6B@\", _tavik_type_info_vtable + 4\n");
#endif

// ---- the stack probe for frames over a page: touches every page between the stack limit and
// the new stack pointer, in order, so the guard page grows the stack.
#ifdef _WIN64
// rax holds the frame size; every register but r10, r11 and the flags is kept.
asm(R"(
    .text
    .globl __chkstk
    .p2align 4
__chkstk:
    pushq %r10
    pushq %r11
    leaq 24(%rsp), %r10
    xorl %r11d, %r11d
    subq %rax, %r10
    cmovbq %r11, %r10
    movq %gs:16, %r11
    cmpq %r11, %r10
    jae 2f
    andw $0xF000, %r10w
1:
    leaq -4096(%r11), %r11
    movb $0, (%r11)
    cmpq %r11, %r10
    jne 1b
2:
    popq %r11
    popq %r10
    retq
)");
#else
// x86: ntdll.dll's _chkstk, with the 64-bit arithmetic helpers the compiler calls on x86 (_alldiv,
// _aullrem, ...): Windows' own, in every x86 Windows, linked through ntdll.lib (msvc-rules.cmake).
// What the compiler reads thread-local storage through: the offset of the thread's TLS array in
// its thread environment block (fs:0x2C), an absolute symbol.
asm(".globl __tls_array\n"
    ".set __tls_array, 0x2C\n");
#endif
