// Wine 8's dwmapi.h includes uxtheme.h from its own folder: take ours first (see uxtheme.h).
#pragma once
#include <uxtheme.h>
#include_next <dwmapi.h>
