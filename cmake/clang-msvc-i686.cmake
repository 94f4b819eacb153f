# Cross build for 32-bit Windows (x86) with Microsoft's C++ ABI: member functions __thiscall,
# x86 name decoration, frame-based exception handling. See clang-msvc.cmake.
set(TAVIK_TARGET i686-pc-windows-msvc)
set(CMAKE_SYSTEM_PROCESSOR X86)
# The SDK folder's libraries of this architecture (scripts/sdk).
set(TAVIK_SDK_LIB_DIR lib-x86)
# SSE2, as Microsoft's x86 compiler assumes by default (since Visual C++ 2012), and OBS Classic with it.
set(TAVIK_ARCH_DEFINES "-msse2")
include("${CMAKE_CURRENT_LIST_DIR}/clang-msvc.cmake")
