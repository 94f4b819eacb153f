// What a module that runs on Windows' own C runtime, msvcrt.dll (the plugin), needs beyond that
// DLL's names. Everything is compiled against the Universal CRT's headers, and clang emits
// Microsoft's names of the Visual C++ 2015 runtime; the module is linked against an import
// library of the names mingw-w64 lists for the msvcrt.dll every 64-bit Windows ships
// (scripts/msvcrt-names), so what the headers or the compiler call by another name is defined
// here, on msvcrt.dll's own functions:
//   - __CxxFrameHandler3, the personality of every function with C++ exception tables, is
//     msvcrt.dll's __CxxFrameHandler: on x64 both read the same table (see below);
//   - __std_terminate, called where an exception leaves a noexcept function;
//   - __acrt_iob_func (stdin, stdout, stderr) and the two formatting entries the printf family
//     of the headers is made of, __stdio_common_vfprintf and __stdio_common_vsprintf, on
//     msvcrt.dll's _vfprintf_l, _vscprintf_l and _vsnprintf_l.
// The std:: side of the C++ runtime (exception classes, terminate handlers) is SystemCxx.cpp.
// No C runtime header is included: the headers define the printf family inline, on the very
// names defined here.
#include <stdarg.h>

extern "C" {

// ---- C++ exceptions. clang gives every function with a try block or an object to destroy the
// personality __CxxFrameHandler3, with its table (FuncInfo) at the handler data: magic number
// 0x19930522, the maximum state, the unwind map, the try blocks, the IP-to-state map, the
// unwind-help slot, the list of the types a function may throw (always 0) and the flags (1: synchronous,
// catch(...) takes C++ exceptions only). The table grew only at its end: 0x19930520 has the
// fields up to the unwind-help slot, 0x19930521 adds that list, 0x19930522 the
// flags, and the frame handler reads each field only when the magic number says it is there.
// On x64, Microsoft's runtime defines __CxxFrameHandler with the same body as
// __CxxFrameHandler3 (the table's address from the handler data, then the one internal
// handler), and Wine's msvcrt.dll exports __CxxFrameHandler, __CxxFrameHandler2 and
// __CxxFrameHandler3 at one address. So the personality goes on to __CxxFrameHandler with its
// four arguments as they are; a jump, so no frame of ours sits between the dispatcher and the
// handler.
#ifdef _WIN64
asm(R"(
    .text
    .globl __CxxFrameHandler3
    .p2align 4
__CxxFrameHandler3:
    jmpq *__imp___CxxFrameHandler(%rip)
)");

// Where an exception would leave a noexcept function.
__declspec(dllimport) __declspec(noreturn) void __cdecl msvcrt_terminate() __asm__("?terminate@@YAXXZ");
__declspec(noreturn) void __cdecl __std_terminate() { msvcrt_terminate(); }
#else
// On x86 a function with exception tables registers a handler of its own on the frame chain
// (fs:0) that loads its table's address into eax and jumps to __CxxFrameHandler3; Microsoft's x86
// runtime has one body for __CxxFrameHandler, __CxxFrameHandler2 and __CxxFrameHandler3, all
// taking the table in eax and the four arguments on the stack, and Wine's i386 msvcrt.dll checks
// the magic number from 0x19930520 to 0x19930522 alike. mingw-w64's x86 list of msvcrt.dll's
// names has __CxxFrameHandler only: the jump keeps eax and the stack as they are.
asm(R"(
    .text
    .globl ___CxxFrameHandler3
    .p2align 4
___CxxFrameHandler3:
    jmpl *__imp____CxxFrameHandler
)");

// Where an exception would leave a noexcept function: std::terminate, which on x86 is the
// module's own (SystemCxx.cpp), as that list has no C++ names of msvcrt.dll.
}  // extern "C"
namespace std {
[[noreturn]] void terminate() noexcept;
}
extern "C" {
__declspec(noreturn) void __cdecl __std_terminate() { std::terminate(); }
#endif

// ---- the standard streams. msvcrt.dll's FILE objects are an array of this layout (the one
// Wine's headers give FILE), reached through __iob_func.
struct MsvcrtFile {
    char* ptr;
    int count;
    char* base;
    int flags;
    int file;
    int charBuffer;
    int bufferSize;
    char* temporaryName;
};
#ifdef _WIN64
static_assert(sizeof(MsvcrtFile) == 48, "msvcrt.dll's FILE on x64");
#else
static_assert(sizeof(MsvcrtFile) == 32, "msvcrt.dll's FILE on x86");
#endif
__declspec(dllimport) MsvcrtFile* __cdecl __iob_func();

MsvcrtFile* __cdecl __acrt_iob_func(unsigned index) { return __iob_func() + index; }

// ---- formatting. The options are the Universal CRT's (corecrt_stdio_config.h); only the two
// that choose what a too small buffer gets change what is done here. The conversions are
// msvcrt.dll's: what the options would change in them (exponent digits, rounding, %n, wide
// strings in narrow formats) the plugin does not use, its formats are "%s" and "%d".
using Locale = struct LocaleData*;
// An asm label is the symbol as written: an x86 C name's symbol has a leading underscore.
#ifdef _WIN64
#define TAVIK_C_SYMBOL(name) name
#else
#define TAVIK_C_SYMBOL(name) "_" name
#endif
__declspec(dllimport) int __cdecl msvcrt_vfprintf_l(MsvcrtFile* file, const char* format, Locale locale, va_list args)
    __asm__(TAVIK_C_SYMBOL("_vfprintf_l"));
__declspec(dllimport) int __cdecl msvcrt_vscprintf_l(const char* format, Locale locale, va_list args)
    __asm__(TAVIK_C_SYMBOL("_vscprintf_l"));
__declspec(dllimport) int __cdecl msvcrt_vsnprintf_l(char* buffer, __SIZE_TYPE__ count, const char* format, Locale locale,
                                                     va_list args) __asm__(TAVIK_C_SYMBOL("_vsnprintf_l"));

constexpr unsigned long long kLegacyNullTermination = 0x0001;  // _vsnprintf: -1 and no terminator when cut
constexpr unsigned long long kStandardSnprintf = 0x0002;       // C99 snprintf: the full length, terminated

int __cdecl __stdio_common_vfprintf(unsigned long long /*options*/, MsvcrtFile* file, const char* format, Locale locale,
                                    va_list args) {
    return msvcrt_vfprintf_l(file, format, locale, args);
}

// Writes at most `count` characters with the terminator into `buffer` and returns the length of
// the whole text (without the terminator), or -1 for a format msvcrt.dll rejects. When the text
// is cut: the whole length with kStandardSnprintf (terminated), -1 with kLegacyNullTermination
// (not terminated), else -2 (terminated). No buffer: the length the text needs.
int __cdecl __stdio_common_vsprintf(unsigned long long options, char* buffer, __SIZE_TYPE__ count, const char* format,
                                    Locale locale, va_list args) {
    va_list measured;
    va_copy(measured, args);
    const int length = msvcrt_vscprintf_l(format, locale, measured);
    va_end(measured);
    if (length < 0 || !buffer) return length;
    if (static_cast<__SIZE_TYPE__>(length) < count) return msvcrt_vsnprintf_l(buffer, count, format, locale, args);
    // Cut: msvcrt.dll writes the first `count` characters and no terminator.
    msvcrt_vsnprintf_l(buffer, count, format, locale, args);
    if (options & kLegacyNullTermination) return static_cast<__SIZE_TYPE__>(length) == count ? length : -1;
    if (count > 0) buffer[count - 1] = '\0';
    if (options & kStandardSnprintf) return length;
    return count > 0 ? -2 : -1;
}

// The headers declare these three as imports of the C runtime DLL, so callers reach them through
// a pointer named __imp_NAME: these are those pointers, to the definitions above.
#ifdef _WIN64
extern void* const __imp___acrt_iob_func;
extern void* const __imp___stdio_common_vfprintf;
extern void* const __imp___stdio_common_vsprintf;
void* const __imp___acrt_iob_func = reinterpret_cast<void*>(&__acrt_iob_func);
void* const __imp___stdio_common_vfprintf = reinterpret_cast<void*>(&__stdio_common_vfprintf);
void* const __imp___stdio_common_vsprintf = reinterpret_cast<void*>(&__stdio_common_vsprintf);
#else
extern void* const imp_acrt_iob_func __asm__("__imp____acrt_iob_func");
extern void* const imp_stdio_common_vfprintf __asm__("__imp____stdio_common_vfprintf");
extern void* const imp_stdio_common_vsprintf __asm__("__imp____stdio_common_vsprintf");
void* const imp_acrt_iob_func = reinterpret_cast<void*>(&__acrt_iob_func);
void* const imp_stdio_common_vfprintf = reinterpret_cast<void*>(&__stdio_common_vfprintf);
void* const imp_stdio_common_vsprintf = reinterpret_cast<void*>(&__stdio_common_vsprintf);
#endif

}  // extern "C"
