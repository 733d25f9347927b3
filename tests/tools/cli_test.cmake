# Runs snxasm and snxdis on the sample scene: assemble, disassemble (to a
# file and to standard output), assemble again and compare; without -o the
# output goes beside the source; a source with errors fails with file:line
# and leaves no output file.
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${DATA_DIR}/scene.s ${DATA_DIR}/names.s DESTINATION ${WORK_DIR}/default)

# Runs a tool, which must give `rc` and write output matching `regex`.
function(run rc regex)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE got ERROR_VARIABLE err OUTPUT_VARIABLE out)
  if(NOT got EQUAL rc OR NOT "${out}${err}" MATCHES "${regex}")
    message(FATAL_ERROR "${ARGN} gave ${got}, not ${rc}, and did not match ${regex}: ${out}${err}")
  endif()
endfunction()

run(0 "" ${SNXASM} ${DATA_DIR}/scene.s -o ${WORK_DIR}/SCENE.SNX)
run(0 "" ${SNXDIS} ${WORK_DIR}/SCENE.SNX -o ${WORK_DIR}/again.s)
run(0 "" ${SNXASM} ${WORK_DIR}/again.s -o ${WORK_DIR}/AGAIN.SNX)
file(SHA256 ${WORK_DIR}/SCENE.SNX first)
file(SHA256 ${WORK_DIR}/AGAIN.SNX second)
run(0 "CHOICE work\\[11\\]" ${SNXDIS} ${WORK_DIR}/SCENE.SNX)
run(0 "" ${SNXASM} ${WORK_DIR}/default/scene.s)
run(1 "broken.s:4: .*broken.s:7: " ${SNXASM} ${DATA_DIR}/broken.s -o ${WORK_DIR}/BROKEN.SNX)
run(1 "" ${SNXDIS} ${WORK_DIR}/missing.SNX)
# The GNU forms: --output=FILE, options after the operand, --version, and a
# usage error of one line and a hint.
run(0 "" ${SNXDIS} ${WORK_DIR}/SCENE.SNX --output=${WORK_DIR}/eq.s --offsets)
run(0 "" ${SNXASM} --output=${WORK_DIR}/EQ.SNX ${DATA_DIR}/scene.s)
file(SHA256 ${WORK_DIR}/EQ.SNX third)
foreach(tool ${SNXASM} ${SNXDIS} ${SNXCHECK})
  get_filename_component(name ${tool} NAME)
  run(0 "^${name} [0-9]+\\.[0-9]+\\.[0-9]+\nCopyright" ${tool} --version)
  run(0 "^Usage: ${name} " ${tool} --help)
  run(2 "^${name}: unrecognized option '--bogus'\nTry '${name} --help' for more information\\.\n$"
      ${tool} --bogus)
endforeach()
run(2 "^snxasm: -o needs a file name\nTry" ${SNXASM} ${DATA_DIR}/scene.s -o)
if(NOT first STREQUAL second OR NOT first STREQUAL third OR NOT EXISTS ${WORK_DIR}/default/scene.SNX
   OR EXISTS ${WORK_DIR}/BROKEN.SNX)
  message(FATAL_ERROR "the disassembly assembles to other bytes, or scene.SNX is missing, "
                      "or BROKEN.SNX was written")
endif()
