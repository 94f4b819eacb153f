#pragma once
// Basic types shared by the host library and its plugins, named and shaped as the host library's
// own (TSTR is wide text, UPARAM pointer-sized, STDCALL the calling convention its callbacks and
// string helpers declare). On Windows they come from the system headers; the native (Linux)
// build of the portable code gets stand-ins of the same names.

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
#  define STDCALL __stdcall
#else
#  define HOSTAPI
#  define STDCALL
#  define __cdecl
using BOOL = int;
using BYTE = unsigned char;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using LPVOID = void*;
using HANDLE = void*;
using HWND = struct HWND__*;
using HINSTANCE = struct HINSTANCE__*;
using HDC = struct HDC__*;
using LPCTSTR = const wchar_t*;
#  ifndef FALSE
#    define FALSE 0
#    define TRUE 1
#  endif
#endif

using TCHAR = wchar_t;
using TSTR = wchar_t*;
using CTSTR = const wchar_t*;
#if defined(_WIN32) && !defined(_WIN64)
// On x86 the host library's UPARAM is unsigned long: as wide as a pointer, but not the type
// uintptr_t is there (unsigned int), and the decorated names of the functions that take one say so.
using UPARAM = unsigned long;
#else
using UPARAM = std::uintptr_t;
#endif
