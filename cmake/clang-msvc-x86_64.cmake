# Cross build for 64-bit Windows (x64) with Microsoft's C++ ABI: see clang-msvc.cmake.
set(TAVIK_TARGET x86_64-pc-windows-msvc)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
# The SDK folder's libraries of this architecture (scripts/sdk).
set(TAVIK_SDK_LIB_DIR lib)
set(TAVIK_ARCH_DEFINES "-D_WIN64 -DWIN64")
include("${CMAKE_CURRENT_LIST_DIR}/clang-msvc.cmake")
