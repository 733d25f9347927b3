# The engine and the headless platform run without SDL: nothing they link may
# bring it in, and nothing compiled into them may use it. Two checks keep it
# so, both failing the build:
#  - velmor_forbid_links(): at configure time, every library a target links,
#    directly or through the libraries it links, is looked at by name;
#  - velmor_check_no_sdl_symbols(): at build time, the symbols of the built
#    archives are read with nm (a call into SDL or TTF through a declaration
#    of one's own, or a header that pulls SDL in, leaves its name there).

# The libraries `item` links: its own link line and what it passes on. A
# private dependency of a static library comes as $<LINK_ONLY:name>.
function(_velmor_linked_items item out_var)
  set(items "")
  get_target_property(type ${item} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(own ${item} LINK_LIBRARIES)
    if(own)
      list(APPEND items ${own})
    endif()
  endif()
  get_target_property(passed ${item} INTERFACE_LINK_LIBRARIES)
  if(passed)
    list(APPEND items ${passed})
  endif()
  list(TRANSFORM items REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1")
  list(REMOVE_DUPLICATES items)
  set(${out_var} "${items}" PARENT_SCOPE)
endfunction()

# Fails the configuration when `target` links, at any depth, a library whose
# name matches `pattern` (case ignored), naming the chain that brings it in.
function(velmor_forbid_links target pattern)
  string(TOLOWER "${pattern}" pattern)
  set(queue "${target}")
  set(chain_${target} "${target}")
  set(seen "${target}")
  while(queue)
    list(POP_FRONT queue item)
    _velmor_linked_items(${item} linked)
    foreach(next IN LISTS linked)
      string(TOLOWER "${next}" name)
      if(name MATCHES "${pattern}")
        message(FATAL_ERROR "${target} must not link SDL, but it does: "
                            "${chain_${item}} -> ${next}")
      endif()
      if(TARGET ${next} AND NOT next IN_LIST seen)
        list(APPEND seen ${next})
        list(APPEND queue ${next})
        set(chain_${next} "${chain_${item}} -> ${next}")
      endif()
    endforeach()
  endwhile()
endfunction()

# After every build of the libraries, fails the build when one of them holds
# an SDL or SDL_ttf symbol.
function(velmor_check_no_sdl_symbols name)
  set(archives "")
  foreach(lib IN LISTS ARGN)
    list(APPEND archives $<TARGET_FILE:${lib}>)
  endforeach()
  list(JOIN ARGN ", " names)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} "-DARCHIVES=${archives}"
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoSdlSymbols.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${ARGN} ${PROJECT_SOURCE_DIR}/cmake/CheckNoSdlSymbols.cmake
    COMMENT "Checking that ${names} hold no SDL symbol"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${stamp})
endfunction()
