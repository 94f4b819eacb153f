// Included before every file of OBS Classic built here: what Microsoft's compiler and headers
// give that clang and Wine's headers do not.
#pragma once
#ifdef __cplusplus
#include <stdlib.h>
// Microsoft's <stdlib.h> overloads abs for long and long long in C++.
inline long abs(long value) { return labs(value); }
inline long long abs(long long value) { return llabs(value); }
#endif
