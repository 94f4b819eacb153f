#pragma once
// Basic types shared by the host library and its plugins. On Windows they come from the system
// headers; the native (Linux) build of the portable code gets stand-ins of the same names.

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#  ifdef HOSTAPI_BUILD
#    define HOSTAPI __declspec(dllexport)
#  else
#    define HOSTAPI __declspec(dllimport)
#  endif
#else
#  define HOSTAPI
using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using HWND = struct HWND__*;
using HINSTANCE = struct HINSTANCE__*;
#  ifndef FALSE
#    define FALSE 0
#    define TRUE 1
#  endif
#endif

using UPARAM = std::uintptr_t;
using TSTR = wchar_t*;
using CTSTR = const wchar_t*;
