# Fails when an SDL header is included outside the folders that use SDL:
# src/platform/sdl/ (the window, its presenter, sound and input),
# src/platform/shared/ (the TrueType face) and src/main/ (the programs,
# whose real front end's loop hands SDL's events to the session). The
# engine, the session, the views, the interfaces and the headless platform
# never see SDL.
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp"
     "${SOURCE_DIR}/tools/*.h" "${SOURCE_DIR}/tools/*.cpp")
set(offenders "")
foreach(f IN LISTS sources)
  if(f MATCHES "^src/(platform/(sdl|shared)|main)/")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${f}" hits REGEX "#[ \t]*include[ \t]*[<\"]SDL")
  if(hits)
    list(APPEND offenders "${f}")
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "SDL headers included outside src/platform/sdl, src/platform/shared and src/main: ${offenders}")
endif()
message(STATUS "no SDL include outside src/platform/sdl, src/platform/shared and src/main")
