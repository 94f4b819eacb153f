# The native (Linux) build of the portable code, with AddressSanitizer and UBSan.
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_compile_options(${SANITIZE})
add_link_options(${SANITIZE})

include(${CMAKE_SOURCE_DIR}/cmake/sources.cmake)

add_library(hostcore STATIC ${HOST_SOURCES})
target_include_directories(hostcore PUBLIC ${CMAKE_SOURCE_DIR})

add_library(songlist_portable STATIC ${PORTABLE_SOURCES})
target_include_directories(songlist_portable PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(songlist_portable PUBLIC hostcore)

add_subdirectory(tests)
