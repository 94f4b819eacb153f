# Where OBS Classic's source is: the real host library and host are built from it as test
# fixtures. OBS_CLASSIC_SOURCE (a cache variable, or the environment variable of that name) names
# a checkout of github.com/jp9000/OBS at commit 88eee7aa (0.659b); by default ../shared/obs-classic
# beside this repository, when it is there. Without it the fixtures and the tests that need them
# are skipped, and the test obs_classic_source says so.
set(_obs_default "")
if(DEFINED ENV{OBS_CLASSIC_SOURCE})
  set(_obs_default "$ENV{OBS_CLASSIC_SOURCE}")
elseif(EXISTS "${CMAKE_SOURCE_DIR}/../shared/obs-classic")
  get_filename_component(_obs_default "${CMAKE_SOURCE_DIR}/../shared/obs-classic" ABSOLUTE)
endif()
set(OBS_CLASSIC_SOURCE "${_obs_default}" CACHE PATH "OBS Classic's source tree (github.com/jp9000/OBS at 88eee7aa)")

set(OBS_CLASSIC_FOUND OFF)
set(OBS_CLASSIC_MISSING "")
if(OBS_CLASSIC_SOURCE STREQUAL "")
  set(OBS_CLASSIC_MISSING "OBS Classic's source was not found (set OBS_CLASSIC_SOURCE to a checkout of github.com/jp9000/OBS at 88eee7aa, or put it at ../shared/obs-classic)")
elseif(NOT EXISTS "${OBS_CLASSIC_SOURCE}/OBSApi/OBSApi.vcxproj" OR NOT EXISTS "${OBS_CLASSIC_SOURCE}/Source/OBS.cpp")
  set(OBS_CLASSIC_MISSING "OBS_CLASSIC_SOURCE (${OBS_CLASSIC_SOURCE}) does not hold OBS Classic's source (no OBSApi/OBSApi.vcxproj or Source/OBS.cpp)")
else()
  set(OBS_CLASSIC_FOUND ON)
endif()
if(OBS_CLASSIC_FOUND)
  message(STATUS "OBS Classic's source: ${OBS_CLASSIC_SOURCE}")
else()
  message(STATUS "Skipping the tests against OBS Classic's own host library: ${OBS_CLASSIC_MISSING}")
endif()
