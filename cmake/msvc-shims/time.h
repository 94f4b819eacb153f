// Wine's C-runtime time.h with the C11 timespec, the locale-taking strftime and localtime_s of
// the UCRT's header.
#pragma once
#include_next <time.h>

#ifndef _TIMESPEC_DEFINED
#define _TIMESPEC_DEFINED
struct timespec {
    time_t tv_sec;
    long tv_nsec;
};
#endif

#ifdef __cplusplus
extern "C" {
#endif
size_t __cdecl _strftime_l(char*, size_t, const char*, const struct tm*, _locale_t);
static inline errno_t localtime_s(struct tm* out, const time_t* time) { return _localtime64_s(out, time); }
#ifdef __cplusplus
}
#endif
