# Link rules for the Microsoft-ABI build: lld-link directly, no default libraries, our start-up
# code's entry points, and the C and C++ runtime DLLs' import libraries from the SDK folder.

# The two C runtimes a module can be linked with (the project chooses per module, see
# cmake/msvc.cmake; anything else built with this toolchain gets the first):
# - the Universal CRT and the Visual C++ 2015-2022 runtime: libc++ first; vcruntime140 before
#   ucrtbase, so what both export binds where Windows has it;
# - Windows' own msvcrt.dll: libc++ without its exception.cpp and the import library of the names
#   mingw-w64 lists for msvcrt.dll (scripts/sdk); runtime/System*.cpp give the rest.
set(TAVIK_UCRT_LIBRARIES "${TAVIK_SDK_LIB}/libc++.lib" "${TAVIK_SDK_LIB}/msvcp140_exceptionptr.lib"
    "${TAVIK_SDK_LIB}/vcruntime140.lib" "${TAVIK_SDK_LIB}/ucrtbase.lib" "${TAVIK_SDK_LIB}/msvcp140.lib"
    "${TAVIK_SDK_LIB}/kernel32.lib")
set(TAVIK_MSVCRT_LIBRARIES "${TAVIK_SDK_LIB}/libc++-msvcrt.lib" "${TAVIK_SDK_LIB}/msvcrt-os.lib"
    "${TAVIK_SDK_LIB}/kernel32.lib")
# On x86 the compiler calls helpers for 64-bit division, remainders, products and shifts, and the
# stack probe _chkstk: ntdll.dll's, part of every x86 Windows, in either set.
if(TAVIK_ARCH STREQUAL "x86")
  list(APPEND TAVIK_UCRT_LIBRARIES "${TAVIK_SDK_LIB}/ntdll.lib")
  list(APPEND TAVIK_MSVCRT_LIBRARIES "${TAVIK_SDK_LIB}/ntdll.lib")
endif()
list(TRANSFORM TAVIK_UCRT_LIBRARIES REPLACE "(.+)" "\"\\1\"" OUTPUT_VARIABLE quoted)
list(JOIN quoted " " TAVIK_UCRT_LINK_ITEMS)
foreach(lang C CXX)
  # Optimised like the other builds, no debug heap or debug runtime in any configuration.
  set(CMAKE_${lang}_FLAGS_DEBUG_INIT "-O0 -g -gcodeview")
  set(CMAKE_${lang}_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")
  set(CMAKE_${lang}_FLAGS_RELWITHDEBINFO_INIT "-O2 -DNDEBUG")
  set(CMAKE_${lang}_FLAGS_MINSIZEREL_INIT "-Os -DNDEBUG")
  set(CMAKE_${lang}_LINK_EXECUTABLE
      "<CMAKE_LINKER> /nologo /nodefaultlib /subsystem:console /entry:mainCRTStartup <LINK_FLAGS> <OBJECTS> /out:<TARGET> /implib:<TARGET_IMPLIB> /pdb:<TARGET_PDB> <LINK_LIBRARIES>")
  set(CMAKE_${lang}_CREATE_SHARED_LIBRARY
      "<CMAKE_LINKER> /nologo /nodefaultlib /dll /entry:_DllMainCRTStartup <LINK_FLAGS> <OBJECTS> /out:<TARGET> /implib:<TARGET_IMPLIB> /pdb:<TARGET_PDB> <LINK_LIBRARIES>")
  set(CMAKE_${lang}_CREATE_SHARED_MODULE "${CMAKE_${lang}_CREATE_SHARED_LIBRARY}")
  set(CMAKE_${lang}_CREATE_CONSOLE_EXE "")
  set(CMAKE_${lang}_CREATE_WIN32_EXE "")
  set(CMAKE_${lang}_CREATE_STATIC_LIBRARY "<CMAKE_AR> rcs <TARGET> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qc <TARGET> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> q <TARGET> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> <TARGET>")
  set(CMAKE_${lang}_STANDARD_LIBRARIES_INIT "${TAVIK_UCRT_LINK_ITEMS}")
endforeach()
set(CMAKE_LINK_DEF_FILE_FLAG "/def:")
set(CMAKE_DEPFILE_FLAGS_RC "")
# llvm-rc reads any argument that starts with "/" and a letter of its options as that option, so
# a source under /check or /data would vanish into /C or /D: "--" ends the options.
set(CMAKE_RC_COMPILE_OBJECT "<CMAKE_RC_COMPILER> /nologo <DEFINES> <INCLUDES> <FLAGS> /fo <OBJECT> -- <SOURCE>")
# Libraries named without a path are the SDK folder's import libraries: gdiplus is gdiplus.lib.
set(CMAKE_LINK_LIBRARY_FLAG "")
set(CMAKE_LINK_LIBRARY_SUFFIX ".lib")
set(CMAKE_LIBRARY_PATH_FLAG "/libpath:")
set(CMAKE_LIBRARY_PATH_TERMINATOR "")
set(TAVIK_LINKER_FLAGS "/libpath:\"${TAVIK_SDK_LIB}\"")
# x86 images carry no table of safe exception handlers: the import libraries (Wine's, dlltool's)
# are not marked for one, and an image without a table may register handlers anywhere in it, as
# every x86 image did before the table existed.
if(TAVIK_ARCH STREQUAL "x86")
  string(APPEND TAVIK_LINKER_FLAGS " /safeseh:no")
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "${TAVIK_LINKER_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${TAVIK_LINKER_FLAGS}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${TAVIK_LINKER_FLAGS}")
set(CMAKE_STATIC_LIBRARY_PREFIX "")
set(CMAKE_STATIC_LIBRARY_SUFFIX ".lib")
set(CMAKE_IMPORT_LIBRARY_SUFFIX ".lib")
set(CMAKE_SHARED_LIBRARY_PREFIX "")
