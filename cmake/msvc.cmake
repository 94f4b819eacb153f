# Our start-up code (runtime/) and the C runtime of every DLL and program of the Windows build,
# chosen per module by its TAVIK_CRT property:
#   (unset) or ucrt  the Universal CRT and the Visual C++ 2015-2022 runtime (ucrtbase.dll,
#                    vcruntime140.dll, msvcp140.dll), libc++ as built;
#   msvcrt           Windows' own msvcrt.dll, part of every 64-bit Windows from 7 SP1 on, by the
#                    names mingw-w64 lists for it, and our runtime/System*.cpp for the rest: what a
#                    DLL needs to load on a Windows with nothing installed (the plugin). DLLs only.
# The libraries of each set are named in msvc-rules.cmake.

# Start-up code: one object set for programs, one for DLLs, one for DLLs on msvcrt.dll.
add_library(runtime_program OBJECT runtime/Common.cpp runtime/Program.cpp)
add_library(runtime_library OBJECT runtime/Common.cpp runtime/Library.cpp)
add_library(runtime_library_msvcrt OBJECT runtime/Common.cpp runtime/SystemLibrary.cpp runtime/SystemCrt.cpp
            runtime/SystemCxx.cpp)
foreach(t runtime_program runtime_library runtime_library_msvcrt)
  target_include_directories(${t} PRIVATE ${CMAKE_SOURCE_DIR})
endforeach()

# Gives every program and DLL defined in `dir` and below its start-up code and C runtime; called
# once all are defined.
function(attach_runtime dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    get_target_property(crt ${t} TAVIK_CRT)
    if(NOT crt)
      set(crt ucrt)
    endif()
    if(type STREQUAL "EXECUTABLE")
      if(NOT crt STREQUAL "ucrt")
        message(FATAL_ERROR "${t}: programs are built on the Universal CRT only (TAVIK_CRT ${crt})")
      endif()
      target_link_libraries(${t} PRIVATE runtime_program ${TAVIK_UCRT_LIBRARIES})
    elseif(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
      if(crt STREQUAL "ucrt")
        target_link_libraries(${t} PRIVATE runtime_library ${TAVIK_UCRT_LIBRARIES})
      elseif(crt STREQUAL "msvcrt")
        target_link_libraries(${t} PRIVATE runtime_library_msvcrt ${TAVIK_MSVCRT_LIBRARIES})
      else()
        message(FATAL_ERROR "${t}: TAVIK_CRT is ucrt or msvcrt, not ${crt}")
      endif()
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    attach_runtime(${sub})
  endforeach()
endfunction()
