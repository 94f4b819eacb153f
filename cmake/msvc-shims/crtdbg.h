// Wine's C-runtime crtdbg.h with the constants of the UCRT's header that release builds still
// name; as there, the debug-heap calls do nothing outside debug builds.
#pragma once
#include_next <crtdbg.h>

#define _CRTDBG_ALLOC_MEM_DF 0x01
#define _CRTDBG_DELAY_FREE_MEM_DF 0x02
#define _CRTDBG_CHECK_ALWAYS_DF 0x04
#define _CRTDBG_LEAK_CHECK_DF 0x20
#define _CRTDBG_REPORT_FLAG -1
#define _CRTDBG_MODE_FILE 0x1
#define _CRTDBG_MODE_DEBUG 0x2
#define _CRTDBG_MODE_WNDW 0x4
typedef void* _HFILE;
#define _CRTDBG_FILE_STDOUT ((_HFILE)-4)
#define _CRTDBG_FILE_STDERR ((_HFILE)-5)
#ifndef _DEBUG
#define _CrtSetReportFile(t, f) ((_HFILE)0)
#endif
