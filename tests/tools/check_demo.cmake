# Runs snxcheck on the demo game: clean, as text and as JSON; then on a copy
# whose folders and files are named in lower case (found as the engine finds
# them); then on a copy without a picture the scenarios show, whose sources
# beside the scenarios give the line.
file(REMOVE_RECURSE ${WORK_DIR})

function(check expected_rc expected_out)
  execute_process(COMMAND ${SNXCHECK} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out)
  if(NOT rc EQUAL expected_rc OR NOT out MATCHES "${expected_out}")
    message(FATAL_ERROR "snxcheck ${ARGN} gave ${rc}:\n${out}")
  endif()
endfunction()

check(0 "^0 errors, 0 warnings, 0 information\n$" ${DEMO_DIR})
check(0 "^{\"errors\":0,\"warnings\":0,\"information\":0,\"findings\":\\[\\]}" ${DEMO_DIR} --json)
file(GLOB_RECURSE demo_files RELATIVE ${DEMO_DIR} ${DEMO_DIR}/*)
foreach(f IN LISTS demo_files)
  string(TOLOWER ${f} lower)
  configure_file(${DEMO_DIR}/${f} ${WORK_DIR}/lower/${lower} COPYONLY)
endforeach()
check(0 "^" ${WORK_DIR}/lower)
file(REMOVE ${WORK_DIR}/lower/cg/bg04.bmp)
# The source beside the scenario gives the line too.
set(missing "STREET.SNX:0x0000 \\([^)]*/lower/SNX/STREET.s:[0-9]+\\): error: full-screen picture CG/BG04.BMP is missing\n")
check(1 "${missing}    PICTURE \"BG04\"\n" ${WORK_DIR}/lower)
check(2 "^" ${WORK_DIR}/no-such-folder)
