// Wine 8's commctrl.h lacks what Microsoft's SDK declares here and OBS Classic uses.
#pragma once
#include_next <commctrl.h>
typedef NMBCDROPDOWN* LPNMBCDROPDOWN;
#ifndef ListView_HitTestEx
#define ListView_HitTestEx(hwnd, pinfo) (INT)SendMessageW((hwnd), LVM_HITTEST, (WPARAM)-1, (LPARAM)(LVHITTESTINFO*)(pinfo))
#endif
