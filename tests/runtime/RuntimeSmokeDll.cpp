// A DLL built like the plugin, for the start-up code's tests, once on each C runtime (the
// Universal CRT, and Windows' own msvcrt.dll as the plugin): a static object whose constructor
// and destructor are observable, a local static destroyed at unload, an exception thrown out of
// the DLL, and checks that run inside it: C++ exceptions, structured exceptions, formatting.
// A check returns null when it passed, else what went wrong.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <stdexcept>
#include <vector>

// No std::string: its out-of-line part in libc++ needs C runtime functions that msvcrt.dll lacks
// (strtof, wcstoll, ...), and the plugin does not use it either.
namespace {
constexpr char kConstructed[] = "constructed";
int* g_destroyedFlag = nullptr;
struct Observed {
    std::vector<char> text{std::begin(kConstructed), std::end(kConstructed)};
    ~Observed() {
        if (g_destroyedFlag) *g_destroyedFlag = 1;
    }
} g_observed;

int* g_localDestroyedFlag = nullptr;
struct LocalObserved {
    ~LocalObserved() {
        if (g_localDestroyedFlag) *g_localDestroyedFlag = 1;
    }
};

int g_unwound = 0;
void* volatile g_block = nullptr;
struct CountsUnwinding {
    ~CountsUnwinding() { ++g_unwound; }
};

__declspec(noinline) int OutOfRange(const std::vector<int>& values) {
    CountsUnwinding local;
    return values.at(values.size());
}

__declspec(noinline) void Fault(volatile int* where) { *where = 1; }

// catch (...) around a fault: with the synchronous model the plugin is built with, it takes C++
// exceptions only, so the fault goes on to the caller's __except.
__declspec(noinline) bool CatchAllAround(volatile int* where) {
    try {
        Fault(where);
    } catch (...) {
        return true;
    }
    return false;
}

const char* CheckExceptions() {
    g_unwound = 0;
    try {
        OutOfRange({1, 2, 3});
        return "vector::at threw nothing";
    } catch (const std::logic_error& e) {  // out_of_range, caught by its base
        if (std::strlen(e.what()) == 0) return "no text in the out_of_range";
    }
    if (g_unwound != 1) return "a local object was not destroyed while unwinding";

    const void* thrown = nullptr;
    try {
        try {
            throw std::runtime_error("inner");
        } catch (const std::exception& e) {
            thrown = &e;
            try {
                throw 42;  // a second exception while the first is handled
            } catch (int value) {
                if (value != 42) return "int caught with another value";
            }
            throw;
        }
    } catch (const std::runtime_error& e) {
        if (&e != thrown) return "rethrow gave another object";
        if (std::strcmp(e.what(), "inner") != 0) return "rethrow lost the text";
    }

    try {
        g_block = ::operator new(static_cast<std::size_t>(1) << 62);
        ::operator delete(g_block);
        return "new of 4 EiB succeeded";
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

const char* CheckStructuredExceptions() {
    DWORD code = 0;
    __try {
        Fault(nullptr);
    } __except (code = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
    }
    if (code != EXCEPTION_ACCESS_VIOLATION) return "__except did not see the access violation";

    bool caughtByCatchAll = false;
    bool caughtByExcept = false;
    __try {
        caughtByCatchAll = CatchAllAround(nullptr);
    } __except (EXCEPTION_EXECUTE_HANDLER) {
        caughtByExcept = true;
    }
    if (caughtByCatchAll) return "catch (...) took an access violation";
    if (!caughtByExcept) return "__except did not see the access violation past catch (...)";
    return nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) const char* SmokeText() { return g_observed.text.data(); }
extern "C" __declspec(dllexport) void SmokeOnUnload(int* flag) { g_destroyedFlag = flag; }
extern "C" __declspec(dllexport) void SmokeThrow(const char* what) { throw std::runtime_error(what); }

// A local static made on first use; its destructor runs when the DLL is unloaded.
extern "C" __declspec(dllexport) void SmokeLocalStatic(int* flag) {
    static LocalObserved local;
    g_localDestroyedFlag = flag;
}

extern "C" __declspec(dllexport) const char* SmokeExceptions() noexcept {
    try {
        return CheckExceptions();
    } catch (...) {
        return "an exception left the checks";
    }
}

extern "C" __declspec(dllexport) const char* SmokeStructuredExceptions() { return CheckStructuredExceptions(); }

// The plugin's own use of the formatting functions: snprintf of "%s %d" into a buffer of `size`.
extern "C" __declspec(dllexport) int SmokeFormat(char* buffer, std::size_t size) {
    return std::snprintf(buffer, size, "%s %d", "abc", 12);
}

// printf to standard output: the number of characters written.
extern "C" __declspec(dllexport) int SmokePrint() { return std::printf("%s %d\n", "smoke", 7); }
