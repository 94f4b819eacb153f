// Wine 8's winuser.h lacks what Microsoft's SDK declares here and OBS Classic uses.
#pragma once
#include_next <winuser.h>
#ifndef GW_ENABLEDPOPUP
#define GW_ENABLEDPOPUP 6
#endif
