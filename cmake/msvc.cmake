# The Windows build for Microsoft's C++ ABI (toolchain cmake/clang-msvc-x86_64.cmake): every DLL
# and program gets our start-up code (runtime/), and runs under Wine through CTest.
add_compile_definitions(UNICODE _UNICODE)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(PLUGIN_DIR ${CMAKE_BINARY_DIR}/bin/plugins)

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(PREFIX_INIT ${CMAKE_SOURCE_DIR}/scripts/wine-prefix-init)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# Start-up code: one object set for programs, one for DLLs.
add_library(runtime_program OBJECT runtime/Common.cpp runtime/Program.cpp)
add_library(runtime_library OBJECT runtime/Common.cpp runtime/Library.cpp)
foreach(t runtime_program runtime_library)
  target_include_directories(${t} PRIVATE ${CMAKE_SOURCE_DIR})
endforeach()

# Gives every program and DLL defined so far, in this directory and below, its start-up code.
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

add_executable(runtime_tests tests/runtime/RuntimeSmoke.cpp)
target_link_libraries(runtime_tests PRIVATE gtest_main)
add_library(runtime_smoke_dll SHARED tests/runtime/RuntimeSmokeDll.cpp)
add_dependencies(runtime_tests runtime_smoke_dll)
add_test(NAME runtime_tests COMMAND runtime_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(runtime_tests PROPERTIES TIMEOUT 60)

attach_runtime(${CMAKE_SOURCE_DIR})
