# Fails when src/platform/ itself holds anything but the interfaces' headers:
# implementations live in sdl/, headless/, web/ and shared/.
# Run: cmake -DSOURCE_DIR=<repo> -P CheckPlatformLayout.cmake
cmake_minimum_required(VERSION 3.25)
file(GLOB entries RELATIVE "${SOURCE_DIR}/src/platform" "${SOURCE_DIR}/src/platform/*")
set(offenders "")
foreach(entry IN LISTS entries)
  if(IS_DIRECTORY "${SOURCE_DIR}/src/platform/${entry}")
    if(NOT entry MATCHES "^(sdl|headless|web|shared)$")
      list(APPEND offenders "${entry}/")
    endif()
  elseif(NOT entry MATCHES "\\.h$")
    list(APPEND offenders "${entry}")
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "src/platform/ holds only the interfaces' headers and the folders "
                      "sdl/, headless/, web/, shared/; found: ${offenders}")
endif()
message(STATUS "src/platform/ holds only interfaces")
