# Fails when an SDL header is included outside src/platform/: the engine
# talks to the platform only through its interfaces.
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp"
     "${SOURCE_DIR}/tools/*.h" "${SOURCE_DIR}/tools/*.cpp")
set(offenders "")
foreach(f IN LISTS sources)
  if(f MATCHES "^src/platform/")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${f}" hits REGEX "#[ \t]*include[ \t]*[<\"]SDL")
  if(hits)
    list(APPEND offenders "${f}")
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "SDL headers included outside src/platform/: ${offenders}")
endif()
message(STATUS "no SDL include outside src/platform/")
