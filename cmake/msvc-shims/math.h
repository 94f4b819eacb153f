// Wine's C-runtime math.h with what Microsoft's own header adds: long double is double in
// Microsoft's ABI, and its header defines the long double functions inline over the double ones.
#pragma once
#include_next <math.h>

#ifdef __cplusplus
extern "C" {
#endif

double __cdecl erfc(double);
float __cdecl erfcf(float);
double __cdecl fma(double, double, double);
float __cdecl fmaf(float, float, float);
double __cdecl nextafter(double, double);
float __cdecl nextafterf(float, float);
static inline double nexttoward(double x, long double y) { return nextafter(x, (double)y); }
static inline float nexttowardf(float x, long double y) { return nextafterf(x, (float)y); }

#define TAVIK_LD1(name) static inline long double name##l(long double x) { return name((double)x); }
#define TAVIK_LD2(name) static inline long double name##l(long double x, long double y) { return name((double)x, (double)y); }
TAVIK_LD1(acos) TAVIK_LD1(asin) TAVIK_LD1(atan) TAVIK_LD1(acosh) TAVIK_LD1(asinh) TAVIK_LD1(atanh)
TAVIK_LD1(cbrt) TAVIK_LD1(ceil) TAVIK_LD1(cos) TAVIK_LD1(cosh) TAVIK_LD1(erf) TAVIK_LD1(erfc)
TAVIK_LD1(exp) TAVIK_LD1(exp2) TAVIK_LD1(expm1) TAVIK_LD1(fabs) TAVIK_LD1(floor) TAVIK_LD1(lgamma)
TAVIK_LD1(log) TAVIK_LD1(log10) TAVIK_LD1(log1p) TAVIK_LD1(log2) TAVIK_LD1(logb) TAVIK_LD1(nearbyint)
TAVIK_LD1(rint) TAVIK_LD1(round) TAVIK_LD1(sin) TAVIK_LD1(sinh) TAVIK_LD1(sqrt) TAVIK_LD1(tan)
TAVIK_LD1(tanh) TAVIK_LD1(tgamma) TAVIK_LD1(trunc)
TAVIK_LD2(atan2) TAVIK_LD2(fdim) TAVIK_LD2(fmax) TAVIK_LD2(fmin) TAVIK_LD2(fmod) TAVIK_LD2(hypot)
TAVIK_LD2(nextafter) TAVIK_LD2(pow) TAVIK_LD2(remainder)
#undef TAVIK_LD1
#undef TAVIK_LD2
static inline long double copysignl(long double x, long double y) { return _copysign((double)x, (double)y); }
static inline long double fmal(long double x, long double y, long double z) { return fma((double)x, (double)y, (double)z); }
static inline long double frexpl(long double x, int* e) { return frexp((double)x, e); }
static inline int ilogbl(long double x) { return ilogb((double)x); }
static inline long double ldexpl(long double x, int e) { return ldexp((double)x, e); }
static inline long long llrintl(long double x) { return llrint((double)x); }
static inline long long llroundl(long double x) { return llround((double)x); }
static inline long lrintl(long double x) { return lrint((double)x); }
static inline long lroundl(long double x) { return lround((double)x); }
static inline long double modfl(long double x, long double* i) {
    double whole;
    double fraction = modf((double)x, &whole);
    *i = whole;
    return fraction;
}
static inline long double nexttowardl(long double x, long double y) { return nextafter((double)x, (double)y); }
static inline long double remquol(long double x, long double y, int* q) { return remquo((double)x, (double)y, q); }
static inline long double scalblnl(long double x, long e) { return scalbln((double)x, e); }
static inline long double scalbnl(long double x, int e) { return scalbn((double)x, e); }

#ifdef __cplusplus
}
#endif
