// OBS Classic names this header as Microsoft's SDK spells it; Wine's is lower case and lacks a
// flag of EnumProcessModulesEx that the SDK's has.
#pragma once
#include <psapi.h>
#ifndef LIST_MODULES_ALL
#define LIST_MODULES_ALL 0x03
#endif
