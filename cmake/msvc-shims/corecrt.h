// Wine's corecrt.h, with time_t of 64 bits on x86 too, as the Universal CRT's headers have it
// (32 bits only where _USE_32BIT_TIME_T is defined before): Wine's header makes it 32 bits on
// x86, which ends in 2038.
#pragma once
#if defined(__i386__) && !defined(_USE_32BIT_TIME_T)
#  define _TIME_T_DEFINED
#  include_next <corecrt.h>
typedef __time64_t time_t;
#  undef _USE_32BIT_TIME_T
#else
#  include_next <corecrt.h>
#endif
