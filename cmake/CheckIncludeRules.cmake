# Who may include whom, checked on every source under src/ and tools/. Each
# folder may include its own headers and those of the folders below it in
# the house, never one above; the platform-free folders include no system
# header but the standard library's (a standard header is named without a
# folder or an extension: <vector>, <cstdio>). A "../" in an include counts
# as reaching out.
# Run: cmake -DSOURCE_DIR=<repo> -P CheckIncludeRules.cmake
cmake_minimum_required(VERSION 3.25)

set(engine core formats bitmap language platform scenario text graphics sound menus app)
# folder -> what its quoted includes may name ("bitmap": graphics/bitmap.h,
# "platform": the interfaces platform/*.h, "any": no rule)
set(allow_core core)
set(allow_formats core formats bitmap)
set(allow_language core language)
set(allow_platform core formats bitmap platform)
foreach(f scenario text graphics sound menus app)
  set(allow_${f} ${engine})
endforeach()
set(allow_session ${engine} session)
set(allow_ui core formats bitmap language menus app session ui imgui)
set(allow_platform/shared core formats bitmap platform platform/shared)
set(allow_platform/headless core formats bitmap platform platform/headless)
set(allow_platform/sdl core formats bitmap platform platform/sdl platform/shared)
# The browser's backend stands in for parts of SDL's (its MIDI) on SDL's
# browser port.
set(allow_platform/web core formats bitmap platform platform/web platform/sdl platform/shared)
set(allow_cli cli core)
set(allow_main any)
set(allow_tools core formats language cli platform platform/shared check local)
set(allow_tools/check ${engine} check)
set(allow_tools/datagen core formats bitmap datagen)
# The folders whose angle-bracket includes must be the standard library's.
set(platform_free core formats language platform scenario text graphics sound menus app session ui)

# The rule name of a file's folder.
function(folder_of file out)
  if(file MATCHES "^src/platform/(shared|headless|sdl|web)/")
    set(${out} "platform/${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(file MATCHES "^src/([a-z_]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(file MATCHES "^tools/(check|datagen)/")
    set(${out} "tools/${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    set(${out} "tools" PARENT_SCOPE)
  endif()
endfunction()

# The rule name of what a quoted include names.
function(target_of path out)
  if(path MATCHES "\\.\\./")
    set(${out} "../" PARENT_SCOPE)
  elseif(path STREQUAL "graphics/bitmap.h")
    set(${out} "bitmap" PARENT_SCOPE)
  elseif(path MATCHES "^platform/(shared|headless|sdl|web)/")
    set(${out} "platform/${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(path MATCHES "^platform/[^/]+\\.h$")
    set(${out} "platform" PARENT_SCOPE)
  elseif(path MATCHES "^imgui[a-z_]*\\.h$")
    set(${out} "imgui" PARENT_SCOPE)
  elseif(path MATCHES "^([a-z_]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    set(${out} "local" PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/tools/*.h" "${SOURCE_DIR}/tools/*.cpp")
set(offenders "")
foreach(f IN LISTS sources)
  folder_of("${f}" folder)
  if("${allow_${folder}}" STREQUAL "any")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${f}" includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      target_of("${CMAKE_MATCH_1}" what)
      if(what STREQUAL "local" AND NOT "${CMAKE_MATCH_1}" MATCHES "/")
        # A header beside the file (the tools' own); elsewhere a bare name
        # is no include of ours.
        if(folder MATCHES "^tools")
          continue()
        endif()
      endif()
      if(what IN_LIST allow_${folder} OR what STREQUAL folder)
        continue()
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      if(NOT folder IN_LIST platform_free OR CMAKE_MATCH_1 MATCHES "^[a-z0-9_]+$")
        continue()
      endif()
    endif()
    string(STRIP "${line}" line)
    list(APPEND offenders "${f} (${folder}): ${line}")
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " listed)
  message(FATAL_ERROR "includes that break the house's rules (docs/architecture.md):\n  ${listed}")
endif()
message(STATUS "every include keeps the house's rules")
