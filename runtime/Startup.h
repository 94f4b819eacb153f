#pragma once
// The start-up code of our Microsoft-ABI modules (Common.cpp, Program.cpp, Library.cpp,
// SystemLibrary.cpp): the C runtime's functions it calls (msvcrt.dll has _initterm, not
// _initterm_e) and the tables the compiler and linker fill.
#include <corecrt_startup.h>

extern "C" {
// Calls every non-null function pointer in [first, last).
void __cdecl _initterm(_PVFV* first, _PVFV* last);
// The same for functions that return a status; stops at the first non-zero one and returns it.
int __cdecl _initterm_e(_PIFV* first, _PIFV* last);

// The C initialisers (.CRT$XI*) and the C++ static constructors (.CRT$XC*) of this module.
extern _PIFV __xi_a[], __xi_z[];
extern _PVFV __xc_a[], __xc_z[];
}
