// Wine 8's uxtheme.h declares its functions without C linkage when included from C++.
#pragma once
#include <commctrl.h>
#ifdef __cplusplus
extern "C" {
#endif
#include_next <uxtheme.h>
#ifdef __cplusplus
}
#endif
