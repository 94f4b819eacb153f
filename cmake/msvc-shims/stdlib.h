// Wine's C-runtime stdlib.h with what the UCRT's header adds and libc++ uses; every function
// named here is exported by ucrtbase.dll.
#pragma once
#include_next <stdlib.h>

#ifndef MB_CUR_MAX
#define MB_CUR_MAX ___mb_cur_max_func()
#endif

#ifdef __cplusplus
extern "C" {
#endif
int* __cdecl __sys_nerr(void);
int __cdecl ___mb_cur_max_l_func(_locale_t);
#define _sys_nerr (*__sys_nerr())
float __cdecl _strtof_l(const char*, char**, _locale_t);
double __cdecl _strtod_l(const char*, char**, _locale_t);
unsigned int __cdecl _set_abort_behavior(unsigned int flags, unsigned int mask);
#define _WRITE_ABORT_MSG 0x1
#define _CALL_REPORTFAULT 0x2
#ifdef __cplusplus
}
#endif
