// Wine's C-runtime ctype.h with the locale-taking tests and the table query it leaves out
// (ucrtbase exports them).
#pragma once
#include_next <ctype.h>

#ifdef __cplusplus
extern "C" {
#endif
int __cdecl _islower_l(int, _locale_t);
int __cdecl _isupper_l(int, _locale_t);
int __cdecl _isdigit_l(int, _locale_t);
int __cdecl _isxdigit_l(int, _locale_t);
const unsigned short* __cdecl __pctype_func(void);
int __cdecl _iswcntrl_l(wint_t, _locale_t);
int __cdecl _iswxdigit_l(wint_t, _locale_t);
#ifdef __cplusplus
}
#endif
