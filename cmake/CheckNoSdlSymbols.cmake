# cmake -DNM=<nm> -DARCHIVES=<a;b;...> -P CheckNoSdlSymbols.cmake
# Fails when a symbol of SDL or SDL_ttf (defined or used) is in one of the
# archives: SDL_ and TTF_ functions, and C++ names that mention SDL's types.
if(NOT NM OR NOT ARCHIVES)
  message(FATAL_ERROR "usage: cmake -DNM=<nm> -DARCHIVES=<archives> -P ${CMAKE_SCRIPT_MODE_FILE}")
endif()
foreach(archive IN LISTS ARCHIVES)
  execute_process(COMMAND ${NM} -A ${archive}
                  OUTPUT_VARIABLE symbols ERROR_VARIABLE errors RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} could not read ${archive}: ${errors}")
  endif()
  string(REGEX MATCHALL "[^\n]*(SDL|TTF)_[^\n]*" hits "${symbols}")
  if(hits)
    list(LENGTH hits count)
    list(SUBLIST hits 0 10 shown)
    list(JOIN shown "\n  " shown)
    message(FATAL_ERROR "SDL symbols in ${archive} (${count}), which must hold none:\n  ${shown}")
  endif()
endforeach()
message(STATUS "no SDL symbol in ${ARCHIVES}")
