// Wine 8's winnt.h lacks what Microsoft's SDK declares here and OBS Classic uses.
#pragma once
#include_next <winnt.h>
#ifndef ES_AWAYMODE_REQUIRED
#define ES_AWAYMODE_REQUIRED 0x00000040
#endif
#define HeapEnableTerminationOnCorruption ((HEAP_INFORMATION_CLASS)1)
