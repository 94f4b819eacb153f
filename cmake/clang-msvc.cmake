# Cross build for Windows with Microsoft's C++ ABI, from Debian's packages: clang 14 with
# --target=TAVIK_TARGET, lld-link, Wine's C-runtime and Windows headers and import libraries
# (libwine-dev of the architecture), and libc++ built by scripts/setup into the SDK folder
# (build/sdk by default, TAVIK_SDK to choose another). Our own start-up code (runtime/) takes the
# place of the C runtime's static part, so nothing of Wine's is linked into what is built.
# Included by the toolchain file of each architecture, which sets TAVIK_TARGET,
# CMAKE_SYSTEM_PROCESSOR, TAVIK_SDK_LIB_DIR (the SDK folder's libraries of the architecture) and
# TAVIK_ARCH_DEFINES: clang-msvc-x86_64.cmake (x64) and clang-msvc-i686.cmake (x86).
set(CMAKE_SYSTEM_NAME Windows)

set(TAVIK_SDK "${CMAKE_CURRENT_LIST_DIR}/../build/sdk" CACHE PATH "libc++ and the import libraries, made by scripts/setup")
get_filename_component(TAVIK_SDK "${TAVIK_SDK}" ABSOLUTE)
set(TAVIK_SDK_LIB "${TAVIK_SDK}/${TAVIK_SDK_LIB_DIR}")
if(TAVIK_TARGET MATCHES "^i686")
  set(TAVIK_ARCH x86)
  set(TAVIK_WINE_LIB /usr/lib/i386-linux-gnu/wine/i386-windows)
  set(TAVIK_DLLTOOL_MACHINE i386)
else()
  set(TAVIK_ARCH x64)
  set(TAVIK_WINE_LIB /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
  set(TAVIK_DLLTOOL_MACHINE i386:x86-64)
endif()
set(TAVIK_WINE_INCLUDE /usr/include/wine/wine)
set(TAVIK_SHIMS "${CMAKE_CURRENT_LIST_DIR}/msvc-shims")
# Handed to try_compile and to the libc++ project.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVIK_SDK TAVIK_SDK_LIB)

set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET ${TAVIK_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${TAVIK_TARGET})
set(CMAKE_RC_COMPILER llvm-rc-14)
set(CMAKE_AR llvm-ar-14 CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib-14 CACHE FILEPATH "")
set(CMAKE_LINKER lld-link-14 CACHE FILEPATH "")
set(CMAKE_MT "" CACHE FILEPATH "")
# The C runtime is the DLL one (_DLL, _MT), also in debug builds.
set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreadedDLL)
# Compiler checks build a static library: no program can be linked before the SDK exists.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Headers, in this order: libc++, its configuration, our shims over Wine's C runtime, clang's own,
# Wine's C runtime (the UCRT's interface), Wine's Windows headers.
set(TAVIK_SYSTEM_INCLUDES
    "${TAVIK_SDK}/libcxx/include" "${TAVIK_SDK}/include" "${TAVIK_SHIMS}"
    "/usr/lib/llvm-14/lib/clang/14.0.6/include"
    "${TAVIK_WINE_INCLUDE}/msvcrt" "${TAVIK_WINE_INCLUDE}/windows")
set(flags "-fms-extensions -fms-compatibility -fms-compatibility-version=19.29 -nostdinc")
foreach(dir IN LISTS TAVIK_SYSTEM_INCLUDES)
  string(APPEND flags " -isystem \"${dir}\"")
endforeach()
# WCHAR is wchar_t; the UCRT's declarations; libc++ brings its own exception classes and is linked
# statically.
# __try/__except with GetExceptionCode (USE_COMPILER_EXCEPTIONS, in Wine's excpt.h).
string(APPEND flags " ${TAVIK_ARCH_DEFINES} -DWINE_UNICODE_NATIVE -D_MSVCR_VER=140 -D_UCRT -DUSE_COMPILER_EXCEPTIONS")
string(APPEND flags " -fexceptions -fcxx-exceptions -include \"${TAVIK_SHIMS}/prelude.h\"")
set(CMAKE_C_FLAGS_INIT "${flags}")
set(CMAKE_CXX_FLAGS_INIT "${flags}")

set(CMAKE_FIND_ROOT_PATH "${TAVIK_SDK}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Linking is lld-link's alone, with rules of our own (see msvc-rules.cmake).
set(CMAKE_USER_MAKE_RULES_OVERRIDE "${CMAKE_CURRENT_LIST_DIR}/msvc-rules.cmake")
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX "${CMAKE_CURRENT_LIST_DIR}/msvc-rules.cmake")
set(CMAKE_USER_MAKE_RULES_OVERRIDE_C "${CMAKE_CURRENT_LIST_DIR}/msvc-rules.cmake")
