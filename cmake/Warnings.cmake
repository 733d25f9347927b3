# velmor_warnings(target): the project's warning set on one of our targets.
function(velmor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(VELMOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
