// Wine 8's winbase.h lacks what Microsoft's SDK declares here and OBS Classic uses.
#pragma once
#include_next <winbase.h>
#ifdef __cplusplus
extern "C"
#endif
__declspec(dllimport) BOOL WINAPI SetProcessDEPPolicy(DWORD flags);
