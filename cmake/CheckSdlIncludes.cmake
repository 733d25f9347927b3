# Fails when an SDL header is included outside the two folders that use SDL:
# src/platform/sdl/ (the real front end) and src/platform/shared/ (the
# TrueType face). The engine, the interfaces and the headless platform talk
# to SDL only through the interfaces.
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp"
     "${SOURCE_DIR}/tools/*.h" "${SOURCE_DIR}/tools/*.cpp")
set(offenders "")
foreach(f IN LISTS sources)
  if(f MATCHES "^src/platform/(sdl|shared)/")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${f}" hits REGEX "#[ \t]*include[ \t]*[<\"]SDL")
  if(hits)
    list(APPEND offenders "${f}")
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "SDL headers included outside src/platform/sdl and src/platform/shared: ${offenders}")
endif()
message(STATUS "no SDL include outside src/platform/sdl and src/platform/shared")
