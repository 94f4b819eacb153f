// Wine 8's wingdi.h lacks what Microsoft's SDK declares here and OBS Classic uses.
#pragma once
#include_next <wingdi.h>
#ifndef CAPTUREBLT
#define CAPTUREBLT 0x40000000
#endif
