# Our start-up code (runtime/) in every DLL and program of the Windows build, in place of the C
# runtime's static part.

# Start-up code: one object set for programs, one for DLLs.
add_library(runtime_program OBJECT runtime/Common.cpp runtime/Program.cpp)
add_library(runtime_library OBJECT runtime/Common.cpp runtime/Library.cpp)
foreach(t runtime_program runtime_library)
  target_include_directories(${t} PRIVATE ${CMAKE_SOURCE_DIR})
endforeach()

# Gives every program and DLL defined in `dir` and below its start-up code; called once all are
# defined.
function(attach_runtime dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_link_libraries(${t} PRIVATE runtime_program)
    elseif(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
      target_link_libraries(${t} PRIVATE runtime_library)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    attach_runtime(${sub})
  endforeach()
endfunction()
