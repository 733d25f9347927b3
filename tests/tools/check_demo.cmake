# Runs snxcheck on the demo game: clean, as text and as JSON; then on a copy
# whose folders and files are named in lower case (found as the engine finds
# them); then on a copy without a picture the scenarios show.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(check folder)
  execute_process(COMMAND ${SNXCHECK} ${folder} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

check(${DEMO_DIR})
if(NOT rc EQUAL 0 OR NOT out STREQUAL "0 errors, 0 warnings, 0 information\n")
  message(FATAL_ERROR "snxcheck on the demo gave ${rc}:\n${out}${err}")
endif()
check(${DEMO_DIR} --json)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^{\"errors\":0,\"warnings\":0,\"information\":0,\"findings\":\\[\\]}")
  message(FATAL_ERROR "snxcheck --json on the demo gave ${rc}:\n${out}${err}")
endif()

# Lower-case names everywhere.
file(GLOB_RECURSE demo_files RELATIVE ${DEMO_DIR} ${DEMO_DIR}/*)
foreach(f IN LISTS demo_files)
  string(TOLOWER ${f} lower)
  configure_file(${DEMO_DIR}/${f} ${WORK_DIR}/lower/${lower} COPYONLY)
endforeach()
check(${WORK_DIR}/lower)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "snxcheck on the lower-case copy gave ${rc}:\n${out}${err}")
endif()

# A picture gone.
file(REMOVE ${WORK_DIR}/lower/cg/bg04.bmp)
check(${WORK_DIR}/lower)
if(NOT rc EQUAL 1 OR NOT out MATCHES "STREET.SNX:0x0000: error: full-screen picture CG/BG04.BMP is missing\n    PICTURE \"BG04\"\n")
  message(FATAL_ERROR "snxcheck without BG04 gave ${rc}:\n${out}${err}")
endif()

# Usage errors.
check(${WORK_DIR}/no-such-folder)
if(NOT rc EQUAL 2)
  message(FATAL_ERROR "snxcheck on a missing folder gave ${rc}, not 2")
endif()
