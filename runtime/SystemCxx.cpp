// The part of libc++'s exception.cpp that a module on Windows' own msvcrt.dll (the plugin) can
// have: libc++-msvcrt.lib is libc++ without that file, whose std::exception_ptr is built on
// helpers of the Visual C++ 2015 runtime (msvcp140.dll) that msvcrt.dll has no counterpart of.
// Defined here: the exception classes' members, and terminate with its handler, on msvcrt.dll's
// own (which keeps the handler per thread). Not defined, so that a use fails to link rather
// than misbehave: std::exception_ptr, current_exception, rethrow_exception, nested_exception
// (and what is built on them, such as std::promise), and uncaught_exceptions (msvcrt.dll
// counts no uncaught exceptions, it only says whether there is one).
#include <exception>
#include <new>
#include <typeinfo>

#ifdef _WIN64
// msvcrt.dll's own, under their decorated names.
namespace msvcrt {
__declspec(dllimport) std::terminate_handler __cdecl SetTerminate(std::terminate_handler handler) noexcept
    __asm__("?set_terminate@@YAP6AXXZP6AXXZ@Z");
[[noreturn]] __declspec(dllimport) void __cdecl Terminate() noexcept __asm__("?terminate@@YAXXZ");
}  // namespace msvcrt
extern "C" __declspec(dllimport) bool __cdecl __uncaught_exception() noexcept;

namespace std {

terminate_handler set_terminate(terminate_handler handler) noexcept { return msvcrt::SetTerminate(handler); }

terminate_handler get_terminate() noexcept {
    // msvcrt.dll can only exchange the handler; it is the calling thread's, so the moment
    // without it is not seen elsewhere.
    const terminate_handler handler = msvcrt::SetTerminate(nullptr);
    msvcrt::SetTerminate(handler);
    return handler;
}

// The thread's handler, then abort.
void terminate() noexcept { msvcrt::Terminate(); }

#else
// mingw-w64's x86 list of msvcrt.dll's names has none of its C++ names, so on x86 the handler is
// the module's own: std::terminate calls it, then abort. (msvcrt.dll's own terminate, which its
// exception handling calls where an exception leaves a destructor during unwinding, calls
// msvcrt.dll's handler, which nothing here changes.)
#include <atomic>
#include <cstdlib>

extern "C" __declspec(dllimport) bool __cdecl __uncaught_exception() noexcept;

namespace {
std::atomic<std::terminate_handler> g_terminateHandler{nullptr};
}  // namespace

namespace std {

terminate_handler set_terminate(terminate_handler handler) noexcept { return g_terminateHandler.exchange(handler); }
terminate_handler get_terminate() noexcept { return g_terminateHandler.load(); }

void terminate() noexcept {
    if (const terminate_handler handler = g_terminateHandler.load()) handler();
    std::abort();
}

#endif

bool uncaught_exception() noexcept { return __uncaught_exception(); }

exception::~exception() noexcept {}
const char* exception::what() const noexcept { return "std::exception"; }

bad_exception::~bad_exception() noexcept {}
const char* bad_exception::what() const noexcept { return "std::bad_exception"; }

bad_alloc::bad_alloc() noexcept {}
bad_alloc::~bad_alloc() noexcept {}
const char* bad_alloc::what() const noexcept { return "std::bad_alloc"; }

bad_array_new_length::bad_array_new_length() noexcept {}
bad_array_new_length::~bad_array_new_length() noexcept {}
const char* bad_array_new_length::what() const noexcept { return "bad_array_new_length"; }

bad_cast::bad_cast() noexcept {}
bad_cast::~bad_cast() noexcept {}
const char* bad_cast::what() const noexcept { return "std::bad_cast"; }

bad_typeid::bad_typeid() noexcept {}
bad_typeid::~bad_typeid() noexcept {}
const char* bad_typeid::what() const noexcept { return "std::bad_typeid"; }

}  // namespace std
