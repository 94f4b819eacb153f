# The Windows build, for Microsoft's C++ ABI: the host library stand-in (OBSApi.dll, as the host
# library is named), the plugin (TavikSongList.dll) over a static library of its code, the tools
# and the Windows tests, run under Wine. One tree per architecture: build/win for x64 (toolchain
# cmake/clang-msvc-x86_64.cmake), build/win32 for x86 (cmake/clang-msvc-i686.cmake), the plugin
# for OBS Classic's 32-bit OBS.exe with what checks it there.
if(NOT CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
  message(FATAL_ERROR "The Windows build is for Microsoft's C++ ABI: configure it with -DCMAKE_TOOLCHAIN_FILE=cmake/clang-msvc-x86_64.cmake (or clang-msvc-i686.cmake)")
endif()
# x86 programs run under Wine only where the machine runs 32-bit x86 code at all (a kernel with
# 32-bit compatibility, Debian's wine32): the 32-bit C library's loader must start. Elsewhere the
# x86 tree builds its plugin and the programs of its tests and checks the DLLs' tables, and the
# test x86_runs says what did not run.
set(TAVIK_RUNS_PROGRAMS ON)
if(TAVIK_ARCH STREQUAL "x86")
  execute_process(COMMAND /lib/ld-linux.so.2 --version RESULT_VARIABLE x86_loader OUTPUT_QUIET ERROR_QUIET)
  if(NOT x86_loader EQUAL 0 OR NOT EXISTS /usr/lib/wine/wine)
    set(TAVIK_RUNS_PROGRAMS OFF)
    set(TAVIK_X86_MISSING "this machine runs no 32-bit x86 code (/lib/ld-linux.so.2 does not start: ${x86_loader}), so Debian's wine32 is not installed")
  endif()
endif()
include(${CMAKE_SOURCE_DIR}/cmake/msvc.cmake)
# Every module gets its C runtime from attach_runtime, by its TAVIK_CRT property.
set(CMAKE_CXX_STANDARD_LIBRARIES "")
add_compile_definitions(UNICODE _UNICODE NOMINMAX)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(PLUGIN_DIR ${CMAKE_BINARY_DIR}/bin/plugins)

# Wine runner used by CTest for every Windows program. The x86 tree shares the x64 tree's prefix
# (scripts/setup): a 64-bit prefix runs 32-bit programs as 64-bit Windows does, the way a
# streamer's 32-bit OBS Classic runs.
set(TAVIK_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "The Wine prefix the tests run in")
set(WINE_PREFIX ${TAVIK_WINE_PREFIX})
set(PREFIX_INIT ${CMAKE_SOURCE_DIR}/scripts/wine-prefix-init)
set(WINE64 ${CMAKE_SOURCE_DIR}/scripts/wine64)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

include(${CMAKE_SOURCE_DIR}/cmake/sources.cmake)

# ---- host library stand-in
add_library(OBSApi SHARED ${HOST_SOURCES} host/Png.cpp)
target_include_directories(OBSApi PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(OBSApi PRIVATE HOSTAPI_BUILD)
target_link_libraries(OBSApi PRIVATE gdiplus)
set_target_properties(OBSApi PROPERTIES PREFIX "")

# ---- the plugin's code, linked by the DLL, the tests and the tools
add_library(songlist STATIC ${PORTABLE_SOURCES} ${WINDOWS_SOURCES})
target_include_directories(songlist PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(songlist PUBLIC OBSApi gdiplus gdi32 user32 shell32 ole32)

enable_language(RC)
add_library(TavikSongList SHARED dll/DllMain.cpp dll/TavikSongList.def dll/TavikSongList.rc)
target_link_libraries(TavikSongList PRIVATE songlist)
# The plugin runs on Windows' own msvcrt.dll, so it loads where OBS Classic runs with nothing else
# installed; the same inputs give the same bytes (/Brepro: no time stamp).
set_target_properties(TavikSongList PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${PLUGIN_DIR}
                      RUNTIME_OUTPUT_DIRECTORY ${PLUGIN_DIR} TAVIK_CRT msvcrt)
target_link_options(TavikSongList PRIVATE /Brepro)
# The version resource takes the project's version; the resource script is UTF-8.
target_compile_definitions(TavikSongList PRIVATE TAVIK_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
                           TAVIK_VERSION_MINOR=${PROJECT_VERSION_MINOR} TAVIK_VERSION_PATCH=${PROJECT_VERSION_PATCH})
set_source_files_properties(dll/TavikSongList.rc PROPERTIES COMPILE_OPTIONS /C65001)

# ---- the archive a streamer unzips into OBS Classic's folder (scripts/make-package.py), named by
# the project's version; scripts/package copies it to dist/.
if(TAVIK_ARCH STREQUAL "x86")
  set(PACKAGE_NAME TavikSongList-${PROJECT_VERSION}-win32.zip)
else()
  set(PACKAGE_NAME TavikSongList-${PROJECT_VERSION}-win64.zip)
endif()
set(PACKAGE_ZIP ${CMAKE_BINARY_DIR}/dist/${PACKAGE_NAME})
set(PACKAGE_INPUTS ${CMAKE_SOURCE_DIR}/docs/install-note.txt ${CMAKE_SOURCE_DIR}/LICENSE)
add_custom_command(OUTPUT ${PACKAGE_ZIP}
                   COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-package.py ${PACKAGE_ZIP} ${PROJECT_VERSION}
                           $<TARGET_FILE:TavikSongList> ${PACKAGE_INPUTS}
                   DEPENDS TavikSongList ${CMAKE_SOURCE_DIR}/scripts/make-package.py ${PACKAGE_INPUTS}
                   COMMENT "Packaging ${PACKAGE_NAME}")
add_custom_target(package_zip ALL DEPENDS ${PACKAGE_ZIP})
file(WRITE ${CMAKE_BINARY_DIR}/dist/package-name.txt "${PACKAGE_NAME}\n")

# ---- the setup program that puts the plugin into every OBS Classic on the PC
# (scripts/make-setup.py, installer/, Debian's makensis), from the same DLLs and notes as the archives;
# scripts/package copies it to dist/. It is made in the x64 tree only (an x64 setup program) and
# holds the x86 tree's plugin as well, for the 32-bit OBS: that tree (build/win32 beside this one,
# configured by scripts/setup) builds its DLL first. With TAVIK_X86_TREE empty, the setup program
# holds the 64-bit plugin alone and says so on its pages.
if(NOT TAVIK_ARCH STREQUAL "x86")
  get_filename_component(x86_tree_default "${CMAKE_BINARY_DIR}/../win32" ABSOLUTE)
  set(TAVIK_X86_TREE "${x86_tree_default}" CACHE PATH "the x86 build tree whose plugin the setup program holds too")
  set(SETUP_NAME TavikSongList-${PROJECT_VERSION}-setup.exe)
  set(PACKAGE_SETUP ${CMAKE_BINARY_DIR}/dist/${SETUP_NAME})
  set(SETUP_SOURCES ${CMAKE_SOURCE_DIR}/installer/TavikSongList.nsi ${CMAKE_SOURCE_DIR}/installer/strings.nsh
      ${CMAKE_SOURCE_DIR}/scripts/make-setup.py ${CMAKE_SOURCE_DIR}/scripts/make-package.py
      ${CMAKE_SOURCE_DIR}/dll/Resources.h)
  set(SETUP_X86_ARGS)
  set(SETUP_X86_DEPENDS)
  if(TAVIK_X86_TREE)
    set(PLUGIN_X86 ${TAVIK_X86_TREE}/bin/plugins/TavikSongList.dll)
    add_custom_target(plugin_x86
                      COMMAND ${CMAKE_COMMAND} --build ${TAVIK_X86_TREE} --target TavikSongList
                      BYPRODUCTS ${PLUGIN_X86}
                      COMMENT "Building the x86 plugin in ${TAVIK_X86_TREE}" USES_TERMINAL)
    set(SETUP_X86_ARGS --dll32 ${PLUGIN_X86})
    set(SETUP_X86_DEPENDS plugin_x86 ${PLUGIN_X86})
  else()
    message(STATUS "The setup program holds the 64-bit plugin alone (TAVIK_X86_TREE is empty)")
  endif()
  add_custom_command(OUTPUT ${PACKAGE_SETUP}
                     COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-setup.py ${PACKAGE_SETUP} ${PROJECT_VERSION}
                             $<TARGET_FILE:TavikSongList> ${PACKAGE_INPUTS} ${SETUP_X86_ARGS}
                     DEPENDS TavikSongList ${SETUP_SOURCES} ${PACKAGE_INPUTS} ${SETUP_X86_DEPENDS}
                     COMMENT "Building ${SETUP_NAME}")
  add_custom_target(package_setup ALL DEPENDS ${PACKAGE_SETUP})
  file(WRITE ${CMAKE_BINARY_DIR}/dist/setup-name.txt "${SETUP_NAME}\n")
endif()

include(${CMAKE_SOURCE_DIR}/cmake/obs-classic.cmake)
if(OBS_CLASSIC_FOUND)
  add_subdirectory(tests/obs-classic)
endif()
add_subdirectory(tools)
add_subdirectory(tests)

attach_runtime(${CMAKE_SOURCE_DIR})
