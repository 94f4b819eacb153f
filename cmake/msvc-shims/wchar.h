// Wine's C-runtime wchar.h with two functions of the UCRT's header (ucrtbase exports them).
#pragma once
#include_next <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif
errno_t __cdecl wcrtomb_s(size_t*, char*, size_t, wchar_t, mbstate_t*);
long double __cdecl wcstold(const wchar_t*, wchar_t**);
#ifdef __cplusplus
}
#endif
