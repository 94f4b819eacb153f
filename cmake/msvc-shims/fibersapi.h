// Fiber-local storage (FlsAlloc and kin) is declared by Wine's windows.h itself.
#pragma once
#include <windows.h>
