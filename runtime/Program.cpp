// The entry point of our programs: the C runtime's arguments and environment, the static
// constructors, main, and exit, which runs what atexit registered (static destructors too).
#include "runtime/Startup.h"

extern "C" {
int __cdecl main(int argc, char** argv);
__declspec(dllimport) char*** __cdecl __p___argv(void);
__declspec(dllimport) int* __cdecl __p___argc(void);
__declspec(noreturn) __declspec(dllimport) void __cdecl exit(int status);

// In a program the exit functions are the process's own: the UCRT runs them at exit.
int __cdecl atexit(_PVFV function) { return _crt_atexit(function); }

int mainCRTStartup() {
    _set_app_type(_crt_console_app);
    _configure_narrow_argv(_crt_argv_unexpanded_arguments);
    _initialize_narrow_environment();
    if (_initterm_e(__xi_a, __xi_z) != 0) return 255;
    _initterm(__xc_a, __xc_z);
    exit(main(*__p___argc(), *__p___argv()));
}
}
